#pragma once

#include "matching/matchrules.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class Database;

// The matching turned round: for one listing, the customer requests it
// satisfies under a criterion, so that a new flat tells the agent whom to
// call. A request counts exactly when matching that request on MatchScreen
// under the same criterion would list this listing: its kind and wish pick
// this register, and the listing lies inside the request's bounds. No window
// in here.
namespace Matching {

// The listing's values the reverse match reads.
struct ListingValues {
    Register where;
    QString district; // Semtadi, or Semt on land
    QString status;   // Durum
    QString kind;     // Emlak on the property registers
    QVariant price;   // Fiyati, null when empty
    QVariant area;    // Metre2 as a number (read from the text on land), null when none
};

// Reads a listing of the register from anything that offers text(field) and
// value(field): a table cursor's current record, a RowStream.
template <class Row> ListingValues readListing(Register where, const Row& row);

struct Customer {
    qint64 key = 0;     // No of the request, to open it
    QString name;       // Isim
    QStringList phones; // every number the request holds: Telefon, Istel, Ceptel
    QString kind, wish; // Emlak, Istek
};

// The statement over musteritalepleri; nothing when no request can want this
// listing (a flat already let, a property whose kind is a flat's or land's).
std::optional<Statement> customersStatement(const ListingValues& listing, int criterion);

// The requests in the order the store returns them. Throws DataError as
// RowStream does.
QList<Customer> customersFor(Database& db, const ListingValues& listing, int criterion);

// The criterion the list opens with after a new listing is posted.
inline constexpr int DefaultReverseCriterion = 3; // "Semt ve Fiyata Göre"

// The request fields holding phone numbers, in the order they are listed.
const QStringList& requestPhoneFields();
// A number as the mask stores it counts only when it holds a digit.
bool holdsNumber(const QString& phone);

// What reading a listing needs, outside the template.
QVariant listingArea(Register where, const QVariant& stored);

template <class Row> ListingValues readListing(Register where, const Row& row)
{
    const RegisterRule& r = rule(where);
    ListingValues listing;
    listing.where = where;
    listing.district = row.text(r.districtField);
    listing.status = row.text(QStringLiteral("Durum"));
    if (r.byKind)
        listing.kind = row.text(QStringLiteral("Emlak"));
    // An empty field writes as the empty text.
    if (!row.text(QStringLiteral("Fiyati")).isEmpty())
        listing.price = row.value(QStringLiteral("Fiyati"));
    if (!row.text(QStringLiteral("Metre2")).isEmpty())
        listing.area = listingArea(where, row.value(QStringLiteral("Metre2")));
    return listing;
}

} // namespace Matching
