#pragma once

#include "kit/screens.h"

// MatchScreen and MatchListScreen.
ScreenMakers matchingScreens();

// The searches' makers with each listing search telling, after "Bul", of the
// listings it can never find because the field it compares is empty.
ScreenMakers withMissingDataNotices(ScreenMakers searches);
