// Times the search screens from "Bul" to the first page of the result (the
// statement built from the criteria, the query opened, the first 50 rows
// read) against bare SQLite doing the same (the same conditions, ORDER BY
// rowid LIMIT 50), for every search option of the rental flat list and of the
// request list, on the benchmark store of bench_engine.
//
//   bench_search [data-folder]     (default: ./bench-data)
//
// A missing store is made first by running bench_engine from the same folder.

#include "benchsupport.h"
#include "kit/screens.h"
#include "data/catalogue.h"
#include "platform/controls/lookupcombobox.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"
#include "search/listingsearch.h"
#include "search/requestlist.h"
#include "search/searchscreens.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int PageRows = 50;
constexpr int Runs = 20;
constexpr int EngineFirstKeys = 256; // what a dataset fetches of its keys when it opens

quint64 sink = 0; // keeps the reads from being optimised away
QStringList warnings;

// Median of Runs timings of measured(run); prepare(run) is not timed; run 0 only warms up.
double medianMs(const std::function<void(int)>& measured, const std::function<void(int)>& prepare)
{
    std::vector<double> times;
    for (int run = 0; run <= Runs; ++run) {
        prepare(run);
        QElapsedTimer timer;
        timer.start();
        measured(run);
        if (run > 0)
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return (times[times.size() / 2 - 1] + times[times.size() / 2]) / 2;
}

// --- bare SQLite -----------------------------------------------------------

class Bare {
public:
    explicit Bare(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw DataError(QStringLiteral("bare connection: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
    }
    ~Bare() { sqlite3_close(m_db); }

    // Prepares, binds, steps up to `rows` rows reading every column; returns the rowids seen.
    std::vector<qint64> select(const QString& sql, const QVariantList& values, int rows)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            throw DataError(QString::fromUtf8(sqlite3_errmsg(m_db)) + QStringLiteral(" in ") + sql);
        for (int i = 0; i < values.size(); ++i) {
            const QVariant& v = values.at(i);
            if (v.typeId() == QMetaType::Double)
                sqlite3_bind_double(stmt, i + 1, v.toDouble());
            else {
                const QByteArray utf8 = v.toString().toUtf8();
                sqlite3_bind_text(stmt, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            }
        }
        std::vector<qint64> keys;
        while (int(keys.size()) < rows && sqlite3_step(stmt) == SQLITE_ROW) {
            keys.push_back(sqlite3_column_int64(stmt, 0));
            for (int c = 1; c < sqlite3_column_count(stmt); ++c)
                sink += quint64(sqlite3_column_type(stmt, c)) + quint64(sqlite3_column_bytes(stmt, c));
        }
        sqlite3_finalize(stmt);
        return keys;
    }

    qint64 count(const QString& table, const QString& where, const QVariantList& values)
    {
        const std::vector<qint64> n =
            select(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(table, where), values, 1);
        return n.empty() ? 0 : n.front();
    }

private:
    sqlite3* m_db = nullptr;
};

// --- one option --------------------------------------------------------------

// The criteria of one run, as typed, and the same values as the bare statement binds them.
struct Case {
    QString district;
    QString low, high; // listing: P1/P2 or M1/M2; request: P and M
    QString areaLow, areaHigh;
    QString status;
};

struct Measured {
    QString operation;
    double engine = 0; // "Bul" on the screen + first page
    double query = 0;  // the engine's query alone, same conditions + first page
    double bare = 0;   // bare SQLite, LIMIT 50
    double keys = 0;   // bare SQLite reading the keys the engine reads at open (LIMIT 256)
    qint64 matching = 0;
};

void printHeader()
{
    std::printf("\n  %s %8s %9s %9s %9s %9s %7s\n",
                QStringLiteral("option").leftJustified(34).toUtf8().constData(), "matching", "screen", "query",
                "bare", "bare 256", "ratio");
}

void printRow(const Measured& m)
{
    std::printf("  %s %8lld %9.3f %9.3f %9.3f %9.3f %6.2fx\n", m.operation.leftJustified(34).toUtf8().constData(),
                static_cast<long long>(m.matching), m.engine, m.query, m.bare, m.keys, m.engine / m.bare);
    std::fflush(stdout);
}

void readFirstPage(const Query& query)
{
    const int rows = std::min(PageRows, query.fetchedCount());
    for (int row = 0; row < rows; ++row)
        for (int f = 0; f < query.fieldCount(); ++f)
            sink += quint64(query.valueAt(row, f).userType());
}

void compareRows(const Query& query, const std::vector<qint64>& bare, const QString& what)
{
    const int engineRows = std::min(PageRows, query.fetchedCount());
    if (engineRows != int(bare.size())) {
        warnings << QStringLiteral("WARNING: %1: engine %2 rows, bare %3").arg(what).arg(engineRows).arg(bare.size());
        return;
    }
    for (int row = 0; row < engineRows; ++row)
        if (query.keyAt(row) != bare[size_t(row)]) {
            warnings << QStringLiteral("WARNING: %1: engine and bare differ at row %2").arg(what).arg(row);
            return;
        }
}

// Fills the screen's criteria for a run, presses "Bul" (timed, with the first
// page read), and does the same on bare SQLite.
Measured measure(SearchScreen* screen, Bare& bare, const QString& operation, int option,
                 const std::function<void(int)>& fillCriteria, const QString& table,
                 const std::function<QString(int)>& bareWhere, const std::function<QVariantList(int)>& bareValues)
{
    Measured m;
    m.operation = operation;
    const auto prepare = [&](int run) {
        fillCriteria(run);
        screen->selectOption(option);
        QCoreApplication::processEvents();
    };
    m.engine = medianMs(
        [&](int) {
            screen->find();
            readFirstPage(*screen->query());
        },
        prepare);
    const auto bareSql = [&](int run) {
        return QStringLiteral("SELECT * FROM %1 WHERE %2 ORDER BY rowid LIMIT %3")
            .arg(table, bareWhere(run))
            .arg(PageRows);
    };
    m.bare = medianMs([&](int run) { bare.select(bareSql(run), bareValues(run), PageRows); }, [](int) {});
    m.keys = medianMs(
        [&](int run) {
            bare.select(QStringLiteral("SELECT rowid FROM %1 WHERE %2 ORDER BY rowid LIMIT %3")
                            .arg(table, bareWhere(run))
                            .arg(EngineFirstKeys),
                        bareValues(run), EngineFirstKeys);
        },
        [](int) {});
    std::unique_ptr<Query> alone;
    m.query = medianMs(
        [&](int run) {
            alone = std::make_unique<Query>(screen->query()->database());
            alone->setStatement(Statement(table).where(bareWhere(run), bareValues(run)));
            alone->open();
            readFirstPage(*alone);
        },
        [&](int) { alone.reset(); });

    prepare(1);
    screen->find();
    if (!screen->query()->isActive())
        warnings << QStringLiteral("WARNING: %1: the search failed").arg(operation);
    else
        compareRows(*screen->query(), bare.select(bareSql(1), bareValues(1), PageRows), operation);
    m.matching = bare.count(table, bareWhere(1), bareValues(1));
    return m;
}

// The seven options and the ones with a status, as (district, price, area, status) uses.
struct OptionUse {
    int option;
    bool district, price, area, status;
};
// The bare query's condition and values for one option: the district, the
// price and area pieces a register uses, and the status, in that order.
QString bareCondition(const OptionUse& use, const QString& priceSql, const QString& areaSql)
{
    QStringList parts;
    if (use.district)
        parts << QStringLiteral("Semtadi = ?");
    if (use.price)
        parts << priceSql;
    if (use.area)
        parts << areaSql;
    if (use.status)
        parts << QStringLiteral("Durum = ?");
    return parts.join(QStringLiteral(" AND "));
}

QVariantList bareValues(const OptionUse& use, const Case& c, const QVariantList& price, const QVariantList& area)
{
    QVariantList values;
    if (use.district)
        values << c.district;
    if (use.price)
        values << price;
    if (use.area)
        values << area;
    if (use.status)
        values << c.status;
    return values;
}

const QList<OptionUse> Uses{
    {0, true, false, false, false},  {1, false, true, false, false}, {2, false, false, true, false},
    {3, true, true, false, false},   {4, true, false, true, false},  {5, false, true, true, false},
    {6, true, true, true, false},    {0, true, false, false, true},  {1, false, true, false, true},
    {6, true, true, true, true},
};

QStringList districtNames(Database& db)
{
    Query names(db);
    names.setStatement(Statement(QStringLiteral("semtler")));
    names.open();
    QStringList all;
    const int rows = names.recordCount();
    for (int row = 0; row < rows; ++row)
        all << names.valueAt(row, names.fieldIndex(QStringLiteral("Semtler"))).toString();
    return all;
}

void benchListing(ListingSearch* s, Bare& bare, const QStringList& districts)
{
    std::printf("\nRentalFlatList (kdgiris, 100,000 rows): bounds exclusive\n");
    printHeader();
    for (const OptionUse& use : Uses) {
        // Price bands of 2,000 (about 4% of the rents), area bands of 30 m²
        // (about 8%), one district; each run other values.
        const auto values = [&](int run) {
            Case c;
            c.district = districts.at((run * 7) % districts.size());
            const double low = 1000.0 + run * 2000.0;
            c.low = QString::number(low, 'f', 0);
            c.high = QString::number(low + 2000.0, 'f', 0);
            c.areaLow = QString::number(40 + run * 15);
            c.areaHigh = QString::number(40 + run * 15 + 30);
            c.status = use.status ? QStringLiteral("Kiralanmadı") : QStringLiteral("Tümü");
            return c;
        };
        const auto fill = [&](int run) {
            const Case c = values(run);
            s->districtBox()->pick(c.district);
            s->lowerPrice()->setText(c.low);
            s->upperPrice()->setText(c.high);
            s->lowerArea()->setText(c.areaLow);
            s->upperArea()->setText(c.areaHigh);
            s->statusBox()->setEditText(c.status);
        };
        const auto where = [&](int) {
            return bareCondition(use, QStringLiteral("Fiyati > ? AND Fiyati < ?"),
                                 QStringLiteral("Metre2 > ? AND Metre2 < ?"));
        };
        const auto bind = [&](int run) {
            const Case c = values(run);
            return bareValues(use, c, {c.low.toDouble(), c.high.toDouble()},
                              {c.areaLow.toDouble(), c.areaHigh.toDouble()});
        };
        const QString name = QStringLiteral("%1 %2%3")
                                 .arg(use.option)
                                 .arg(ListingSearch::options().at(use.option))
                                 .arg(use.status ? QStringLiteral(" + Durum") : QString());
        printRow(measure(s, bare, name, use.option, fill, QStringLiteral("kdgiris"), where, bind));
    }
}

void benchRequests(RequestList* s, Bare& bare, const QStringList& districts)
{
    std::printf("\nRequestList (musteritalepleri, 10,000 rows): the request's range holds the value\n");
    printHeader();
    for (const OptionUse& use : Uses) {
        const auto values = [&](int run) {
            Case c;
            c.district = districts.at((run * 7) % districts.size());
            c.low = QString::number(5000 + run * 2500); // a rent most rental requests would pay
            c.areaLow = QString::number(60 + run * 10);
            c.status = use.status ? QStringLiteral("Bulamadı") : QStringLiteral("Tümü");
            return c;
        };
        const auto fill = [&](int run) {
            const Case c = values(run);
            s->districtBox()->pick(c.district);
            s->price()->setText(c.low);
            s->area()->setText(c.areaLow);
            s->statusBox()->setEditText(c.status);
        };
        const auto where = [&](int) {
            return bareCondition(use, QStringLiteral("Fiyatilkdeger <= ? AND Ikincifiyat >= ?"),
                                 QStringLiteral("IlkMetre2 <= ? AND Ikincimetre2 >= ?"));
        };
        const auto bind = [&](int run) {
            const Case c = values(run);
            return bareValues(use, c, {c.low.toDouble(), c.low.toDouble()},
                              {c.areaLow.toDouble(), c.areaLow.toDouble()});
        };
        const QString name = QStringLiteral("%1 %2%3")
                                 .arg(use.option)
                                 .arg(RequestList::options().at(use.option))
                                 .arg(use.status ? QStringLiteral(" + Durum") : QString());
        printRow(measure(s, bare, name, use.option, fill, QStringLiteral("musteritalepleri"), where, bind));
    }
}

// A list re-runs its statement each time it is shown: the whole hide and show,
// with the first page read, for the whole register and for a search, the
// current row near the top and at the very end.
void benchShownAgain(Screens& screens, SearchScreen* s, const QString& name, const QStringList& districts)
{
    std::printf("\n%s shown again (close, show, first page; the statement re-run):\n", qPrintable(name));
    struct Way {
        const char* what;
        std::function<void()> setUp;
    };
    const QList<Way> ways{
        {"whole register, current row 10", [&] { s->showAll(); s->query()->moveTo(10); }},
        {"whole register, current row last", [&] { s->showAll(); s->query()->last(); }},
        {"district search, current row 10",
         [&] {
             s->districtBox()->pick(districts.at(3));
             s->selectOption(0);
             s->find();
             s->query()->moveTo(10);
         }},
        {"district search, current row last",
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
        const double ms = medianMs(
            [&](int) {
                s->close();
                screens.show(s->objectName());
                readFirstPage(*s->query());
            },
            [&](int) { QCoreApplication::processEvents(); });
        if (!s->query()->isEmpty() && s->query()->integer(QStringLiteral("No")) != key)
            warnings << QStringLiteral("WARNING: %1 %2: the current row moved").arg(name, way.what);
        std::printf("  %-36s %8.2f ms  (%d rows)\n", way.what, ms, s->query()->recordCount());
    }
    s->close();
}

int run(const QString& folder)
{
    const QString path = QDir(folder).filePath(Catalogue::StoreFileName);
    bench::ensureStore(folder, path);
    const std::unique_ptr<Database> db = Catalogue::openStore(folder);
    Bare bare(path);
    std::printf("Store: %s, SQLite %s; median of %d runs after one warm-up run\n", qPrintable(path),
                sqlite3_libversion(), Runs);
    std::printf("Columns (ms): screen = \"Bul\" + first page; query = the engine's query alone, same\n"
                "conditions + first page; bare = LIMIT %d; bare 256 = bare reading only the first %d keys,\n"
                "as the engine does when a query opens. ratio = screen / bare.\n",
                PageRows, EngineFirstKeys);

    Screens screens(*db);
    screens.createAll(searchScreens());
    const QStringList districts = districtNames(*db);
    benchListing(screens.get<ListingSearch>(QStringLiteral("RentalFlatList")), bare, districts);
    benchRequests(screens.get<RequestList>(QStringLiteral("RequestList")), bare, districts);
    benchShownAgain(screens, screens.get<ListingSearch>(QStringLiteral("RentalFlatList")),
                    QStringLiteral("RentalFlatList"), districts);
    benchShownAgain(screens, screens.get<RequestList>(QStringLiteral("RequestList")),
                    QStringLiteral("RequestList"), districts);

    std::printf("\n");
    for (const QString& warning : warnings)
        std::printf("%s\n", qPrintable(warning));
    std::printf("(checksum of the values read: %llu)\n", static_cast<unsigned long long>(sink));
    return warnings.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // The screens are real widgets; no display is needed to time them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString folder = args.size() > 1 ? args.at(1) : QDir::current().filePath(QStringLiteral("bench-data"));
    try {
        return run(folder);
    } catch (const DataError& error) {
        std::fprintf(stderr, "bench_search: %s\n", qPrintable(error.message()));
        return 1;
    }
}
