// The bulk comparison without a window: its text letter for letter (3N + 3M
// lines), the request list's order, a run cancelled half-way and a list that
// does not fit the box.

#include "matching/bulkcomparison.h"
#include "support/matchingtesting.h"

#include <QtTest>

using namespace matchingtest;
using Matching::BulkComparison;
using Matching::BulkOutcome;
using Matching::Register;

namespace {

// Listings whose prices and areas rise in the order they are entered, so the
// store returns them in that order whichever index it reads.
void seed(Database& db)
{
    searchtest::addDistrict(db, Kadikoy);
    searchtest::addDistrict(db, Besiktas);
    addListing(db, Register::RentalFlats, {"a1", Kadikoy, ToRent, 1000, 100.0});
    addListing(db, Register::RentalFlats, {"a2", Kadikoy, ToRent, 2000, 150.0});
    addListing(db, Register::RentalFlats, {"a3", Kadikoy, QStringLiteral("Kiralandı"), 1500, 120.0});
    addListing(db, Register::SaleFlats, {"b1", Besiktas, ToBuy, 150000, 85.5});
    addListing(db, Register::RentalProperties, {"c1", Kadikoy, ToRent, 1200, 40.0, Shop});
    addListing(db, Register::SaleProperties, {"d1", Kadikoy, ToBuy, 1250000, 500.0, EitherLand});
    addListing(db, Register::Land, {"e1", Kadikoy, ToBuy, 100000, QStringLiteral("100")});
    addListing(db, Register::Land, {"e2", Kadikoy, ToBuy, 200000, QStringLiteral("1.250")});

    const QList<Wish> requests{
        {.name = "Ayşe Şahin", .kind = "Daire", .wish = ToRent, .phone = "(532) 111-22-33"},
        {.name = "Işıl Çelik", .kind = "Arazi", .wish = ToBuy, .phone = "(216) 333-44-55"},
        {.name = "Gül Öztürk", .kind = EitherLand, .wish = ToBuy},
        {.name = "Can Koç", .kind = "Daire", .wish = ""},
        {.name = "Ali Kara", .kind = "Daire", .wish = ToBuy, .district = Besiktas, .phone = "(542) 000-00-00"},
        {.name = "Ömer Güneş", .kind = Shop, .wish = ToRent, .district = Besiktas},
        {.name = "Şule Uçar", .kind = Shop, .wish = ToRent},
    };
    for (const Wish& w : requests)
        addRequest(db, w);
}

// What "Semt Adına Göre" writes for the requests above: seven blocks, seven listings.
const QStringList& byDistrict()
{
    static const QStringList lines{
        "", "    İsim : Ayşe Şahin    Telefon : (532) 111-22-33", "",
        "", "Semt Adı :Kadıköy   Metre2 :100   Fiyatı : 1000   Emlak : Kiralık Daire", "",
        "", "Semt Adı :Kadıköy   Metre2 :150   Fiyatı : 2000   Emlak : Kiralık Daire", "",
        "", "    İsim : Işıl Çelik    Telefon : (216) 333-44-55", "",
        "", "Semt Adı :Kadıköy   Metre2 :100   Fiyatı : 100000  Emlak : Arsa ve Arazi", "",
        "", "Semt Adı :Kadıköy   Metre2 :1.250   Fiyatı : 200000  Emlak : Arsa ve Arazi", "",
        "", "    İsim : Gül Öztürk    Telefon : ", "",
        "", "Semt Adı :Kadıköy   Metre2 :500   Fiyatı : 1250000   Emlak : Arsa ve Arazi", "",
        "", "    İsim : Can Koç    Telefon : ", "",
        "", "    İsim : Ali Kara    Telefon : (542) 000-00-00", "",
        "", "Semt Adı :Beşiktaş   Metre2 :85,5   Fiyatı : 150000  Emlak : Satılık Daire", "",
        "", "    İsim : Ömer Güneş    Telefon : ", "",
        "", "    İsim : Şule Uçar    Telefon : ", "",
        "", "Semt Adı :Kadıköy   Metre2 :40   Fiyatı : 1200   Emlak  :Dükkan", "",
    };
    return lines;
}

const Statement AllRequests(QStringLiteral("musteritalepleri"));

} // namespace

class BulkComparisonTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;

    BulkOutcome run(int criterion, const Statement& requests = AllRequests, BulkComparison::KeepGoing keepGoing = {},
                    qsizetype capacity = BulkComparison::ListCapacity)
    {
        BulkComparison comparison(*m_store->db, criterion);
        comparison.setKeepGoing(std::move(keepGoing));
        comparison.setCapacity(capacity);
        return comparison.run(requests);
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        m_store = std::make_unique<ScratchStore>();
        seed(*m_store->db);
    }

    void exactText()
    {
        const BulkOutcome outcome = run(Matching::ByDistrict);
        QCOMPARE(outcome.end, BulkOutcome::End::Finished);
        QCOMPARE(outcome.lines, byDistrict());
        QCOMPARE(outcome.text(), byDistrict().join(QLatin1Char('\n')));
        QCOMPARE(outcome.characters, outcome.text().size());
        QCOMPARE(outcome.requestsTotal, 7);
        QCOMPARE(outcome.requestsWritten, 7);
        QCOMPARE(outcome.listings, 7);
        QCOMPARE(outcome.lines.size(), 3 * 7 + 3 * 7);
        QCOMPARE(outcome.lastWritten.name, QStringLiteral("Şule Uçar"));
        // The register of the last request whose test held, and its statement.
        QCOMPARE(outcome.lastHeld, Register::RentalProperties);
        QVERIFY(outcome.lastStatements[size_t(Register::Land)].has_value());
    }

    // The requests come in the request list's order, over its own statement.
    void walksTheRequestList()
    {
        const BulkOutcome some = run(0, Statement(AllRequests).where(QStringLiteral("Semtadi = ?"), {Besiktas}));
        QCOMPARE(some.requestsWritten, 2);
        QCOMPARE(some.lines.at(1), QStringLiteral("    İsim : Ali Kara    Telefon : (542) 000-00-00"));
        QCOMPARE(some.lines.size(), 3 * 2 + 3 * 1);
        QCOMPARE(some.lastWritten.name, QStringLiteral("Ömer Güneş"));

        // A request list that failed to open walks nothing.
        const BulkOutcome none = run(0, Statement());
        QCOMPARE(none.end, BulkOutcome::End::Finished);
        QVERIFY(none.lines.isEmpty());
        QCOMPARE(none.lastWrittenKey, qint64(-1));
    }

    void cancelledRun()
    {
        QList<int> asked;
        const BulkOutcome outcome = run(0, AllRequests, [&](int done, int total) {
            asked << done;
            return !(done == 2 && total == 7);
        });
        QCOMPARE(asked, (QList<int>{1, 2}));
        QCOMPARE(outcome.end, BulkOutcome::End::Cancelled);
        QCOMPARE(outcome.requestsWritten, 2);
        QCOMPARE(outcome.lastWritten.name, QStringLiteral("Işıl Çelik"));
        QCOMPARE(outcome.lines, byDistrict().mid(0, 18));

        // Cancelled after the last request, the run is whole.
        QCOMPARE(run(0, AllRequests, [](int done, int) { return done < 7; }).end, BulkOutcome::End::Finished);
    }

    // A request whose block would overflow the list is left out whole, with
    // every request after it.
    void listFull()
    {
        const qsizetype twoBlocks = byDistrict().mid(0, 18).join(QLatin1Char('\n')).size();
        const BulkOutcome outcome = run(0, AllRequests, {}, twoBlocks + 20);
        QCOMPARE(outcome.end, BulkOutcome::End::ListFull);
        QCOMPARE(outcome.requestsWritten, 2);
        QCOMPARE(outcome.firstLeftOut.name, QStringLiteral("Gül Öztürk"));
        QCOMPARE(outcome.lines, byDistrict().mid(0, 18));
        QCOMPARE(outcome.characters, twoBlocks);
        QCOMPARE(outcome.listings, 4);
        QCOMPARE(outcome.lastHeld, Register::Land);

        // Exactly the capacity fits.
        const qsizetype whole = byDistrict().join(QLatin1Char('\n')).size();
        QCOMPARE(run(0, AllRequests, {}, whole).end, BulkOutcome::End::Finished);
        QCOMPARE(run(0, AllRequests, {}, whole - 1).requestsWritten, 6);
    }
};

QTEST_MAIN(BulkComparisonTest)
#include "tst_bulkcomparison.moc"
