// Times what the matching tells beside its exact result, on bench_engine's
// store (100,000 listings per register, 10,000 requests):
//
// - the customers for one listing (the matching turned round) over the
//   10,000 requests, under each criterion: at most 5 ms, and beside bare
//   SQLite running the very statements the engine ran (recorded on its
//   connection with their values, replayed on a connection of its own, each
//   prepared once, every row and column read);
// - the near misses of one request (margin 10%) against the exact match of
//   the same request read to its end, every row's shown values read (the
//   near misses read theirs and spell their marks only when shown), summed
//   over a set of requests: at most twice the exact match.
//
//   bench_matchassistant [data-folder]     (default: ./bench-data)

#include "benchsupport.h"
#include "matching/listingcustomers.h"
#include "matching/nearmisses.h"
#include "platform/engine/rowstream.h"
#include "platform/engine/sqliteengine.h"

#include <QCoreApplication>

namespace {

constexpr int Runs = 30;
constexpr double CustomersLimitMs = 5.0;
constexpr int RequestsTimed = 40;

QStringList notes;

// Available listings of the register spread over it, as the reverse match reads them.
QList<Matching::ListingValues> someListings(Database& db, Matching::Register where, int count)
{
    const Matching::RegisterRule& r = Matching::rule(where);
    QStringList columns{r.districtField, QStringLiteral("Durum"), QStringLiteral("Fiyati"), QStringLiteral("Metre2")};
    if (r.byKind)
        columns << QStringLiteral("Emlak");
    QList<Matching::ListingValues> all;
    RowStream rows(db, Matching::wholeRegister(where), columns);
    int n = 0;
    // Only listings some request can want: the others cost nothing to answer.
    while (rows.next() && all.size() < count)
        if (n++ % 997 == 0 && (r.availableStatus.isEmpty() || rows.text(1) == r.availableStatus)) {
            const Matching::ListingValues listing = Matching::readListing(where, rows);
            if (Matching::customersStatement(listing, Matching::ByAll))
                all << listing;
        }
    return all;
}

// Requests with both bounds given, of the kinds and wishes that pick a register.
QList<Matching::Request> someRequests(Database& db, int count)
{
    QList<Matching::Request> picked;
    RowStream rows(db, Statement(QStringLiteral("musteritalepleri")), Matching::requestFields());
    while (rows.next() && picked.size() < count) {
        const Matching::Request request = Matching::readRequest(rows);
        if (!Matching::registersFor(request, Matching::ByAll, Matching::Scope::OneRequest).isEmpty()
            && !request.lowestPrice.isNull() && !request.highestPrice.isNull() && !request.smallestArea.isNull()
            && !request.largestArea.isNull())
            picked << request;
    }
    return picked;
}

void customersRows(Database& db, bench::BareStatements& bare)
{
    using Matching::Register;
    for (const Register where : {Register::RentalFlats, Register::SaleProperties, Register::Land}) {
        const QList<Matching::ListingValues> listings = someListings(db, where, 25);
        if (listings.isEmpty()) {
            notes << QStringLiteral("WARNING: no available listing in %1").arg(Matching::rule(where).table);
            continue;
        }
        for (int criterion = 0; criterion < Matching::CriterionCount; ++criterion) {
            qint64 found = 0;
            const bench::Replayed twin = bench::alternateReplayed(
                Runs, db.sqlite()->handle(), bare, {[&](int run) {
                    found += Matching::customersFor(db, listings.at(run % listings.size()), criterion).size();
                }});
            const QString operation = QStringLiteral("customers for a listing of %1, \"%2\"")
                                          .arg(Matching::rule(where).table, Matching::criteria().at(criterion).item);
            if (bench::reportReplayed(operation, Runs, twin))
                bench::reportLimit(QStringLiteral("  the same, against %1 ms").arg(CustomersLimitMs), Runs,
                                   twin.times.engine, CustomersLimitMs);
            bench::printNote(QStringLiteral("%1 requests found over %2 runs").arg(found).arg(Runs + 1));
            bench::checksum += quint64(found);
        }
    }
}

void nearMissRows(Database& db)
{
    const QList<Matching::Request> requests = someRequests(db, RequestsTimed);
    if (requests.isEmpty()) {
        notes << QStringLiteral("WARNING: no request with all four bounds");
        return;
    }
    for (int criterion = 1; criterion < Matching::CriterionCount; ++criterion) {
        qint64 exactRows = 0, nearRows = 0;
        quint64 exactValues = 0;
        const bench::Side exact{[&](int) {
            for (const Matching::Request& request : requests)
                for (const Matching::Register id :
                     Matching::registersFor(request, criterion, Matching::Scope::OneRequest)) {
                    RowStream rows(db, Matching::statementFor(id, request, criterion), Matching::listingLineFields(id));
                    // Each row's values read, as the near side reads those of its rows.
                    while (rows.next()) {
                        ++exactRows;
                        for (int c = 0; c < rows.columnCount(); ++c)
                            exactValues += rows.field(c).isNumeric() ? quint64(rows.number(c)) : quint64(rows.utf8(c).size());
                    }
                }
        }};
        const bench::Side near{[&](int) {
            for (const Matching::Request& request : requests)
                nearRows += Matching::nearMisses(db, request, criterion).size();
        }};
        const bench::TwinTimes times = bench::alternate(Runs, near, exact);
        bench::reportWithin(QStringLiteral("near misses of %1 requests, \"%2\"")
                                .arg(requests.size())
                                .arg(Matching::criteria().at(criterion).item),
                            Runs, times.engine, 2 * times.bare, QStringLiteral("<=2x exact"));
        bench::printNote(QStringLiteral("exact match read to its end: %1 ms; %2 exact rows, %3 near misses per run")
                             .arg(times.bare, 0, 'f', 2)
                             .arg(exactRows / (Runs + 1))
                             .arg(nearRows / (Runs + 1)));
        bench::checksum += quint64(exactRows + nearRows) + exactValues;
    }
}

int run(const bench::Arguments& args)
{
    bench::Store store(args.folder);
    Database& db = *store.db;
    std::printf("Store: %s, SQLite %s; median of %d runs after one warm-up run, in turns\n\n", qPrintable(store.path),
                sqlite3_libversion(), Runs);
    bench::printHeader();
    if (args.only.isEmpty() || args.only == QLatin1String("customers"))
        customersRows(db, store.bare);
    if (args.only.isEmpty() || args.only == QLatin1String("near"))
        nearMissRows(db);
    return bench::printWarningsAndSummary(notes);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bench::Arguments args = bench::arguments(app.arguments(), QStringLiteral("bench-data"));
    return bench::runReportingFailure("bench_matchassistant", [&] { return run(args); });
}
