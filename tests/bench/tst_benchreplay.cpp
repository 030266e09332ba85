// The benchmarks' bare twins: what the engine ran is recorded from its own
// connection, replayed on another with the same values and rows, and a
// replay that would do other work is named; plans that read no index are
// told apart from those that do; columns pad by characters.
#include "benchsupport.h"
#include "platform/engine/database.h"
#include "platform/engine/query.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

void fill(Database& db, int rows)
{
    db.inTransaction([&] {
        QSqlQuery& insert =
            db.prepared(QStringLiteral("INSERT INTO kdgiris (Semtadi, Fiyati, Durum) VALUES (?, ?, ?)"));
        for (int i = 1; i <= rows; ++i)
            db.run(insert, {i % 2 ? QStringLiteral("Kadıköy") : QStringLiteral("Şişli"), double(1000 + i),
                            QStringLiteral("Kiralanmadı")});
        insert.finish();
    });
}

// A search's first page as the screens read it.
void firstPage(Database& db, const QString& district)
{
    Query query(db);
    query.setStatement(Statement(QStringLiteral("kdgiris")).where(QStringLiteral("Semtadi = ?"), {district}));
    query.open();
    for (int row = 0; row < std::min(Dataset::RowsPerPage, query.fetchedCount()); ++row)
        query.valueAt(row, 0);
}

} // namespace

class BenchReplayTest : public QObject {
    Q_OBJECT
private slots:
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

    void replayDoesTheEnginesWork()
    {
        ScratchStore store;
        fill(*store.db, 300);
        bench::BareConnection bareDb(store.path());
        bench::BareStatements bare(bareDb.get());

        const bench::Script script = bench::record(store.db->handle(), [&] { firstPage(*store.db, QStringLiteral("Şişli")); });
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
            script, bench::record(store.db->handle(), [&] { firstPage(*store.db, QStringLiteral("Şişli")); })));
        QVERIFY(!bench::sameStatements(
            script, bench::record(store.db->handle(), [&] { firstPage(*store.db, QStringLiteral("Kadıköy")); })));
    }

    void aReplayThatWouldDifferIsNamed()
    {
        ScratchStore store;
        fill(*store.db, 100);
        bench::BareConnection bareDb(store.path());
        bench::BareStatements bare(bareDb.get());
        const bench::Script script = bench::record(store.db->handle(), [&] { firstPage(*store.db, QStringLiteral("Şişli")); });

        // A row changed since the engine read it.
        store.db->inTransaction([&] {
            store.db->run(store.db->prepared(QStringLiteral("UPDATE kdgiris SET Fiyati = 1 WHERE rowid = 4")));
        });
        QVERIFY(bench::differences(bare, script).contains(QStringLiteral("row 2 differs")));

        // Rows gone: fewer than the engine read.
        store.db->inTransaction([&] { store.db->run(store.db->prepared(QStringLiteral("DELETE FROM kdgiris"))); });
        QVERIFY(bench::differences(bare, script).contains(QStringLiteral("bare SQLite has 0")));

        // Work that writes is never replayed.
        const bench::Script writes = bench::record(store.db->handle(), [&] { fill(*store.db, 1); });
        QVERIFY(bench::differences(bare, writes).contains(QStringLiteral("writes")));
    }

    void aTwinIsTimedOnlyWhenBothSidesDoTheSameWork()
    {
        ScratchStore store;
        fill(*store.db, 200);
        bench::BareConnection bareDb(store.path());
        bench::BareStatements bare(bareDb.get());
        const QStringList districts{QStringLiteral("Şişli"), QStringLiteral("Kadıköy")};

        // Each run its own criteria: recorded per run, replayed per run.
        const bench::Replayed same = bench::alternateReplayed(
            3, store.db->handle(), bare, {[&](int run) { firstPage(*store.db, districts.at(run % 2)); }});
        QCOMPARE(same.problem, QString());
        QCOMPARE(same.scripts.size(), size_t(4));
        QVERIFY(!bench::sameStatements(same.scripts[0], same.scripts[1]));
        QVERIFY(same.times.engine > 0 && same.times.bare > 0);

        // Work that does not repeat itself when run again is named, not timed as if it did.
        int calls = 0;
        const bench::Replayed drifting = bench::alternateReplayed(
            3, store.db->handle(), bare, {[&](int) { firstPage(*store.db, districts.at(calls++ % 2)); }});
        QVERIFY(drifting.problem.contains(QStringLiteral("other statements")));
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
};

QTEST_MAIN(BenchReplayTest)
#include "tst_benchreplay.moc"
