// MatchScreen over the request list's own query: the screen as documented,
// "Karşılaştır" opening it, the criterion resetting the five result grids,
// "Bul" showing the grid of the register the rules pick, double-clicks
// opening listings, the bulk comparison into MatchListScreen (the last
// request current afterwards, a cancelled run, an empty request list), and
// "Aranacaklar" into the call sheet's preview.

#include "kit/behaviours/centreonscreen.h"
#include "kit/behaviours/pressbutton.h"
#include "matching/listtextedit.h"
#include "matching/matchingscreens.h"
#include "matching/matchlistscreen.h"
#include "matching/matchscreen.h"
#include "platform/controls/dbgrid.h"
#include "platform/reporting/reportpreview.h"
#include "search/requestlist.h"
#include "support/matchingtesting.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace matchingtest;
using Matching::Register;

class MatchScreensTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    ScreenMakers m_makers;
    CollectingReporter m_messages;
    AnsweringDialogs m_dialogs;
    MatchScreen* m_match = nullptr;
    RequestList* m_list = nullptr;
    MatchListScreen* m_listScreen = nullptr;

    QStringList resultNames(Register where) { return searchtest::column(m_match->results(where)); }
    QList<Register> visibleGrids()
    {
        QList<Register> shown;
        for (const Matching::RegisterRule& r : Matching::registers())
            if (!m_match->resultGrid(r.id)->isHidden())
                shown << r.id;
        return shown;
    }
    void pick(int requestRow)
    {
        m_match->requestGrid()->setCurrentIndex(m_match->requestGrid()->model()->index(requestRow, 0));
    }
    void press(LabelButton* action) { QTest::mouseClick(action, Qt::LeftButton); }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        setErrorReporter(&m_messages);
        setMatchingDialogs(&m_dialogs);
        m_makers = searchScreens();
        m_makers << matchingScreens();
        for (const Matching::RegisterRule& r : Matching::registers())
            m_makers << searchtest::standInEntry(r.entryScreen, r.table);
    }

    void cleanupTestCase()
    {
        setErrorReporter(nullptr);
        setMatchingDialogs(nullptr);
    }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        Database& db = *m_store->db;
        seedListings(db);
        addRequest(db, {.name = "q1", .kind = "Daire", .wish = ToRent, .lowestPrice = 1000, .highestPrice = 2000,
                        .smallestArea = 100, .largestArea = 150});
        addRequest(db, {.name = "q2", .kind = EitherLand, .wish = ToRent});
        addRequest(db, {.name = "q3", .kind = "Arazi", .wish = ToBuy, .district = Besiktas, .smallestArea = 80,
                        .largestArea = 120});
        addRequest(db, {.name = "q4", .kind = "Daire", .wish = ""});
        m_screens = std::make_unique<Screens>(db);
        m_screens->createAll(m_makers);
        m_match = m_screens->get<MatchScreen>(MatchScreen::programName());
        m_list = m_screens->get<RequestList>(RequestList::programName());
        m_listScreen = m_screens->get<MatchListScreen>(MatchListScreen::programName());
        QVERIFY(m_match && m_list && m_listScreen);
        m_messages.shown.clear();
        m_dialogs = AnsweringDialogs();
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
    }

    void screenAsDocumented()
    {
        QCOMPARE(m_match->size(), QSize(640, 480));
        QCOMPARE(m_match->windowTitle(), QStringLiteral("Karşılaştırma"));
        QCOMPARE(m_match->setup().placement, ScreenPlacement::CentreOnActivation);
        QVERIFY(m_match->findChild<IconButton*>(QStringLiteral("ImageMinimise")));
        QVERIFY(m_match->findChild<IconButton*>(QStringLiteral("ImageExit")));

        QStringList items;
        for (int i = 0; i < m_match->criteriaBox()->count(); ++i)
            items << m_match->criteriaBox()->item(i)->text();
        QCOMPARE(items, (QStringList{"Semt Adına Göre", "Fiyata Göre", "Metre Kareye Göre", "Semt ve Fiyata Göre",
                                     "Semt ve Metreye Göre", "Fiyat ve Metreye Göre", "Tümüne Göre"}));
        QCOMPARE(m_match->criteriaBox()->toolTip(), QStringLiteral("Seçtiğini Seçeneğe Göre Arama Yapma"));
        QCOMPARE(m_match->selectedCriterion(), -1);
        QCOMPARE(m_match->findAction()->text(), QStringLiteral("Bul"));
        QCOMPARE(m_match->compareAllAction()->text(), QStringLiteral("Yazdır"));
        QVERIFY(!m_match->findAction()->isEnabled());
        QVERIFY(!m_match->compareAllAction()->isEnabled());
        QVERIFY(visibleGrids().isEmpty());

        // The request grid is a second grid over the request list's own query.
        QCOMPARE(m_match->requestGrid()->dataset(), m_list->requests());
        QStringList titles;
        for (int c = 0; c < m_match->requestGrid()->model()->columnCount(); ++c)
            titles << m_match->requestGrid()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"Isim", "Semt Adı", "Emlak", "Ilk Metre2", "Ikinci metre2", "Fiyat İlk Değer",
                                      "Fiyat İkinci Değer", "Isı Sistemi", "Kat", "Oda"}));

        // The five result grids in one place, titled with field names, over whole registers.
        const QMap<Register, QStringList> columns{
            {Register::RentalFlats, {"Semtadi", "Metre2", "Fiyati", "Kat", "Oda", "Isisistemi"}},
            {Register::SaleFlats, {"Semtadi", "Fiyati", "Metre2", "Kat", "Oda", "Isisistemi"}},
            {Register::RentalProperties, {"Emlak", "Semtadi", "Fiyati", "Metre2", "Kat", "Oda", "Isisistemi"}},
            {Register::SaleProperties, {"Emlak", "Semtadi", "Fiyati", "Metre2", "Kat", "Oda", "Isisistemi"}},
            {Register::Land, {"Semt", "Ada", "Parsel", "Pafta", "Imar", "Metre2", "Fiyati"}},
        };
        const QRect place = m_match->resultGrid(Register::Land)->geometry();
        for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
            DbGrid* grid = m_match->resultGrid(it.key());
            QCOMPARE(grid->geometry(), place);
            QStringList shown;
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                shown << grid->model()->headerData(c, Qt::Horizontal).toString();
            QCOMPARE(shown, it.value());
            QVERIFY(m_match->results(it.key())->isActive());
            QVERIFY(m_match->results(it.key())->statement().condition().isEmpty());
        }
    }

    void openedByCompareOnRequestList()
    {
        QVERIFY(m_match->isHidden());
        press(m_list->compareAction());
        QVERIFY(m_match->isVisible());
        // Centred each time it becomes the active window.
        QVERIFY(QTest::qWaitForWindowActive(m_match));
        const QPoint centre =
            CentreOnScreen::position(QGuiApplication::primaryScreen()->geometry().size(), m_match->frameGeometry().size());
        QCOMPARE(m_match->pos(), centre);
        m_match->move(3, 4);
        QVERIFY(activate(m_list));
        QVERIFY(activate(m_match));
        QCOMPARE(m_match->pos(), centre);
    }

    // Choosing a criterion hides the results and puts every register back whole.
    void criterionResetsResults()
    {
        m_match->selectCriterion(6);
        QVERIFY(m_match->findAction()->isEnabled());
        QVERIFY(m_match->compareAllAction()->isEnabled());
        press(m_match->findAction());
        QCOMPARE(visibleGrids(), QList<Register>{Register::RentalFlats});
        QCOMPARE(resultNames(Register::RentalFlats), (QStringList{"kd1", "kd2"}));

        m_match->selectCriterion(0);
        QVERIFY(visibleGrids().isEmpty());
        QCOMPARE(m_match->results(Register::RentalFlats)->recordCount(), 6);
        QVERIFY(m_match->findAction()->isEnabled());
        // "Bul" has to be pressed again.
        press(m_match->findAction());
        QCOMPARE(resultNames(Register::RentalFlats), (QStringList{"kd1", "kd2", "kd5", "kd6"}));
    }

    void findShowsTheRegisterTheRulesPick()
    {
        m_match->selectCriterion(0);
        // One current request on both screens: picked here, current there.
        pick(1);
        QCOMPARE(m_list->requests()->text(QStringLiteral("Isim")), QStringLiteral("q2"));
        press(m_match->findAction());
        // Land ran first, then the rental properties, whose grid is left on show.
        QCOMPARE(visibleGrids(), QList<Register>{Register::RentalProperties});
        QCOMPARE(resultNames(Register::RentalProperties), QStringList{"ke3"});
        QCOMPARE(resultNames(Register::Land), QStringList{"ar3"});

        // A request no test accepts leaves the grids as they were.
        m_list->requests()->last();
        QCOMPARE(m_match->requestGrid()->currentIndex().row(), 3);
        press(m_match->findAction());
        QCOMPARE(visibleGrids(), QList<Register>{Register::RentalProperties});
        QCOMPARE(resultNames(Register::RentalProperties), QStringList{"ke3"});

        // Land by area: "100" and "90" lie between 80 and 120 (as numbers).
        m_match->selectCriterion(2);
        pick(2);
        press(m_match->findAction());
        QCOMPARE(visibleGrids(), QList<Register>{Register::Land});
        QCOMPARE(sortedCopy(resultNames(Register::Land)), (QStringList{"ar1", "ar6"}));

        // Nothing found: the grid on show with its titles and no rows, and no message.
        m_match->selectCriterion(1);
        pick(2);
        press(m_match->findAction());
        QCOMPARE(visibleGrids(), QList<Register>{Register::Land});
        QCOMPARE(m_match->resultGrid(Register::Land)->model()->rowCount(), 0);
        QVERIFY(m_messages.shown.isEmpty());
    }

    void doubleClickOpensTheListing()
    {
        m_match->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_match));
        m_match->selectCriterion(2);
        pick(2);
        press(m_match->findAction());
        Query* land = m_match->results(Register::Land);
        land->last();
        const qint64 key = land->integer(QStringLiteral("No"));
        const QString name = land->text(QStringLiteral("Isim"));
        QCoreApplication::processEvents();
        searchtest::doubleClickRow(m_match->resultGrid(Register::Land), land->recordCount() - 1);
        QWidget* entry = m_screens->find(QStringLiteral("LandEntry"));
        QVERIFY(entry->isVisible());
        Table* cursor = dynamic_cast<CursorOwner*>(entry)->cursor();
        QCOMPARE(cursor->integer(QStringLiteral("No")), key);
        QCOMPARE(cursor->text(QStringLiteral("Isim")), name);
    }

    void closingOnlyHides()
    {
        QVERIFY(activate(m_match));
        m_match->selectCriterion(3);
        QTest::mouseClick(m_match->findChild<IconButton*>(QStringLiteral("ImageExit")), Qt::LeftButton);
        QVERIFY(m_match->isHidden());
        press(m_list->compareAction());
        QVERIFY(m_match->isVisible());
        QCOMPARE(m_match->selectedCriterion(), 3);
        QVERIFY(m_match->findAction()->isEnabled());
    }

    // "Yazdır": every request into the list, then the list is shown and the
    // last request is current on both screens.
    void bulkComparison()
    {
        m_match->selectCriterion(0);
        pick(1);
        press(m_match->compareAllAction());
        QVERIFY(m_listScreen->isVisible());
        // q1: kd1, kd2, kd5, kd6; q2: ke3 (no land in the bulk comparison); q3: ar6; q4: nothing.
        QCOMPARE(m_listScreen->lineCounter()->text(), QString::number(3 * 4 + 3 * 6));
        const QStringList lines = m_listScreen->box()->lines();
        QCOMPARE(lines.at(1), QStringLiteral("    İsim : q1    Telefon : "));
        QVERIFY(lines.contains(QStringLiteral("Semt Adı :Kadıköy   Metre2 :300   Fiyatı : 1200   Emlak  :Arsa ve Arazi")));
        QVERIFY(lines.contains(QStringLiteral("Semt Adı :Beşiktaş   Metre2 :90   Fiyatı : 150000  Emlak : Arsa ve Arazi")));
        QCOMPARE(lines.mid(lines.size() - 3), (QStringList{"", "    İsim : q4    Telefon : ", ""}));

        QCOMPARE(m_list->requests()->position(), 3);
        QCOMPARE(m_match->requestGrid()->currentIndex().row(), 3);
        QCOMPARE(m_list->grid()->currentIndex().row(), 3);
        // The grid of the last request a test accepted (q3, land), holding its listings.
        QCOMPARE(visibleGrids(), QList<Register>{Register::Land});
        QCOMPARE(resultNames(Register::Land), QStringList{"ar6"});
        QCOMPARE(m_dialogs.progressSeen, (QList<int>{1, 2, 3, 4}));
        QVERIFY(m_dialogs.notices.isEmpty());

        // A second run clears the list first.
        press(m_match->compareAllAction());
        QCOMPARE(m_listScreen->box()->lineCount(), 30);
    }

    void cancelledRun()
    {
        m_match->selectCriterion(0);
        m_dialogs.cancelAfter = 2;
        press(m_match->compareAllAction());
        QVERIFY(m_listScreen->isVisible());
        QCOMPARE(m_listScreen->box()->lineCount(), 3 * 2 + 3 * 5);
        QCOMPARE(m_dialogs.notices,
                 QStringList{"Karşılaştırma 2. talepten (q2) sonra iptal edildi. Listede 4 talebin ilk 2 tanesi var."});
        QCOMPARE(m_dialogs.progressEnded, 1);
        QCOMPARE(m_list->requests()->text(QStringLiteral("Isim")), QStringLiteral("q2"));
    }

    // The progress the clerk sees: nothing in the first half second, then
    // requests done of all, and "İptal" stopping the run.
    void progressDialog()
    {
        setMatchingDialogs(nullptr);
        MatchingDialogs& shown = matchingDialogs();
        const auto progressOnScreen = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QProgressDialog*>(w); dialog && dialog->isVisible())
                    return dialog;
            return static_cast<QProgressDialog*>(nullptr);
        };
        QVERIFY(shown.progress(m_match, 1, 200, 100));
        QVERIFY(!progressOnScreen());
        QVERIFY(shown.progress(m_match, 2, 200, 600));
        QProgressDialog* dialog = progressOnScreen();
        QVERIFY(dialog);
        QCOMPARE(dialog->labelText(), QStringLiteral("Talepler karşılaştırılıyor: 2 / 200"));
        QCOMPARE(dialog->maximum(), 200);
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        auto* cancel = dialog->findChild<QPushButton*>();
        QCOMPARE(cancel->text(), QStringLiteral("İptal"));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(!shown.progress(m_match, 3, 200, 700));
        shown.endProgress();
        QVERIFY(!progressOnScreen());
        setMatchingDialogs(&m_dialogs);
    }

    // "Aranacaklar": the call sheet previewed, marked from the showing logs;
    // a cancelled one neither shown nor remembered; one with nobody to call told.
    void callSheet()
    {
        Database& db = *m_store->db;
        insertRow(db, QStringLiteral("gosterilenkd"),
                  {{QStringLiteral("AdiSoyadi"), QStringLiteral("q1")}, {QStringLiteral("Tarih"), QStringLiteral("03.12.2026")},
                   {QStringLiteral("G1"), QStringLiteral("Kadıköy, kd2")}});
        qint64 kd2 = -1;
        db.select(QStringLiteral("SELECT \"No\" FROM kdgiris WHERE \"Isim\" = 'kd2'"), {},
                  [&](const SqlStatement& row) { kd2 = row.integer(0); });
        insertRow(db, QStringLiteral("gosterilenilanlar"),
                  {{QStringLiteral("Kayit"), QStringLiteral("gosterilenkd")}, {QStringLiteral("GosterimNo"), 1.0},
                   {QStringLiteral("Yer"), 1.0}, {QStringLiteral("IlanKayit"), QStringLiteral("kdgiris")},
                   {QStringLiteral("IlanNo"), double(kd2)}});

        QCOMPARE(m_match->callSheetAction()->text(), QStringLiteral("Aranacaklar"));
        QVERIFY(!m_match->callSheetAction()->isEnabled()); // waits for a criterion, as "Yazdır" does
        m_match->selectCriterion(0);
        QVERIFY(m_match->callSheetAction()->isEnabled());

        QStringList printed;
        const auto readPreview = [&] {
            auto* preview = qobject_cast<reporting::ReportPreview*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            QVERIFY(preview->report().layoutAll());
            for (int page = 0; page < preview->report().pagesLaidOut(); ++page)
                for (const reporting::Report::PlacedBand& band : preview->report().page(page).bands)
                    printed << band.texts.join(QLatin1Char('|'));
            preview->reject();
        };
        QTimer::singleShot(0, readPreview);
        press(m_match->callSheetAction());
        QVERIFY2(!printed.isEmpty(), "no preview");
        QVERIFY(printed.first().startsWith(QStringLiteral("Aranacak Müşteriler|Semt Adına Göre · bu ölçütle ilk liste")));
        const qsizetype q1 = printed.indexOf(QStringLiteral("q1||Kiralık Daire · Kadıköy · 1.000 – 2.000 · 100 – 150 m²"));
        QVERIFY(q1 > 0);
        QVERIFY(printed.mid(q1).contains(
            QStringLiteral("Kiralık Daire %1|Kadıköy|150|₺2.000,00||gösterildi 03.12.2026|").arg(kd2)));
        QCOMPARE(m_dialogs.progressSeen, (QList<int>{1, 2, 3, 4}));

        m_dialogs = AnsweringDialogs();
        m_dialogs.cancelAfter = 2;
        printed.clear();
        QTimer::singleShot(0, readPreview); // closes a preview that should not be there
        press(m_match->callSheetAction());
        QCoreApplication::processEvents();
        QVERIFY(printed.isEmpty());
        QCOMPARE(m_dialogs.notices,
                 QStringList{"Arama listesi 4 talebin 2. talebinde iptal edildi; liste hatırlanmadı."});
        QCOMPARE(m_dialogs.progressEnded, 1);
        int runs = -1;
        db.select(QStringLiteral("SELECT count(*) FROM karsilastirmalar"), {},
                  [&](const SqlStatement& row) { runs = int(row.integer(0)); });
        QCOMPARE(runs, 1); // the first sheet's

        // A sheet the store refuses to remember (a full disk, say) is still
        // shown, and the clerk told.
        if (!storesOnServer()) {
            m_dialogs = AnsweringDialogs();
            printed.clear();
            db.execute(QStringLiteral("CREATE TRIGGER dolu BEFORE INSERT ON karsilastirmalar "
                                      "BEGIN SELECT RAISE(ABORT, 'disk dolu'); END"));
            QTimer::singleShot(0, readPreview);
            press(m_match->callSheetAction());
            QVERIFY2(!printed.isEmpty(), "no preview");
            QCOMPARE(m_messages.shown.size(), 1);
            QVERIFY2(m_messages.shown.first().contains(QStringLiteral("Arama listesi hatırlanamadı")),
                     qPrintable(m_messages.shown.first()));
            db.select(QStringLiteral("SELECT count(*) FROM karsilastirmalar"), {},
                      [&](const SqlStatement& row) { runs = int(row.integer(0)); });
            QCOMPARE(runs, 1); // the earlier sheet stays remembered whole
            db.execute(QStringLiteral("DROP TRIGGER dolu"));
        }

        // A search that failed leaves no request to match.
        m_messages.shown.clear();
        m_dialogs = AnsweringDialogs();
        m_list->area()->clear();
        m_list->selectOption(2);
        press(m_list->findAction());
        press(m_match->callSheetAction());
        QCOMPARE(m_dialogs.notices,
                 QStringList{"\"Semt Adına Göre\" ölçütüyle 0 talebin hiçbirine uyan ilan yok; aranacak müşteri yok."});
    }

    // No requests (a search that failed leaves the request list closed): an empty list, shown.
    void noRequests()
    {
        m_list->area()->clear();
        m_list->selectOption(2);
        press(m_list->findAction());
        QVERIFY(!m_list->requests()->isActive());
        QCOMPARE(m_messages.shown.size(), 1);

        m_listScreen->setList({QStringLiteral("eski")});
        m_match->selectCriterion(6);
        press(m_match->findAction());
        QVERIFY(visibleGrids().isEmpty());
        press(m_match->compareAllAction());
        QVERIFY(m_listScreen->isVisible());
        QCOMPARE(m_listScreen->box()->lineCount(), 0);
        QCOMPARE(m_listScreen->lineCounter()->text(), QStringLiteral("0"));
        QCOMPARE(m_messages.shown.size(), 1);
    }
};

QTEST_MAIN(MatchScreensTest)
#include "tst_matchscreens.moc"
