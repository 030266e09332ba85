// What the matching tells beside its exact result, read from the store:
// near misses (which listings, in what order, with which marks, under which
// margin), the listings a criterion can never find for an empty field, and
// the matching turned round (the requests a listing satisfies), checked
// against the matching itself over every request, listing and criterion.

#include "matching/listingcustomers.h"
#include "matching/nearmisses.h"
#include "platform/engine/rowstream.h"
#include "support/matchingtesting.h"

#include <QtTest>

using namespace matchingtest;
using Matching::Compared;
using Matching::Register;

namespace {

const QString Flat = QStringLiteral("Daire");

struct Expected {
    const char* name;
    QStringList marks;
};

// Every listing of every register as the reverse match reads it, with its name.
QList<QPair<QString, Matching::ListingValues>> everyListing(Database& db)
{
    QList<QPair<QString, Matching::ListingValues>> all;
    for (const Matching::RegisterRule& r : Matching::registers()) {
        QStringList columns{QStringLiteral("Isim"), r.districtField, QStringLiteral("Durum"), QStringLiteral("Fiyati"),
                            QStringLiteral("Metre2")};
        if (r.byKind)
            columns << QStringLiteral("Emlak");
        RowStream rows(db, Matching::wholeRegister(r.id), columns);
        while (rows.next())
            all << qMakePair(rows.text(0), Matching::readListing(r.id, rows));
    }
    return all;
}

} // namespace

class MatchAssistantRulesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;

    // The names and marks of the near misses, in their order.
    QList<QPair<QString, QStringList>> nearMisses(const Wish& wish, int criterion, int margin = Matching::DefaultMargin)
    {
        QList<QPair<QString, QStringList>> found;
        for (const Matching::NearMiss& m : Matching::nearMisses(*m_store->db, requestOf(wish), criterion, margin))
            found << qMakePair(nameOf(m.where, m.key), m.marks());
        return found;
    }

    QString nameOf(Register where, qint64 key)
    {
        QString name;
        m_store->db->select(QStringLiteral("SELECT \"Isim\" FROM %1 WHERE \"No\" = ?").arg(Matching::rule(where).table),
                            {key}, [&](const SqlStatement& row) { name = row.text(0); });
        return name;
    }

    static QList<QPair<QString, QStringList>> expected(const QList<Expected>& rows)
    {
        QList<QPair<QString, QStringList>> list;
        for (const Expected& e : rows)
            list << qMakePair(QString::fromUtf8(e.name), e.marks);
        return list;
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        m_store = std::make_unique<ScratchStore>();
        Database& db = *m_store->db;
        seedListings(db);
        // Listings with an empty field, available or not.
        const QVariant none(QMetaType::fromType<double>());
        insertRow(db, "kdgiris", {{"Isim", "kd7"}, {"Semtadi", Kadikoy}, {"Durum", ToRent}, {"Fiyati", none},
                                  {"Metre2", 100.0}});
        insertRow(db, "kdgiris", {{"Isim", "kd8"}, {"Semtadi", Kadikoy}, {"Durum", "Kiralandı"}, {"Fiyati", none},
                                  {"Metre2", none}});
        insertRow(db, "kdgiris", {{"Isim", "kd9"}, {"Semtadi", Besiktas}, {"Durum", ToRent}, {"Fiyati", 1500.0},
                                  {"Metre2", none}});
        insertRow(db, "arsa", {{"Isim", "ar7"}, {"Semt", Kadikoy}, {"Durum", ToBuy}, {"Fiyati", 100000.0},
                               {"Metre2", ""}});
    }

    void nearMissesInOrderWithTheirMarks_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("price only: exact ones left out, a hair is 1%") << 0;
        QTest::newRow("a narrower margin") << 1;
        QTest::newRow("district and area: units missing or over") << 2;
        QTest::newRow("all three: the largest miss decides the order") << 3;
        QTest::newRow("land area read as a number") << 4;
        QTest::newRow("a property of its own kind only") << 5;
        QTest::newRow("district alone has no margin") << 6;
        QTest::newRow("an empty bound: nothing near") << 7;
    }
    void nearMissesInOrderWithTheirMarks()
    {
        QFETCH(int, index);
        const Wish byPrice{.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = 1000, .highestPrice = 1920};
        switch (index) {
        case 0:
            // kd1 1000 and kd4 1500 match exactly; kd3 is let; kd7 has no price.
            QCOMPARE(nearMisses(byPrice, 1), expected({{"kd5", {"fiyat %1 düşük"}},
                                                       {"kd2", {"fiyat %4 yüksek"}},
                                                       {"kd6", {"fiyat %4 yüksek"}}}));
            break;
        case 1:
            QCOMPARE(nearMisses(byPrice, 1, 4), expected({{"kd5", {"fiyat %1 düşük"}}}));
            QCOMPARE(nearMisses(byPrice, 1, 5).size(), 3);
            break;
        case 2:
            QCOMPARE(nearMisses({.name = "q", .kind = Flat, .wish = ToRent, .smallestArea = 105, .largestArea = 140}, 4),
                     expected({{"kd1", {"semt ✔", "m² 5 eksik"}},
                               {"kd7", {"semt ✔", "m² 5 eksik"}},
                               {"kd5", {"semt ✔", "m² 6 eksik"}},
                               {"kd2", {"semt ✔", "m² 10 fazla"}},
                               {"kd6", {"semt ✔", "m² 11 fazla"}}}));
            break;
        case 3:
            QCOMPARE(nearMisses({.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = 1000, .highestPrice = 2000,
                                 .smallestArea = 105, .largestArea = 150},
                                6),
                     expected({{"kd6", {"semt ✔", "fiyat %1 yüksek", "m² 1 fazla"}},
                               {"kd1", {"semt ✔", "fiyat ✔", "m² 5 eksik"}},
                               {"kd5", {"semt ✔", "fiyat %1 düşük", "m² 6 eksik"}}}));
            break;
        case 4:
            // "1.250", "yüz" and the empty area read as no number near 95-99.
            QCOMPARE(nearMisses({.name = "q", .kind = "Arazi", .wish = ToBuy, .smallestArea = 95, .largestArea = 99}, 2),
                     expected({{"ar1", {"m² 1 fazla"}}, {"ar6", {"m² 5 eksik"}}}));
            break;
        case 5:
            QCOMPARE(nearMisses({.name = "q", .kind = Shop, .wish = ToRent, .lowestPrice = 1050, .highestPrice = 1100}, 1),
                     expected({{"ke1", {"fiyat %5 düşük"}}}));
            break;
        case 6:
            QVERIFY(!Matching::hasMargin(0));
            QVERIFY(nearMisses({.name = "q", .kind = Flat, .wish = ToRent}, 0).isEmpty());
            break;
        case 7:
            QVERIFY(nearMisses({.name = "q", .kind = Flat, .wish = ToRent, .highestPrice = 2000}, 1).isEmpty());
            break;
        }
    }

    // A near miss is never an exact match, and widening by nothing finds
    // exactly what the match finds.
    void widenedByNothingIsTheMatch()
    {
        const Wish w{.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = 1000, .highestPrice = 2000,
                     .smallestArea = 100, .largestArea = 150};
        const Matching::Request request = requestOf(w);
        for (int criterion = 1; criterion < Matching::CriterionCount; ++criterion) {
            const auto names = [&](const Statement& s) {
                RowStream rows(*m_store->db, s, {QStringLiteral("Isim")});
                QStringList found;
                while (rows.next())
                    found << rows.text(0);
                return sortedCopy(found);
            };
            QCOMPARE(names(Matching::widenedStatementFor(Register::RentalFlats, request, criterion, 0)),
                     names(Matching::statementFor(Register::RentalFlats, request, criterion)));
            QVERIFY(Matching::nearMisses(*m_store->db, request, criterion, 0).isEmpty());
        }
    }

    // The near misses are exactly the listings of the widened search that
    // the marks call a miss within the margin, each once, closest first and
    // ties by register and key: over bounds on listings' values, at the
    // widened edges and the wrong way round, every criterion and margin.
    void nearMissesAreTheWidenedSearchLessTheMatch()
    {
        Database& db = *m_store->db;
        const auto byDefinition = [&](const Matching::Request& request, int criterion, int margin) {
            QList<std::tuple<double, Register, qint64, QStringList>> rows;
            for (const Register id : Matching::registersFor(request, criterion, Matching::Scope::OneRequest)) {
                RowStream listing(db, Matching::widenedStatementFor(id, request, criterion, margin),
                                  {QStringLiteral("No"), QStringLiteral("Fiyati"), QStringLiteral("Metre2")});
                while (listing.next()) {
                    const QVariant price = listing.isNull(1) ? QVariant() : QVariant(listing.number(1));
                    const QVariant area = Matching::listingArea(id, listing.value(2));
                    const Matching::Marked m = Matching::markListing(request, criterion, price, area);
                    if (!m.exact && m.distance <= margin / 100.0 + 1e-9)
                        rows << std::make_tuple(m.distance, id, listing.integer(0), m.marks);
                }
            }
            std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
                return std::tie(std::get<0>(a), std::get<1>(a), std::get<2>(a))
                       < std::tie(std::get<0>(b), std::get<1>(b), std::get<2>(b));
            });
            return rows;
        };
        const QList<QPair<double, double>> prices{{1000, 1920}, {1110, 1500}, {2000, 1000}, {1000, 1000}, {90000, 1.1e5}};
        const QList<QPair<double, double>> areas{{105, 140}, {100, 150}, {91, 99}, {150, 100}, {110, 110}};
        const QList<QPair<QString, QString>> kinds{{Flat, ToRent}, {Flat, ToBuy}, {Shop, ToRent},
                                                   {QStringLiteral("Arazi"), ToBuy}, {QStringLiteral("Arsa"), ToRent},
                                                   {EitherLand, ToRent}};
        int compared = 0;
        for (const auto& [kind, wish] : kinds)
            for (const auto& [lowPrice, highPrice] : prices)
                for (const auto& [lowArea, highArea] : areas) {
                    const Matching::Request request =
                        requestOf({.name = "q", .kind = kind, .wish = wish, .lowestPrice = lowPrice,
                                   .highestPrice = highPrice, .smallestArea = lowArea, .largestArea = highArea});
                    for (int criterion = 1; criterion < Matching::CriterionCount; ++criterion)
                        for (const int margin : {0, 1, 10, 50}) {
                            QList<std::tuple<double, Register, qint64, QStringList>> found;
                            for (const Matching::NearMiss& m : Matching::nearMisses(db, request, criterion, margin))
                                found << std::make_tuple(m.distance, m.where, m.key, m.marks());
                            QCOMPARE(found, byDefinition(request, criterion, margin));
                            compared += int(found.size());
                        }
                }
        QVERIFY(compared > 100);
    }

    void marksOfOneListing()
    {
        const Matching::Request r = requestOf({.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = 1000,
                                               .highestPrice = 2000, .smallestArea = 80, .largestArea = 90});
        auto m = Matching::markListing(r, 6, 2080.0, 85.5);
        QCOMPARE(m.marks, (QStringList{"semt ✔", "fiyat %4 yüksek", "m² ✔"}));
        QVERIFY(!m.exact);
        QCOMPARE(m.distance, 0.04);
        m = Matching::markListing(r, 5, 1500.0, 77.5);
        QCOMPARE(m.marks, (QStringList{"fiyat ✔", "m² 2,5 eksik"}));
        m = Matching::markListing(r, 1, 1500.0, QVariant());
        QVERIFY(m.exact);
        m = Matching::markListing(r, 2, 1500.0, QVariant());
        QCOMPARE(m.marks, QStringList{"m² yok"});
        QVERIFY(!m.exact);
    }

    // Counted among the listings a search looks for (available, or on land
    // of the wished status); they are indeed never found by that field.
    void listingsNoSearchFinds()
    {
        Database& db = *m_store->db;
        QCOMPARE(Matching::countMissing(db, Register::RentalFlats, Compared::Price), qint64(1));  // kd7, not let kd8
        QCOMPARE(Matching::countMissing(db, Register::RentalFlats, Compared::Area), qint64(1));   // kd9
        QCOMPARE(Matching::countMissing(db, Register::SaleFlats, Compared::Price), qint64(0));
        QCOMPARE(Matching::countMissing(db, Register::Land, Compared::Area, ToBuy), qint64(2));   // "yüz", ""
        QCOMPARE(Matching::countMissing(db, Register::Land, Compared::Area, ToRent), qint64(0));
        // A listing search with "Tümü" looks through let flats too; one that
        // filters on "Kiralandı" through those only.
        QCOMPARE(Matching::countMissing(db, Register::RentalFlats, Compared::Price, std::nullopt), qint64(2));
        QCOMPARE(Matching::countMissing(db, Register::RentalFlats, Compared::Area, std::nullopt), qint64(2));
        QCOMPARE(Matching::countMissing(db, Register::RentalFlats, Compared::Price, QStringLiteral("Kiralandı")),
                 qint64(1));
        QCOMPARE(Matching::countMissing(db, Register::Land, Compared::Area, std::nullopt), qint64(2));
        QVERIFY(Matching::registerOf(QStringLiteral("KDGIRIS.db")) == Register::RentalFlats);
        QVERIFY(!Matching::registerOf(QStringLiteral("musteritalepleri")));
        QCOMPARE(Matching::comparedBy(0), QList<Compared>{});
        QCOMPARE(Matching::comparedBy(6), (QList<Compared>{Compared::Price, Compared::Area}));

        const Matching::Request wide = requestOf({.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = -1e12,
                                                  .highestPrice = 1e12, .smallestArea = -1e12, .largestArea = 1e12});
        for (int criterion = 1; criterion < Matching::CriterionCount; ++criterion) {
            RowStream rows(db, Matching::statementFor(Register::RentalFlats, wide, criterion), {QStringLiteral("Isim")});
            while (rows.next()) {
                if (Matching::criteria().at(criterion).price)
                    QVERIFY(rows.text(0) != "kd7");
                if (Matching::criteria().at(criterion).area)
                    QVERIFY(rows.text(0) != "kd9");
            }
        }
    }

    void missingNotices()
    {
        QCOMPARE(Matching::missingNotice(Register::RentalFlats, Compared::Price, 12),
                 QStringLiteral("12 kiralık dairede fiyat yok; fiyata göre aramalarda çıkmazlar"));
        QCOMPARE(Matching::missingNotice(Register::SaleProperties, Compared::Area, 1234),
                 QStringLiteral("1.234 satılık emlakta m² yok; metre kareye göre aramalarda çıkmazlar"));
        QCOMPARE(Matching::missingNotice(Register::Land, Compared::Area, 2),
                 QStringLiteral("2 arsa ve arazide m² sayı değil; metre kareye göre aramalarda çıkmazlar"));
    }

    // The reverse match is the match turned round: over every request, every
    // listing and every criterion, a request lists the listing exactly when
    // matching that request on the screen finds it.
    void customersAreTheMatchTurnedRound()
    {
        Database& db = *m_store->db;
        QStringList names;
        int n = 0;
        for (const QString& kind : {Flat, QStringLiteral("Arsa"), QStringLiteral("Arazi"), EitherLand, Shop, FlowerShop})
            for (const QString& wish : {ToRent, ToBuy, QString()})
                for (const QString& district : {Kadikoy, Besiktas})
                    for (int bounds = 0; bounds < 3; ++bounds) {
                        const QString name = QStringLiteral("r%1").arg(n++);
                        Wish w{.name = "", .kind = kind, .wish = wish, .district = district};
                        if (bounds == 0)
                            w.lowestPrice = 1000, w.highestPrice = 2000, w.smallestArea = 100, w.largestArea = 150;
                        else if (bounds == 1)
                            w.lowestPrice = 999, w.highestPrice = 150000, w.smallestArea = 90, w.largestArea = 1250;
                        insertRow(db, "musteritalepleri",
                                  {{"Isim", name}, {"Semtadi", district}, {"Emlak", kind}, {"Istek", Statement::text(wish)},
                                   {"Fiyatilkdeger", w.lowestPrice.isValid() ? w.lowestPrice : QVariant(QMetaType::fromType<double>())},
                                   {"Ikincifiyat", w.highestPrice.isValid() ? w.highestPrice : QVariant(QMetaType::fromType<double>())},
                                   {"IlkMetre2", w.smallestArea.isValid() ? w.smallestArea : QVariant(QMetaType::fromType<double>())},
                                   {"Ikincimetre2", w.largestArea.isValid() ? w.largestArea : QVariant(QMetaType::fromType<double>())}});
                    }
        const auto listings = everyListing(db);
        int pairs = 0;
        for (int criterion = 0; criterion < Matching::CriterionCount; ++criterion) {
            // Forward: which listing each request finds on the screen.
            QSet<QString> forward;
            RowStream requests(db, Statement("musteritalepleri"), Matching::requestFields());
            while (requests.next()) {
                const Matching::Request request = Matching::readRequest(requests);
                for (const Register id : Matching::registersFor(request, criterion, Matching::Scope::OneRequest)) {
                    RowStream found(db, Matching::statementFor(id, request, criterion), {QStringLiteral("Isim")});
                    while (found.next())
                        forward << request.name + "→" + found.text(0);
                }
            }
            QSet<QString> reverse;
            for (const auto& [listing, values] : listings)
                for (const Matching::Customer& c : Matching::customersFor(db, values, criterion))
                    reverse << c.name + "→" + listing;
            QCOMPARE(reverse, forward);
            pairs += int(forward.size());
        }
        QVERIFY(pairs > 100); // the grid of requests does find listings
        db.execute(QStringLiteral("DELETE FROM musteritalepleri"));
    }

    void customersCarryEveryPhone()
    {
        Database& db = *m_store->db;
        insertRow(db, "musteritalepleri",
                  {{"Isim", "Işıl"}, {"Semtadi", Kadikoy}, {"Emlak", Flat}, {"Istek", ToRent},
                   {"Fiyatilkdeger", 500.0}, {"Ikincifiyat", 1500.0}, {"Telefon", "(532) 111-22-33"},
                   {"Istel", "(   )    -  -  "}, {"Ceptel", "(555) 000-11-22"}});
        const auto listings = everyListing(db);
        const auto kd1 = std::find_if(listings.begin(), listings.end(), [](const auto& l) { return l.first == "kd1"; });
        QVERIFY(kd1 != listings.end());
        const QList<Matching::Customer> found = Matching::customersFor(db, kd1->second, 3);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().name, QStringLiteral("Işıl"));
        QCOMPARE(found.first().phones, (QStringList{"(532) 111-22-33", "(555) 000-11-22"}));
        QVERIFY(found.first().key > 0);

        // A flat already let, and a property typed as a flat, are wanted by nobody.
        Matching::ListingValues let = kd1->second;
        let.status = QStringLiteral("Kiralandı");
        QVERIFY(!Matching::customersStatement(let, 0));
        const Matching::ListingValues typedFlat{.where = Register::RentalProperties, .district = Kadikoy,
                                                .status = ToRent, .kind = Flat, .price = 1000.0, .area = 100.0};
        QVERIFY(!Matching::customersStatement(typedFlat, 0));
        // No price: by price nobody finds it.
        Matching::ListingValues unpriced = kd1->second;
        unpriced.price = QVariant();
        QVERIFY(Matching::customersFor(db, unpriced, 1).isEmpty());
        QCOMPARE(Matching::customersFor(db, unpriced, 0).size(), 1);
        db.execute(QStringLiteral("DELETE FROM musteritalepleri"));
    }
};

QTEST_MAIN(MatchAssistantRulesTest)
#include "tst_matchassistantrules.moc"
