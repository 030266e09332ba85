#include "search/searchscreens.h"

#include "app/screens.h"
#include "search/listingsearch.h"
#include "search/requestlist.h"

void registerSearchScreens()
{
    for (const ListingSearchTwin& twin : ListingSearch::twins()) {
        const QString name = twin.programName;
        Screens::registerFactory(name, [name](Screens& s) { return new ListingSearch(s, *ListingSearch::twin(name)); });
    }
    Screens::registerFactory(RequestList::programName(), [](Screens& s) { return new RequestList(s); });
}
