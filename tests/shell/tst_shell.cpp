// The application shell as a clerk meets it: start-up order, the main
// window's panels, clock and contact grid, the about window and the splash.
#include "shell/aboutbox.h"
#include "shell/application.h"
#include "shell/programscreens.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/printbutton.h"
#include "platform/reporting/reportwindow.h"
#include "kit/behaviours/recordbehaviours.h"
#include "shell/mainwindow.h"
#include "shell/menupanel.h"
#include "kit/screens.h"
#include "shell/splashscreen.h"
#include "platform/controls/dbgrid.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "platform/system/shellopener.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QFile>
#include <QHeaderView>
#include <QtTest>

namespace {

struct Opened : ShellOpener {
    QList<QUrl> urls;
    void open(const QUrl& url) override { urls << url; }
};


void addContact(Table& contacts, const QString& name)
{
    contacts.append();
    contacts.setText(QStringLiteral("Ad"), name);
    contacts.post();
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    MainWindow* m_main = nullptr;
    Installed<CollectingReporter> m_messages;

private slots:
    void initTestCase()
    {
        useTurkishLocale();
    }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(programScreens());
        m_main = m_screens->get<MainWindow>(QStringLiteral("MainWindow"));
        QVERIFY(m_main);
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        m_messages.shown.clear();
    }

    void screensAreCreatedOnceHiddenInTheStartUpOrder()
    {
        // The agency's start-up order, written out here on its own: each entry
        // screen with its list beside it, the definitions after the about window,
        // the phone book and the matching last.
        const QStringList expected{
            "MainWindow",          "RentalFlatEntry",   "RentalFlatList",    "RentedFlatEntry",
            "RentedFlatList",      "ShownRentalEntry",  "ShownRentalList",   "SaleFlatEntry",
            "SaleFlatList",        "SoldFlatEntry",     "SoldFlatList",      "ShownSaleEntry",
            "ShownSaleList",       "RentalPropertyEntry", "RentalPropertyList", "SalePropertyEntry",
            "SalePropertyList",    "RequestEntry",      "RequestList",       "LandEntry",
            "LandList",            "AboutBox",          "DistrictEntry",     "DistrictList",
            "PropertyTypeEntry",   "PropertyTypeList",  "PhoneBook",         "PhoneEntry",
            "PhoneSearch",         "PhoneEdit",         "MatchScreen",       "MatchListScreen"};
        QCOMPARE(startUpOrder(), expected);
        // What the program has now was made in that order, each screen once and hidden.
        QStringList made;
        for (const QString& name : expected) {
            if (m_screens->find(name))
                made << name;
        }
        QCOMPARE(m_screens->created(), made);
        for (const QString& name : made) {
            QVERIFY(m_screens->find(name)->isHidden());
            QCOMPARE(m_screens->find(name)->objectName(), name);
        }
        // The screens built so far are all there.
        for (const char* name : {"MainWindow", "RentalFlatEntry", "RentedFlatList", "ShownSaleEntry",
                                 "SalePropertyList", "RequestList", "LandEntry", "AboutBox", "DistrictList",
                                 "PropertyTypeEntry"})
            QVERIFY2(m_screens->find(QString::fromLatin1(name)), name);
        QVERIFY(!m_screens->show(QStringLiteral("NoSuchScreen")));
    }

    // The program starts as main() does: the main window made and shown, the
    // rest made one per turn of the event loop once it has painted, in the
    // start-up order; a screen asked for early is made at once with those before it.
    void hiddenScreensAreMadeInTurnsAfterTheMainWindow()
    {
        m_screens = std::make_unique<Screens>(*m_store->db);
        const ScreenMakers makers = programScreens();
        m_screens->createAll(makers.mid(0, 1));
        QStringList failures;
        auto* main = m_screens->get<MainWindow>(QStringLiteral("MainWindow"));
        m_screens->show(QStringLiteral("MainWindow"));
        m_screens->createInTurns(makers.mid(1), main, [&failures](const QString& message) { failures << message; });
        QCOMPARE(m_screens->created(), QStringList{QStringLiteral("MainWindow")});
        QVERIFY(m_screens->creating());

        QVERIFY(m_screens->show(QStringLiteral("RentedFlatEntry")));
        QCOMPARE(m_screens->created(), startUpOrder().mid(0, 4));
        QVERIFY(m_screens->find(QStringLiteral("RentedFlatEntry"))->isVisible());
        m_screens->find(QStringLiteral("RentedFlatEntry"))->hide();

        QTRY_VERIFY(!m_screens->creating());
        QCOMPARE(m_screens->created(), startUpOrder());
        for (const QString& name : startUpOrder().mid(4))
            QVERIFY2(m_screens->find(name)->isHidden(), qPrintable(name));
        QVERIFY(failures.isEmpty());

        // A screen whose tables cannot be opened stops the ones after it, and says why.
        auto made = [](const QString& name) { return [name](Screens&) { auto* w = new QWidget; w->setObjectName(name); return w; }; };
        Screens broken(*m_store->db);
        broken.createInTurns({{QStringLiteral("A"), made(QStringLiteral("A"))},
                              {QStringLiteral("B"), [](Screens&) -> QWidget* { throw DataError(QStringLiteral("bozuk")); }},
                              {QStringLiteral("C"), made(QStringLiteral("C"))}},
                             nullptr, [&failures](const QString& message) { failures << message; });
        QVERIFY(!broken.find(QStringLiteral("C")));
        QCOMPARE(failures, QStringList{QStringLiteral("bozuk")});
        QCOMPARE(broken.created(), QStringList{QStringLiteral("A")});
        QVERIFY(!broken.creating());
        QCoreApplication::processEvents();
        QCOMPARE(failures.size(), 1);
    }

    // Only what is shown is dressed: a screen nobody has opened holds no decoded
    // picture, and its first show brings the real one with its controls' dressing.
    void hiddenScreensAreDressedAtTheirFirstShow()
    {
        QCoreApplication::processEvents();
        for (const QString& name : m_screens->created()) {
            auto* screen = m_screens->get<Screen>(name);
            QVERIFY2(screen && !screen->isDressed(), qPrintable(name));
            QVERIFY2(screen->backgroundLabel()->pixmap().isNull(), qPrintable(name));
        }

        auto* entry = m_screens->get<Screen>(QStringLiteral("RentalFlatEntry"));
        auto* list = entry->findChild<LabelButton*>(QStringLiteral("LabelListe"));
        QVERIFY(list && !list->pressedPicture());
        QVERIFY(m_screens->show(QStringLiteral("RentalFlatEntry")));
        QVERIFY(QTest::qWaitForWindowExposed(entry));
        QVERIFY(entry->isDressed());
        QCOMPARE(entry->backgroundLabel()->pixmap().toImage(),
                 QPixmap(QStringLiteral(":/art/bg_rental_flat_entry.jpg")).toImage());
        QVERIFY(list->pressedPicture() && list->pressedPicture()->isHidden());
        QVERIFY(!m_screens->get<Screen>(QStringLiteral("RentalFlatList"))->isDressed());

        // A screen drawn without being shown (a grab) is drawn dressed.
        auto* sales = m_screens->get<Screen>(QStringLiteral("SaleFlatList"));
        const QImage grabbed = sales->grab().toImage();
        QVERIFY(sales->isDressed());
        // Down the left edge, where no control lies, the grab shows the picture
        // wherever the picture differs from the plain fill an undressed screen has.
        const QImage art = QPixmap(QStringLiteral(":/art/bg_sale_flat_list.jpg")).toImage();
        int differing = 0;
        for (int y = 0; y < art.height(); ++y) {
            if (QColor(art.pixel(2, y)) == sales->setup().colour)
                continue;
            ++differing;
            QCOMPARE(QColor(grabbed.pixel(2, y)), QColor(art.pixel(2, y)));
        }
        QVERIFY(differing > 0);
    }

    // A grid on a screen nobody has opened has read none of its rows: its
    // views know its columns only. The first show brings every row, the first
    // one current; so does code asking for the rows or moving past the first.
    void hiddenGridsReadTheirRowsAtTheFirstShow()
    {
        QCoreApplication::processEvents();
        int grids = 0;
        for (const QString& name : m_screens->created()) {
            if (name == QLatin1String("MainWindow"))
                continue; // shown at start-up in any case
            for (DbGrid* grid : m_screens->find(name)->findChildren<DbGrid*>()) {
                ++grids;
                QVERIFY2(grid->datasetModel()->rowsHeldBack(), qPrintable(name));
                QCOMPARE(grid->verticalHeader()->count(), 0);
                QCOMPARE(grid->horizontalHeader()->count(), grid->model()->columnCount());
            }
        }
        QVERIFY(grids > 20);

        auto* districts = m_screens->get<Screen>(QStringLiteral("DistrictList"));
        DbGrid* grid = districts->findChild<DbGrid*>();
        const int rows = grid->dataset()->recordCount();
        QVERIFY(rows > 3);
        QVERIFY(m_screens->show(QStringLiteral("DistrictList")));
        QVERIFY(QTest::qWaitForWindowExposed(districts));
        QVERIFY(!grid->datasetModel()->rowsHeldBack());
        QCOMPARE(grid->verticalHeader()->count(), std::min(rows, int(Dataset::RowsPerPage)));
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(grid->dataset()->position(), 0);
        const int field = grid->datasetModel()->fieldOfColumn(grid->currentIndex().column());
        QCOMPARE(grid->currentIndex().data().toString(), grid->dataset()->displayText(field));
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));

        // Asked for its rows, an unseen grid offers them there and then, and its
        // views agree with the answer.
        auto* kinds = m_screens->get<Screen>(QStringLiteral("PropertyTypeList"))->findChild<DbGrid*>();
        QVERIFY(kinds->datasetModel()->rowsHeldBack());
        const int kindRows = kinds->model()->rowCount();
        QVERIFY(kindRows > 2);
        QCOMPARE(kinds->verticalHeader()->count(), kindRows);
        QVERIFY(!kinds->isVisible());

        // Its dataset moved on from the first row, an unseen grid follows it.
        Table phoneEntry(*m_store->db, QStringLiteral("tel"));
        phoneEntry.open();
        for (const char* name : {"Ayşe", "Burak", "Cem"})
            addContact(phoneEntry, QString::fromUtf8(name));
        DbGrid* contacts = m_screens->find(QStringLiteral("PhoneBook"))->findChild<DbGrid*>();
        contacts->dataset()->refresh();
        QVERIFY(contacts->datasetModel()->rowsHeldBack());
        contacts->dataset()->moveTo(2);
        QVERIFY(!contacts->datasetModel()->rowsHeldBack());
        QCOMPARE(contacts->currentIndex().row(), 2);
        QCOMPARE(contacts->verticalHeader()->count(), 3);

        // Drawn without being shown (a grab), a screen draws its grid's rows.
        auto* rentals = m_screens->get<Screen>(QStringLiteral("RentalFlatList"));
        QVERIFY(rentals->findChild<DbGrid*>()->datasetModel()->rowsHeldBack());
        rentals->grab();
        QVERIFY(!rentals->findChild<DbGrid*>()->datasetModel()->rowsHeldBack());
    }

    void mainWindowLooksAsItShould()
    {
        QCOMPARE(m_main->windowTitle(), QStringLiteral("Evlora"));
        QCOMPARE(m_main->size(), QSize(640, 480));
        QVERIFY(m_main->hasArtwork());
        QCOMPARE(m_main->menuItems().size(), 8);
        QCOMPARE(m_main->panels().size(), 7);
        QCOMPARE(m_main->menuItems().at(5)->text(), QStringLiteral("Telefon Defteri"));
        for (MenuPanel* panel : m_main->panels()) {
            QCOMPARE(panel->size(), QSize(180, 140));
            QCOMPARE(panel->pos(), QPoint(230, 176));
            QVERIFY(panel->isHidden());
            QVERIFY(!panel->accessibleName().isEmpty());
        }
        QVERIFY(m_main->panelItem(QStringLiteral("SemtTanımları")));
    }

    void onePanelAtATimeAndThePhoneBookItemHidesThem()
    {
        m_main->show();
        clickCentre(m_main->menuItems().at(0));
        QCOMPARE(m_main->visiblePanel(), m_main->panels().at(0));
        clickCentre(m_main->menuItems().at(7));
        QCOMPARE(m_main->visiblePanel(), m_main->panels().at(6));
        int visible = 0;
        for (MenuPanel* panel : m_main->panels())
            visible += panel->isHidden() ? 0 : 1;
        QCOMPARE(visible, 1);
        clickCentre(m_main->menuItems().at(5)); // "Telefon Defteri"
        QCOMPARE(m_main->visiblePanel(), nullptr);

        // A left press dragged off the item and released elsewhere still acts.
        LabelButton* item = m_main->menuItems().at(1);
        QTest::mousePress(item, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(item->isPressedLookShown());
        QTest::mouseRelease(item, Qt::LeftButton, {}, QPoint(400, 300));
        QCOMPARE(m_main->visiblePanel(), m_main->panels().at(1));
        QVERIFY(!item->isPressedLookShown());
    }

    void panelItemsShowTheirScreens()
    {
        m_main->show();
        clickCentre(m_main->menuItems().at(7));
        auto* about = m_screens->find(QStringLiteral("AboutBox"));
        QVERIFY(about->isHidden());
        clickCentre(m_main->panelItem(QStringLiteral("Program Hakkında")));
        QVERIFY(!about->isHidden());
        // The closed deals and showings on the first two panels.
        const QList<QPair<int, QPair<const char*, const char*>>> logItems{
            {0, {"Kiralanan Daire Girişi", "RentedFlatEntry"}},
            {0, {"Gösterilen Kiralık Daire", "ShownRentalEntry"}},
            {1, {"Satılan Dairelerin Girişi", "SoldFlatEntry"}},
            {1, {"Gösterilen Emlak Girişi", "ShownSaleEntry"}}};
        for (const auto& [menu, item] : logItems) {
            clickCentre(m_main->menuItems().at(menu));
            QWidget* screen = m_screens->find(QString::fromLatin1(item.second));
            QVERIFY(screen->isHidden());
            clickCentre(m_main->panelItem(QString::fromUtf8(item.first)));
            QVERIFY2(screen->isVisible(), item.second);
        }
        // The hover bar lies behind the item under the pointer.
        MenuPanel* panel = m_main->panels().at(6);
        ClickLabel* item = panel->items().at(1);
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(item, &enter);
        QVERIFY(!panel->hoverBar()->isHidden());
        QCOMPARE(panel->hoverBar()->y(), item->y() - 8);
        QTest::mouseMove(m_main->background(), QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(10, 10), m_main->background()->mapToGlobal(QPointF(10, 10)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(m_main->background(), &move);
        QVERIFY(panel->hoverBar()->isHidden());
    }

    void clockLabelsBeforeAndAfterTheFirstTick()
    {
        Installed<FixedClock> clock(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)));
        QCOMPARE(m_main->dateLabel()->text(), QStringLiteral("Tarih"));
        QCOMPARE(m_main->timeLabel()->text(), QStringLiteral("Saat"));
        QCOMPARE(m_main->clockTimer()->interval(), 1000);
        QVERIFY(m_main->clockTimer()->isActive());
        m_main->tick();
        QCOMPARE(m_main->dateLabel()->text(), QStringLiteral("Tarih 8.12.2026"));
        QCOMPARE(m_main->timeLabel()->text(), QStringLiteral("Saat 09:05:07"));
    }

    void contactGridDeletesOnlyAfterOk()
    {
        Table phoneEntry(*m_store->db, QStringLiteral("tel"));
        phoneEntry.open();
        addContact(phoneEntry, QStringLiteral("Ayşe"));
        addContact(phoneEntry, QStringLiteral("Burak"));
        m_main->contacts()->refresh();
        DbGrid* grid = m_main->contactGrid();
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Ad"));
        QCOMPARE(grid->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Ceptel"));

        Installed<AnsweringConfirmer> confirmer(false);
        m_main->show();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(confirmer.questions, QStringList{QStringLiteral("Delete record?")});
        QCOMPARE(grid->model()->rowCount(), 2);
        confirmer.answer = true;
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(grid->model()->rowCount(), 1);
        phoneEntry.refresh();
        QCOMPARE(phoneEntry.recordCount(), 1);
        QCOMPARE(phoneEntry.text(QStringLiteral("Ad")), QStringLiteral("Burak"));
    }

    void refreshOnActivatePostsAChangeAndCancelsNone()
    {
        Table districts(*m_store->db, QStringLiteral("semtler"));
        districts.open();
        QWidget screen;
        RefreshOnActivate::install(&screen, &districts);
        QWidget other;
        other.show();
        screen.show();
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(&screen);

        districts.edit();
        districts.setText(QStringLiteral("Aciklama"), QStringLiteral("değişti"));
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(&screen);
        QCOMPARE(districts.state(), DatasetState::Browse);
        Table check(*m_store->db, QStringLiteral("semtler"));
        check.open();
        QCOMPARE(check.text(QStringLiteral("Aciklama")), QStringLiteral("değişti"));

        districts.edit();
        QSignalSpy cancelled(&districts, &Dataset::afterCancel);
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(&screen);
        QCOMPARE(cancelled.count(), 1);
        QCOMPARE(districts.state(), DatasetState::Browse);
    }

    void mainWindowShowsContactsAddedElsewhereOnReturn()
    {
        QWidget phoneBook;
        phoneBook.show();
        m_main->show();
        QApplication::setActiveWindow(m_main);
        QCOMPARE(m_main->contactGrid()->model()->rowCount(), 0);
        QApplication::setActiveWindow(&phoneBook);
        Table phoneEntry(*m_store->db, QStringLiteral("tel"));
        phoneEntry.open();
        addContact(phoneEntry, QStringLiteral("Cem"));
        QApplication::setActiveWindow(m_main);
        QCOMPARE(m_main->contactGrid()->model()->rowCount(), 1);
    }

    void aboutWindowOpensThePageAndClosesOnDoubleClick()
    {
        Opened opened;
        setShellOpener(&opened);
        auto* about = m_screens->get<AboutBox>(QStringLiteral("AboutBox"));
        QCOMPARE(about->windowTitle(), QStringLiteral("Talvoren Bilgisayar"));
        QCOMPARE(about->size(), QSize(640, 480));
        about->show();
        clickCentre(about->link());
        QCOMPARE(opened.urls, QList<QUrl>{AboutBox::makersPage()});
        QTest::mouseDClick(about->background(), Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(about->isHidden());
        setShellOpener(nullptr);
    }

    void everyPrintMakesAFreshReport()
    {
        struct Report : ReportWindow {
            int* previews;
            explicit Report(int* counter) : previews(counter) {}
            void preview() override { ++*previews; }
        };
        int made = 0, previews = 0;
        LabelButton print(QStringLiteral("Yazdır"));
        PrintButton::install(&print, [&] {
            ++made;
            return std::make_unique<Report>(&previews);
        });
        clickCentre(&print);
        clickCentre(&print);
        QCOMPARE(made, 2);
        QCOMPARE(previews, 2);
    }

    void splashPlaysTheClipOrShowsWithoutIt()
    {
        const QString shipped = qEnvironmentVariable("EVLORA_SOURCE_DIR") + QStringLiteral("/assets/ani34.avi");
        QFile::remove(QStringLiteral("ani34.avi"));
        {
            SplashScreen splash;
            QCOMPARE(splash.size(), QSize(300, 145));
            QVERIFY(!splash.isAnimating()); // no clip in the working directory
        }
        QVERIFY(QFile::copy(shipped, QStringLiteral("ani34.avi")));
        {
            SplashScreen splash;
            splash.show();
            QVERIFY(splash.isAnimating());
        }
        QFile::remove(QStringLiteral("ani34.avi"));
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
