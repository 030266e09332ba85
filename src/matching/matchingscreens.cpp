#include "matching/matchingscreens.h"

#include "matching/matchlistscreen.h"
#include "matching/matchscreen.h"
#include "matching/missingdata.h"
#include "search/searchscreen.h"

ScreenMakers matchingScreens()
{
    return {
        {MatchScreen::programName(), [](Screens& s) { return new MatchScreen(s); }},
        {MatchListScreen::programName(), [](Screens&) { return new MatchListScreen; }},
    };
}

ScreenMakers withMissingDataNotices(ScreenMakers searches)
{
    for (ScreenMaker& maker : searches)
        maker.make = [make = maker.make](Screens& screens) {
            QWidget* made = make(screens);
            // The request list is a search too, but of requests: it is left alone.
            MissingData::installOnSearch(qobject_cast<SearchScreen*>(made), screens);
            return made;
        };
    return searches;
}
