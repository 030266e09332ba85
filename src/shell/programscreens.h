#pragma once

#include "kit/screens.h"

// Every screen of the program, in the order they are created at start-up.
ScreenMakers programScreens();

// The start-up order by program name, including screens the program does
// not have yet (they are skipped).
const QStringList& startUpOrder();
