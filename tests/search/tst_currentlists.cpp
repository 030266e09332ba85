// Lists show today's data: every list re-runs the statement it holds each
// time it is shown or entered from another window, so a record entered
// elsewhere since is there; the criteria, the statement and the current row
// stay.
#include "kit/namelist.h"
#include "kit/screens.h"
#include "matching/matchscreen.h"
#include "phonebook/phonebook.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/lookupcombobox.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "search/listingsearch.h"
#include "search/requestlist.h"
#include "shell/programscreens.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QLineEdit>
#include <QtTest>

namespace {

// A record entered on another screen: straight into the register, through
// a cursor of its own.
// Returns the record's key field (`key`, when the register has one).
qint64 enter(Database& db, const QString& table, const QVariantMap& values, const QString& key = {})
{
    Table register_(db, table);
    register_.open();
    register_.append();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        register_.setValue(it.key(), it.value());
    register_.post();
    return key.isEmpty() ? 0 : register_.integer(key);
}

int rowsShown(DbGrid* grid)
{
    return grid->model()->rowCount();
}

} // namespace

class CurrentListsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    Installed<CollectingReporter> m_messages;

    Database& db() { return *m_store->db; }
    qint64 flat(const QString& district, double price)
    {
        return enter(db(), QStringLiteral("kdgiris"),
                     {{QStringLiteral("Semtadi"), district}, {QStringLiteral("Fiyati"), price},
                      {QStringLiteral("Isim"), district + QStringLiteral(" sahibi")}},
                     QStringLiteral("No"));
    }

private slots:
    void initTestCase() { useTurkishLocale(); }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        enter(db(), QStringLiteral("semtler"), {{QStringLiteral("Semtler"), QStringLiteral("Moda")}});
        enter(db(), QStringLiteral("semtler"), {{QStringLiteral("Semtler"), QStringLiteral("Fenerbahçe")}});
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(programScreens());
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.shown.join(QLatin1Char('\n'))));
    }

    void listShowsFlatsEnteredSinceStart()
    {
        auto* list = m_screens->get<ListingSearch>(QStringLiteral("RentalFlatList"));
        QVERIFY(list);
        QCOMPARE(rowsShown(list->grid()), 0);
        flat(QStringLiteral("Moda"), 9000);
        flat(QStringLiteral("Fenerbahçe"), 12000);
        QVERIFY(m_screens->show(QStringLiteral("RentalFlatList")));
        QCOMPARE(rowsShown(list->grid()), 2);
        // Closed and opened again after one more.
        list->close();
        flat(QStringLiteral("Moda"), 15000);
        QVERIFY(m_screens->show(QStringLiteral("RentalFlatList")));
        QCOMPARE(rowsShown(list->grid()), 3);
    }

    void searchKeepsItsCriteriaAndCurrentRow()
    {
        auto* list = m_screens->get<ListingSearch>(QStringLiteral("RentalFlatList"));
        flat(QStringLiteral("Moda"), 9000);
        const qint64 second = flat(QStringLiteral("Moda"), 11000);
        flat(QStringLiteral("Fenerbahçe"), 12000);
        QVERIFY(activate(list));
        QVERIFY(list->districtBox()->pick(QStringLiteral("Moda")));
        list->selectOption(0); // "Semt Adına Göre"
        list->find();
        QCOMPARE(valuesOf(*list->query(), QStringLiteral("Semtadi")), QStringList(2, QStringLiteral("Moda")));
        list->query()->locate(QStringLiteral("No"), second);
        list->close();

        flat(QStringLiteral("Moda"), 13000);
        flat(QStringLiteral("Fenerbahçe"), 14000);
        QVERIFY(activate(list));
        // Only the district searched for, the new flat there among them.
        QCOMPARE(rowsShown(list->grid()), 3);
        QCOMPARE(list->query()->integer(QStringLiteral("No")), second);
        QCOMPARE(list->districtBox()->value(), QStringLiteral("Moda"));
        QCOMPARE(list->selectedOption(), 0);
    }

    void enteringTheListFromAnotherWindowRereadsIt()
    {
        // Both windows open side by side: a flat entered in the other one is
        // in the list when the clerk comes back to it.
        auto* list = m_screens->get<ListingSearch>(QStringLiteral("SaleFlatList"));
        QWidget* entry = m_screens->find(QStringLiteral("SaleFlatEntry"));
        QVERIFY(activate(list));
        QCOMPARE(rowsShown(list->grid()), 0);
        QVERIFY(activate(entry));
        enter(db(), QStringLiteral("sdgiris"), {{QStringLiteral("Semtadi"), QStringLiteral("Moda")}});
        QVERIFY(activate(list));
        QCOMPARE(rowsShown(list->grid()), 1);
    }

    void refusedSearchStaysRefused()
    {
        // The failed search's empty grid is its answer until the clerk mends
        // the criteria; showing the screen again runs nothing.
        auto* list = m_screens->get<ListingSearch>(QStringLiteral("RentalFlatList"));
        QVERIFY(activate(list));
        list->selectOption(1); // "Fiyat Aralığına Göre", with no prices typed
        list->find();
        QCOMPARE(m_messages.shown.size(), 1);
        m_messages.shown.clear();
        list->close();
        flat(QStringLiteral("Moda"), 9000);
        QVERIFY(activate(list));
        QVERIFY(!list->query()->isActive());
        QVERIFY(m_messages.shown.isEmpty());
    }

    void requestsAppearInTheRequestListAndMatchScreen()
    {
        auto* requests = m_screens->get<RequestList>(QStringLiteral("RequestList"));
        auto* match = m_screens->get<MatchScreen>(QStringLiteral("MatchScreen"));
        QVERIFY(requests && match);
        for (const QString& name : {QStringLiteral("Ali"), QStringLiteral("Veli"), QStringLiteral("Can")})
            enter(db(), QStringLiteral("musteritalepleri"), {{QStringLiteral("Isim"), name}});
        QVERIFY(activate(match));
        QCOMPARE(rowsShown(match->requestGrid()), 3);
        match->close();
        enter(db(), QStringLiteral("musteritalepleri"), {{QStringLiteral("Isim"), QStringLiteral("Deniz")}});
        QVERIFY(activate(requests));
        QCOMPARE(rowsShown(requests->grid()), 4);
    }

    void phoneBookAndLogListsShowNewRecords()
    {
        auto* phoneBook = m_screens->get<PhoneBook>(QStringLiteral("PhoneBook"));
        enter(db(), QStringLiteral("tel"), {{QStringLiteral("Ad"), QStringLiteral("Ayşe")}});
        QVERIFY(activate(phoneBook));
        QCOMPARE(valuesOf(*phoneBook->contacts(), QStringLiteral("Ad")), QStringList{QStringLiteral("Ayşe")});
        QCOMPARE(rowsShown(phoneBook->grid()), 1);

        auto* sold = m_screens->get<NameList>(QStringLiteral("SoldFlatList"));
        QVERIFY(sold);
        enter(db(), QStringLiteral("satilandaireler"), {{QStringLiteral("Adsoyad"), QStringLiteral("Mert")}});
        QVERIFY(activate(sold));
        QCOMPARE(valuesOf(*sold->rows(), QStringLiteral("Adsoyad")), QStringList{QStringLiteral("Mert")});
    }
};

QTEST_MAIN(CurrentListsTest)
#include "tst_currentlists.moc"
