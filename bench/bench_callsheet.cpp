// Times the call sheet over bench_engine's store (100,000 listings per
// register, 10,000 requests), under "Tümüne Göre" and "Semt ve Fiyata Göre":
//
// - making it: every request matched as the bulk comparison matches them,
//   every phone read, each listing marked from the showings (a thousand
//   customers shown three listings each) and from the criterion's last
//   sheet; beside bare SQLite running the very statements the engine ran
//   (recorded on its connection with their values, replayed on a connection
//   of its own, each prepared once, every row and column read);
// - remembering it in the store (one transaction), beside the same
//   statements replayed bare;
// - laying out every page and writing the PDF, which has no bare twin.
//
//   bench_callsheet [data-folder] [--criterion 3] [--only made]     (default: ./bench-data)
//
// A missing store is made first by running bench_engine from the same folder.

#include "benchsupport.h"
#include "matching/callsheet.h"
#include "platform/engine/sqliteengine.h"
#include "platform/reporting/report.h"
#include "matching/callsheetreport.h"

#include <QApplication>
#include <QBuffer>

namespace {

constexpr int Runs = 5;

QStringList notes;

// The first thousand customers on the sheet each shown three of the listings
// it found for them, on days over the last two months, as the showing logs
// would tell; and as many showings of listings the sheet does not list.
CallSheet::ShownByRequest someShowings(const CallSheet::Sheet& sheet)
{
    CallSheet::ShownByRequest shown;
    int n = 0;
    for (const CallSheet::Customer& customer : sheet.customers.mid(0, 1000)) {
        QVector<CallSheet::Shown>& own = shown[customer.request];
        for (int i = 0; i < 3 && i < customer.listings.size(); ++i, ++n) {
            const CallSheet::Listing& listing = customer.listings.at(i * customer.listings.size() / 3);
            own.append({Matching::rule(listing.where).table, listing.key, QDate(2026, 12, 1).addDays(-(n % 60))});
            own.append({QStringLiteral("arsa"), qint64(1 + (n * 7919) % 100000), QDate(2026, 11, 1)});
        }
    }
    return shown;
}

// remember() as bare SQLite does it: the same statements in one
// transaction, the pairs given ready in the order the sheet holds them.
struct BarePair {
    qint64 request;
    QByteArray table;
    qint64 key;
};

void rememberBare(sqlite3* db, const QByteArray& criterion, const QByteArray& madeAt, const std::vector<BarePair>& pairs)
{
    bench::exec(db, "BEGIN IMMEDIATE");
    const auto once = [&](const char* sql, const std::function<void(sqlite3_stmt*)>& bind) {
        sqlite3_stmt* stmt = bench::prepare(db, sql);
        bind(stmt);
        bench::nextRow(stmt);
        sqlite3_finalize(stmt);
    };
    const auto byCriterion = [&](sqlite3_stmt* stmt) {
        sqlite3_bind_text(stmt, 1, criterion.constData(), int(criterion.size()), SQLITE_STATIC);
    };
    once("DELETE FROM \"karsilastirmaizi\" WHERE \"KarsilastirmaNo\" IN (SELECT \"No\" FROM \"karsilastirmalar\" "
         "WHERE \"Olcut\" = ?)",
         byCriterion);
    once("DELETE FROM \"karsilastirmalar\" WHERE \"Olcut\" = ?", byCriterion);
    once("INSERT INTO \"karsilastirmalar\" (\"Olcut\", \"Tarih\") VALUES (?, ?)", [&](sqlite3_stmt* stmt) {
        byCriterion(stmt);
        sqlite3_bind_text(stmt, 2, madeAt.constData(), int(madeAt.size()), SQLITE_STATIC);
    });
    const qint64 run = sqlite3_last_insert_rowid(db);
    constexpr size_t PerStatement = 200;
    const auto statementFor = [&](size_t rows) {
        QByteArray sql = "INSERT INTO \"karsilastirmaizi\" (\"KarsilastirmaNo\", \"TalepNo\", \"IlanKayit\", "
                         "\"IlanNo\") VALUES ";
        for (size_t i = 0; i < rows; ++i)
            sql += i ? ", (?, ?, ?, ?)" : "(?, ?, ?, ?)";
        return bench::prepare(db, sql);
    };
    sqlite3_stmt* full = statementFor(PerStatement);
    for (size_t first = 0; first < pairs.size(); first += PerStatement) {
        const size_t rows = std::min(PerStatement, pairs.size() - first);
        sqlite3_stmt* stmt = rows == PerStatement ? full : statementFor(rows);
        for (size_t i = 0; i < rows; ++i) {
            const BarePair& pair = pairs[first + i];
            const int at = int(i) * 4;
            sqlite3_bind_int64(stmt, at + 1, run);
            sqlite3_bind_int64(stmt, at + 2, pair.request);
            sqlite3_bind_text(stmt, at + 3, pair.table.constData(), int(pair.table.size()), SQLITE_STATIC);
            sqlite3_bind_int64(stmt, at + 4, pair.key);
        }
        bench::nextRow(stmt);
        sqlite3_reset(stmt);
        if (stmt != full)
            sqlite3_finalize(stmt);
    }
    sqlite3_finalize(full);
    bench::exec(db, "COMMIT");
}

void callSheetRows(bench::Store& store, int criterion, const bench::Arguments& args)
{
    Database& db = *store.db;
    const QString item = Matching::criteria().at(criterion).item;
    const Statement requests(QStringLiteral("musteritalepleri"));
    // The criterion's last sheet, so that the marks compare with one, and
    // the showings of some of what it found.
    CallSheet::Sheet sheet = CallSheet::run(db, criterion, requests, {});
    const CallSheet::ShownByRequest shown = someShowings(sheet);

    const bench::Replayed made = bench::alternateReplayed(
        Runs, db.sqlite()->handle(), store.bare,
        {[&](int) { sheet = CallSheet::make(db, criterion, requests, shown); }});
    if (bench::reportReplayed(QStringLiteral("call sheet of 10,000 requests, \"%1\", made").arg(item), Runs, made))
        bench::printNote(QStringLiteral("%1 customers, %2 listings (%3 shown before, %4 new)%5")
                             .arg(sheet.customers.size())
                             .arg(sheet.listings)
                             .arg(sheet.shownListings)
                             .arg(sheet.newListings)
                             .arg(sheet.full ? QStringLiteral(", full at the sheet's capacity") : QString()));
    bench::checksum += quint64(sheet.listings + sheet.shownListings);

    if (!args.wants("remember"))
        return;
    std::vector<BarePair> pairs;
    for (const CallSheet::Customer& customer : sheet.customers)
        for (const CallSheet::Listing& listing : customer.listings)
            pairs.push_back({customer.request, Matching::rule(listing.where).table.toUtf8(), listing.key});
    const QByteArray madeAt = sheet.madeAt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toUtf8();
    const bench::TwinTimes remembered = bench::alternate(
        Runs, {[&](int) { CallSheet::remember(db, sheet); }},
        {[&](int) { rememberBare(store.bareConnection.get(), item.toUtf8(), madeAt, pairs); }});
    bench::report(QStringLiteral("  remembered in the store (%1 pairs)").arg(pairs.size()), Runs, remembered);

    int pages = 0;
    qint64 bytes = 0;
    const double printed = bench::medianMs(Runs, {[&](int) {
        auto report = CallSheet::makeReport(sheet);
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        if (report->writePdf(pdf) != reporting::Report::Outcome::Done)
            throw DataError(QStringLiteral("the call sheet's PDF was not written"));
        pages = report->pagesLaidOut();
        bytes = pdf.size();
    }});
    bench::reportNoTwin(QStringLiteral("  every page laid out and written as PDF"), Runs, printed);
    bench::printNote(QStringLiteral("%1 pages, %2 kB of PDF").arg(pages).arg(bytes / 1024));
}

int run(const bench::Arguments& args)
{
    bench::Store store(args.folder);
    std::printf("Store: %s, SQLite %s; median of %d runs after one warm-up run, in turns\n\n", qPrintable(store.path),
                sqlite3_libversion(), Runs);
    bench::printHeader();
    for (const int criterion : {Matching::ByAll, 3 /* "Semt ve Fiyata Göre" */})
        if (args.option("criterion").isEmpty() || args.option("criterion").toInt() == criterion)
            callSheetRows(store, criterion, args);
    return bench::printWarningsAndSummary(notes);
}

} // namespace

int main(int argc, char** argv)
{
    bench::offscreenUnlessAsked();
    QApplication app(argc, argv); // the PDF is drawn with the program's fonts
    bench::quietOffscreenPlatform();
    const bench::Arguments args = bench::arguments(app.arguments(), QStringLiteral("bench-data"));
    return bench::runReportingFailure("bench_callsheet", [&] { return run(args); });
}
