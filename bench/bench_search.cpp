// Times the search screens from "Bul" to the first page of the result (the
// statement built from the criteria, the query opened, the first page read
// as a grid reads it) for every search option of the rental flat list and of
// the request list, and a list shown again, on the benchmark store of
// bench_engine. The bare twin is bare SQLite running the very statements the
// engine ran (recorded on the engine's connection through SQLite's trace,
// with the values they were bound with), each prepared once, stepped through
// the same rows; the two take turns run by run.
//
// Under each search, an "ideal" figure for reference: the same first page
// read by a hand-written statement through the index that serves its
// criteria best. The plans of the engine's statements follow the table, a
// statement that scans a table, sorts for ORDER BY or walks the table by key
// while checking its criteria row by row marked SLOW.
//
//   bench_search [data-folder] [--only rental|requests|shown|plans]   (default: ./bench-data)
//
// --only plans prints every search statement's plan and times nothing.
// A missing store is made first by running bench_engine from the same folder.

#include "benchsupport.h"
#include "kit/screens.h"
#include "data/catalogue.h"
#include "platform/controls/lookupcombobox.h"
#include "platform/engine/database.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"
#include "search/listingsearch.h"
#include "search/requestlist.h"
#include "search/searchscreens.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int Runs = 20;
constexpr int IdealTrials = 5; // runs per candidate index when picking the ideal's

QStringList notes;
QStringList slowPlans;

// The first page as a grid reads it: its rows, every field.
void readFirstPage(const Query& query)
{
    bench::readRows(query, Dataset::RowsPerPage);
}

// --- one search ---------------------------------------------------------------

struct Search {
    SearchScreen* screen;
    QString table;
    QString name; // "RentalFlatList 3 Semt ve Fiyata Göre + Durum"
    int option;
    std::function<void(int run)> fillCriteria;
};

void prepareRun(const Search& search, int run)
{
    search.fillCriteria(run);
    search.screen->selectOption(search.option);
    QCoreApplication::processEvents();
}

void pressFind(const Search& search)
{
    search.screen->find();
    readFirstPage(*search.screen->query());
}

// The statements "Bul" runs for run 1's criteria, as the engine ran them.
bench::Script recordedSearch(const Search& search, Database& db)
{
    prepareRun(search, 1);
    return bench::record(db.sqlite()->handle(), [&] { pressFind(search); });
}

// The plan of every statement of the search, with a SLOW mark where it does
// not read through an index.
void notePlans(const Search& search, Database& db, bench::BareStatements& bare, bool print)
{
    const bench::Script script = recordedSearch(search, db);
    const QString condition = search.screen->query()->statement().condition();
    if (print)
        std::printf("\n  %s  (%s)\n", qPrintable(search.name), qPrintable(condition));
    for (const QByteArray& sql : bench::statementTexts(script)) {
        const QString plan = bench::planOf(bare.database(), sql);
        const QString slow = bench::slowness(plan, !condition.isEmpty() && QString::fromUtf8(sql).contains(condition));
        if (!slow.isEmpty())
            slowPlans << QStringLiteral("%1: %2  [%3]").arg(search.name, slow, bench::shortSql(sql));
        if (print) {
            std::printf("    %s\n", qPrintable(bench::shortSql(sql)));
            std::printf("      plan: %s%s\n", qPrintable(plan),
                        slow.isEmpty() ? "" : qPrintable(QStringLiteral("\n      SLOW: ") + slow));
        }
    }
}

// The ideal for reference: the same first page (the first rows in key order
// of what the criteria select, the engine's page columns) read by one
// hand-written statement that finds the keys through an index and reads only
// those rows; of the table's indexes on a criterion's column (and SQLite's
// own pick) the fastest.
void noteIdeal(const Search& search, bench::BareStatements& bare, const bench::Script& run1,
               const std::vector<Statement>& statements, double engineMs)
{
    // The engine's page read is the statement of run 1 that read the most rows.
    const auto page = std::max_element(run1.begin(), run1.end(), [](const auto& a, const auto& b) {
        return a.rows < b.rows;
    });
    if (page == run1.end() || page->rows == 0) {
        bench::printNote(QStringLiteral("ideal: no rows to read"));
        return;
    }
    const QString pageSql = QString::fromUtf8(page->sql);
    const QString select = pageSql.left(pageSql.indexOf(QStringLiteral(" FROM ")));
    const QString table = Database::quoted(search.table);

    // Each run's criteria as the engine bound them.
    std::vector<std::vector<bench::BoundValue>> values;
    const QString condition = statements.front().condition();
    for (const Statement& statement : statements) {
        std::vector<bench::BoundValue> bound;
        for (const QVariant& value : statement.values())
            bound.push_back(bench::boundValue(value));
        values.push_back(std::move(bound));
    }

    QStringList candidates{QString()}; // QString(): SQLite's own choice
    {
        sqlite3_stmt* list = bare(QByteArray("SELECT name FROM pragma_index_list(?)"));
        const QByteArray name = search.table.toUtf8();
        sqlite3_bind_text(list, 1, name.constData(), int(name.size()), SQLITE_STATIC);
        while (sqlite3_step(list) == SQLITE_ROW) {
            const QString index = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
            sqlite3_stmt* first = bare(QByteArray("SELECT name FROM pragma_index_info(?) WHERE seqno = 0"));
            const QByteArray indexName = index.toUtf8();
            sqlite3_bind_text(first, 1, indexName.constData(), int(indexName.size()), SQLITE_STATIC);
            if (sqlite3_step(first) == SQLITE_ROW) {
                const QString column = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(first, 0)));
                if (condition.contains(column))
                    candidates << index;
            }
            sqlite3_reset(first);
        }
        sqlite3_reset(list);
    }
    const auto idealSql = [&](const QString& index) {
        return QStringLiteral("%1 FROM %2 WHERE rowid IN (SELECT rowid FROM %2%3 WHERE %4 ORDER BY rowid LIMIT %5) "
                              "ORDER BY rowid")
            .arg(select, table,
                 index.isEmpty() ? QString() : QStringLiteral(" INDEXED BY ") + Database::quoted(index), condition)
            .arg(page->rows)
            .toUtf8();
    };
    const auto readIdeal = [&](const QByteArray& sql, int run, std::vector<quint64>* rows) {
        sqlite3_stmt* stmt = bare(sql);
        for (size_t v = 0; v < values[size_t(run)].size(); ++v)
            bench::bindValue(stmt, int(v) + 1, values[size_t(run)][v]);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            bench::readColumns(stmt);
            if (rows)
                rows->push_back(bench::rowHash(stmt));
        }
        sqlite3_reset(stmt);
    };
    QString best;
    double bestMs = -1;
    for (const QString& index : candidates) {
        const QByteArray sql = idealSql(index);
        try {
            bare(sql);
        } catch (const DataError&) {
            continue; // an index SQLite cannot use for these criteria
        }
        const double ms = bench::medianMs(IdealTrials, bench::Side{[&](int run) { readIdeal(sql, run, nullptr); }});
        if (bestMs < 0 || ms < bestMs) {
            bestMs = ms;
            best = index;
        }
    }
    const QByteArray sql = idealSql(best);
    const double ms = bench::medianMs(Runs, bench::Side{[&](int run) { readIdeal(sql, run, nullptr); }});
    std::vector<quint64> rows;
    readIdeal(sql, 1, &rows);
    if (rows != std::vector<quint64>(page->rowHashes.begin(), page->rowHashes.begin() + page->rows))
        notes << QStringLiteral("WARNING: %1: the ideal statement reads other rows than the engine's page").arg(search.name);
    const QString plan = bench::planOf(bare.database(), sql);
    const QString through = best.isEmpty() ? QStringLiteral("SQLite's own choice of index") : QStringLiteral("index ") + best;
    bench::printNote(QStringLiteral("ideal (hand-written, for reference): the same %1 rows, keys through %2%3: %4 ms; "
                                    "engine %5x of it")
                         .arg(page->rows)
                         .arg(through,
                              plan.contains(QLatin1String("COVERING INDEX")) ? QStringLiteral(" (covering)")
                                                                             : QStringLiteral(" (not covering)"))
                         .arg(ms, 0, 'f', 4)
                         .arg(engineMs / ms, 0, 'f', 2));
}

void measureSearch(const Search& search, Database& db, bench::BareStatements& bare)
{
    const bench::Side engine{[&](int) { pressFind(search); }, [&](int run) { prepareRun(search, run); }};
    const bench::Replayed twin = bench::alternateReplayed(Runs, db.sqlite()->handle(), bare, engine);
    if (!bench::reportReplayed(search.name, Runs, twin))
        return;
    const bench::Script& run1 = twin.scripts[1];
    int rows = 0;
    for (const bench::RecordedStatement& ran : run1)
        rows += ran.rows;
    // Each run's statement as "Bul" built it.
    std::vector<Statement> statements;
    for (int run = 0; run <= Runs; ++run) {
        prepareRun(search, run);
        search.screen->find();
        statements.push_back(search.screen->query()->statement());
    }
    // How many rows the criteria select, counted once for the note.
    const Statement& statement = statements[1];
    qint64 matching = 0;
    db.select(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(Database::quoted(search.table), statement.condition()),
              statement.values(), [&](const SqlStatement& row) { matching = row.integer(0); });
    bench::printNote(QStringLiteral("%1 rows match (run 1); the engine ran %2 statements (%3 distinct), %4 rows read")
                         .arg(matching)
                         .arg(run1.size())
                         .arg(bench::statementTexts(run1).size())
                         .arg(rows));
    // Where the engine's time goes: its query alone, over the same statement, no screen.
    std::unique_ptr<Query> alone;
    const double query = bench::medianMs(Runs, {[&](int run) {
                                                    alone = std::make_unique<Query>(db);
                                                    alone->setStatement(statements[size_t(run)]);
                                                    alone->open();
                                                    readFirstPage(*alone);
                                                },
                                                [&](int) { alone.reset(); }});
    bench::printNote(QStringLiteral("the engine's query alone, same statements, first page (no twin): %1 ms; "
                                    "the screen adds %2 ms")
                         .arg(query, 0, 'f', 4)
                         .arg(twin.times.engine - query, 0, 'f', 4));
    noteIdeal(search, bare, run1, statements, twin.times.engine);
}

// --- the two screens ---------------------------------------------------------------

// The options timed: the seven, and three again with a status; on the
// rental list also the ranges again with narrow bands (a few hundred rows).
struct OptionUse {
    int option;
    bool status;
    bool narrow = false;
};
const QList<OptionUse> Uses{{0, false}, {1, false}, {2, false}, {3, false}, {4, false},
                            {5, false}, {6, false}, {0, true},  {1, true},  {6, true}};
const QList<OptionUse> NarrowUses{{1, false, true}, {2, false, true}, {3, false, true},
                                  {5, false, true}, {1, true, true}};

QStringList districtNames(Database& db)
{
    QStringList all;
    db.select(QStringLiteral("SELECT Semtler FROM semtler ORDER BY rowid"), {},
              [&](const SqlStatement& row) { all << row.text(0); });
    return all;
}

// A screen's searches, one per use of an option, each named
// "<screen> <option> <option's name>[ + Durum]" and filled by fillFor(use).
QList<Search> searchesOf(SearchScreen* s, const QString& table, const QString& screen, const QStringList& options,
                         const QList<OptionUse>& uses,
                         const std::function<std::function<void(int)>(const OptionUse&)>& fillFor)
{
    QList<Search> searches;
    for (const OptionUse& use : uses)
        searches << Search{s, table,
                           QStringLiteral("%1 %2 %3%4%5")
                               .arg(screen)
                               .arg(use.option)
                               .arg(options.at(use.option), use.status ? QStringLiteral(" + Durum") : QString(),
                                    use.narrow ? QStringLiteral(", narrow") : QString()),
                           use.option, fillFor(use)};
    return searches;
}

QList<Search> rentalSearches(ListingSearch* s, const QStringList& districts)
{
    // Price bands of 2,000 (about 4% of the rents), area bands of 30 m²
    // (about 8%), one district; each run other values. Narrow: price bands
    // of 100, areas of one square metre (a few hundred rows each).
    return searchesOf(s, QStringLiteral("kdgiris"), QStringLiteral("RentalFlatList"), ListingSearch::options(),
                      Uses + NarrowUses, [=](const OptionUse& use) {
                          return [=](int run) {
                              s->districtBox()->pick(districts.at((run * 7) % districts.size()));
                              const double low = 1000.0 + run * 2000.0;
                              s->lowerPrice()->setText(QString::number(low, 'f', 0));
                              s->upperPrice()->setText(QString::number(low + (use.narrow ? 100.0 : 2000.0), 'f', 0));
                              s->lowerArea()->setText(QString::number(40 + run * 15));
                              s->upperArea()->setText(QString::number(40 + run * 15 + (use.narrow ? 2 : 30)));
                              s->statusBox()->setEditText(use.status ? QStringLiteral("Kiralanmadı")
                                                                     : SearchScreen::allStatuses());
                          };
                      });
}

QList<Search> requestSearches(RequestList* s, const QStringList& districts)
{
    return searchesOf(s, QStringLiteral("musteritalepleri"), QStringLiteral("RequestList"), RequestList::options(),
                      Uses, [=](const OptionUse& use) {
                          return [=](int run) {
                              s->districtBox()->pick(districts.at((run * 7) % districts.size()));
                              s->price()->setText(QString::number(5000 + run * 2500)); // a rent most rental requests would pay
                              s->area()->setText(QString::number(60 + run * 10));
                              s->statusBox()->setEditText(use.status ? QStringLiteral("Bulamadı")
                                                                     : SearchScreen::allStatuses());
                          };
                      });
}

// A list re-runs its statement each time it is shown: the whole hide and show,
// with the first page read, for the whole register and for a search, the
// current row near the top (row 10) and at the very end (last row). The bare
// side hides and shows the same screen made over an empty store (what
// showing the window costs any Qt program) besides replaying the statements.
void measureShownAgain(Screens& screens, SearchScreen* s, const QStringList& districts, Database& db,
                       bench::BareStatements& bare, Screens& windowOnly)
{
    auto* bareWindow = windowOnly.get<SearchScreen>(s->objectName());
    struct Way {
        const char* what;
        std::function<void()> setUp;
    };
    const QList<Way> ways{
        {"whole register, row 10", [&] { s->showAll(); s->query()->moveTo(10); }},
        {"whole register, last row", [&] { s->showAll(); s->query()->last(); }},
        {"district search, row 10",
         [&] {
             s->districtBox()->pick(districts.at(3));
             s->selectOption(0);
             s->find();
             s->query()->moveTo(10);
         }},
        {"district search, last row",
         [&] {
             s->districtBox()->pick(districts.at(3));
             s->selectOption(0);
             s->find();
             s->query()->last();
         }},
    };
    for (const Way& way : ways) {
        way.setUp();
        screens.show(s->objectName());
        QCoreApplication::processEvents();
        const qint64 key = s->query()->isEmpty() ? -1 : s->query()->integer(QStringLiteral("No"));
        const bench::Side engine{[&](int) {
                                     s->close();
                                     screens.show(s->objectName());
                                     readFirstPage(*s->query());
                                 },
                                 [&](int) { QCoreApplication::processEvents(); }};
        const bench::Replayed twin = bench::alternateReplayed(
            Runs, db.sqlite()->handle(), bare, engine, {}, [&](int) { QCoreApplication::processEvents(); },
            [&](int) {
                bareWindow->close();
                windowOnly.show(bareWindow->objectName());
            });
        const QString name = QStringLiteral("%1 shown again: %2").arg(s->objectName(), QString::fromUtf8(way.what));
        if (!s->query()->isEmpty() && s->query()->integer(QStringLiteral("No")) != key)
            notes << QStringLiteral("WARNING: %1: the current row moved").arg(name);
        if (!bench::reportReplayed(name, Runs, twin))
            continue;
        bench::printNote(QStringLiteral("%1 rows; the engine ran %2 statements")
                             .arg(s->query()->recordCount())
                             .arg(twin.scripts[1].size()));
    }
    s->close();
    bareWindow->close();
}

int run(const bench::Arguments& args)
{
    bench::Store store(args.folder);
    const QString& path = store.path;
    const std::unique_ptr<Database>& db = store.db;
    bench::BareStatements& bare = store.bare;

    Screens screens(*db);
    screens.createAll(searchScreens());
    const QStringList districts = districtNames(*db);
    auto* rental = screens.get<ListingSearch>(QStringLiteral("RentalFlatList"));
    auto* requests = screens.get<RequestList>(QStringLiteral("RequestList"));
    const QList<Search> rentalRows = rentalSearches(rental, districts);
    const QList<Search> requestRows = requestSearches(requests, districts);

    if (args.only == QLatin1String("plans")) {
        std::printf("Plans of the statements \"Bul\" runs to the first page (run 1's criteria; EXPLAIN QUERY PLAN\n"
                    "on the bare connection). SLOW: the statement does not read through an index its criteria\n"
                    "can use.\n");
        for (const Search& search : rentalRows + requestRows)
            notePlans(search, *db, bare, true);
        std::printf("\n%lld of the statements SLOW\n", static_cast<long long>(slowPlans.size()));
        return 0;
    }

    std::printf("Store: %s, SQLite %s; median of %d runs after one warm-up run, engine and bare in turns\n",
                qPrintable(path), sqlite3_libversion(), Runs);
    std::printf("engine: \"Bul\" on the screen, the first page read as a grid reads it (%d rows, every field).\n"
                "bare: the statements the engine ran, recorded on its connection with their values, run on a\n"
                "connection of their own through SQLite's C interface, each prepared once, the same rows stepped\n"
                "and every column read. Each run other criteria.\n",
                Dataset::RowsPerPage);
    if (args.wants("rental")) {
        std::printf("\nRentalFlatList (kdgiris, 100,000 rows): bounds exclusive\n");
        bench::printHeader();
        for (const Search& search : rentalRows)
            measureSearch(search, *db, bare);
    }
    if (args.wants("requests")) {
        std::printf("\nRequestList (musteritalepleri, 10,000 rows): the request's range holds the value\n");
        bench::printHeader();
        for (const Search& search : requestRows)
            measureSearch(search, *db, bare);
    }
    if (args.wants("shown")) {
        std::printf("\nA list shown again (closed, shown, first page read; the statement re-run). Bare: the same\n"
                    "screen over an empty store closed and shown (the window's own cost), the statements replayed:\n");
        bench::printHeader();
        // The same screens over an empty store, for the window's own cost.
        QTemporaryDir emptyFolder;
        const std::unique_ptr<Database> empty = Catalogue::openStore(emptyFolder.path());
        Screens windowOnly(*empty);
        windowOnly.createAll(searchScreens());
        measureShownAgain(screens, rental, districts, *db, bare, windowOnly);
        measureShownAgain(screens, requests, districts, *db, bare, windowOnly);
    }
    if (args.wants("rental") || args.wants("requests")) {
        for (const Search& search : (args.wants("rental") ? rentalRows : QList<Search>())
                                        + (args.wants("requests") ? requestRows : QList<Search>()))
            notePlans(search, *db, bare, false);
        std::printf("\nSLOW plans (%lld; --only plans prints every plan):\n", static_cast<long long>(slowPlans.size()));
        for (const QString& slow : slowPlans)
            std::printf("  %s\n", qPrintable(slow));
    }

    return bench::printWarningsAndSummary(notes);
}

} // namespace

int main(int argc, char** argv)
{
    bench::offscreenUnlessAsked();
    QApplication app(argc, argv);
    bench::quietOffscreenPlatform();
    const bench::Arguments args = bench::arguments(app.arguments(), QStringLiteral("bench-data"));
    return bench::runReportingFailure("bench_search", [&] { return run(args); });
}
