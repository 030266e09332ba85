#include "matching/listingcustomers.h"

#include "platform/engine/database.h"
#include "platform/engine/rowstream.h"
#include "platform/engine/turkishtext.h"

#include <cmath>

namespace Matching {

namespace {

QVariant numberOrNull(const QVariant& value)
{
    bool ok = false;
    const double n = value.isNull() ? 0.0 : value.toDouble(&ok);
    return ok && std::isfinite(n) ? QVariant(n) : QVariant(QMetaType::fromType<double>());
}

} // namespace

const QStringList& requestPhoneFields()
{
    static const QStringList fields{QStringLiteral("Telefon"), QStringLiteral("Istel"), QStringLiteral("Ceptel")};
    return fields;
}

bool holdsNumber(const QString& phone)
{
    for (const QChar c : phone)
        if (c.isDigit())
            return true;
    return false;
}

QVariant listingArea(Register where, const QVariant& stored)
{
    // Land keeps its area as typed text; it counts as the number it reads as.
    if (where == Register::Land) {
        const auto n = TurkishText::readNumber(stored.toString());
        return n ? QVariant(*n) : QVariant();
    }
    return stored;
}

std::optional<Statement> customersStatement(const ListingValues& listing, int criterion)
{
    if (criterion < 0 || criterion >= CriterionCount)
        return std::nullopt;
    const RegisterRule& r = rule(listing.where);
    // A flat already let is searched by no request; on land the listing's
    // status is the wish that finds it.
    if (!r.availableStatus.isEmpty() && listing.status != r.availableStatus)
        return std::nullopt;
    const QString wish = r.availableStatus.isEmpty() ? listing.status : r.availableStatus;

    QStringList parts{QStringLiteral("\"Istek\" = ?")};
    QVariantList values{Statement::text(wish)};
    if (r.kinds == Kinds::Others) {
        // A property is found by requests of its own kind, unless that kind
        // sends them to another register (a property typed "Daire").
        Request asked;
        asked.kind = listing.kind;
        asked.wish = wish;
        if (!registersFor(asked, criterion, Scope::OneRequest).contains(listing.where))
            return std::nullopt;
        parts << QStringLiteral("\"Emlak\" = ?");
        values << Statement::text(listing.kind);
    } else {
        const QStringList kinds = kindsServed(listing.where, criterion, Scope::OneRequest);
        QStringList marks;
        for (const QString& kind : kinds) {
            marks << QStringLiteral("?");
            values << kind;
        }
        parts << QStringLiteral("\"Emlak\" IN (%1)").arg(marks.join(QStringLiteral(", ")));
    }
    const Criterion& c = criteria().at(criterion);
    if (c.district) {
        parts << QStringLiteral("\"Semtadi\" = ?");
        values << Statement::text(listing.district);
    }
    // A lower bound's index visits every request whose bound lies under the
    // listing's value, each looked up in the table: for a dear or a large
    // listing nearly all of them. Reading the requests straight through
    // costs less, and the same for every listing ("+" keeps SQLite from
    // choosing that index); the district's index still leads where it is read.
    if (c.price) {
        parts << QStringLiteral("+\"Fiyatilkdeger\" <= ? AND \"Ikincifiyat\" >= ?");
        values << numberOrNull(listing.price) << numberOrNull(listing.price);
    }
    if (c.area) {
        parts << QStringLiteral("+\"IlkMetre2\" <= ? AND \"Ikincimetre2\" >= ?");
        values << numberOrNull(listing.area) << numberOrNull(listing.area);
    }
    return Statement(QStringLiteral("musteritalepleri")).where(parts.join(QStringLiteral(" AND ")), values);
}

QList<Customer> customersFor(Database& db, const ListingValues& listing, int criterion)
{
    QList<Customer> found;
    const auto statement = customersStatement(listing, criterion);
    if (!statement)
        return found;
    QStringList columns{QStringLiteral("No"), QStringLiteral("Isim"), QStringLiteral("Emlak"), QStringLiteral("Istek")};
    columns << requestPhoneFields();
    RowStream rows(db, *statement, columns);
    while (rows.next()) {
        Customer customer{.key = rows.integer(0), .name = rows.text(1), .phones = {}, .kind = rows.text(2),
                          .wish = rows.text(3)};
        for (int phone = 4; phone < columns.size(); ++phone) {
            const QString number = rows.text(phone);
            if (holdsNumber(number))
                customer.phones << number;
        }
        found << customer;
    }
    return found;
}

} // namespace Matching
