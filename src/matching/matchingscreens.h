#pragma once

#include "kit/screens.h"

// MatchScreen and MatchListScreen.
ScreenMakers matchingScreens();
