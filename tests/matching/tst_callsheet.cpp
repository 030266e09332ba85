// The call sheet, read from the store: the same listings as the bulk
// comparison, every phone a request holds, a listing marked new only against
// the criterion's last complete sheet, the newest showing of a listing marked
// with its date, and the report grouped by customer.

#include "matching/bulkcomparison.h"
#include "matching/callsheet.h"
#include "platform/reporting/report.h"
#include "platform/system/clock.h"
#include "matching/callsheetreport.h"
#include "support/matchingtesting.h"

#include <QtTest>

using namespace matchingtest;
using Matching::Register;

namespace {

const QString Flat = QStringLiteral("Daire");

class PinnedClock : public Clock {
public:
    QDateTime at{QDate(2026, 12, 10), QTime(17, 30)};
    QDateTime now() const override { return at; }
};

// The listings of a sheet by name, with their marks: "kd1", "kd2 YENİ",
// "kd2 gösterildi 03.12.2026".
QStringList namesOf(Database& db, const CallSheet::Customer& customer)
{
    QStringList names;
    for (const CallSheet::Listing& listing : customer.listings) {
        QString name;
        db.select(QStringLiteral("SELECT \"Isim\" FROM %1 WHERE \"No\" = ?").arg(Matching::rule(listing.where).table),
                  {listing.key}, [&](const SqlStatement& row) { name = row.text(0); });
        for (const QString& mark : {CallSheet::newMark(listing), CallSheet::shownMark(listing)})
            if (!mark.isEmpty())
                name += QLatin1Char(' ') + mark;
        names << name;
    }
    return names;
}

qint64 keyOf(Database& db, const QString& table, const QString& name)
{
    qint64 key = -1;
    db.select(QStringLiteral("SELECT \"No\" FROM %1 WHERE \"Isim\" = ?").arg(table), {name},
              [&](const SqlStatement& row) { key = row.integer(0); });
    return key;
}

int rowsOf(Database& db, const QString& table)
{
    int count = -1;
    db.select(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table), {},
              [&](const SqlStatement& row) { count = int(row.integer(0)); });
    return count;
}

} // namespace

class CallSheetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    PinnedClock m_clock;

    Database& db() { return *m_store->db; }
    static Statement everyRequest() { return Statement(QStringLiteral("musteritalepleri")); }

    CallSheet::Sheet run(int criterion, const CallSheet::ShownByRequest& shown = {})
    {
        return CallSheet::run(db(), criterion, everyRequest(), shown);
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        setSystemClock(&m_clock);
    }
    void cleanupTestCase() { setSystemClock(nullptr); }

    void init()
    {
        m_clock.at = QDateTime(QDate(2026, 12, 10), QTime(17, 30));
        m_store = std::make_unique<ScratchStore>();
        seedListings(db());
        // Ayşe: kd1 and kd2 by everything; three phones. Ali: a flat in
        // Beşiktaş, kd4. Nobody: nothing fits, so not on the sheet.
        addRequest(db(), {"Ayşe", Flat, ToRent, Kadikoy, 1000, 2000, 100, 150, QStringLiteral("(216) 555-11-22")});
        db().execute(QStringLiteral("UPDATE musteritalepleri SET \"Istel\" = ?, \"Ceptel\" = ? WHERE \"Isim\" = ?"),
                     {QStringLiteral("(___) ___-__-__"), QStringLiteral("(532) 444-33-22"), QStringLiteral("Ayşe")});
        addRequest(db(), {"Ali", Flat, ToRent, Besiktas, 1000, 2000, 100, 150});
        addRequest(db(), {"Nobody", Flat, ToRent, Kadikoy, 1, 2, 1, 2});
    }

    void listsWhatTheBulkComparisonListsWithEveryPhone()
    {
        for (int criterion = 0; criterion < Matching::CriterionCount; ++criterion) {
            const CallSheet::Sheet sheet = CallSheet::make(db(), criterion, everyRequest(), {});
            const Matching::BulkOutcome bulk = Matching::BulkComparison(db(), criterion).run(everyRequest());
            QCOMPARE(sheet.listings, bulk.listings);
            QCOMPARE(sheet.requestsRead, 3);
            // The listings in the comparison list's order, request by request.
            QStringList sheetLines, bulkLines;
            for (const CallSheet::Customer& customer : sheet.customers)
                for (const CallSheet::Listing& l : customer.listings)
                    sheetLines << QStringList{l.district, l.area, l.kind}.join(QLatin1Char('|'));
            for (const QString& line : bulk.lines)
                if (const auto fields = Matching::readListingLine(line))
                    bulkLines << QStringList{fields->district, fields->area, fields->kind}.join(QLatin1Char('|'));
            QCOMPARE(sheetLines, bulkLines);
        }
        const CallSheet::Sheet sheet = CallSheet::make(db(), Matching::ByAll, everyRequest(), {});
        QCOMPARE(sheet.customers.size(), 2); // Nobody has nothing to be called about
        const CallSheet::Customer& ayse = sheet.customers.first();
        QCOMPARE(ayse.name, QStringLiteral("Ayşe"));
        QCOMPARE(namesOf(db(), ayse), (QStringList{QStringLiteral("kd1"), QStringLiteral("kd2")}));
        // The empty mask is no number.
        QCOMPARE(ayse.phones, (QStringList{QStringLiteral("(216) 555-11-22"), QStringLiteral("(532) 444-33-22")}));
        QCOMPARE(ayse.wants, QStringLiteral("Kiralık Daire · Kadıköy · 1.000 – 2.000 · 100 – 150 m²"));
        QCOMPARE(namesOf(db(), sheet.customers.at(1)), QStringList{QStringLiteral("kd4")});
    }

    void marksNewOnlyAgainstTheCriterionsLastCompleteSheet()
    {
        const CallSheet::Sheet first = run(Matching::ByAll);
        QVERIFY(!first.previousRun.isValid());
        QCOMPARE(first.newListings, 0); // a first sheet has nothing to compare with
        QCOMPARE(rowsOf(db(), QStringLiteral("karsilastirmaizi")), 3);

        // A day later a flat comes in that Ayşe wants, and kd1 is let.
        m_clock.at = m_clock.at.addDays(1);
        addListing(db(), Register::RentalFlats, {"kd7", Kadikoy, ToRent, 1800, 140.0});
        db().execute(QStringLiteral("UPDATE kdgiris SET \"Durum\" = 'Kiralandı' WHERE \"Isim\" = 'kd1'"));
        // A cancelled sheet remembers nothing.
        const CallSheet::Sheet cancelled =
            CallSheet::run(db(), Matching::ByAll, everyRequest(), {}, [](int, int) { return false; });
        QVERIFY(cancelled.cancelled);

        const CallSheet::Sheet second = run(Matching::ByAll);
        QCOMPARE(second.previousRun, first.madeAt);
        QStringList ayse = namesOf(db(), second.customers.first());
        ayse.sort(); // in the order the store gives them, as in the comparison list
        QCOMPARE(ayse, (QStringList{QStringLiteral("kd2"), QStringLiteral("kd7 YENİ")}));
        QCOMPARE(namesOf(db(), second.customers.at(1)), QStringList{QStringLiteral("kd4")});
        QCOMPARE(second.newListings, 1);

        // Against the sheet just made, nothing is new any more; another
        // criterion keeps a memory of its own.
        QCOMPARE(run(Matching::ByAll).newListings, 0);
        const CallSheet::Sheet byDistrict = run(Matching::ByDistrict);
        QVERIFY(!byDistrict.previousRun.isValid());
        QCOMPARE(byDistrict.newListings, 0);
        QCOMPARE(run(Matching::ByAll).previousRun, m_clock.at);
    }

    void remembersLongSheetsWhole()
    {
        // More pairs than one statement writes.
        for (int i = 0; i < 450; ++i)
            addListing(db(), Register::RentalFlats,
                       {"many", Kadikoy, ToRent, 1200.0 + i, 110.0});
        const CallSheet::Sheet first = run(Matching::ByAll);
        QCOMPARE(first.listings, 453);
        QCOMPARE(rowsOf(db(), QStringLiteral("karsilastirmaizi")), 453);
        QCOMPARE(run(Matching::ByAll).newListings, 0);
        QCOMPARE(rowsOf(db(), QStringLiteral("karsilastirmaizi")), 453); // the earlier sheet is gone
        QCOMPARE(rowsOf(db(), QStringLiteral("karsilastirmalar")), 1);
    }

    void aFullSheetRemembersItsOwnRequestsAndKeepsTheOthers()
    {
        const qint64 kd4 = keyOf(db(), QStringLiteral("kdgiris"), QStringLiteral("kd4"));
        run(Matching::ByAll);
        // A sheet with room for Ayşe's two flats only stops before Ali.
        const CallSheet::Sheet full = CallSheet::run(db(), Matching::ByAll, everyRequest(), {}, {}, 2);
        QVERIFY(full.full);
        QCOMPARE(full.requestsRead, 1);
        QCOMPARE(full.customers.size(), 1);
        QCOMPARE(full.listings, 2);
        QCOMPARE(full.lastRequestRead, keyOf(db(), QStringLiteral("musteritalepleri"), QStringLiteral("Ayşe")));
        // Ali's pair is still remembered: nothing is new for him.
        const CallSheet::Sheet next = run(Matching::ByAll);
        QCOMPARE(next.newListings, 0);
        QCOMPARE(next.customers.at(1).listings.first().key, kd4);
        // Room for no request at all keeps every earlier pair.
        QVERIFY(CallSheet::run(db(), Matching::ByAll, everyRequest(), {}, {}, 1).full);
        QCOMPARE(run(Matching::ByAll).newListings, 0);
    }

    void marksTheNewestShowingOfTheRightListing()
    {
        const qint64 ayse = keyOf(db(), QStringLiteral("musteritalepleri"), QStringLiteral("Ayşe"));
        const qint64 kd1 = keyOf(db(), QStringLiteral("kdgiris"), QStringLiteral("kd1"));
        const qint64 kd2 = keyOf(db(), QStringLiteral("kdgiris"), QStringLiteral("kd2"));
        CallSheet::ShownByRequest shown;
        shown[ayse] = {{QStringLiteral("kdgiris"), kd2, QDate(2026, 12, 1)},
                       {QStringLiteral("kdgiris"), kd2, QDate(2026, 12, 3)},
                       // The same key in another register is another listing.
                       {QStringLiteral("sdgiris"), kd1, QDate(2026, 12, 2)}};
        // Shown to someone else.
        shown[keyOf(db(), QStringLiteral("musteritalepleri"), QStringLiteral("Ali"))] = {
            {QStringLiteral("kdgiris"), kd1, QDate(2026, 12, 4)}};
        const CallSheet::Sheet sheet = run(Matching::ByAll, shown);
        QCOMPARE(namesOf(db(), sheet.customers.first()),
                 (QStringList{QStringLiteral("kd1"), QStringLiteral("kd2 gösterildi 03.12.2026")}));
        QCOMPARE(sheet.shownListings, 1);
        // A log date that reads as none still marks it shown.
        shown[ayse] = {{QStringLiteral("kdgiris"), kd1, QDate()}};
        QCOMPARE(namesOf(db(), run(Matching::ByAll, shown).customers.first()),
                 (QStringList{QStringLiteral("kd1 gösterildi"), QStringLiteral("kd2")}));
    }

    void theReportHasACustomerOverHisListings()
    {
        run(Matching::ByAll);
        m_clock.at = m_clock.at.addDays(1);
        addListing(db(), Register::RentalFlats, {"kd7", Kadikoy, ToRent, 1800, 140.0});
        const CallSheet::Sheet sheet = run(Matching::ByAll);
        auto report = CallSheet::makeReport(sheet);
        QVERIFY(report->layoutAll());
        QCOMPARE(report->pagesLaidOut(), 1);
        // Each customer's name and phones over his listings' names and "new"
        // marks (sorted: they come in the order the store gives them).
        QStringList printed;
        QStringList group;
        const auto endGroup = [&] {
            group.sort();
            printed += group;
            group.clear();
        };
        for (const reporting::Report::PlacedBand& band : report->page(0).bands) {
            if (band.kind == reporting::Report::BandKind::GroupHeader) {
                endGroup();
                printed << band.texts.mid(0, 2).join(QLatin1Char('|'));
            }
            if (band.kind == reporting::Report::BandKind::Detail)
                group << QStringLiteral("  ") + band.texts.first() + QLatin1Char('|') + band.texts.last();
            if (band.kind == reporting::Report::BandKind::Title)
                QVERIFY2(band.texts.at(1).contains(QStringLiteral("10.12.2026 17:30")), qPrintable(band.texts.at(1)));
        }
        endGroup();
        const auto flat = [&](const char* name) {
            return QStringLiteral("  Kiralık Daire %1|").arg(keyOf(db(), QStringLiteral("kdgiris"), QString::fromUtf8(name)));
        };
        QCOMPARE(printed, (QStringList{QStringLiteral("Ayşe|(216) 555-11-22   (532) 444-33-22"), flat("kd1"), flat("kd2"),
                                       flat("kd7") + QStringLiteral("YENİ"), QStringLiteral("Ali|"), flat("kd4")}));
    }
};

QTEST_MAIN(CallSheetTest)
#include "tst_callsheet.moc"
