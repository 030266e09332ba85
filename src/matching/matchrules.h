#pragma once

#include "platform/engine/statement.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// Which listings satisfy a customer request: the rules of the matching, with
// no window in them. MatchScreen runs them for the current request, the bulk
// comparison for every request of the request list.
namespace Matching {

// The listing registers, in the order their tests run: land first, so that
// a request both land and property tests accept shows the property grid.
enum class Register { Land, RentalFlats, SaleFlats, RentalProperties, SaleProperties };
inline constexpr int RegisterCount = 5;

// Which request kinds a register serves.
enum class Kinds {
    Land,   // "Arsa", "Arazi" (and "Arsa ve Arazi" when one request is matched by district)
    Flats,  // "Daire"
    Others, // any kind but "Arsa", "Arazi", "Daire": matched by name against Emlak
};

// What the five registers differ in; everything else is the one set of rules.
struct RegisterRule {
    Register id;
    QString table;
    QString districtField;   // "Semtadi", or "Semt" on land
    Kinds kinds;
    // The status an available listing carries, which the request must want
    // ("Kiralanmadı" / "Satılmadı"). Empty on land: any wish is searched, and
    // the wish is the status the land must carry.
    QString availableStatus;
    bool byKind;             // Emlak must equal the request's kind
    QList<QPair<QString, QString>> gridColumns; // field, title ("" = the field name)
    QString entryScreen;     // where a double-clicked row opens
    QString caption;         // the result grid's name for a person
    // The end of a comparison-list line: a fixed text, or a text followed by
    // the listing's Emlak.
    QString lineEnding;
    bool lineEndsWithKind;
};

const QList<RegisterRule>& registers(); // in test order
const RegisterRule& rule(Register id);
// The register kept in a table, named in any case, with or without ".db";
// nothing for a table that holds no listings.
std::optional<Register> registerOf(const QString& table);

// The seven criteria, by their place in the list (0 to 6).
struct Criterion {
    QString item;
    bool district, price, area;
};
const QList<Criterion>& criteria();
inline constexpr int CriterionCount = 7;
inline constexpr int ByDistrict = 0; // "Semt Adına Göre"
inline constexpr int ByAll = 6;      // "Tümüne Göre"

// The request's values the matching reads. Bounds are numbers, or null when
// the request leaves them empty.
struct Request {
    QString name;      // Isim
    QString phone;     // Telefon
    QString district;  // Semtadi
    QString kind;      // Emlak
    QString wish;      // Istek: "Kiralanmadı" wants to rent, "Satılmadı" wants to buy
    QVariant lowestPrice, highestPrice; // Fiyatilkdeger, Ikincifiyat
    QVariant smallestArea, largestArea; // IlkMetre2, Ikincimetre2
};

// The request fields, in the order the bulk comparison reads them.
const QStringList& requestFields();

// Reads a request from anything that offers text(field) and value(field):
// a dataset's current row or a RowStream.
template <class Row> Request readRequest(const Row& row)
{
    Request request;
    request.name = row.text(QStringLiteral("Isim"));
    request.phone = row.text(QStringLiteral("Telefon"));
    request.district = row.text(QStringLiteral("Semtadi"));
    request.kind = row.text(QStringLiteral("Emlak"));
    request.wish = row.text(QStringLiteral("Istek"));
    request.lowestPrice = row.value(QStringLiteral("Fiyatilkdeger"));
    request.highestPrice = row.value(QStringLiteral("Ikincifiyat"));
    request.smallestArea = row.value(QStringLiteral("IlkMetre2"));
    request.largestArea = row.value(QStringLiteral("Ikincimetre2"));
    return request;
}

// One request matched on MatchScreen, or every request in the bulk
// comparison. They differ in one rule only: "Arsa ve Arazi" is a land kind
// under "Semt Adına Göre" on the screen, and never in the bulk comparison.
enum class Scope { OneRequest, Bulk };

// The registers whose tests hold for the request, in test order. Every test
// is evaluated and every one that holds counts; under the bulk scope at most
// one holds.
QList<Register> registersFor(const Request& request, int criterion, Scope scope);

// The request kinds a register's test holds for, spelled out: "Daire" for
// the flat registers, "Arsa", "Arazi" (and "Arsa ve Arazi" where the scope
// and criterion make it a land kind) for land. Empty for the property
// registers, which serve every other kind by its own name.
QStringList kindsServed(Register id, int criterion, Scope scope);

// The listings of the register that satisfy the request under the criterion:
// district equal, price and area within the request's bounds (both ends
// included), the register's status (on land the wished one), and on the
// property registers the kind. Values are bound. A bound the criterion needs
// that the request leaves empty matches nothing. Land keeps its area as text:
// it is compared as the number the text reads as, and a text that reads as
// no number is never within bounds.
Statement statementFor(Register id, const Request& request, int criterion);

// The listings of the register the request's status and kind rules admit
// (and its district, when byDistrict), before any bound: statementFor() with
// no price or area read. Values are bound.
Statement admittedBy(Register id, const Request& request, bool byDistrict);

// The full register, as the result grids show it before a search.
Statement wholeRegister(Register id);

// The comparison list's lines.
QString requestLine(const QString& name, const QString& phone);
// Fields of a listing line, in the order listingLineFields() gives them:
// district, area, price and, where the line ends with it, the kind.
QStringList listingLineFields(Register id);
QString listingLine(Register id, const QString& district, const QString& area, const QString& price,
                    const QString& kind = QString());
// The same line appended to `line`, appendField(place, line) appending the
// field at that place of listingLineFields(): the bulk comparison writes
// its fields straight from the store.
inline constexpr QStringView DistrictPiece = u"Semt Adı :";
inline constexpr QStringView AreaPiece = u"   Metre2 :";
inline constexpr QStringView PricePiece = u"   Fiyatı : ";
template <class AppendField>
void appendListingLine(QString& line, Register id, const AppendField& appendField)
{
    line.append(DistrictPiece);
    appendField(0, line);
    line.append(AreaPiece);
    appendField(1, line);
    line.append(PricePiece);
    appendField(2, line);
    const RegisterRule& r = rule(id);
    line.append(r.lineEnding);
    if (r.lineEndsWithKind)
        appendField(3, line);
}

// A line of the comparison list read back into its fields, as the lines
// above write them; nothing for a line of another shape (one the clerk typed).
struct RequestLineFields {
    QString name, phone;
};
std::optional<RequestLineFields> readRequestLine(const QString& line);
struct ListingLineFields {
    QString district, area, price;
    QString kind; // the listing's Emlak, or what the register's line ends with ("Kiralık Daire")
};
std::optional<ListingLineFields> readListingLine(const QString& line);

} // namespace Matching
