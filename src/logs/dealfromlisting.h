#pragma once

#include <QList>
#include <QPair>
#include <QString>

class Database;
class DealEntry;
class FindingsWindow;
class LabelButton;
class Screens;
class Table;

// "İlandan" on a closed-deal entry screen: the available flats of the
// register the deal closes are listed, and the one picked fills the deal as
// the clerk would type it from the listing (district, price, owner, owner's
// phone, address; the tenant or buyer is the clerk's to type). Once that
// deal is posted the clerk is offered to mark the listing "Kiralandı" or
// "Satıldı" in its register.
namespace DealFromListing {

// The deal's fields and the listing fields they are copied from, in order.
const QList<QPair<QString, QString>>& copiedFields();

// Copies the listing of `listings` whose No is `key` into the deal's current
// record, which must be in edit or insert state; false when there is no such
// listing. Throws DataError as the cursor does.
bool copyListing(Database& db, const QString& listings, qint64 key, Table& deal);

// Sets the listing's status through its entry screen's cursor, so that every
// screen on the register sees it at once; the reason it could not otherwise
// (empty when it was marked).
QString markListing(const Screens& screens, const QString& entryScreen, qint64 key, const QString& status);

// At most this many listings are offered to pick from.
inline constexpr int PickLimit = 500;

LabelButton* install(DealEntry* entry, Screens& screens);
// The entry screen's list of listings, once it has been made; nullptr before.
FindingsWindow* picker(const DealEntry* entry);

} // namespace DealFromListing
