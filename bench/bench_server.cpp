// The server store timed beside bare libpq doing the same statements, and
// several desks at once.
//
//   bench_server [data-folder] [--only ops|load] [--seconds 60]
//
// The data folder's evlora.sqlite (the benchmarks' generated store: 100,000
// listings per register, 10,000 requests) is moved onto a PostgreSQL server
// of the benchmark's own, as evlora-server kur moves it. Then:
//   ops   each operation of the engine on the server, its statements recorded
//         as sent, and the same statements replayed through bare libpq
//         (prepared once, the same values, every cell of every row read);
//   load  three desks (processes) posting and searching at once for the
//         given seconds, then one desk alone: posts per second, and the
//         search's median and 99th-percentile latency.
#include "benchsupport.h"

#include "data/catalogue.h"
#include "import/servermove.h"
#include "matching/bulkcomparison.h"
#include "platform/engine/postgresengine.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "support/testserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <libpq-fe.h>
#include <map>

namespace {

using Sent = PostgresEngine::Sent;

// The bare side: libpq on a connection of its own, each statement text
// prepared once, every value of every row read.
class BarePostgres {
public:
    explicit BarePostgres(const QString& connection) : m_conn(PQconnectdb(connection.toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw DataError(QString::fromUtf8(PQerrorMessage(m_conn)));
    }
    ~BarePostgres() { PQfinish(m_conn); }

    void replay(const std::vector<Sent>& script)
    {
        for (const Sent& sent : script) {
            PGresult* result = nullptr;
            if (!sent.prepared) {
                result = PQexec(m_conn, sent.sql.constData());
            } else {
                std::vector<const char*> values(sent.values.size());
                std::vector<int> lengths(sent.values.size());
                for (size_t i = 0; i < sent.values.size(); ++i) {
                    values[i] = sent.bound[i] ? sent.values[i].constData() : nullptr;
                    lengths[i] = int(sent.values[i].size());
                }
                if (sent.plannedEachRun) {
                    result = PQexecParams(m_conn, sent.sql.constData(), int(values.size()), nullptr, values.data(),
                                          lengths.data(), sent.formats.data(), 0);
                } else {
                    QByteArray& name = m_names[sent.sql];
                    if (name.isEmpty()) {
                        name = "bare_" + QByteArray::number(qulonglong(m_names.size()));
                        PQclear(PQprepare(m_conn, name.constData(), sent.sql.constData(), 0, nullptr));
                    }
                    result = PQexecPrepared(m_conn, name.constData(), int(values.size()), values.data(),
                                            lengths.data(), sent.formats.data(), 0);
                }
            }
            const ExecStatusType status = PQresultStatus(result);
            if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
                throw DataError(QStringLiteral("bare: %1: %2")
                                    .arg(QString::fromUtf8(sent.sql), QString::fromUtf8(PQresultErrorMessage(result))));
            for (int row = 0; row < PQntuples(result); ++row)
                for (int column = 0; column < PQnfields(result); ++column)
                    bench::checksum += quint64(PQgetlength(result, row, column)) + quint64(*PQgetvalue(result, row, column));
            PQclear(result);
        }
    }

private:
    PGconn* m_conn;
    std::map<QByteArray, QByteArray> m_names;
};

// One row: the engine's work, its statements recorded on a first run, and
// their replay through bare libpq.
// Before each engine run, `before` (untimed, unrecorded) puts the engine
// back where the recorded run started.
void measure(const QString& operation, int runs, Database& db, BarePostgres& bare, const std::function<void()>& work,
             double target = bench::OpTarget, const std::function<void()>& before = {})
{
    if (before)
        before();
    std::vector<Sent> script;
    db.server()->traceInto([&](const Sent& sent) { script.push_back(sent); });
    work();
    db.server()->traceInto({});
    const bench::Step untimed = before ? bench::Step([&](int) { before(); }) : bench::Step();
    const bench::TwinTimes times =
        bench::alternate(runs, {[&](int) { work(); }, untimed}, {[&](int) { bare.replay(script); }});
    bench::report(QStringLiteral("%1 (%2 statements)").arg(operation).arg(script.size()), runs, times, target);
}

void measureOperations(Database& db, const QString& connection)
{
    BarePostgres bare(connection);
    bench::printHeader();
    measure(QStringLiteral("open kdgiris, read first record"), 50, db, bare, [&] {
        Table flats(db, QStringLiteral("kdgiris"));
        flats.open();
        bench::checksum += quint64(flats.text(QStringLiteral("Semtadi")).size());
    });
    Table flats(db, QStringLiteral("kdgiris"));
    flats.open();
    measure(QStringLiteral("1,000 steps of next from the first, record read"), 10, db, bare, [&] {
        flats.first();
        for (int step = 0; step < 1000; ++step) {
            flats.next();
            bench::checksum += quint64(flats.text(QStringLiteral("Semtadi")).size());
        }
    });
    measure(
        QStringLiteral("locate No = 50,000 from the first row (open table)"), 50, db, bare,
        [&] { bench::checksum += quint64(flats.locate(QStringLiteral("No"), 50000)); }, bench::OpTarget,
        [&] { flats.first(); });
    measure(QStringLiteral("sdgiris Semtadi = ? AND Durum = ?, first page"), 20, db, bare, [&] {
        Query search(db);
        search.setStatement(Statement(QStringLiteral("sdgiris"))
                                .where(QStringLiteral("Semtadi = ?"), {QStringLiteral("Kadıköy")})
                                .where(QStringLiteral("Durum = ?"), {QStringLiteral("Satılmadı")}));
        search.open();
        bench::readRows(search, 20);
    });
    measure(QStringLiteral("kdgiris Fiyati > ? AND Fiyati < ?, first page"), 20, db, bare, [&] {
        Query search(db);
        search.setStatement(Statement(QStringLiteral("kdgiris"))
                                .where(QStringLiteral("Fiyati > ?"), {5000.0})
                                .where(QStringLiteral("Fiyati < ?"), {5200.0}));
        search.open();
        bench::readRows(search, 20);
    });
    measure(QStringLiteral("LIKE 'kad%' over all 100,000 rows (count)"), 10, db, bare, [&] {
        db.select(QStringLiteral("SELECT count(*) FROM kdgiris WHERE Semtadi LIKE ?"), {QStringLiteral("kad%")},
                  [](const SqlStatement& row) { bench::checksum += quint64(row.integer(0)); });
    });
    measure(
        QStringLiteral("post one new record (durable)"), 30, db, bare,
        [&] {
            flats.append();
            flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
            flats.setText(QStringLiteral("Fiyati"), QStringLiteral("15000"));
            flats.post();
        },
        bench::TightTarget);
    measure(QStringLiteral("bulk \"Tümüne Göre\" over the 10,000 requests"), 3, db, bare, [&] {
        const Matching::BulkOutcome outcome =
            Matching::BulkComparison(db, Matching::ByAll).run(Statement(QStringLiteral("musteritalepleri")));
        bench::checksum += quint64(outcome.lines.size());
    });
}

// --- several desks ---------------------------------------------------------------

// A desk of the load: posts a flat, then searches a district's first page,
// over and over for the given seconds; prints its posts and each search's
// milliseconds.
int workAsDesk(const QString& folder, int seconds)
{
    const std::unique_ptr<Database> db = Catalogue::openStore(folder);
    Table flats(*db, QStringLiteral("kdgiris"));
    flats.open();
    const QStringList districts{QStringLiteral("Kadıköy"), QStringLiteral("Şişli"), QStringLiteral("Beşiktaş")};
    QElapsedTimer clock;
    clock.start();
    int posts = 0;
    QList<double> searches;
    while (clock.elapsed() < seconds * 1000) {
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), districts.at(posts % districts.size()));
        flats.setText(QStringLiteral("Fiyati"), QString::number(5000 + posts));
        flats.post();
        ++posts;
        QElapsedTimer search;
        search.start();
        Query found(*db);
        found.setStatement(Statement(QStringLiteral("kdgiris"))
                               .where(QStringLiteral("Semtadi = ?"), {districts.at(posts % districts.size())}));
        found.open();
        bench::readRows(found, 20);
        searches << double(search.nsecsElapsed()) / 1e6;
    }
    std::printf("posts %d\n", posts);
    for (double ms : std::as_const(searches))
        std::printf("search %.4f\n", ms);
    return 0;
}

void measureLoad(const QString& folder, int seconds)
{
    for (const int desks : {3, 1}) {
        std::vector<std::unique_ptr<QProcess>> running;
        for (int d = 0; d < desks; ++d) {
            running.push_back(std::make_unique<QProcess>());
            running.back()->start(QCoreApplication::applicationFilePath(),
                                  {QStringLiteral("--desk"), folder, QString::number(seconds)});
        }
        int posts = 0;
        std::vector<double> searches;
        for (auto& desk : running) {
            desk->waitForFinished(seconds * 1000 + 120000);
            for (const QByteArray& line : desk->readAllStandardOutput().split('\n')) {
                if (line.startsWith("posts "))
                    posts += line.mid(6).toInt();
                else if (line.startsWith("search "))
                    searches.push_back(line.mid(7).toDouble());
            }
        }
        std::sort(searches.begin(), searches.end());
        const auto at = [&](double share) {
            return searches.empty() ? 0.0 : searches[std::min(searches.size() - 1, size_t(share * double(searches.size())))];
        };
        bench::printNote(QStringLiteral("load, %1 desk%2 for %3 s: %4 posts/s in all; a district's first page in %5 ms "
                                        "(median), %6 ms (99th percentile), %7 searches")
                             .arg(desks)
                             .arg(desks > 1 ? QStringLiteral("s at once") : QString())
                             .arg(seconds)
                             .arg(double(posts) / seconds, 0, 'f', 1)
                             .arg(at(0.5), 0, 'f', 2)
                             .arg(at(0.99), 0, 'f', 2)
                             .arg(searches.size()));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--desk") == 0)
        return bench::runReportingFailure("bench_server", [&] {
            return workAsDesk(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
        });
    const bench::Arguments args = bench::arguments(app.arguments(), QStringLiteral("bench-data"));
    return bench::runReportingFailure("bench_server", [&] {
        bench::ensureStore(args.folder, QDir(args.folder).filePath(Catalogue::StoreFileName));
        TestServer server;
        server.execute(QStringLiteral("CREATE DATABASE ajans"));
        const QString connection = server.connectionString(QStringLiteral("ajans"));
        QElapsedTimer moving;
        moving.start();
        qint64 moved = 0;
        {
            const std::unique_ptr<Database> local = Catalogue::openStore(args.folder);
            moved = ServerMove::moveStore(*local, connection);
        }
        bench::printNote(QStringLiteral("move: %1 rows of the store onto the server (evlora-server kur) in %2 s")
                             .arg(moved)
                             .arg(double(moving.elapsed()) / 1000, 0, 'f', 1));
        QTemporaryDir desk;
        QFile setting(desk.filePath(PostgresEngine::SettingFileName));
        if (!setting.open(QIODevice::WriteOnly) || setting.write(connection.toUtf8()) < 0)
            throw DataError(QStringLiteral("cannot write the server setting"));
        setting.close();
        if (args.wants("ops")) {
            const std::unique_ptr<Database> db = Catalogue::openStore(desk.path());
            measureOperations(*db, connection);
        }
        if (args.wants("load"))
            measureLoad(desk.path(), args.option("seconds").isEmpty() ? 60 : args.option("seconds").toInt());
        return bench::printWarningsAndSummary({});
    });
}
