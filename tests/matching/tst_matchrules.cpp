// The matching rules, from one table of cases: for a request, a criterion and
// the scope (one request on the screen, or the bulk comparison), which
// registers are searched and which listings each search returns, read from
// the store.

#include "matching/matchrules.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/rowstream.h"
#include "support/matchingtesting.h"

#include <QtTest>

using namespace matchingtest;
using Matching::Register;
using Matching::Scope;

namespace {

using Found = QMap<Register, QStringList>; // register searched -> names found, sorted

struct Case {
    const char* title;
    Wish request;
    int criterion;
    Found found;
    Scope scope = Scope::OneRequest;
};

const QString Flat = QStringLiteral("Daire");

QList<Case> cases()
{
    using R = Register;
    return {
        // Flats: the register follows the wish; only available flats.
        {"flat to rent by district", {.name = "q", .kind = Flat, .wish = ToRent}, 0,
         {{R::RentalFlats, {"kd1", "kd2", "kd5", "kd6"}}}},
        {"price bounds met exactly", {.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = 1000, .highestPrice = 2000},
         1, {{R::RentalFlats, {"kd1", "kd2", "kd4"}}}},
        {"price bounds missed by one", {.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = 1001, .highestPrice = 1999},
         1, {{R::RentalFlats, {"kd4"}}}},
        {"area bounds met exactly", {.name = "q", .kind = Flat, .wish = ToRent, .smallestArea = 100, .largestArea = 150},
         2, {{R::RentalFlats, {"kd1", "kd2", "kd4"}}}},
        {"area bounds missed by one", {.name = "q", .kind = Flat, .wish = ToRent, .smallestArea = 101, .largestArea = 149},
         2, {{R::RentalFlats, {"kd4"}}}},
        {"district and price", {.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = 1000, .highestPrice = 2000},
         3, {{R::RentalFlats, {"kd1", "kd2"}}}},
        {"district and area", {.name = "q", .kind = Flat, .wish = ToRent, .smallestArea = 100, .largestArea = 150},
         4, {{R::RentalFlats, {"kd1", "kd2"}}}},
        {"price and area", {.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = 1000, .highestPrice = 1500,
                            .smallestArea = 100, .largestArea = 120},
         5, {{R::RentalFlats, {"kd1", "kd4"}}}},
        {"all three", {.name = "q", .kind = Flat, .wish = ToRent, .lowestPrice = 1000, .highestPrice = 2000,
                       .smallestArea = 100, .largestArea = 150},
         6, {{R::RentalFlats, {"kd1", "kd2"}}}},
        {"flat to buy, district and price: sale flats only",
         {.name = "q", .kind = Flat, .wish = ToBuy, .lowestPrice = 100000, .highestPrice = 150000}, 3,
         {{R::SaleFlats, {"sd1"}}}},
        {"flat to buy by area: a decimal area", {.name = "q", .kind = Flat, .wish = ToBuy, .district = Besiktas,
                                                 .smallestArea = 85.5, .largestArea = 85.5},
         4, {{R::SaleFlats, {"sd3"}}}},
        // Other kinds: the property registers, by the kind's exact name.
        {"a kind the agency defined", {.name = "q", .kind = FlowerShop, .wish = ToRent}, 0,
         {{R::RentalProperties, {"ke2"}}}},
        {"a shop to buy", {.name = "q", .kind = Shop, .wish = ToBuy}, 0, {{R::SaleProperties, {"se1"}}}},
        {"kinds are compared letter for letter", {.name = "q", .kind = QStringLiteral("dükkan"), .wish = ToRent}, 0,
         {{R::RentalProperties, {}}}},
        {"\"daire\" is not \"Daire\"", {.name = "q", .kind = QStringLiteral("daire"), .wish = ToRent}, 0,
         {{R::RentalProperties, {}}}},
        // "Arsa ve Arazi": land as well as property by district on the screen; property only otherwise.
        {"Arsa ve Arazi to let by district", {.name = "q", .kind = EitherLand, .wish = ToRent}, 0,
         {{R::Land, {"ar3"}}, {R::RentalProperties, {"ke3"}}}},
        {"Arsa ve Arazi to buy by district", {.name = "q", .kind = EitherLand, .wish = ToBuy}, 0,
         {{R::Land, {"ar1", "ar2", "ar4"}}, {R::SaleProperties, {"se2"}}}},
        {"Arsa ve Arazi to buy by district, bulk", {.name = "q", .kind = EitherLand, .wish = ToBuy}, 0,
         {{R::SaleProperties, {"se2"}}}, Scope::Bulk},
        {"Arsa ve Arazi to let by price", {.name = "q", .kind = EitherLand, .wish = ToRent, .lowestPrice = 1000,
                                           .highestPrice = 1500},
         1, {{R::RentalProperties, {"ke3"}}}},
        // Land: any wish, which is the status the land must carry; the area read as a number.
        {"land area as a number: 100 lies between 80 and 120",
         {.name = "q", .kind = QStringLiteral("Arazi"), .wish = ToBuy, .smallestArea = 80, .largestArea = 120}, 2,
         {{R::Land, {"ar1", "ar6"}}}},
        {"land area held as 1.250", {.name = "q", .kind = QStringLiteral("Arsa"), .wish = ToBuy, .smallestArea = 1250,
                                     .largestArea = 1250},
         4, {{R::Land, {"ar2"}}}},
        {"land area missed by one", {.name = "q", .kind = QStringLiteral("Arsa"), .wish = ToBuy, .smallestArea = 101,
                                     .largestArea = 1249},
         2, {{R::Land, {}}}},
        {"land to let, bulk", {.name = "q", .kind = QStringLiteral("Arsa"), .wish = ToRent}, 0, {{R::Land, {"ar3"}}},
         Scope::Bulk},
        {"land by all three", {.name = "q", .kind = QStringLiteral("Arazi"), .wish = ToBuy, .lowestPrice = 100000,
                               .highestPrice = 100000, .smallestArea = 100, .largestArea = 1250},
         6, {{R::Land, {"ar1", "ar2"}}}},
        // An empty wish: land with an empty status; nothing for the other kinds.
        {"land with an empty wish", {.name = "q", .kind = QStringLiteral("Arsa"), .wish = QString()}, 0,
         {{R::Land, {"ar5"}}}},
        {"a flat with an empty wish", {.name = "q", .kind = Flat, .wish = QString()}, 0, {}},
        {"a shop with an empty wish", {.name = "q", .kind = Shop, .wish = QString()}, 0, {}},
        {"a wish that is no status", {.name = "q", .kind = Flat, .wish = QStringLiteral("Kiralık")}, 0, {}},
        // Empty bounds match nothing on the criterion that needs them, and are not read by the others.
        {"empty lower price", {.name = "q", .kind = Flat, .wish = ToRent, .highestPrice = 2000}, 1,
         {{R::RentalFlats, {}}}},
        {"empty upper area", {.name = "q", .kind = Flat, .wish = ToRent, .smallestArea = 0}, 2,
         {{R::RentalFlats, {}}}},
        {"empty bounds, by district", {.name = "q", .kind = Flat, .wish = ToRent, .district = Besiktas}, 0,
         {{R::RentalFlats, {"kd4"}}}},
        // Values are bound, never pasted into the statement.
        {"a quote in the district", {.name = "q", .kind = Flat, .wish = ToRent,
                                     .district = QStringLiteral("Kadıköy\" OR \"1\"=\"1")},
         0, {{R::RentalFlats, {}}}},
    };
}

} // namespace

class MatchRulesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;

    QStringList namesFound(Register where, const Matching::Request& request, int criterion)
    {
        RowStream rows(*m_store->db, Matching::statementFor(where, request, criterion), {QStringLiteral("Isim")});
        QStringList names;
        while (rows.next())
            names << rows.text(0);
        return sortedCopy(names);
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        m_store = std::make_unique<ScratchStore>();
        seedListings(*m_store->db);
    }

    void cases_data()
    {
        QTest::addColumn<int>("index");
        const QList<Case> all = ::cases();
        for (int i = 0; i < all.size(); ++i)
            QTest::newRow(all.at(i).title) << i;
    }
    void cases()
    {
        QFETCH(int, index);
        const Case c = ::cases().at(index);
        const Matching::Request request = requestOf(c.request);
        const QList<Register> searched = Matching::registersFor(request, c.criterion, c.scope);
        QCOMPARE(searched, c.found.keys());
        for (const Register where : searched)
            QCOMPARE(namesFound(where, request, c.criterion), c.found.value(where));
    }

    // Every kind and wish under every criterion: the bulk comparison never
    // searches two registers; the screen differs only in searching land too
    // for "Arsa ve Arazi" by district.
    void testsThatHold()
    {
        const QStringList kinds{"Daire", "Arsa", "Arazi", EitherLand, Shop, FlowerShop, "", "daire"};
        const QStringList wishes{ToRent, ToBuy, "", "Satıldı"};
        for (int criterion = 0; criterion < Matching::CriterionCount; ++criterion)
            for (const QString& kind : kinds)
                for (const QString& wish : wishes) {
                    const Matching::Request request = requestOf({.name = "q", .kind = kind, .wish = wish});
                    const auto bulk = Matching::registersFor(request, criterion, Scope::Bulk);
                    const auto one = Matching::registersFor(request, criterion, Scope::OneRequest);
                    QVERIFY(bulk.size() <= 1);
                    QList<Register> expected = bulk;
                    if (criterion == 0 && kind == EitherLand)
                        expected.prepend(Register::Land);
                    QCOMPARE(one, expected);
                }
    }

    // The list's lines, letter for letter, blanks included.
    void lines()
    {
        using R = Register;
        QCOMPARE(Matching::requestLine("Işıl Çelik", "(532) 111-22-33"),
                 QStringLiteral("    İsim : Işıl Çelik    Telefon : (532) 111-22-33"));
        QCOMPARE(Matching::listingLine(R::RentalFlats, "Kadıköy", "100", "1000"),
                 QStringLiteral("Semt Adı :Kadıköy   Metre2 :100   Fiyatı : 1000   Emlak : Kiralık Daire"));
        QCOMPARE(Matching::listingLine(R::SaleFlats, "Kadıköy", "85,5", "100000"),
                 QStringLiteral("Semt Adı :Kadıköy   Metre2 :85,5   Fiyatı : 100000  Emlak : Satılık Daire"));
        QCOMPARE(Matching::listingLine(R::RentalProperties, "Kadıköy", "100", "1000", "Dükkan"),
                 QStringLiteral("Semt Adı :Kadıköy   Metre2 :100   Fiyatı : 1000   Emlak  :Dükkan"));
        QCOMPARE(Matching::listingLine(R::SaleProperties, "Kadıköy", "100", "1000", "Dükkan"),
                 QStringLiteral("Semt Adı :Kadıköy   Metre2 :100   Fiyatı : 1000   Emlak : Dükkan"));
        QCOMPARE(Matching::listingLine(R::Land, "Kadıköy", "1.250", "1000"),
                 QStringLiteral("Semt Adı :Kadıköy   Metre2 :1.250   Fiyatı : 1000  Emlak : Arsa ve Arazi"));
    }

    // A bulk comparison runs its register's statement once per request, ten
    // thousand times: under every criterion each reads the listing lines'
    // fields through one index alone, never the table, never a sort. (The
    // land area is a text: its criterion reads the index on the number the
    // text reads as.)
    void everyStatementReadsOneCoveringIndex()
    {
        if (!m_store->db->sqlite())
            QSKIP("the embedded store's plans: a server plans its own");
        const Matching::Request request = requestOf({.name = "q", .kind = Shop, .wish = ToRent, .lowestPrice = 1000,
                                                     .highestPrice = 2000, .smallestArea = 100, .largestArea = 150});
        for (int criterion = 0; criterion < Matching::CriterionCount; ++criterion)
            for (int r = 0; r < Matching::RegisterCount; ++r) {
                const auto id = Register(r);
                RowStream rows(*m_store->db, Matching::statementFor(id, request, criterion),
                               Matching::listingLineFields(id));
                SqlStatement plan(*m_store->db, QStringLiteral("EXPLAIN QUERY PLAN ") + rows.sql());
                QStringList steps;
                while (plan.step())
                    steps << plan.text(3);
                const QString where = QStringLiteral("register %1, criterion %2: %3").arg(r).arg(criterion).arg(steps.join(" | "));
                QVERIFY2(steps.size() == 1 && steps.first().contains(QStringLiteral("USING COVERING INDEX")),
                         qPrintable(where));
            }
    }

    // Prices and areas are written in general format, as every screen writes them.
    void numbersInGeneralFormat()
    {
        const FieldSchema price{QStringLiteral("Fiyati"), FieldType::Currency};
        QLocale plain;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        for (const double value : {0.0, 7.0, 85.5, 1000.0, 1250000.0, -42.0, 999999999999999.0, 1e15, 0.1 + 0.2,
                                   123456.789, 1e-7})
            QCOMPARE(FieldFormat::editText(price, value), plain.toString(value, 'g', 15));
        QCOMPARE(FieldFormat::editText(price, 1250000.0), QStringLiteral("1250000"));
        QCOMPARE(FieldFormat::editText(price, 85.5), QStringLiteral("85,5"));
        // The list's own way of writing them, straight after what is there.
        for (const double value : {0.0, -0.0, 7.0, 85.5, -42.0, 999999999999999.0, 1e15, 1e-7}) {
            QString line = QStringLiteral("Fiyatı : ");
            FieldFormat::appendGeneralNumber(line, value);
            QCOMPARE(line, QStringLiteral("Fiyatı : ") + FieldFormat::editText(price, value));
        }
    }
};

QTEST_MAIN(MatchRulesTest)
#include "tst_matchrules.moc"
