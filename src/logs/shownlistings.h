#pragma once

// The showing logs' links to listings live with the store's other tables'
// rules (data/shownlistings.h); this name stays for code that includes it.
#include "data/shownlistings.h"
