#pragma once

// The real shut-down request. Only the program's start-up (shell/main.cpp)
// includes this: no test, benchmark or tool may make one.

#include "platform/system/shutdownrequest.h"

#include <memory>

// Runs systemShutdownCommand() detached, without a window; false when the
// command could not be started.
std::unique_ptr<ShutdownRequest> makeSystemShutdown();
