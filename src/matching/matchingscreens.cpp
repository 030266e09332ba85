#include "matching/matchingscreens.h"

#include "matching/matchlistscreen.h"
#include "matching/matchscreen.h"

ScreenMakers matchingScreens()
{
    return {
        {MatchScreen::programName(), [](Screens& s) { return new MatchScreen(s); }},
        {MatchListScreen::programName(), [](Screens&) { return new MatchListScreen; }},
    };
}
