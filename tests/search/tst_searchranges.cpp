// How a price or area range is read: a narrow band through its index, a wide
// one by the keyed walk, over a generated register of a few thousand rows
// (more than SearchCriteria::FewRows, so both forms are taken); either form
// selects the same rows in the same order, for the screens' own terms.

#include "platform/controls/lookupcombobox.h"
#include "search/listingsearch.h"
#include "search/searchcriteria.h"
#include "support/searchtesting.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

using namespace searchtest;

namespace {

constexpr int Rows = SearchCriteria::FewRows * 3 / 2;
const QString Rented = QStringLiteral("Kiralandı");
const QStringList Districts{QStringLiteral("Kadıköy"), QStringLiteral("Beşiktaş"), QStringLiteral("Üsküdar"),
                            QStringLiteral("Şişli")};

// SQLite's plan for a statement, its steps joined.
QString planOf(Database& db, const QString& sql)
{
    QStringList steps;
    SqlStatement plan(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    while (plan.step())
        steps << plan.text(3);
    return steps.join(QStringLiteral("; "));
}

// The first page read of a search (the keyed statement with a limit).
QStringList pageReads(const QStringList& ran, const QString& table)
{
    return ran.filter(QStringLiteral("FROM \"%1\"").arg(table)).filter(QStringLiteral("LIMIT ? OFFSET ?"));
}

struct Band {
    QString low, high;
};

// The criteria of one search as the listing screens make them; `area` as the
// land register reads its text.
SearchCriteria criteriaOf(const QString& table, const QString& district, const Band& price, const Band& area,
                          bool areaIsText, const QString& status)
{
    SearchCriteria criteria(table);
    if (!district.isEmpty())
        criteria.inKeyOrder().where(
            QStringLiteral("%1 = ?").arg(table == QLatin1String("arsa") ? "Semt" : "Semtadi"), {district});
    Statement& byPrice = criteria.range();
    byPrice.where(QStringLiteral("Fiyati > ? AND Fiyati < ?"), {byPrice.number(price.low), byPrice.number(price.high)});
    Statement& byArea = criteria.range();
    byArea.where(areaIsText ? QStringLiteral("asnumber(Metre2) > ? AND asnumber(Metre2) < ?")
                            : QStringLiteral("Metre2 > ? AND Metre2 < ?"),
                 {byArea.number(area.low), byArea.number(area.high)});
    if (!status.isEmpty())
        criteria.term().where(QStringLiteral("Durum = ?"), {status});
    return criteria;
}

// Rows, order and count of a statement: every key in order as its condition
// selects them, the query's count, and the query's first and last rows
// stepped to one by one (its keyed statements after and before a key).
struct Result {
    QStringList keys, first, last;
    int count = 0;
    bool operator==(const Result&) const = default;
};

Result resultOf(Database& db, const Statement& statement)
{
    constexpr int Stepped = 20;
    Result result;
    db.select(QStringLiteral("SELECT \"No\" FROM %1 WHERE %2 ORDER BY rowid")
                  .arg(Database::quoted(statement.table()), statement.condition()),
              statement.values(), [&](const SqlStatement& row) { result.keys << row.text(0); });
    Query query(db);
    query.setStatement(statement);
    query.open();
    result.count = query.recordCount();
    for (query.first(); !query.eof() && result.first.size() < Stepped; query.next())
        result.first << query.text(QStringLiteral("No"));
    for (query.last(); !query.bof() && result.last.size() < Stepped; query.prior())
        result.last.prepend(query.text(QStringLiteral("No")));
    return result;
}

// The statements of ran that count (not those asking for their plan).
qsizetype countsIn(const QStringList& ran)
{
    return std::count_if(ran.cbegin(), ran.cend(),
                         [](const QString& sql) { return sql.startsWith(QStringLiteral("SELECT count(*)")); });
}

} // namespace

Q_DECLARE_METATYPE(Band)

class SearchRangesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    Messages m_messages;

    Database& db() const { return *m_store->db; }
    ListingSearch* screen(const QString& name) const { return m_screens->get<ListingSearch>(name); }

    // Prices 1,000..200,000 and areas 30..300 spread at random (a fixed seed),
    // four districts, the register's first two statuses; land areas are text,
    // some of them no number.
    void generate(const ListingSearchTwin& twin)
    {
        const bool land = twin.table == QLatin1String("arsa");
        QRandomGenerator random(7);
        db().inTransaction([&] {
            for (int row = 0; row < Rows; ++row) {
                const int area = 30 + int(random.bounded(271));
                QVariant areaValue = area;
                if (land)
                    areaValue = row % 97 == 0   ? QStringLiteral("yüz")
                                : row % 89 == 0 ? QStringLiteral("")
                                                : QString::number(area);
                insertRow(db(), twin.table,
                          {{QStringLiteral("Isim"), QStringLiteral("r%1").arg(row)},
                           {twin.districtField, Districts.at(int(random.bounded(Districts.size())))},
                           {QStringLiteral("Fiyati"), 1000.0 + double(random.bounded(199001))},
                           {QStringLiteral("Metre2"), areaValue},
                           {QStringLiteral("Durum"), twin.statuses->at(row % 2)}});
            }
        });
    }

    void fill(ListingSearch* s, const Band& price, const Band& area, const QString& district)
    {
        s->lowerPrice()->setText(price.low);
        s->upperPrice()->setText(price.high);
        s->lowerArea()->setText(area.low);
        s->upperArea()->setText(area.high);
        QVERIFY(s->districtBox()->pick(district));
        s->statusBox()->setEditText(SearchScreen::allStatuses());
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        setErrorReporter(&m_messages);
        m_store = std::make_unique<ScratchStore>();
        for (const QString& district : Districts)
            addDistrict(db(), district);
        for (const QString name : {QStringLiteral("RentalFlatList"), QStringLiteral("LandList")})
            generate(*ListingSearch::twin(name));
        m_screens = std::make_unique<Screens>(db());
        m_screens->createAll(searchScreens());
    }

    void cleanupTestCase()
    {
        m_screens.reset();
        m_store.reset();
        setErrorReporter(nullptr);
    }

    void init() { m_messages.shown.clear(); }

    // A narrow band gathers its keys through its index, a wide one keeps the
    // keyed walk, and a district search reads the district's index in key
    // order as before, whatever the band; the rows found are the register's
    // rows in the band either way.
    void bandsReadTheWayTheyAreDense_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<Band>("price");
        QTest::addColumn<Band>("area");
        QTest::addColumn<QStringList>("read"); // steps of the page read's plan
        QTest::addColumn<QString>("status");
        const Band allPrices{"0", "1000000"}, allAreas{"0", "1000"};
        const QString gathered = QStringLiteral("INTEGER PRIMARY KEY (rowid=?)");
        const QString byPrice = QStringLiteral("INDEX kdgiris_Fiyati (Fiyati>? AND Fiyati<?)");
        const QString byArea = QStringLiteral("INDEX kdgiris_Metre2 (Metre2>? AND Metre2<?)");
        const QStringList walked{QStringLiteral("INTEGER PRIMARY KEY (rowid>?)")};
        const QStringList price{gathered, byPrice}, area{gathered, byArea};
        const QString all; // every status
        QTest::newRow("narrow price") << 1 << Band{"50000", "52000"} << allAreas << price << all;
        QTest::newRow("empty price band") << 1 << Band{"50000", "50001"} << allAreas << price << all;
        QTest::newRow("narrow area") << 2 << allPrices << Band{"100", "104"} << area << all;
        QTest::newRow("narrow area, wide price") << 5 << allPrices << Band{"100", "104"} << area << all;
        QTest::newRow("narrow price, wider area") << 5 << Band{"50000", "52000"} << Band{"100", "120"} << price << all;
        QTest::newRow("wide price") << 1 << Band{"1000", "190000"} << allAreas << walked << all;
        QTest::newRow("wide price and area") << 5 << Band{"1000", "190000"} << Band{"35", "295"} << walked << all;
        // A status and a price: the index holding both gathers the keys, sorting nothing.
        const QString byStatusAndPrice =
            QStringLiteral("INDEX kdgiris_Durum_Fiyati_Metre2_Semtadi (Durum=? AND Fiyati>? AND Fiyati<?)");
        QTest::newRow("narrow price, status")
            << 1 << Band{"50000", "52000"} << allAreas << QStringList{gathered, byStatusAndPrice} << Rented;
        QTest::newRow("wider price, status")
            << 1 << Band{"50000", "90000"} << allAreas << QStringList{gathered, byStatusAndPrice} << Rented;
        const QStringList byDistrict{QStringLiteral("INDEX kdgiris_Semtadi (Semtadi=? AND rowid>?)")};
        QTest::newRow("district, narrow price") << 3 << Band{"50000", "52000"} << allAreas << byDistrict << all;
        QTest::newRow("district, wide price") << 3 << Band{"1000", "190000"} << allAreas << byDistrict << all;
    }
    void bandsReadTheWayTheyAreDense()
    {
        QFETCH(int, option);
        QFETCH(Band, price);
        QFETCH(Band, area);
        QFETCH(QStringList, read);
        QFETCH(QString, status);
        ListingSearch* s = screen(QStringLiteral("RentalFlatList"));
        fill(s, price, area, Districts.at(0));
        if (!status.isEmpty())
            s->statusBox()->setEditText(status);
        s->selectOption(option);
        const QStringList ran = statementsRunBy(db(), [&] { QTest::mouseClick(s->findAction(), Qt::LeftButton); });
        // Opening reads the first record once.
        const QStringList pages = pageReads(ran, QStringLiteral("kdgiris"));
        QCOMPARE(pages.size(), 1);
        const QString plan = planOf(db(), pages.first());
        for (const QString& step : read)
            QVERIFY2(plan.contains(step), qPrintable(plan));
        QVERIFY2(!plan.contains(QStringLiteral("TEMP B-TREE")), qPrintable(plan));

        const bool district = option == 3;
        qint64 expected = 0;
        db().select(QStringLiteral("SELECT count(*) FROM kdgiris WHERE Fiyati > ? AND Fiyati < ? AND Metre2 > ? "
                                   "AND Metre2 < ? AND (? OR Semtadi = ?) AND (? OR Durum = ?)"),
                    {price.low.toDouble(), price.high.toDouble(), area.low.toDouble(), area.high.toDouble(),
                     !district, Districts.at(0), status.isEmpty(), status},
                    [&](const SqlStatement& row) { expected = row.integer(0); });
        QCOMPARE(qint64(s->query()->recordCount()), expected);
        QCOMPARE(qint64(column(s->query()).size()), expected);
        QVERIFY(m_messages.shown.isEmpty());
    }

    // Whichever range is gathered through its index (or none), the query
    // gives the same rows in the same order and the same count, forwards and
    // backwards; and the screen's own choice gives them too.
    void everyFormSelectsTheSameRows_data()
    {
        QTest::addColumn<QString>("twin");
        QTest::addColumn<QString>("district");
        QTest::addColumn<Band>("price");
        QTest::addColumn<Band>("area");
        QTest::addColumn<bool>("status");
        const Band allAreas{"0", "1000"};
        for (const char* twin : {"RentalFlatList", "LandList"}) {
            QTest::addRow("%s narrow price", twin) << twin << "" << Band{"60000", "62500"} << allAreas << false;
            QTest::addRow("%s narrow area", twin) << twin << "" << Band{"0", "1e6"} << Band{"200", "203"} << false;
            QTest::addRow("%s both narrow", twin)
                << twin << "" << Band{"60000", "70000"} << Band{"200", "210"} << false;
            QTest::addRow("%s district and price", twin)
                << twin << Districts.at(1) << Band{"60000", "64000"} << allAreas << false;
            QTest::addRow("%s everything, status", twin)
                << twin << Districts.at(2) << Band{"10000", "190000"} << Band{"50", "280"} << true;
            QTest::addRow("%s wide", twin) << twin << "" << Band{"2000", "199000"} << Band{"31", "299"} << false;
            QTest::addRow("%s narrow area, status", twin)
                << twin << "" << Band{"0", "1e6"} << Band{"120", "124"} << true;
            QTest::addRow("%s empty and reversed", twin)
                << twin << "" << Band{"5000", "5000"} << Band{"300", "30"} << false;
        }
    }
    void everyFormSelectsTheSameRows()
    {
        QFETCH(QString, twin);
        QFETCH(QString, district);
        QFETCH(Band, price);
        QFETCH(Band, area);
        QFETCH(bool, status);
        const ListingSearchTwin& row = *ListingSearch::twin(twin);
        const bool land = row.table == QLatin1String("arsa");
        const SearchCriteria criteria =
            criteriaOf(row.table, district, price, area, land, status ? row.statuses->at(1) : QString());
        const Result plain = resultOf(db(), criteria.statement(SearchCriteria::Reading()));
        QCOMPARE(plain.count, plain.keys.size());
        QCOMPARE(plain.first, plain.keys.mid(0, plain.first.size()));
        QCOMPARE(plain.last, plain.keys.mid(plain.keys.size() - plain.last.size()));
        QCOMPARE(resultOf(db(), criteria.statement({0, {}})), plain);
        QCOMPARE(resultOf(db(), criteria.statement({1, {}})), plain);
        QCOMPARE(resultOf(db(), criteria.statement(db())), plain);
        // The list report reuses the statement's condition as text.
        qint64 counted = -1;
        const Statement gathered = criteria.statement({0, {}});
        db().select(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(row.table, gathered.condition()),
                    gathered.values(), [&](const SqlStatement& r) { counted = r.integer(0); });
        QCOMPARE(counted, qint64(plain.count));

        // The screen, its options spelled out: price, area, both, all three.
        ListingSearch* s = screen(twin);
        fill(s, price, area, district.isEmpty() ? Districts.at(0) : district);
        if (status)
            s->statusBox()->setEditText(row.statuses->at(1));
        const int option = !district.isEmpty() ? 6 : 5;
        search(s, option);
        QCOMPARE(resultOf(db(), s->query()->statement()), plain);
        QVERIFY(m_messages.shown.isEmpty());
    }

    // The plain form is the statement as the terms were given; a failed
    // term fails it in either form, with the first failure, and nothing is
    // counted for it.
    void formsAndFailures()
    {
        const SearchCriteria wide = criteriaOf(QStringLiteral("kdgiris"), Districts.at(0), Band{"1", "2"},
                                               Band{"3", "4"}, false, QStringLiteral("Kiralandı"));
        Statement given(QStringLiteral("kdgiris"));
        given.where(QStringLiteral("Semtadi = ?"), {Districts.at(0)})
            .where(QStringLiteral("Fiyati > ? AND Fiyati < ?"), {1.0, 2.0})
            .where(QStringLiteral("Metre2 > ? AND Metre2 < ?"), {3.0, 4.0})
            .where(QStringLiteral("Durum = ?"), {QStringLiteral("Kiralandı")});
        QCOMPARE(wide.statement(SearchCriteria::Reading()).condition(), given.condition());
        QCOMPARE(wide.statement(SearchCriteria::Reading()).values(), given.values());
        // The gathered range's values come first, the others keep their order.
        QCOMPARE(wide.statement({1, QStringLiteral("kdgiris_Metre2")}).values(),
                 (QVariantList{3.0, 4.0, Districts.at(0), 1.0, 2.0, QStringLiteral("Kiralandı")}));

        const SearchCriteria failed =
            criteriaOf(QStringLiteral("kdgiris"), QString(), Band{"1", "2"}, Band{"", "x"}, false, QString());
        QStringList ran;
        ran = statementsRunBy(db(), [&] { QCOMPARE(failed.reading(db()).range, -1); });
        QVERIFY2(ran.filter(QStringLiteral("count(*)")).isEmpty(), qPrintable(ran.join(QLatin1Char('\n'))));
        for (int range : {-1, 0, 1}) {
            QVERIFY(failed.statement({range, {}}).isFailed());
            QCOMPARE(failed.statement({range, {}}).failure(), QStringLiteral("'' is not a number"));
        }

        // A district search counts nothing.
        const SearchCriteria district = criteriaOf(QStringLiteral("kdgiris"), Districts.at(0), Band{"1", "2"},
                                                   Band{"3", "4"}, false, QString());
        ran = statementsRunBy(db(), [&] { QCOMPARE(district.reading(db()).range, -1); });
        QCOMPARE(countsIn(ran), 0);

        // A range on a value no index holds alone (land's area read as a
        // number) is never counted, nor gathered.
        const SearchCriteria landArea = criteriaOf(QStringLiteral("arsa"), QString(), Band{"0", "1e9"},
                                                   Band{"100", "101"}, true, QString());
        ran = statementsRunBy(db(), [&] { QCOMPARE(landArea.reading(db()).range, -1); });
        QCOMPARE(countsIn(ran), 1); // the price alone
    }
};

QTEST_MAIN(SearchRangesTest)
#include "tst_searchranges.moc"
