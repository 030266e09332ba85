#include "matching/callsheet.h"

#include "data/catalogue.h"
#include "matching/listingcustomers.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/rowstream.h"
#include "platform/system/clock.h"

#include <QLocale>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace CallSheet {

using namespace Matching;

namespace {

namespace T = Catalogue::ComparisonTrail;

const QString TimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

// A listing of one register by its key, as a set member.
qint64 listingId(Register where, qint64 key)
{
    return key * RegisterCount + qint64(where);
}
using Pair = QPair<qint64, qint64>; // request, listingId

// The columns read of a listing, by place.
enum ListingColumn { Key, District, Area, Price, Address, Kind /* where the line ends with it */ };

QStringList listingColumns(Register where, const TableSchema& table)
{
    const RegisterRule& r = rule(where);
    QStringList columns{QStringLiteral("No"), r.districtField, QStringLiteral("Metre2"), QStringLiteral("Fiyati"),
                        QStringLiteral("Adres")};
    if (r.lineEndsWithKind)
        columns << QStringLiteral("Emlak");
    // Read with the amount, so that the price reads in the listing's own currency.
    const FieldSchema* price = table.field(QStringLiteral("Fiyati"));
    if (price && !price->currencyField.isEmpty())
        columns << price->currencyField;
    return columns;
}

// What a register's comparison-list line ends with, as the listing's kind
// where the line does not end with its Emlak: "Kiralık Daire", "Arsa ve Arazi".
QString fixedKind(Register where)
{
    return rule(where).lineEnding.section(QLatin1Char(':'), 1).trimmed();
}

QString firstLine(QString text)
{
    if (const qsizetype end = text.indexOf(QLatin1Char('\n')); end >= 0)
        text.truncate(end);
    return std::move(text).trimmed();
}

QString amount(const QVariant& value)
{
    const double v = value.toDouble();
    return QLocale().toString(v, 'f', v == std::floor(v) ? 0 : 2);
}

QString range(const QVariant& low, const QVariant& high, const QString& unit)
{
    if (low.isNull() && high.isNull())
        return {};
    const QString from = low.isNull() ? QStringLiteral("…") : amount(low);
    const QString to = high.isNull() ? QStringLiteral("…") : amount(high);
    QString text = from == to ? from : from + QStringLiteral(" – ") + to;
    if (!unit.isEmpty())
        text += QLatin1Char(' ') + unit;
    return text;
}

// The criterion's remembered sheet: when it was made, and what it listed.
struct Previous {
    qint64 run = -1;
    QDateTime madeAt;
    QSet<Pair> pairs;
};

Previous previousOf(Database& store, int criterion)
{
    Previous previous;
    store.select(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ? ORDER BY %1 DESC")
                     .arg(Database::quoted(QStringLiteral("No")), Database::quoted(T::RunTime),
                          Database::quoted(T::Runs), Database::quoted(T::RunCriterion)),
                 {criteria().at(criterion).item}, [&](const SqlStatement& row) {
                     if (previous.run >= 0)
                         return;
                     previous.run = row.integer(0);
                     previous.madeAt = QDateTime::fromString(row.text(1), TimeFormat);
                 });
    if (previous.run < 0)
        return previous;
    store.select(QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %5 = ?")
                     .arg(Database::quoted(T::PairRequest), Database::quoted(T::PairRegister),
                          Database::quoted(T::PairListing), Database::quoted(T::Pairs), Database::quoted(T::PairRun)),
                 {previous.run}, [&](const SqlStatement& row) {
                     if (const auto where = registerOf(row.text(1)))
                         previous.pairs.insert({row.integer(0), listingId(*where, row.integer(2))});
                 });
    return previous;
}

// The earlier sheet's pairs for the requests after the last one on sheet.
struct Kept {
    qint64 request;
    QString table;
    qint64 key;
};
QVector<Kept> keptBeyond(Database& store, const Sheet& sheet)
{
    QVector<Kept> kept;
    store.select(QStringLiteral("SELECT p.%1, p.%2, p.%3 FROM %4 p JOIN %5 r ON r.%6 = p.%7 WHERE r.%8 = ? AND p.%1 > ?")
                     .arg(Database::quoted(T::PairRequest), Database::quoted(T::PairRegister),
                          Database::quoted(T::PairListing), Database::quoted(T::Pairs), Database::quoted(T::Runs),
                          Database::quoted(QStringLiteral("No")), Database::quoted(T::PairRun),
                          Database::quoted(T::RunCriterion)),
                 {criteria().at(sheet.criterion).item, sheet.lastRequestRead},
                 [&](const SqlStatement& row) { kept.append({row.integer(0), row.text(1), row.integer(2)}); });
    return kept;
}

} // namespace

QString wantsLine(const Request& request, const QString& currency)
{
    QString deal = request.wish;
    if (deal == u"Kiralanmadı")
        deal = QStringLiteral("Kiralık");
    else if (deal == u"Satılmadı")
        deal = QStringLiteral("Satılık");
    QStringList parts;
    const QString what = QStringList{deal, request.kind}.join(QLatin1Char(' ')).trimmed();
    for (const QString& part : {what, request.district, range(request.lowestPrice, request.highestPrice, currency),
                                range(request.smallestArea, request.largestArea, QStringLiteral("m²"))})
        if (!part.isEmpty())
            parts << part;
    return parts.join(QStringLiteral(" · "));
}

Sheet make(Database& store, int criterion, const Statement& requests, const ShownByRequest& shown,
           const KeepGoing& keepGoing, int capacity)
{
    Sheet sheet;
    sheet.criterion = criterion;
    sheet.madeAt = systemClock().now();
    if (!requests.isValid() || criterion < 0 || criterion >= CriterionCount)
        return sheet;
    const Previous previous = previousOf(store, criterion);
    sheet.previousRun = previous.madeAt;

    QStringList requestColumns = requestFields(); // the key first, then what the matching reads
    requestColumns << QStringLiteral("Döviz");
    for (const QString& phone : requestPhoneFields())
        if (!requestColumns.contains(phone))
            requestColumns << phone;
    RowStream walk(store, requests, requestColumns, RowStream::Order::ByKey);
    {
        QString sql = QStringLiteral("SELECT count(*) FROM ") + Database::quoted(store.table(requests.table()).name);
        if (!requests.condition().isEmpty())
            sql += QStringLiteral(" WHERE ") + requests.condition();
        store.select(sql, requests.values(), [&](const SqlStatement& row) { sheet.requestsTotal = int(row.integer(0)); });
    }
    QVector<int> phoneColumns;
    for (const QString& phone : requestPhoneFields())
        phoneColumns << int(requestColumns.indexOf(phone));
    const int currencyColumn = int(requestColumns.indexOf(QStringLiteral("Döviz")));

    // One statement per register for the whole run, bound afresh for each
    // request, as the bulk comparison runs them.
    std::array<std::optional<RowStream>, RegisterCount> streams;
    while (walk.next()) {
        ++sheet.requestsRead;
        const Request request = readRequest(walk);
        Customer customer;
        customer.request = walk.integer(0);
        customer.name = request.name;
        for (const int column : phoneColumns) {
            const QString number = walk.text(column);
            if (holdsNumber(number))
                customer.phones << number;
        }
        customer.wants = wantsLine(request, walk.text(currencyColumn));

        // The newest showing of each listing this customer was shown.
        QHash<qint64, const Shown*> shownHere;
        if (const auto found = shown.constFind(customer.request); found != shown.cend())
            for (const Shown& s : *found) {
                const auto where = registerOf(s.registerTable);
                if (!where)
                    continue;
                const Shown*& newest = shownHere[listingId(*where, s.key)];
                if (!newest || (s.date.isValid() && (!newest->date.isValid() || s.date > newest->date)))
                    newest = &s;
            }

        for (const Register where : registersFor(request, criterion, Scope::Bulk)) {
            const Statement statement = statementFor(where, request, criterion);
            std::optional<RowStream>& stream = streams[size_t(where)];
            if (!stream)
                stream.emplace(store, statement, listingColumns(where, store.table(rule(where).table)));
            RowStream& listings = *stream;
            listings.rerun(statement.values());
            const bool kindRead = rule(where).lineEndsWithKind;
            const QString kind = kindRead ? QString() : fixedKind(where);
            while (listings.next()) {
                Listing listing;
                listing.where = where;
                listing.key = listings.integer(Key);
                listing.district = listings.text(District);
                listing.area = listings.text(Area);
                listing.price = listings.isNull(Price) ? QString() : listings.displayText(Price);
                listing.address = firstLine(listings.text(Address));
                listing.kind = kindRead ? listings.text(Kind) : kind;
                const qint64 id = listingId(where, listing.key);
                if (const Shown* s = shownHere.value(id)) {
                    listing.shown = true;
                    listing.shownOn = s->date;
                    ++sheet.shownListings;
                }
                listing.isNew = previous.run >= 0 && !previous.pairs.contains({customer.request, id});
                sheet.newListings += listing.isNew ? 1 : 0;
                customer.listings << listing;
            }
        }
        if (sheet.listings + customer.listings.size() > capacity) {
            --sheet.requestsRead;
            sheet.newListings -= int(std::count_if(customer.listings.cbegin(), customer.listings.cend(),
                                                   [](const Listing& l) { return l.isNew; }));
            sheet.shownListings -= int(std::count_if(customer.listings.cbegin(), customer.listings.cend(),
                                                     [](const Listing& l) { return l.shown; }));
            sheet.full = true;
            break;
        }
        sheet.listings += int(customer.listings.size());
        sheet.lastRequestRead = customer.request;
        if (!customer.listings.isEmpty())
            sheet.customers << std::move(customer);
        if (keepGoing && !keepGoing(sheet.requestsRead, sheet.requestsTotal)) {
            sheet.cancelled = sheet.requestsRead < sheet.requestsTotal;
            if (sheet.cancelled)
                break;
        }
    }
    return sheet;
}

void remember(Database& store, const Sheet& sheet)
{
    if (sheet.cancelled || sheet.criterion < 0 || sheet.criterion >= CriterionCount)
        return;
    const QString criterion = criteria().at(sheet.criterion).item;
    const QString no = Database::quoted(QStringLiteral("No"));
    // Read before the earlier sheet is deleted.
    const QVector<Kept> beyond = sheet.full ? keptBeyond(store, sheet) : QVector<Kept>{};
    store.inTransaction([&] {
        // The criterion's earlier sheets go; this one takes their place.
        store.execute(QStringLiteral("DELETE FROM %1 WHERE %2 IN (SELECT %3 FROM %4 WHERE %5 = ?)")
                          .arg(Database::quoted(T::Pairs), Database::quoted(T::PairRun), no, Database::quoted(T::Runs),
                               Database::quoted(T::RunCriterion)),
                      {criterion});
        store.execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                          .arg(Database::quoted(T::Runs), Database::quoted(T::RunCriterion)),
                      {criterion});
        store.execute(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                          .arg(Database::quoted(T::Runs), Database::quoted(T::RunCriterion), Database::quoted(T::RunTime)),
                      {criterion, sheet.madeAt.toString(TimeFormat)});
        const qint64 run = store.lastInsertKey();

        // Many rows to a statement: a server answers each statement over the
        // network, and a sheet lists tens of thousands of pairs.
        constexpr int RowsPerStatement = 200;
        const QString head = QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5) VALUES ")
                                 .arg(Database::quoted(T::Pairs), Database::quoted(T::PairRun),
                                      Database::quoted(T::PairRequest), Database::quoted(T::PairRegister),
                                      Database::quoted(T::PairListing));
        QVariantList values;
        int rows = 0;
        const auto flush = [&] {
            if (rows == 0)
                return;
            QStringList marks(rows, QStringLiteral("(?, ?, ?, ?)"));
            store.execute(head + marks.join(QStringLiteral(", ")), values);
            values.clear();
            rows = 0;
        };
        const auto add = [&](qint64 request, const QString& table, qint64 key) {
            values << run << request << table << key;
            if (++rows == RowsPerStatement)
                flush();
        };
        for (const Customer& customer : sheet.customers)
            for (const Listing& listing : customer.listings)
                add(customer.request, rule(listing.where).table, listing.key);
        // A full sheet stopped short: the requests it did not reach keep what
        // the earlier sheet listed for them.
        for (const Kept& kept : beyond)
            add(kept.request, kept.table, kept.key);
        flush();
    });
}

Sheet run(Database& store, int criterion, const Statement& requests, const ShownByRequest& shown,
          const KeepGoing& keepGoing, int capacity)
{
    Sheet sheet = make(store, criterion, requests, shown, keepGoing, capacity);
    remember(store, sheet);
    return sheet;
}

} // namespace CallSheet
