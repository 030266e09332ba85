// The five listing searches, each driven from its own row of differences over
// a small register: what each search option finds, the status decision, blank
// districts, the failure message, show-all, state kept while hidden, and the
// grid opening the entry screen.

#include "kit/behaviours/digitsonlyedit.h"
#include "kit/behaviours/pressbutton.h"
#include "platform/controls/lookupcombobox.h"
#include "platform/system/localeformats.h"
#include "search/listingsearch.h"
#include "support/searchtesting.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

using namespace searchtest;

namespace {

// Criteria used by the option tests: district Kadıköy, price 100000..200000,
// area 100..200, all exclusive.
struct Criteria {
    QString p1 = QStringLiteral("100000"), p2 = QStringLiteral("200000");
    QString m1 = QStringLiteral("100"), m2 = QStringLiteral("200");
    QString district = QStringLiteral("Kadıköy");
    QString status = QStringLiteral("Tümü");
};

const QString Kadikoy = QStringLiteral("Kadıköy");
const QString Quoted = QStringLiteral("Ali'nin \"Yeri\"");

} // namespace

class ListingSearchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    ScreenMakers m_makers;
    std::unique_ptr<Screens> m_screens;
    Messages m_messages;
    Beeps m_beeps;

    ListingSearch* screen(const QString& name) const { return m_screens->get<ListingSearch>(name); }
    Table* entryCursor(const ListingSearchTwin& twin) const
    {
        return dynamic_cast<CursorOwner*>(m_screens->find(twin.entryScreen))->cursor();
    }

    // r1..r6 in every register; each twin stores its own first and second status.
    void seed(const ListingSearchTwin& twin)
    {
        Database& db = *m_store->db;
        const bool land = twin.table == QLatin1String("arsa");
        const QString s0 = twin.statuses->at(0), s1 = twin.statuses->at(1);
        struct Row {
            const char* name;
            QString district;
            double price;
            QString area;
            QString status;
        };
        const QList<Row> rows{
            {"r1", Kadikoy, 100000, "100", s0},
            {"r2", Kadikoy, 150000, "150", s1},
            {"r3", QStringLiteral("Beşiktaş"), 150000, "100", s0},
            {"r4", QString(QLatin1String("")), 120000, "120", s1},
            {"r5", Kadikoy, 200000, "200", s0},
            {"r6", Quoted, 50000, land ? "yüz elli" : "50", s1},
        };
        for (const Row& row : rows) {
            QVariantMap values{{QStringLiteral("Isim"), QString::fromUtf8(row.name)},
                               {twin.districtField, row.district},
                               {QStringLiteral("Fiyati"), row.price},
                               {QStringLiteral("Durum"), row.status}};
            // The land register keeps the area as text, the others as a number.
            values.insert(QStringLiteral("Metre2"), land ? QVariant(row.area) : QVariant(row.area.toDouble()));
            insertRow(db, twin.table, values);
        }
    }

    void fill(ListingSearch* s, const Criteria& c)
    {
        s->lowerPrice()->setText(c.p1);
        s->upperPrice()->setText(c.p2);
        s->lowerArea()->setText(c.m1);
        s->upperArea()->setText(c.m2);
        if (c.district.isEmpty())
            s->districtBox()->clearValue();
        else
            QVERIFY(s->districtBox()->pick(c.district));
        s->statusBox()->setEditText(c.status);
    }

    static void addTwinRows()
    {
        QTest::addColumn<QString>("twin");
        for (const ListingSearchTwin& twin : ListingSearch::twins())
            QTest::newRow(qPrintable(twin.programName)) << twin.programName;
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        setErrorReporter(&m_messages);
        setBeeper(&m_beeps);
        m_makers = searchScreens();
        for (const ListingSearchTwin& twin : ListingSearch::twins())
            m_makers << standInEntry(twin.entryScreen, twin.table);
    }

    void cleanupTestCase()
    {
        setErrorReporter(nullptr);
        setBeeper(nullptr);
    }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        addDistrict(*m_store->db, Kadikoy);
        addDistrict(*m_store->db, QStringLiteral("Beşiktaş"));
        addDistrict(*m_store->db, Quoted);
        for (const ListingSearchTwin& twin : ListingSearch::twins())
            seed(twin);
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(m_makers);
        m_messages.shown.clear();
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
    }

    void screensAsDocumented_data() { addTwinRows(); }
    void screensAsDocumented()
    {
        QFETCH(QString, twin);
        ListingSearch* s = screen(twin);
        QVERIFY(s);
        const ListingSearchTwin& row = s->twin();
        const bool land = twin == QLatin1String("LandList");
        QCOMPARE(s->size(), land ? QSize(593, 417) : QSize(640, 480));
        QCOMPARE(s->windowTitle(), row.caption);
        QCOMPARE(s->findChild<IconButton*>(QStringLiteral("ImageMinimise")) != nullptr, !land);
        QVERIFY(s->findChild<IconButton*>(QStringLiteral("ImageExit")));

        // Captions beside the criteria.
        QStringList captions;
        for (const QLabel* label : s->findChildren<QLabel*>())
            captions << label->text();
        for (const char* caption : {"Semt Adı", "Durum", "Fiyat Aralığı", "İlk Fiyat Değeri", "İkinci Fiyat Değeri",
                                    "Aralığı", "İlk Değer", "İkinci Değer", "Arama Seçeneğini Seçin", "Bul",
                                    "Tümünü Göster", "Yazdır"})
            QVERIFY2(captions.contains(QString::fromUtf8(caption)), caption);

        // Status: the register's statuses and "Tümü", showing "Tümü"; free text allowed.
        QStringList items;
        for (int i = 0; i < s->statusBox()->count(); ++i)
            items << s->statusBox()->itemText(i);
        QStringList expected = *row.statuses;
        if (land)
            expected.prepend(QStringLiteral("Tümü"));
        else
            expected << QStringLiteral("Tümü");
        QCOMPARE(items, expected);
        QCOMPARE(s->statusBox()->currentText(), QStringLiteral("Tümü"));
        QVERIFY(s->statusBox()->isEditable());

        // Seven options, none selected, with the tooltip.
        QStringList options;
        for (int i = 0; i < s->optionsBox()->count(); ++i)
            options << s->optionsBox()->item(i)->text();
        QCOMPARE(options, ListingSearch::options());
        QCOMPARE(options.size(), 7);
        QCOMPARE(s->selectedOption(), -1);
        QCOMPARE(s->optionsBox()->toolTip(), QStringLiteral("Seçtiğini Seçeneğe Göre Arama Yapma"));

        // The district box offers the districts and starts empty.
        QVERIFY(s->districtBox()->offered().contains(Kadikoy));
        QCOMPARE(s->districtBox()->value(), QString());
        QVERIFY(!s->districtBox()->isEditable());

        // Grid columns and titles.
        QHeaderView* header = s->grid()->horizontalHeader();
        QStringList titles;
        for (int c = 0; c < s->grid()->model()->columnCount(); ++c)
            titles << s->grid()->model()->headerData(c, Qt::Horizontal).toString();
        QStringList expectedTitles;
        for (const auto& [field, title] : row.columns)
            expectedTitles << (title.isEmpty() ? field : title);
        QCOMPARE(titles, expectedTitles);
        QVERIFY(!header->isHidden());
        QCOMPARE(s->grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(s->grid()->selectionBehavior(), QAbstractItemView::SelectRows);

        // Tab order: grid, lower and upper price, lower and upper area, district, options, status.
        const QList<QWidget*> chain = tabChain(s->grid(), 8);
        const QList<QWidget*> documented{s->grid(),      s->lowerPrice(),  s->upperPrice(), s->lowerArea(),
                                         s->upperArea(), s->districtBox(), s->optionsBox(), s->statusBox()};
        QCOMPARE(chain, documented);
    }

    // The whole register at first, except SalePropertyList: closed and empty
    // until its first "Bul" or "Tümünü Göster".
    void openingResult_data() { addTwinRows(); }
    void openingResult()
    {
        QFETCH(QString, twin);
        ListingSearch* s = screen(twin);
        if (twin == QLatin1String("SalePropertyList")) {
            QVERIFY(!s->query()->isActive());
            QCOMPARE(s->grid()->model()->rowCount(), 0);
            QTest::mouseClick(s->showAllAction(), Qt::LeftButton);
        }
        QCOMPARE(column(s->query()), (QStringList{"r1", "r2", "r3", "r4", "r5", "r6"}));
        QCOMPARE(s->query()->position(), 0);
    }

    void eachOption_data()
    {
        QTest::addColumn<QString>("twin");
        QTest::addColumn<int>("option");
        QTest::addColumn<QStringList>("found");
        const QList<QStringList> expected{
            {"r1", "r2", "r5"}, // district
            {"r2", "r3", "r4"}, // price, bounds exclusive: not r1 (100000) nor r5 (200000)
            {"r2", "r4"},       // area, exclusive: not r1, r3 (100) nor r5 (200)
            {"r2"},             // district and price
            {"r2"},             // district and area
            {"r2", "r4"},       // price and area
            {"r2"},             // all three
        };
        for (const ListingSearchTwin& twin : ListingSearch::twins())
            for (int option = 0; option < 7; ++option)
                QTest::addRow("%s %d", qPrintable(twin.programName), option)
                    << twin.programName << option << expected.at(option);
    }
    void eachOption()
    {
        QFETCH(QString, twin);
        QFETCH(int, option);
        QFETCH(QStringList, found);
        ListingSearch* s = screen(twin);
        fill(s, Criteria());
        QCOMPARE(search(s, option), found);
        QCOMPARE(s->query()->position(), 0);
        QVERIFY(m_messages.shown.isEmpty());
        // The grid shows what the query holds.
        QCOMPARE(s->grid()->model()->rowCount(), found.size());
    }

    // A district search over every status, or over one, reads its first
    // page once, in key order straight from an index: no statement it runs sorts
    // the district's rows or reads the whole table (an agency's busiest
    // district holds thousands of listings).
    void districtSearchSortsNothing_data() { addTwinRows(); }
    void districtSearchSortsNothing()
    {
        QFETCH(QString, twin);
        ListingSearch* s = screen(twin);
        s->show(); // as the clerk has it: a shown grid reads its own pages
        for (const QString& status : {QStringLiteral("Tümü"), s->statusBox()->itemText(0) == QStringLiteral("Tümü")
                                                                 ? s->statusBox()->itemText(1)
                                                                 : s->statusBox()->itemText(0)}) {
            Criteria criteria;
            criteria.status = status;
            fill(s, criteria);
            checkReadsOnceInKeyOrder(*m_store->db, s->query()->schema().name, [&] { search(s, 0); });
        }
    }

    void emptyAndReversedRanges_data() { addTwinRows(); }
    void emptyAndReversedRanges()
    {
        QFETCH(QString, twin);
        ListingSearch* s = screen(twin);
        Criteria c;
        c.p1 = c.p2 = QStringLiteral("150000");
        fill(s, c);
        QCOMPARE(search(s, 1), QStringList());
        c = Criteria();
        c.p1 = QStringLiteral("200000");
        c.p2 = QStringLiteral("100000");
        fill(s, c);
        QCOMPARE(search(s, 1), QStringList());
        QVERIFY(s->query()->isActive());
        QVERIFY(m_messages.shown.isEmpty());
        // Only the price edits are read by option 1: empty areas do not matter.
        c = Criteria();
        c.m1.clear();
        c.m2 = QStringLiteral("abc");
        fill(s, c);
        QCOMPARE(search(s, 1), (QStringList{"r2", "r3", "r4"}));
        QVERIFY(m_messages.shown.isEmpty());
    }

    // Only a whole status text of the register, in its exact letters, filters.
    void statusDecision_data() { addTwinRows(); }
    void statusDecision()
    {
        QFETCH(QString, twin);
        ListingSearch* s = screen(twin);
        const QString s0 = s->twin().statuses->at(0), s1 = s->twin().statuses->at(1);
        const QStringList all{"r2", "r3", "r4"};
        Criteria c;
        for (const QString& unfiltered : {QStringLiteral("Tümü"), QString(), s0.at(0).toLower() + s0.mid(1),
                                          s0 + QLatin1Char(' '), QStringLiteral("Var\" OR \"1\"=\"1")}) {
            c.status = unfiltered;
            fill(s, c);
            QCOMPARE(search(s, 1), all);
        }
        c.status = s0;
        fill(s, c);
        QCOMPARE(search(s, 1), QStringList{"r3"});
        c.status = s1;
        fill(s, c);
        QCOMPARE(search(s, 1), (QStringList{"r2", "r4"}));
        QCOMPARE(search(s, 0), QStringList{"r2"});
        // The filter is on the register's own Durum, whether or not the grid shows it.
        QCOMPARE(search(s, 6), QStringList{"r2"});

        // Typed by hand with a small first letter, Enter pressed, the box left
        // for the options: still as typed, so still unfiltered.
        QVERIFY(activate(s));
        const QString small = s0.at(0).toLower() + s0.mid(1);
        s->statusBox()->setEditText(QString());
        typeInto(s->statusBox(), small);
        QTest::keyClick(s->statusBox(), Qt::Key_Return);
        QCOMPARE(s->statusBox()->currentText(), small);
        QVERIFY(focusOn(s->optionsBox()));
        QCOMPARE(s->statusBox()->currentText(), small);
        QCOMPARE(search(s, 1), all);
        // Nor is the start of a status completed.
        s->statusBox()->setEditText(QString());
        typeInto(s->statusBox(), s0.left(4));
        QVERIFY(focusOn(s->optionsBox()));
        QCOMPARE(s->statusBox()->currentText(), s0.left(4));
    }

    // Land can be searched under each of the four statuses, rental ones too.
    void landFiltersEveryStatus()
    {
        ListingSearch* s = screen("LandList");
        Database& db = *m_store->db;
        for (const QString& status : *s->twin().statuses)
            insertRow(db, "arsa", {{"Isim", "land " + status}, {"Semt", "Beşiktaş"}, {"Durum", status}});
        Criteria c;
        c.district = QStringLiteral("Beşiktaş");
        for (const QString& status : *s->twin().statuses) {
            c.status = status;
            fill(s, c);
            const QStringList found = search(s, 0);
            QCOMPARE(found.filter("land"), QStringList{"land " + status});
        }
        // A land status filters nothing on a flat register that does not hold it.
        ListingSearch* flats = screen("RentalFlatList");
        c = Criteria();
        c.status = QStringLiteral("Satıldı");
        fill(flats, c);
        QCOMPARE(search(flats, 1), (QStringList{"r2", "r3", "r4"}));
    }

    // Land areas are text: read as numbers, and a plot whose area is no number
    // is never found by an area search.
    void landAreasAreText()
    {
        ListingSearch* s = screen("LandList");
        Criteria c;
        c.m1 = QStringLiteral("80");
        c.m2 = QStringLiteral("120");
        fill(s, c);
        QCOMPARE(search(s, 2), (QStringList{"r1", "r3"}));
        c.m1 = QStringLiteral("0");
        c.m2 = QStringLiteral("100000");
        fill(s, c);
        QCOMPARE(search(s, 2), (QStringList{"r1", "r2", "r3", "r4", "r5"}));
    }

    // No district picked: the empty text is bound, and blank districts are found.
    void emptyDistrictFindsBlankDistricts_data() { addTwinRows(); }
    void emptyDistrictFindsBlankDistricts()
    {
        QFETCH(QString, twin);
        ListingSearch* s = screen(twin);
        Criteria c;
        c.district.clear();
        fill(s, c);
        QCOMPARE(search(s, 0), QStringList{"r4"});
        // A district whose name holds quotes is found like any other.
        QVERIFY(s->districtBox()->pick(Quoted));
        QCOMPARE(search(s, 0), QStringList{"r6"});
        QVERIFY(m_messages.shown.isEmpty());
    }

    void nothingSelectedChangesNothing()
    {
        ListingSearch* s = screen("SaleFlatList");
        fill(s, Criteria());
        QCOMPARE(search(s, 3), QStringList{"r2"});
        const QString before = s->query()->statement().sql();
        const QVariantList values = s->query()->statement().values();
        s->selectOption(-1);
        s->lowerPrice()->clear();
        QTest::mouseClick(s->findAction(), Qt::LeftButton);
        QCOMPARE(s->query()->statement().sql(), before);
        QCOMPARE(s->query()->statement().values(), values);
        QCOMPARE(column(s->query()), QStringList{"r2"});
        QVERIFY(m_messages.shown.isEmpty());

        // Closed and never searched: "Bul" without an option leaves it closed.
        ListingSearch* closed = screen("SalePropertyList");
        QTest::mouseClick(closed->findAction(), Qt::LeftButton);
        QVERIFY(!closed->query()->isActive());
        QVERIFY(m_messages.shown.isEmpty());
    }

    // A bound the option needs that is empty or no number: the message, the
    // query closed, the grid empty, the criteria as typed; show-all recovers.
    void failureAndShowAll_data()
    {
        QTest::addColumn<QString>("twin");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        for (const ListingSearchTwin& twin : ListingSearch::twins()) {
            const char* name = qPrintable(twin.programName);
            QTest::addRow("%s price empty", name) << twin.programName << 1 << "p2" << "";
            QTest::addRow("%s area empty", name) << twin.programName << 5 << "m1" << "";
            QTest::addRow("%s pasted letters", name) << twin.programName << 6 << "p1" << "12a";
            // words a number reader may take for a number are not one
            QTest::addRow("%s NaN", name) << twin.programName << 1 << "p2" << "NaN";
            QTest::addRow("%s inf", name) << twin.programName << 6 << "p1" << "inf";
            QTest::addRow("%s Infinity", name) << twin.programName << 5 << "m1" << "-Infinity";
        }
    }
    void failureAndShowAll()
    {
        QFETCH(QString, twin);
        QFETCH(int, option);
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        ListingSearch* s = screen(twin);
        Criteria c;
        if (edit == "p1")
            c.p1 = typed;
        else if (edit == "p2")
            c.p2 = typed;
        else
            c.m1 = typed;
        fill(s, c);
        QCOMPARE(search(s, option), QStringList());
        QCOMPARE(m_messages.shown,
                 QStringList{QStringLiteral("Lütfen Girdiğiniz Bilgileri Düzelttikten Sonra Tekrar Deneyin ..!")});
        QVERIFY(!s->query()->isActive());
        QVERIFY(s->query()->statement().isFailed());
        QCOMPARE(s->grid()->model()->rowCount(), 0);
        QCOMPARE(s->lowerPrice()->text(), c.p1);
        QCOMPARE(s->upperPrice()->text(), c.p2);
        QCOMPARE(s->lowerArea()->text(), c.m1);
        QCOMPARE(s->selectedOption(), option);

        QTest::mouseClick(s->showAllAction(), Qt::LeftButton);
        QCOMPARE(column(s->query()), (QStringList{"r1", "r2", "r3", "r4", "r5", "r6"}));
        QCOMPARE(s->grid()->model()->rowCount(), 6);
        QCOMPARE(s->lowerPrice()->text(), c.p1); // show-all leaves the criteria alone
        QCOMPARE(m_messages.shown.size(), 1);
    }

    void stateSurvivesHiding()
    {
        ListingSearch* s = screen("RentalFlatList");
        s->show();
        Criteria c;
        c.status = QStringLiteral("Kiralanmadı");
        fill(s, c);
        QCOMPARE(search(s, 5), (QStringList{"r2", "r4"}));
        s->query()->next();
        QTest::mouseClick(s->findChild<IconButton*>(QStringLiteral("ImageExit")), Qt::LeftButton);
        QVERIFY(!s->isVisible());
        // A record added meanwhile is in the result as soon as the list shows
        // again: the same search runs afresh, and the row that was current stays so.
        insertRow(*m_store->db, "kdgiris", {{"Isim", "r7"}, {"Semtadi", Kadikoy}, {"Fiyati", 130000.0},
                                            {"Metre2", 130.0}, {"Durum", "Kiralanmadı"}});
        QVERIFY(m_screens->show("RentalFlatList"));
        QCOMPARE(s->lowerPrice()->text(), c.p1);
        QCOMPARE(s->upperArea()->text(), c.m2);
        QCOMPARE(s->districtBox()->value(), Kadikoy);
        QCOMPARE(s->statusBox()->currentText(), c.status);
        QCOMPARE(s->selectedOption(), 5);
        QCOMPARE(s->query()->position(), 1);
        QCOMPARE(s->query()->text(QStringLiteral("Isim")), QStringLiteral("r4"));
        QCOMPARE(column(s->query()), (QStringList{"r2", "r4", "r7"}));
        QTest::mouseClick(s->findAction(), Qt::LeftButton);
        QCOMPARE(column(s->query()), (QStringList{"r2", "r4", "r7"}));
    }

    // A double-click opens the entry screen on the row's record; on an empty
    // result the entry screen keeps its record.
    void doubleClickOpensEntry_data() { addTwinRows(); }
    void doubleClickOpensEntry()
    {
        QFETCH(QString, twin);
        ListingSearch* s = screen(twin);
        s->show();
        QVERIFY(QTest::qWaitForWindowExposed(s));
        fill(s, Criteria());
        QCOMPARE(search(s, 0), (QStringList{"r1", "r2", "r5"}));
        QCoreApplication::processEvents();
        Table* entry = entryCursor(s->twin());
        QCOMPARE(entry->position(), 0);
        doubleClickRow(s->grid(), 2);
        QVERIFY(m_screens->find(s->twin().entryScreen)->isVisible());
        QCOMPARE(entry->text("Isim"), QStringLiteral("r5"));
        QCOMPARE(entry->integer("No"), s->query()->integer("No"));

        m_screens->find(s->twin().entryScreen)->hide();
        Criteria none;
        none.p1 = none.p2 = QStringLiteral("1");
        fill(s, none);
        QCOMPARE(search(s, 1), QStringList());
        QCoreApplication::processEvents();
        QTest::mouseDClick(s->grid()->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
        QVERIFY(m_screens->find(s->twin().entryScreen)->isVisible());
        QCOMPARE(entry->text("Isim"), QStringLiteral("r5"));
    }

    // The shared behaviours are in place (they are tested on their own elsewhere).
    void boundEditsBehave()
    {
        ListingSearch* s = screen("LandList");
        s->show();
        s->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s));
        for (QLineEdit* edit : {s->lowerPrice(), s->upperPrice(), s->lowerArea(), s->upperArea()})
            QVERIFY(qobject_cast<DigitsOnlyEdit*>(edit));
        QCOMPARE(s->lowerPrice()->maxLength(), 17);
        QCOMPARE(s->upperPrice()->maxLength(), 17);
        QCOMPARE(s->lowerArea()->maxLength(), 10);
        QCOMPARE(s->upperArea()->maxLength(), 10);

        m_beeps.count = 0;
        s->upperPrice()->setFocus();
        QTest::keyClicks(s->upperPrice(), "12a34");
        QCOMPARE(s->upperPrice()->text(), QStringLiteral("1234"));
        QCOMPARE(m_beeps.count, 1);
        QLabel* preview = s->upperPricePreview();
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->text(), LocaleFormats::thousands(1234));
        QCOMPARE(preview->text(), QStringLiteral("1.234"));
        // Beneath its edit.
        QCOMPARE(preview->geometry().right(), s->upperPrice()->geometry().right());
        QVERIFY(preview->y() >= s->upperPrice()->geometry().bottom());
        QVERIFY(!s->lowerPricePreview()->isVisible());
        // The areas have no preview.
        s->lowerArea()->setFocus();
        QTest::keyClicks(s->lowerArea(), "123456");
        QVERIFY(!preview->isVisible());
        QCOMPARE(s->findChildren<QLabel*>(QStringLiteral("Edit3Preview")).size(), 0);
    }

    void pricesInCurrencyFormat()
    {
        ListingSearch* s = screen("RentalFlatList");
        const QModelIndex price = s->grid()->model()->index(1, 1);
        QCOMPARE(s->grid()->model()->data(price).toString(), LocaleFormats::currency(150000));
    }

    // The district box reads the districts each time it opens.
    void districtBoxReadsAfresh()
    {
        ListingSearch* s = screen("SaleFlatList");
        addDistrict(*m_store->db, QStringLiteral("Yenikent"));
        QVERIFY(!s->districtBox()->offered().contains("Yenikent"));
        s->show();
        s->districtBox()->showPopup();
        QVERIFY(s->districtBox()->offered().contains("Yenikent"));
        s->districtBox()->hidePopup();
        QVERIFY(!s->districtBox()->pick("Nowhere"));
        QCOMPARE(s->districtBox()->value(), QString());
        // Stepping with the arrow keys picks; Delete clears the pick.
        QTest::keyClick(s->districtBox(), Qt::Key_Down);
        QCOMPARE(s->districtBox()->value(), s->districtBox()->offered().value(0));
        QTest::keyClick(s->districtBox(), Qt::Key_Delete);
        QCOMPARE(s->districtBox()->value(), QString());
    }
};

QTEST_MAIN(ListingSearchTest)
#include "tst_listingsearch.moc"
