// The benchmarks' shared machinery: the engine's statements recorded with
// their values and replayed on a bare connection, the two sides timed in
// turns, and the verdicts the table ends with.
#include "benchsupport.h"

#include <QtTest>
#include <sqlite3.h>

class TestBenchSupport : public QObject {
    Q_OBJECT

private:
    sqlite3* m_db = nullptr;

    void exec(const char* sql) { QCOMPARE(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr), SQLITE_OK); }

    // Runs sql with the values bound, stepping every row, as the engine would.
    int runBound(const char* sql, const std::function<void(sqlite3_stmt*)>& bind)
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        bind(stmt);
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(stmt);
        return rows;
    }

private slots:
    void init()
    {
        QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
        exec("CREATE TABLE t (a INTEGER, b REAL, c TEXT)");
        exec("INSERT INTO t VALUES (1, 12500.0, 'O''Brien ?'), (2, 0.5, 'Kadıköy'), (3, NULL, NULL)");
    }
    void cleanup() { sqlite3_close(m_db); }

    void recordsEveryStatementWithTheValuesBound()
    {
        const char* sql = "SELECT a FROM t WHERE a > ? AND (b = ? OR b = ?) AND c = ? OR c IS ?";
        const std::vector<bench::RanStatement> ran = bench::statementsRunBy(m_db, [&] {
            runBound(sql, [](sqlite3_stmt* s) {
                sqlite3_bind_int64(s, 1, std::numeric_limits<qint64>::min());
                sqlite3_bind_double(s, 2, 12500.0);
                sqlite3_bind_double(s, 3, 0.5);
                sqlite3_bind_text(s, 4, "O'Brien ?", -1, SQLITE_STATIC);
                sqlite3_bind_null(s, 5);
            });
            runBound("SELECT count(*) FROM t", [](sqlite3_stmt*) {});
        });
        QCOMPARE(ran.size(), size_t(2));
        QCOMPARE(ran[0].sql, QByteArray(sql));
        QCOMPARE(ran[0].values.size(), size_t(5));
        QCOMPARE(ran[0].values[0].typeId(), QMetaType::LongLong);
        QCOMPARE(ran[0].values[0].toLongLong(), std::numeric_limits<qint64>::min());
        QCOMPARE(ran[0].values[1].typeId(), QMetaType::Double); // a whole real stays a real
        QCOMPARE(ran[0].values[1].toDouble(), 12500.0);
        QCOMPARE(ran[0].values[2].toDouble(), 0.5);
        QCOMPARE(ran[0].values[3].toByteArray(), QByteArray("O'Brien ?"));
        QVERIFY(ran[0].values[4].isNull());
        QVERIFY(ran[1].values.empty());

        // Nothing is recorded once the work is over.
        runBound("SELECT 1", [](sqlite3_stmt*) {});
        QCOMPARE(ran.size(), size_t(2));
    }

    void replaysTheRecordedRunsRowForRow()
    {
        const char* sql = "SELECT a, b, c FROM t WHERE a >= ? AND a <= ?";
        std::vector<std::vector<bench::RanStatement>> runs;
        for (const qint64 low : {1, 3})
            runs.push_back(bench::statementsRunBy(m_db, [&] {
                runBound(sql, [low](sqlite3_stmt* s) {
                    sqlite3_bind_int64(s, 1, low);
                    sqlite3_bind_int64(s, 2, 3);
                });
            }));
        const bench::Replay replay(m_db, runs);
        QCOMPARE(replay.statementsPerRun(), size_t(1));
        quint64 sink = 0;
        QCOMPARE(replay.run(0, sink), 3);
        QCOMPARE(replay.run(1, sink), 1);
        QCOMPARE(replay.run(2, sink), 3); // runs beyond the recorded ones wrap round
        QVERIFY(sink > 0);
    }

    void replayRefusesSqlTheConnectionCannotRun()
    {
        std::vector<bench::RanStatement> ran{{QByteArray("SELECT nothere FROM t"), {}}};
        QVERIFY_THROWS_EXCEPTION(DataError, bench::Replay(m_db, {ran}));
    }

    void sidesTakeTurnsAndTheWarmUpRunIsLeftOut()
    {
        QStringList order;
        const bench::TwinTimes times = bench::alternateFigures(
            4,
            [&](int run) {
                order << QStringLiteral("e%1").arg(run);
                return run == 0 ? 1000.0 : double(run);
            },
            [&](int run) {
                order << QStringLiteral("b%1").arg(run);
                return run == 0 ? 1000.0 : 10.0 * run;
            });
        QCOMPARE(order, QStringList({"e0", "b0", "b1", "e1", "e2", "b2", "b3", "e3", "e4", "b4"}));
        QCOMPARE(times.engine, 2.5); // median of 1..4
        QCOMPARE(times.bare, 25.0);
    }

    void rowsOverTheirTargetAreNamedInTheSummary()
    {
        bench::report(QStringLiteral("within"), 3, {3.0, 2.0}, 2.0);
        bench::report(QStringLiteral("over"), 3, {5.0, 2.0}, 2.0);
        bench::report(QStringLiteral("memory"), 3, {90.0, 30.0}, 2.0, "MB");
        bench::reportLimit(QStringLiteral("limit"), 3, 999.0, 1000.0);
        QCOMPARE(bench::verdicts().rows, 4);
        QCOMPARE(bench::verdicts().misses, QStringList({"over", "memory (MB)"}));
        QCOMPARE(bench::printSummary(), 1);
    }
};

QTEST_GUILESS_MAIN(TestBenchSupport)
#include "tst_benchsupport.moc"
