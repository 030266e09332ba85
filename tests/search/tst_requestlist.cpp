// The customer request list: requests whose wanted range contains a price or
// an area (inclusive), its status rule, the failure message, and the query
// that the matching shares.

#include "kit/behaviours/digitsonlyedit.h"
#include "kit/behaviours/pressbutton.h"
#include "platform/controls/lookupcombobox.h"
#include "search/requestlist.h"
#include "support/searchtesting.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

using namespace searchtest;

namespace {

const QString Kadikoy = QStringLiteral("Kadıköy");

struct Wish {
    const char* name;
    QString district;
    QVariant priceFrom, priceTo, areaFrom, areaTo;
    QString status;
};

} // namespace

class RequestListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    ScreenMakers m_makers;
    std::unique_ptr<Screens> m_screens;
    Messages m_messages;
    RequestList* m_list = nullptr;

    QStringList find(int option, const QString& price, const QString& area, const QString& district,
                     const QString& status = QStringLiteral("Tümü"))
    {
        m_list->price()->setText(price);
        m_list->area()->setText(area);
        if (district.isEmpty())
            m_list->districtBox()->clearValue();
        else
            m_list->districtBox()->pick(district);
        m_list->statusBox()->setEditText(status);
        return search(m_list, option);
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        setErrorReporter(&m_messages);
        m_makers = searchScreens();
        m_makers << standInEntry(QStringLiteral("RequestEntry"), QStringLiteral("musteritalepleri"));
    }

    void cleanupTestCase() { setErrorReporter(nullptr); }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        Database& db = *m_store->db;
        addDistrict(db, Kadikoy);
        addDistrict(db, QStringLiteral("Beşiktaş"));
        const QVariant none(QMetaType::fromType<double>());
        const QList<Wish> wishes{
            {"q1", Kadikoy, 100000.0, 200000.0, 100.0, 150.0, QStringLiteral("Buldu")},
            {"q2", Kadikoy, 50000.0, 99999.0, 50.0, 99.0, QStringLiteral("Bulamadı")},
            {"q3", QStringLiteral("Beşiktaş"), 150000.0, 300000.0, 120.0, 200.0, QStringLiteral("Buldu")},
            {"q4", QString(QLatin1String("")), none, none, none, none, QString(QLatin1String(""))},
            {"q5", Kadikoy, 200001.0, 400000.0, 151.0, 300.0, QStringLiteral("Bulamadı")},
        };
        for (const Wish& w : wishes)
            insertRow(db, QStringLiteral("musteritalepleri"),
                      {{QStringLiteral("Isim"), QString::fromUtf8(w.name)},
                       {QStringLiteral("Semtadi"), w.district},
                       {QStringLiteral("Fiyatilkdeger"), w.priceFrom},
                       {QStringLiteral("Ikincifiyat"), w.priceTo},
                       {QStringLiteral("IlkMetre2"), w.areaFrom},
                       {QStringLiteral("Ikincimetre2"), w.areaTo},
                       {QStringLiteral("Durum"), w.status}});
        m_screens = std::make_unique<Screens>(db);
        m_screens->createAll(m_makers);
        m_list = m_screens->get<RequestList>(QStringLiteral("RequestList"));
        QVERIFY(m_list);
        m_messages.shown.clear();
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
    }

    void screenAsDocumented()
    {
        QCOMPARE(m_list->size(), QSize(640, 480));
        QCOMPARE(m_list->windowTitle(), QStringLiteral("Müşteri Talepleri"));
        QVERIFY(m_list->findChild<IconButton*>(QStringLiteral("ImageMinimise")));
        QVERIFY(m_list->findChild<IconButton*>(QStringLiteral("ImageExit")));
        QStringList captions;
        for (const QLabel* label : m_list->findChildren<QLabel*>())
            captions << label->text();
        for (const char* caption : {"Semt Adı", "Durum", "Fiyat Değeri", "Değeri", "Arama Seçeneğini Seçin", "Bul",
                                    "Tümünü Göster", "Yazdır", "Karşılaştır"})
            QVERIFY2(captions.contains(QString::fromUtf8(caption)), caption);

        QStringList items;
        for (int i = 0; i < m_list->statusBox()->count(); ++i)
            items << m_list->statusBox()->itemText(i);
        QCOMPARE(items, (QStringList{"Buldu", "Bulamadı", "Tümü"}));
        QCOMPARE(m_list->statusBox()->currentText(), QStringLiteral("Tümü"));

        QStringList options;
        for (int i = 0; i < m_list->optionsBox()->count(); ++i)
            options << m_list->optionsBox()->item(i)->text();
        QCOMPARE(options, (QStringList{"Semt Adına Göre", "Fiyata Göre", "Metre Kareye Göre", "Semt ve Fiyata Göre",
                                       "Semt ve Metreye Göre", "Fiyat ve Metreye Göre", "Tümüne Göre"}));
        QCOMPARE(m_list->selectedOption(), -1);
        QCOMPARE(m_list->optionsBox()->toolTip(), QStringLiteral("Seçtiğini Seçeneğe Göre Arama Yapma"));

        QStringList titles;
        for (int c = 0; c < m_list->grid()->model()->columnCount(); ++c)
            titles << m_list->grid()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"Isim", "Emlak", "Semt Adı", "Ilk Metre2", "İkinci metre2", "Fiyat İlk Değer",
                                      "İkinci Fiyat", "Isı Sistemi", "Kat", "Oda"}));

        const QList<QWidget*> documented{m_list->grid(), m_list->price(), m_list->area(), m_list->districtBox(),
                                         m_list->optionsBox(), m_list->statusBox()};
        QCOMPARE(tabChain(m_list->grid(), 6), documented);

        QVERIFY(qobject_cast<DigitsOnlyEdit*>(m_list->price()));
        QVERIFY(qobject_cast<DigitsOnlyEdit*>(m_list->area()));
        QCOMPARE(m_list->price()->maxLength(), 17);
        QCOMPARE(m_list->area()->maxLength(), 10);
        QVERIFY(m_list->pricePreview());
        QVERIFY(m_list->pricePreview()->isHidden());
        QCOMPARE(m_list->findChildren<QLabel*>(QStringLiteral("Edit2Preview")).size(), 0);

        // The whole register, opened at creation, first request current.
        QCOMPARE(column(m_list->requests()), (QStringList{"q1", "q2", "q3", "q4", "q5"}));
        QCOMPARE(m_list->requests()->position(), 0);
    }

    void pricePreviewShows()
    {
        m_list->show();
        m_list->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_list));
        m_list->price()->setFocus();
        QTest::keyClicks(m_list->price(), "150000");
        QVERIFY(m_list->pricePreview()->isVisible());
        QCOMPARE(m_list->pricePreview()->text(), QStringLiteral("150.000"));
    }

    // The request's own range holds the value, both ends included.
    void inclusiveRanges_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("area");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("lower end") << 1 << "100000" << "" << QStringList{"q1"};
        QTest::newRow("inside") << 1 << "150000" << "" << QStringList{"q1", "q3"};
        QTest::newRow("upper end") << 1 << "200000" << "" << QStringList{"q1", "q3"};
        QTest::newRow("one below") << 1 << "99999" << "" << QStringList{"q2"};
        QTest::newRow("one above") << 1 << "200001" << "" << QStringList{"q3", "q5"};
        QTest::newRow("area lower end") << 2 << "" << "100" << QStringList{"q1"};
        QTest::newRow("area upper end") << 2 << "" << "150" << QStringList{"q1", "q3"};
        QTest::newRow("area one above") << 2 << "" << "151" << QStringList{"q3", "q5"};
        QTest::newRow("price and area") << 5 << "150000" << "150" << QStringList{"q1", "q3"};
    }
    void inclusiveRanges()
    {
        QFETCH(int, option);
        QFETCH(QString, price);
        QFETCH(QString, area);
        QFETCH(QStringList, found);
        QCOMPARE(find(option, price, area, QString()), found);
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(m_list->requests()->position(), 0);
    }

    void districtOptions()
    {
        QCOMPARE(find(0, "", "", Kadikoy), (QStringList{"q1", "q2", "q5"}));
        QCOMPARE(find(3, "150000", "", Kadikoy), QStringList{"q1"});
        QCOMPARE(find(4, "", "151", Kadikoy), QStringList{"q5"});
        QCOMPARE(find(6, "150000", "150", Kadikoy), QStringList{"q1"});
        QCOMPARE(find(6, "150000", "150", QStringLiteral("Beşiktaş")), QStringList{"q3"});
        // No district picked: the empty text, which the blank request holds.
        QCOMPARE(find(0, "", "", QString()), QStringList{"q4"});
    }

    // By district, over every status: the first page read once, in key order
    // from an index, nothing sorted.
    void districtSearchSortsNothing()
    {
        m_list->show(); // as the clerk has it: a shown grid reads its own pages
        checkReadsOnceInKeyOrder(*m_store->db, QStringLiteral("musteritalepleri"),
                                 [&] { QCOMPARE(find(0, "", "", Kadikoy), (QStringList{"q1", "q2", "q5"})); });
    }

    // Every status text but "Tümü" filters, the empty text and any typed text included.
    void statusRule()
    {
        QCOMPARE(find(0, "", "", Kadikoy, QStringLiteral("Tümü")), (QStringList{"q1", "q2", "q5"}));
        QCOMPARE(find(0, "", "", Kadikoy, QStringLiteral("Buldu")), QStringList{"q1"});
        QCOMPARE(find(0, "", "", Kadikoy, QStringLiteral("Bulamadı")), (QStringList{"q2", "q5"}));
        QCOMPARE(find(0, "", "", Kadikoy, QStringLiteral("buldu")), QStringList());
        QCOMPARE(find(0, "", "", Kadikoy, QStringLiteral("tümü")), QStringList());
        QCOMPARE(find(0, "", "", Kadikoy, QString()), QStringList());
        QCOMPARE(find(0, "", "", QString(), QString()), QStringList{"q4"});
        QCOMPARE(find(1, "150000", "", QString(), QStringLiteral("Buldu\" OR \"1\"=\"1")), QStringList());
        QVERIFY(m_messages.shown.isEmpty());
        QVERIFY(m_list->requests()->isActive());
    }

    // A request with empty bounds is never found by a price or area search.
    void emptyBoundsNeverMatch()
    {
        QVERIFY(!find(1, "0", "", QString()).contains("q4"));
        QVERIFY(!find(2, "", "0", QString()).contains("q4"));
    }

    void failureAndShowAll()
    {
        QCOMPARE(find(5, "150000", "", Kadikoy), QStringList());
        QCOMPARE(m_messages.shown,
                 QStringList{QStringLiteral("Lütfen Girdiğiniz Bilgileri Düzelttikten Sonra Tekrar Deneyin ..!")});
        QVERIFY(!m_list->requests()->isActive());
        QCOMPARE(m_list->grid()->model()->rowCount(), 0);
        QCOMPARE(m_list->price()->text(), QStringLiteral("150000"));
        QCOMPARE(m_list->area()->text(), QString());

        // The unused area is not read by the price option.
        m_list->area()->setText(QStringLiteral("x"));
        QCOMPARE(find(1, "150000", "x", QString()), (QStringList{"q1", "q3"}));
        QCOMPARE(m_messages.shown.size(), 1);

        QCOMPARE(find(2, "150000", "x", QString()), QStringList());
        QCOMPARE(m_messages.shown.size(), 2);
        QTest::mouseClick(m_list->showAllAction(), Qt::LeftButton);
        QCOMPARE(column(m_list->requests()), (QStringList{"q1", "q2", "q3", "q4", "q5"}));
        QCOMPARE(m_list->requests()->position(), 0);
        QCOMPARE(m_list->area()->text(), QStringLiteral("x"));
    }

    // The grid's current row is the query's: the current request the matching reads.
    void currentRowIsCurrentRequest()
    {
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list));
        QCOMPARE(find(1, "150000", "", QString()), (QStringList{"q1", "q3"}));
        QCoreApplication::processEvents();
        doubleClickRow(m_list->grid(), 1);
        QCOMPARE(m_list->requests()->text("Isim"), QStringLiteral("q3"));
        Table* entry = dynamic_cast<CursorOwner*>(m_screens->find("RequestEntry"))->cursor();
        QVERIFY(m_screens->find("RequestEntry")->isVisible());
        QCOMPARE(entry->text("Isim"), QStringLiteral("q3"));
        // Moving the request query by hand moves the grid with it.
        m_list->requests()->first();
        QCOMPARE(m_list->grid()->currentIndex().row(), 0);
    }

    void nothingSelectedChangesNothing()
    {
        QCOMPARE(find(1, "150000", "", QString()), (QStringList{"q1", "q3"}));
        m_list->selectOption(-1);
        m_list->price()->clear();
        QTest::mouseClick(m_list->findAction(), Qt::LeftButton);
        QCOMPARE(column(m_list->requests()), (QStringList{"q1", "q3"}));
        QVERIFY(m_messages.shown.isEmpty());
    }
};

QTEST_MAIN(RequestListTest)
#include "tst_requestlist.moc"
