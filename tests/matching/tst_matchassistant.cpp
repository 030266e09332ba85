// The matching's findings on screen, as a clerk meets them: after "Bul" on
// MatchScreen the notice of near misses and of listings with an empty field,
// each opening its list, whose rows open the listing; the same notice of
// listings with an empty field on the listing searches; and on the listing
// entry screens "Müşteriler", offered by itself when a new listing is posted,
// whose rows open the request.

#include "entry/landrequestentry.h"
#include "entry/listingentry.h"
#include "kit/behaviours/pressbutton.h"
#include "matching/customersaction.h"
#include "matching/findingswindow.h"
#include "matching/matchassistant.h"
#include "matching/matchingscreens.h"
#include "matching/matchscreen.h"
#include "matching/missingdata.h"
#include "search/listingsearch.h"
#include "platform/controls/dbgrid.h"
#include "search/requestlist.h"
#include "support/matchingtesting.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

using namespace matchingtest;
using Matching::Register;

namespace {

Table* cursorOf(const Screens& screens, const QString& name)
{
    auto* owner = dynamic_cast<CursorOwner*>(screens.find(name));
    return owner ? owner->cursor() : nullptr;
}

QStringList columnOf(const FindingsWindow* window, int column)
{
    QStringList texts;
    for (int r = 0; r < window->list()->rowCount(); ++r)
        texts << window->list()->item(r, column)->text();
    return texts;
}

} // namespace

class MatchAssistantTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    CollectingReporter m_messages;
    AnsweringDialogs m_dialogs;

    void makeScreens(const ScreenMakers& makers)
    {
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(makers);
    }

    QString nameOf(const QString& screen)
    {
        Table* cursor = cursorOf(*m_screens, screen);
        return cursor ? cursor->text(QStringLiteral("Isim")) : QString();
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        setErrorReporter(&m_messages);
        setMatchingDialogs(&m_dialogs);
    }
    void cleanupTestCase()
    {
        setErrorReporter(nullptr);
        setMatchingDialogs(nullptr);
    }
    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        seedListings(*m_store->db);
    }
    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.shown.join('\n')));
    }

    // A request no flat matches exactly: the notice tells of the near ones
    // and of the flat without a price, and both lists open their listings.
    void nearMissesAndMissingDataOnMatchScreen()
    {
        const QVariant none(QMetaType::fromType<double>());
        insertRow(*m_store->db, "kdgiris", {{"Isim", "kd7"}, {"Semtadi", Kadikoy}, {"Durum", ToRent},
                                            {"Fiyati", none}, {"Metre2", 100.0}});
        addRequest(*m_store->db, {.name = "Ayşe", .kind = "Daire", .wish = ToRent, .lowestPrice = 1050,
                                  .highestPrice = 1900});
        ScreenMakers makers = searchScreens();
        makers << matchingScreens();
        for (const Matching::RegisterRule& r : Matching::registers())
            makers << searchtest::standInEntry(r.entryScreen, r.table);
        makeScreens(makers);
        auto* match = m_screens->get<MatchScreen>(MatchScreen::programName());
        MatchAssistant* assistant = match->assistant();
        QVERIFY(!assistant->nearMissAction()->isEnabled());

        match->selectCriterion(3);
        QVERIFY(assistant->nearMissAction()->isEnabled());
        QTest::mouseClick(match->findAction(), Qt::LeftButton);
        QCOMPARE(match->results(Register::RentalFlats)->recordCount(), 0); // the exact result, as always
        const QString notice = assistant->notice()->text();
        QVERIFY2(notice.contains("4 yakın sonuç (%10 payla)"), qPrintable(notice));
        QVERIFY2(notice.contains("1 kiralık dairede fiyat yok; fiyata göre aramalarda çıkmazlar"), qPrintable(notice));

        QTest::mouseClick(assistant->nearMissAction(), Qt::LeftButton);
        FindingsWindow* near = assistant->nearMissWindow();
        QVERIFY(near && near->isVisible());
        QCOMPARE(columnOf(near, 5), (QStringList{"semt ✔, fiyat %5 düşük", "semt ✔, fiyat %5 düşük",
                                                 "semt ✔, fiyat %5 yüksek", "semt ✔, fiyat %5 yüksek"}));
        QCOMPARE(columnOf(near, 3), (QStringList{"1000", "999", "2000", "2001"}));
        // A narrower margin lists fewer; a double-click opens the listing.
        near->marginChoice()->setValue(5);
        QCOMPARE(near->list()->rowCount(), 2);
        QVERIFY(QTest::qWaitForWindowExposed(near));
        const QPoint second = near->list()->visualItemRect(near->list()->item(1, 0)).center();
        QTest::mouseClick(near->list()->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(near->list()->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(nameOf("RentalFlatEntry"), QStringLiteral("kd5"));

        assistant->showMissing();
        FindingsWindow* missing = assistant->missingWindow();
        QCOMPARE(missing->rows().size(), 1);
        QCOMPARE(missing->notice(), QStringLiteral("1 kiralık dairede fiyat yok; fiyata göre aramalarda çıkmazlar."));
        missing->list()->setCurrentCell(0, 0);
        QTest::keyClick(missing->list(), Qt::Key_Return);
        QCOMPARE(nameOf("RentalFlatEntry"), QStringLiteral("kd7"));

        // Choosing a criterion again tells nothing until "Bul".
        match->selectCriterion(0);
        QVERIFY(assistant->notice()->text().isEmpty());
        QTest::mouseClick(match->findAction(), Qt::LeftButton);
        QVERIFY(assistant->notice()->text().isEmpty()); // no margin, no compared field
    }

    // A listing search by price tells of the flats without a price among
    // those it looks through (the status it filters on, or all), and lists them.
    void missingDataOnAListingSearch()
    {
        const QVariant none(QMetaType::fromType<double>());
        insertRow(*m_store->db, "kdgiris", {{"Isim", "kd7"}, {"Semtadi", Kadikoy}, {"Durum", ToRent},
                                            {"Fiyati", none}, {"Metre2", 100.0}});
        insertRow(*m_store->db, "kdgiris", {{"Isim", "kd8"}, {"Semtadi", Kadikoy}, {"Durum", "Kiralandı"},
                                            {"Fiyati", none}, {"Metre2", 100.0}});
        ScreenMakers makers = withMissingDataNotices(searchScreens());
        for (const Matching::RegisterRule& r : Matching::registers())
            makers << searchtest::standInEntry(r.entryScreen, r.table);
        makeScreens(makers);
        auto* search = m_screens->get<ListingSearch>("RentalFlatList");
        QLabel* notice = MissingData::searchNotice(search);
        QVERIFY(notice);
        QVERIFY(!MissingData::searchNotice(m_screens->get<SearchScreen>("RequestList")));
        // The grid gives up a line to the notice, and they do not overlap.
        QVERIFY(search->grid()->geometry().bottom() < notice->geometry().top());

        search->lowerPrice()->setText("100");
        search->upperPrice()->setText("5000");
        QCOMPARE(searchtest::search(search, 1).size(), 6); // kd1 to kd6, let or not
        QCOMPARE(notice->text(), QStringLiteral("<a href=\"eksik\">2 kiralık dairede fiyat yok; fiyata göre "
                                                "aramalarda çıkmazlar</a>"));
        search->statusBox()->setEditText("Kiralanmadı");
        searchtest::search(search, 1);
        QVERIFY2(notice->text().contains(">1 kiralık dairede fiyat yok"), qPrintable(notice->text()));
        // By district alone nothing is compared.
        searchtest::search(search, 0);
        QVERIFY(notice->text().isEmpty());

        searchtest::search(search, 1);
        emit notice->linkActivated(QStringLiteral("eksik"));
        FindingsWindow* list = MissingData::searchList(search);
        QVERIFY(list && list->isVisible());
        QCOMPARE(columnOf(list, 5), QStringList{"fiyat yok"});
        list->list()->setCurrentCell(0, 0);
        QTest::keyClick(list->list(), Qt::Key_Return);
        QCOMPARE(nameOf("RentalFlatEntry"), QStringLiteral("kd7"));

        QTest::mouseClick(search->showAllAction(), Qt::LeftButton);
        QVERIFY(notice->text().isEmpty());
    }

    // "Müşteriler" on all five listing screens; a new flat posted with two
    // customers waiting shows them with their phones, and a row opens the request.
    void customersForANewListing()
    {
        Database& db = *m_store->db;
        insertRow(db, "musteritalepleri",
                  {{"Isim", "Işıl"}, {"Semtadi", Kadikoy}, {"Emlak", "Daire"}, {"Istek", ToRent},
                   {"Fiyatilkdeger", 1000.0}, {"Ikincifiyat", 1500.0}, {"Telefon", "(532) 111-22-33"},
                   {"Ceptel", "(555) 000-11-22"}});
        insertRow(db, "musteritalepleri",
                  {{"Isim", "Cem"}, {"Semtadi", Kadikoy}, {"Emlak", "Daire"}, {"Istek", ToRent},
                   {"Fiyatilkdeger", 1200.0}, {"Ikincifiyat", 3000.0}, {"Istel", "(216) 333-44-55"}});
        insertRow(db, "musteritalepleri",
                  {{"Isim", "Alım"}, {"Semtadi", Kadikoy}, {"Emlak", "Daire"}, {"Istek", ToBuy},
                   {"Fiyatilkdeger", 1000.0}, {"Ikincifiyat", 3000.0}});
        ScreenMakers makers = listingEntryScreens();
        makers << landAndRequestScreens();
        for (const char* list : {"RentalFlatList", "SaleFlatList", "RentalPropertyList", "SalePropertyList",
                                 "LandList", "RequestList"})
            makers << standInScreen(list);
        makeScreens(makers);
        for (const char* name : {"RentalFlatEntry", "SaleFlatEntry", "RentalPropertyEntry", "SalePropertyEntry",
                                 "LandEntry"})
            QVERIFY2(m_screens->find(name)->findChild<LabelButton*>("LabelMusteriler"), name);

        auto* entry = m_screens->get<FormEntry>("RentalFlatEntry");
        Table* flat = entry->cursor();
        flat->append();
        flat->setText("Semtadi", Kadikoy);
        flat->setText("Fiyati", "1300");
        flat->setText("Durum", ToRent);
        flat->post();
        FindingsWindow* customers = ListingCustomers::window(entry);
        QVERIFY(customers && customers->isVisible());
        QVERIFY2(customers->notice().startsWith("Yeni ilan kaydedildi. Semt ve Fiyata Göre: bu ilana uyan 2 talep var"),
                 qPrintable(customers->notice()));
        QCOMPARE(sortedCopy(columnOf(customers, 0)), (QStringList{"Cem", "Işıl"}));
        const int isil = int(columnOf(customers, 0).indexOf("Işıl"));
        QCOMPARE(customers->list()->item(isil, 1)->text(), QStringLiteral("(532) 111-22-33, (555) 000-11-22"));
        customers->openRow(isil);
        QCOMPARE(nameOf("RequestEntry"), QStringLiteral("Işıl"));

        // Another criterion from the list: by price alone, the same two.
        customers->criterionChoice()->setCurrentIndex(1);
        QCOMPARE(customers->list()->rowCount(), 2);
        customers->criterionChoice()->setCurrentIndex(3);
        customers->hide();

        // Editing a listing offers nothing; a new one nobody wants neither.
        flat->edit();
        flat->setText("Fiyati", "1400");
        flat->post();
        QVERIFY(!customers->isVisible());
        flat->append();
        flat->setText("Semtadi", Besiktas);
        flat->setText("Fiyati", "1300");
        flat->setText("Durum", ToRent);
        flat->post();
        QVERIFY(!customers->isVisible());
        // The action lists them anyway, and says so.
        QTest::mouseClick(entry->findChild<LabelButton*>("LabelMusteriler"), Qt::LeftButton);
        QVERIFY(customers->isVisible());
        QCOMPARE(customers->list()->rowCount(), 0);
        QCOMPARE(customers->notice(), QStringLiteral("Semt ve Fiyata Göre: bu ilana uyan talep yok."));
    }
};

QTEST_MAIN(MatchAssistantTest)
#include "tst_matchassistant.moc"
