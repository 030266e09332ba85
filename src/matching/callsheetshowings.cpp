#include "matching/callsheet.h"

// Apart from the rest of the call sheet: the showing logs' side, which only
// the screen asks for.
namespace CallSheet {

ShownByRequest shownInEitherLog(Database& store)
{
    ShownByRequest shown = ShownListings::shownToRequests(store, true);
    const ShownByRequest sales = ShownListings::shownToRequests(store, false);
    for (auto it = sales.cbegin(); it != sales.cend(); ++it)
        shown[it.key()] += it.value();
    return shown;
}

} // namespace CallSheet
