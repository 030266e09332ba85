// The benchmarks' shared machinery: what the engine ran is recorded from its
// own connection with its values and rows, replayed on another, and a replay
// that would do other work is named; the two sides are timed in turns; the
// table's verdicts, plans that read no index, statements shortened for
// print, columns padded by characters, and the command line.
#include "benchsupport.h"
#include "platform/engine/database.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/query.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

void fill(Database& db, int rows)
{
    db.inTransaction([&] {
        const QString insert =
            (QStringLiteral("INSERT INTO kdgiris (Semtadi, Fiyati, Durum) VALUES (?, ?, ?)"));
        for (int i = 1; i <= rows; ++i)
            db.execute(insert, {i % 2 ? QStringLiteral("Kadıköy") : QStringLiteral("Şişli"), double(1000 + i),
                            QStringLiteral("Kiralanmadı")});
    });
}

// A scratch store of `rows` listings, and a bare connection on it.
struct BareScratch {
    explicit BareScratch(int rows) { fill(*store.db, rows); }
    ScratchStore store;
    bench::BareConnection bareDb{store.path()};
    bench::BareStatements bare{bareDb.get()};
};

// A search's first page as the screens read it.
void firstPage(Database& db, const QString& district)
{
    Query query(db);
    query.setStatement(Statement(QStringLiteral("kdgiris")).where(QStringLiteral("Semtadi = ?"), {district}));
    query.open();
    bench::readRows(query, Dataset::RowsPerPage);
}

// Steps sql with the values bound, `rows` rows at most (-1: to its end).
void runBound(sqlite3* db, const char* sql, const std::function<void(sqlite3_stmt*)>& bind, int rows = -1)
{
    sqlite3_stmt* stmt = bench::prepare(db, sql);
    bind(stmt);
    for (int row = 0; (rows < 0 || row < rows) && sqlite3_step(stmt) == SQLITE_ROW; ++row) {
    }
    sqlite3_finalize(stmt);
}

} // namespace

class BenchSupportTest : public QObject {
    Q_OBJECT

private:
    sqlite3* m_db = nullptr;

private slots:
    void init()
    {
        QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
        bench::exec(m_db, "CREATE TABLE t (a INTEGER, b REAL, c TEXT)");
        bench::exec(m_db, "INSERT INTO t VALUES (1, 12500.0, 'O''Brien ?'), (2, 0.5, 'Kadıköy'), (3, NULL, NULL)");
    }
    void cleanup() { sqlite3_close(m_db); }

    void valuesReadBackFromTheExpandedText()
    {
        const auto values = bench::boundValues(
            "SELECT 'a?b' FROM t WHERE a = ? AND b < ? AND c > ? AND d IS ? AND e = ?",
            "SELECT 'a?b' FROM t WHERE a = 'O''Brien Işık' AND b < 2000.0 AND c > -9223372036854775808 AND d IS NULL "
            "AND e = x'00ff'");
        QVERIFY(values);
        QCOMPARE(values->size(), size_t(5));
        QCOMPARE(values->at(0).type, SQLITE_TEXT);
        QCOMPARE(QString::fromUtf8(values->at(0).bytes), QStringLiteral("O'Brien Işık"));
        QCOMPARE(values->at(1).type, SQLITE_FLOAT);
        QCOMPARE(values->at(1).real, 2000.0);
        QCOMPARE(values->at(2).type, SQLITE_INTEGER);
        QCOMPARE(values->at(2).integer, std::numeric_limits<qint64>::min());
        QCOMPARE(values->at(3).type, SQLITE_NULL);
        QCOMPARE(values->at(4).type, SQLITE_BLOB);
        QCOMPARE(values->at(4).bytes, QByteArray("\x00\xff", 2));

        // Texts that do not line up give nothing rather than wrong values.
        QVERIFY(!bench::boundValues("SELECT ? FROM t", "SELECT 1 FROM u"));
        QVERIFY(!bench::boundValues("SELECT ? FROM t", "SELECT 'open FROM t"));

        // Numbered and named parameters keep their names, to be bound by them.
        const auto named = bench::boundValues("VALUES (:0, ?2, ?)", "VALUES ('x', 1, 2.5)");
        QVERIFY(named);
        QCOMPARE(named->at(0).parameter, QByteArray(":0"));
        QCOMPARE(named->at(1).parameter, QByteArray("?2"));
        QCOMPARE(named->at(2).parameter, QByteArray());
    }

    void recordsEveryStatementWithItsValuesAndRows()
    {
        bench::exec(m_db, "CREATE TABLE log (a INTEGER)");
        bench::exec(m_db, "CREATE TRIGGER logged AFTER INSERT ON t BEGIN INSERT INTO log VALUES (new.a); END");
        const char* sql = "SELECT a FROM t WHERE a > ? AND (b = ? OR b = ?) AND c = ? OR c IS ?";
        const bench::Script script = bench::record(m_db, [&] {
            runBound(m_db, sql, [](sqlite3_stmt* s) {
                sqlite3_bind_int64(s, 1, std::numeric_limits<qint64>::min());
                sqlite3_bind_double(s, 2, 12500.0);
                sqlite3_bind_double(s, 3, 0.5);
                sqlite3_bind_text(s, 4, "O'Brien ?", -1, SQLITE_STATIC);
                sqlite3_bind_null(s, 5);
            });
            runBound(m_db, "SELECT a FROM t ORDER BY a", [](sqlite3_stmt*) {}, 1); // left after its first row
            runBound(m_db, "INSERT INTO t (a) VALUES (9)", [](sqlite3_stmt*) {});
        });
        QCOMPARE(script.size(), size_t(3)); // the trigger's insert is part of its statement
        const bench::RecordedStatement& first = script[0];
        QCOMPARE(first.sql, QByteArray(sql));
        QCOMPARE(first.values.size(), size_t(5));
        QCOMPARE(first.values[0].integer, std::numeric_limits<qint64>::min());
        QCOMPARE(first.values[1].type, SQLITE_FLOAT); // a whole real stays a real
        QCOMPARE(first.values[1].real, 12500.0);
        QCOMPARE(first.values[2].real, 0.5);
        QCOMPARE(first.values[3].bytes, QByteArray("O'Brien ?"));
        QCOMPARE(first.values[4].type, SQLITE_NULL);
        QCOMPARE(first.rows, 2); // the first by its text, the last by its null
        QVERIFY(first.ranToEnd);
        QVERIFY(first.readOnly);

        QCOMPARE(script[1].rows, 1);
        QVERIFY(!script[1].ranToEnd);
        QVERIFY(!script[2].readOnly);
    }

    void replayStepsTheRowsTheEngineStepped()
    {
        const bench::Script script = bench::record(m_db, [&] {
            for (const qint64 low : {1, 3})
                runBound(m_db, "SELECT a, b, c FROM t WHERE a >= ? ORDER BY a", [low](sqlite3_stmt* s) {
                    sqlite3_bind_int64(s, 1, low);
                });
            runBound(m_db, "SELECT a FROM t ORDER BY a", [](sqlite3_stmt*) {}, 2);
        });
        bench::BareStatements bare(m_db);
        QCOMPARE(bench::differences(bare, script), QString());
        QList<QPair<size_t, qint64>> visited;
        bench::replay(bare, script, [&](size_t statement, int, sqlite3_stmt* stmt) {
            visited.append({statement, sqlite3_column_int64(stmt, 0)});
        });
        // Each statement with its own values; the last left where the engine left it.
        const QList<QPair<size_t, qint64>> expected{{0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 1}, {2, 2}};
        QCOMPARE(visited, expected);
        QCOMPARE(bare.prepared(), 2);

        // SQL the bare connection cannot run stops the replay.
        bench::RecordedStatement missing;
        missing.sql = "SELECT nothere FROM t";
        QVERIFY_THROWS_EXCEPTION(DataError, bench::replay(bare, {missing}));
    }

    void replayDoesTheEnginesWork()
    {
        BareScratch scratch(300);
        ScratchStore& store = scratch.store;
        bench::BareStatements& bare = scratch.bare;

        const bench::Script script = bench::record(store.db->sqlite()->handle(), [&] { firstPage(*store.db, QStringLiteral("Şişli")); });
        QVERIFY(!script.empty());
        // The page read: the district bound as typed, a grid's page of rows, read to its end.
        const auto page = std::find_if(script.begin(), script.end(), [](const auto& ran) { return ran.rows > 1; });
        QVERIFY(page != script.end());
        QCOMPARE(page->rows, Dataset::RowsPerPage);
        QVERIFY(page->ranToEnd);
        QVERIFY(std::any_of(page->values.begin(), page->values.end(), [](const bench::BoundValue& v) {
            return v.type == SQLITE_TEXT && v.bytes == QStringLiteral("Şişli").toUtf8();
        }));
        QCOMPARE(bench::differences(bare, script), QString());

        const quint64 before = bench::checksum;
        bench::replay(bare, script);
        QVERIFY(bench::checksum != before);
        const int prepared = bare.prepared();
        bench::replay(bare, script);
        QCOMPARE(bare.prepared(), prepared); // prepared once, however often replayed

        // The same work recorded again runs the same statements; other criteria do not.
        QVERIFY(bench::sameStatements(
            script, bench::record(store.db->sqlite()->handle(), [&] { firstPage(*store.db, QStringLiteral("Şişli")); })));
        QVERIFY(!bench::sameStatements(
            script, bench::record(store.db->sqlite()->handle(), [&] { firstPage(*store.db, QStringLiteral("Kadıköy")); })));
    }

    void aReplayThatWouldDifferIsNamed()
    {
        BareScratch scratch(100);
        ScratchStore& store = scratch.store;
        bench::BareStatements& bare = scratch.bare;
        const bench::Script script = bench::record(store.db->sqlite()->handle(), [&] { firstPage(*store.db, QStringLiteral("Şişli")); });

        // A row changed since the engine read it.
        store.db->inTransaction([&] {
            store.db->execute(QStringLiteral("UPDATE kdgiris SET Fiyati = 1 WHERE rowid = 4"));
        });
        QVERIFY(bench::differences(bare, script).contains(QStringLiteral("row 2 differs")));

        // Rows gone: fewer than the engine read.
        store.db->inTransaction([&] { store.db->execute(QStringLiteral("DELETE FROM kdgiris")); });
        QVERIFY(bench::differences(bare, script).contains(QStringLiteral("bare SQLite has 0")));

        // Work that writes is never replayed.
        const bench::Script writes = bench::record(store.db->sqlite()->handle(), [&] { fill(*store.db, 1); });
        QVERIFY(bench::differences(bare, writes).contains(QStringLiteral("writes")));
    }

    void aTwinIsTimedOnlyWhenBothSidesDoTheSameWork()
    {
        BareScratch scratch(200);
        ScratchStore& store = scratch.store;
        bench::BareStatements& bare = scratch.bare;
        const QStringList districts{QStringLiteral("Şişli"), QStringLiteral("Kadıköy")};

        // Each run its own criteria: recorded per run, replayed per run.
        const bench::Replayed same = bench::alternateReplayed(
            3, store.db->sqlite()->handle(), bare, {[&](int run) { firstPage(*store.db, districts.at(run % 2)); }});
        QCOMPARE(same.problem, QString());
        QCOMPARE(same.scripts.size(), size_t(4));
        QVERIFY(!bench::sameStatements(same.scripts[0], same.scripts[1]));
        QVERIFY(same.times.engine > 0 && same.times.bare > 0);

        // Work that does not repeat itself when run again is named, not timed as if it did.
        int calls = 0;
        const bench::Replayed drifting = bench::alternateReplayed(
            3, store.db->sqlite()->handle(), bare, {[&](int) { firstPage(*store.db, districts.at(calls++ % 2)); }});
        QVERIFY(drifting.problem.contains(QStringLiteral("other statements")));
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
        bench::reportWithin(QStringLiteral("against"), 3, 16.0, 15.0, QStringLiteral("<=1.5x 10 rows'"));
        bench::Replayed failed;
        failed.problem = QStringLiteral("statement 1: row 2 differs");
        QVERIFY(!bench::reportReplayed(QStringLiteral("replayed"), 3, failed));
        bench::reportNoTwin(QStringLiteral("no twin"), 1, 5000.0); // not counted
        QCOMPARE(bench::verdicts().rows, 6);
        QCOMPARE(bench::verdicts().misses, QStringList({"over", "memory (MB)", "against", "replayed"}));
        QCOMPARE(bench::printSummary(), 1);
    }

    void slowPlansAreTold()
    {
        QCOMPARE(bench::slowness(QStringLiteral("SEARCH kdgiris USING INDEX kdgiris_Semtadi_Durum (Semtadi=?)"), true),
                 QString());
        QVERIFY(bench::slowness(QStringLiteral("SCAN kdgiris"), true).contains(QStringLiteral("scans all of table kdgiris")));
        QVERIFY(bench::slowness(QStringLiteral("SCAN TABLE kdgiris"), true).contains(QStringLiteral("table kdgiris")));
        QVERIFY(bench::slowness(QStringLiteral("SCAN kdgiris USING COVERING INDEX i"), false).contains(QStringLiteral("index i")));
        QVERIFY(bench::slowness(QStringLiteral("SEARCH kdgiris USING INDEX kdgiris_Fiyati (Fiyati>? AND Fiyati<?); "
                                               "USE TEMP B-TREE FOR ORDER BY"),
                                true)
                    .contains(QStringLiteral("sorts")));
        // Walking by key is right for the whole register, slow for criteria.
        const QString byKey = QStringLiteral("SEARCH kdgiris USING INTEGER PRIMARY KEY (rowid>?)");
        QCOMPARE(bench::slowness(byKey, false), QString());
        QVERIFY(bench::slowness(byKey, true).contains(QStringLiteral("criteria checked row by row")));
        QCOMPARE(bench::slowness(QStringLiteral("SEARCH kdgiris USING INTEGER PRIMARY KEY (rowid=?)"), true), QString());
        // A count over a subquery reads the subquery's rows, not a table.
        QCOMPARE(bench::slowness(QStringLiteral("CO-ROUTINE (subquery-1); SEARCH kdgiris USING COVERING INDEX "
                                                "kdgiris_Fiyati (Fiyati>? AND Fiyati<?); SCAN (subquery-1)"),
                                 true),
                 QString());
        QCOMPARE(bench::slowness(QStringLiteral("SCAN SUBQUERY 1"), true), QString());

        // SQLite's own plans, end to end.
        ScratchStore store;
        bench::BareConnection bareDb(store.path());
        QCOMPARE(bench::slowness(bench::planOf(bareDb.get(), "SELECT rowid FROM kdgiris WHERE Semtadi = ? AND Durum = ?"), true),
                 QString());
        QVERIFY(!bench::slowness(bench::planOf(bareDb.get(), "SELECT rowid FROM kdgiris WHERE Isim = ?"), true).isEmpty());
    }

    void statementsShortenedForPrint()
    {
        QCOMPARE(bench::shortSql("SELECT rowid,\"No\",\"Semtadi\",\"Fiyati\",\"Durum\" FROM \"kdgiris\" WHERE rowid = ?"),
                 QStringLiteral("SELECT <5 columns> FROM \"kdgiris\" WHERE rowid = ?"));
        QCOMPARE(bench::shortSql("SELECT rowid FROM t WHERE ((a >= ? AND a < ?) OR (a >= ? AND a < ?) OR (a >= ? AND a < ?)) "
                                 "AND a = ?"),
                 QStringLiteral("SELECT rowid FROM t WHERE ((a >= ? AND a < ?) OR … 3 times) AND a = ?"));
        // Two terms alike, or terms that differ, stay as written.
        const QByteArray two = "SELECT a FROM t WHERE (a = ?) OR (a = ?) OR (b = ?)";
        QCOMPARE(bench::shortSql(two), QString::fromUtf8(two));
    }

    void columnsPadByCharacters()
    {
        QCOMPARE(bench::padded(QStringLiteral("Şişli"), 8), QStringLiteral("Şişli   "));
        QCOMPARE(bench::padded(QStringLiteral("Üsküdar Çarşı"), 4), QStringLiteral("Üsküdar Çarşı"));
    }

    void theCommandLineTakesOptionsAnywhere()
    {
        // An option's value is never taken for the data folder.
        const bench::Arguments args = bench::arguments(
            {QStringLiteral("bench"), QStringLiteral("--shots"), QStringLiteral("shots"), QStringLiteral("data"),
             QStringLiteral("--only"), QStringLiteral("bulk")},
            QStringLiteral("bench-data"));
        QCOMPARE(args.folder, QStringLiteral("data"));
        QCOMPARE(args.option("shots"), QStringLiteral("shots"));
        QVERIFY(args.wants("bulk"));
        QVERIFY(!args.wants("startup"));

        const bench::Arguments none = bench::arguments({QStringLiteral("bench")}, QStringLiteral("bench-data"));
        QCOMPARE(none.folder, QDir::current().filePath(QStringLiteral("bench-data")));
        QVERIFY(none.wants("startup"));
    }
};

QTEST_MAIN(BenchSupportTest)
#include "tst_benchsupport.moc"
