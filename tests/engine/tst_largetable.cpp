// A cursor and a grid over ten thousand rows: the ends, locate and refresh
// land on the right record at the right place, with bof and eof as a
// navigator expects, although no key list is ever read.
#include "platform/controls/dbgrid.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QSqlQuery>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int Rows = 10000;

// Rows 1..Rows of kdgiris: No = i, Fiyati = 1000 + i, district "Semt i % 50".
void fill(Database& db)
{
    db.inTransaction([&] {
        const QString insert = QStringLiteral("INSERT INTO kdgiris (Semtadi, Fiyati) VALUES (?, ?)");
        for (int i = 1; i <= Rows; ++i)
            db.execute(insert, {QStringLiteral("Semt %1").arg(i % 50), double(1000 + i)});
    });
}

void deleteRows(Database& db, const QString& where)
{
    db.inTransaction([&] {
        db.execute(QStringLiteral("DELETE FROM kdgiris WHERE ") + where);
    });
}

qint64 key(const Dataset& rows)
{
    return rows.integer(QStringLiteral("No"));
}

// A search over one district: every 50th row, keys 7, 57, 107 ...
void openSemt7(Query& district)
{
    district.setStatement(
        Statement(QStringLiteral("kdgiris")).where(QStringLiteral("Semtadi = ?"), {QStringLiteral("Semt 7")}));
    district.open();
}

} // namespace

class LargeTableTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void endsAndLocateGiveTheRowAndItsPlace()
    {
        ScratchStore store;
        fill(*store.db);
        Table flats(*store.db, QStringLiteral("kdgiris"));
        flats.open();
        QCOMPARE(flats.position(), 0);
        QVERIFY(flats.bof() && !flats.eof());
        QVERIFY(flats.fetchedCount() < Rows);

        flats.last();
        QVERIFY(flats.eof() && !flats.bof());
        QCOMPARE(key(flats), qint64(Rows));
        QCOMPARE(flats.position(), Rows - 1);
        QCOMPARE(flats.recordCount(), Rows);
        flats.next(); // past the end: stays, eof
        QVERIFY(flats.eof());
        QCOMPARE(flats.position(), Rows - 1);
        flats.prior();
        QVERIFY(!flats.eof() && !flats.bof());
        QCOMPARE(flats.position(), Rows - 2);
        QCOMPARE(flats.number(QStringLiteral("Fiyati")), 1000.0 + Rows - 1);

        // The last rows, read backwards from the end, sit at their places.
        const int price = flats.fieldIndex(QStringLiteral("Fiyati"));
        for (int row = Rows - 70; row < Rows; ++row)
            QCOMPARE(flats.valueAt(row, price).toDouble(), 1000.0 + row + 1);
        QCOMPARE(flats.keyAt(Rows - 1), qint64(Rows));
        QVERIFY(!flats.valueAt(Rows, price).isValid());

        QVERIFY(flats.locate(QStringLiteral("No"), 5000));
        QVERIFY(!flats.bof() && !flats.eof());
        QCOMPARE(flats.position(), 4999);
        QCOMPARE(flats.number(QStringLiteral("Fiyati")), 6000.0);
        flats.next();
        QCOMPARE(flats.position(), 5000);
        flats.prior();
        flats.prior();
        QCOMPARE(flats.position(), 4998);
        QCOMPARE(key(flats), qint64(4999));
        QVERIFY(!flats.locate(QStringLiteral("No"), Rows + 1)); // not there: stays
        QCOMPARE(flats.position(), 4998);
        QCOMPARE(key(flats), qint64(4999));

        // Moving to a row a grid shows, far from any other.
        flats.moveTo(7000);
        QCOMPARE(key(flats), qint64(7001));
        QCOMPARE(flats.position(), 7000);
        QCOMPARE(flats.valueAt(6999, price).toDouble(), 8000.0);

        flats.first();
        QVERIFY(flats.bof() && !flats.eof());
        QCOMPARE(flats.position(), 0);
        flats.prior();
        QVERIFY(flats.bof());
        QCOMPARE(key(flats), qint64(1));
    }

    void aQueryCountsAndPlacesOnlyItsOwnRows()
    {
        ScratchStore store;
        fill(*store.db);
        Query district(*store.db);
        openSemt7(district);
        QCOMPARE(key(district), qint64(7));
        district.last();
        QCOMPARE(key(district), qint64(Rows - 43)); // the last i with i % 50 == 7
        QCOMPARE(district.position(), Rows / 50 - 1);
        QVERIFY(district.locate(QStringLiteral("No"), 5007));
        QCOMPARE(district.position(), 100);
        QVERIFY(!district.locate(QStringLiteral("No"), 5008)); // another district's row
        QCOMPARE(district.position(), 100);
        for (int row = 0; row < district.recordCount(); row += 37)
            QCOMPARE(district.keyAt(row), qint64(row * 50 + 7));
        QCOMPARE(district.recordCount(), Rows / 50);
    }

    void ctrlEndAndLocateMoveTheGrid()
    {
        ScratchStore store;
        fill(*store.db);
        Table flats(*store.db, QStringLiteral("kdgiris"));
        flats.open();
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* grid = new DbGrid;
        layout->addWidget(grid);
        grid->setDataset(&flats, {{QStringLiteral("No"), {}}, {QStringLiteral("Fiyati"), {}}});
        window.resize(480, 360);
        QVERIFY(activate(&window));
        QVERIFY(grid->model()->rowCount() < Rows);

        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QVERIFY(flats.eof());
        QCOMPARE(flats.position(), Rows - 1);
        QCOMPARE(grid->model()->rowCount(), Rows);
        QCOMPARE(grid->currentIndex().row(), Rows - 1);
        QCOMPARE(grid->currentIndex().data().toString(), QString::number(Rows));
        QVERIFY(grid->viewport()->rect().intersects(grid->visualRect(grid->currentIndex())));

        // Up from the end, then a locate from elsewhere (another screen's double-click).
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(flats.position(), Rows - 2);
        QVERIFY(!flats.eof());
        QVERIFY(flats.locate(QStringLiteral("No"), 2500));
        QCOMPARE(grid->currentIndex().row(), 2499);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(key(flats), qint64(2501));
        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(flats.position(), 0);
        QCOMPARE(key(flats), qint64(1));
    }

    void refreshKeepsTheRecordAndFindsItsNewPlace()
    {
        ScratchStore store;
        fill(*store.db);
        Table flats(*store.db, QStringLiteral("kdgiris"));
        flats.open();
        QVERIFY(flats.locate(QStringLiteral("No"), 6000));
        QCOMPARE(flats.position(), 5999);

        // Another window deletes ten rows before mine and adds one at the end.
        deleteRows(*store.db, QStringLiteral("No BETWEEN 11 AND 20"));
        Table theirs(*store.db, QStringLiteral("kdgiris"));
        theirs.open();
        theirs.append();
        theirs.setText(QStringLiteral("Semtadi"), QStringLiteral("Moda"));
        theirs.post();
        QCOMPARE(theirs.position(), Rows - 10); // the new row is last

        flats.refresh();
        QCOMPARE(key(flats), qint64(6000));
        QCOMPARE(flats.position(), 5989);
        QVERIFY(!flats.bof() && !flats.eof());
        flats.last();
        QCOMPARE(flats.text(QStringLiteral("Semtadi")), QStringLiteral("Moda"));
        QCOMPARE(flats.position(), Rows - 10);
        QCOMPARE(flats.recordCount(), Rows - 9);

        // My record itself gone: the row now in its place is current.
        QVERIFY(flats.locate(QStringLiteral("No"), 6000));
        deleteRows(*store.db, QStringLiteral("No = 6000"));
        flats.refresh();
        QCOMPARE(key(flats), qint64(6001));
        QCOMPARE(flats.position(), 5989);

        // The last row gone as well: the one before it.
        flats.last();
        const qint64 lastKey = key(flats);
        deleteRows(*store.db, QStringLiteral("No = %1").arg(lastKey));
        flats.refresh();
        QCOMPARE(key(flats), qint64(Rows));
        QCOMPARE(flats.position(), Rows - 12);
        QVERIFY(!flats.bof() && !flats.eof());
    }

    void aCursorWalkedOnReadsAheadYetSeesEveryWrite()
    {
        ScratchStore store;
        fill(*store.db);
        Query district(*store.db);
        openSemt7(district);

        // Walked whole: every row of the district once, in key order, each in its place.
        QList<qint64> walked;
        for (; !district.eof(); district.next()) {
            QCOMPARE(district.position(), int(walked.size()));
            QCOMPARE(district.number(QStringLiteral("Fiyati")), double(1000 + key(district)));
            QCOMPARE(district.text(QStringLiteral("Semtadi")), QStringLiteral("Semt 7"));
            walked << key(district);
        }
        QList<qint64> expected;
        for (qint64 k = 7; k <= Rows; k += 50)
            expected << k;
        QCOMPARE(walked, expected);

        // Part way through a walk the rows just ahead are already read; what
        // another window writes to them meanwhile is what the cursor shows.
        district.first();
        for (int i = 0; i < 20; ++i)
            district.next();
        QCOMPARE(key(district), qint64(1007));
        Table theirs(*store.db, QStringLiteral("kdgiris"));
        theirs.open();
        QVERIFY(theirs.locate(QStringLiteral("No"), 1057));
        theirs.edit();
        theirs.setText(QStringLiteral("Fiyati"), QStringLiteral("5"));
        theirs.post();
        district.next();
        QCOMPARE(key(district), qint64(1057));
        QCOMPARE(district.number(QStringLiteral("Fiyati")), 5.0);

        deleteRows(*store.db, QStringLiteral("No = 1107")); // gone: passed over
        QVERIFY(theirs.locate(QStringLiteral("No"), 1157)); // moved to another district: passed over
        theirs.edit();
        theirs.setText(QStringLiteral("Semtadi"), QStringLiteral("Moda"));
        theirs.post();
        district.next();
        QCOMPARE(key(district), qint64(1207));
        QCOMPARE(district.position(), 22);

        // Going back and on again reads the row after the one now current.
        district.prior();
        QCOMPARE(key(district), qint64(1057));
        QCOMPARE(district.number(QStringLiteral("Fiyati")), 5.0);
        district.next();
        QCOMPARE(key(district), qint64(1207));
        QCOMPARE(district.number(QStringLiteral("Fiyati")), 2207.0);
        district.next();
        QCOMPARE(key(district), qint64(1257));
        QCOMPARE(district.number(QStringLiteral("Fiyati")), 2257.0);

        // Edited on the way: the edit starts from the record as read, and
        // what was posted is what the walk finds again.
        theirs.first();
        for (int i = 0; i < 40; ++i)
            theirs.next();
        QCOMPARE(key(theirs), qint64(41));
        theirs.edit();
        theirs.setText(QStringLiteral("Fiyati"), QStringLiteral("7"));
        theirs.post();
        QCOMPARE(theirs.text(QStringLiteral("Semtadi")), QStringLiteral("Semt 41"));
        theirs.next();
        QCOMPARE(theirs.number(QStringLiteral("Fiyati")), 1042.0);
        theirs.prior();
        QCOMPARE(theirs.number(QStringLiteral("Fiyati")), 7.0);
        QCOMPARE(theirs.text(QStringLiteral("Semtadi")), QStringLiteral("Semt 41"));
    }

    void deletingAtTheEndsKeepsPlacesRight()
    {
        ScratchStore store;
        fill(*store.db);
        Table flats(*store.db, QStringLiteral("kdgiris"));
        flats.open();
        flats.last();
        flats.remove();
        QCOMPARE(key(flats), qint64(Rows - 1));
        QCOMPARE(flats.position(), Rows - 2);
        QCOMPARE(flats.recordCount(), Rows - 1);
        QVERIFY(!flats.bof() && !flats.eof());
        flats.first();
        flats.remove();
        QCOMPARE(key(flats), qint64(2));
        QCOMPARE(flats.position(), 0);
        QVERIFY(flats.bof());
        QVERIFY(flats.locate(QStringLiteral("No"), 5000));
        flats.remove();
        QCOMPARE(key(flats), qint64(5001));
        QCOMPARE(flats.position(), 4998);
        flats.last();
        QCOMPARE(flats.position(), Rows - 4);

        // A new record goes to the end and counts.
        flats.append();
        QCOMPARE(flats.position(), -1);
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Moda"));
        flats.post();
        QCOMPARE(flats.position(), Rows - 3);
        QCOMPARE(flats.recordCount(), Rows - 2);
        flats.append();
        flats.cancel(); // back where it was
        QCOMPARE(flats.text(QStringLiteral("Semtadi")), QStringLiteral("Moda"));
        QCOMPARE(flats.position(), Rows - 3);
    }
};

QTEST_MAIN(LargeTableTest)
#include "tst_largetable.moc"
