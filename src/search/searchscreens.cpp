#include "search/searchscreens.h"

#include "kit/screens.h"
#include "search/listingsearch.h"
#include "search/requestlist.h"

ScreenMakers searchScreens()
{
    ScreenMakers makers;
    for (const ListingSearchTwin& twin : ListingSearch::twins())
        makers.append({twin.programName, [&twin](Screens& s) { return new ListingSearch(s, twin); }});
    makers.append({RequestList::programName(), [](Screens& s) { return new RequestList(s); }});
    return makers;
}
