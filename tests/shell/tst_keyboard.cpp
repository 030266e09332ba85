// The program from the keyboard alone: every action label, corner icon and
// navigator button on its key, shown in its tooltip; Escape, Enter and F3
// where a clerk expects them; Tab and Enter passing over what a panel covers;
// the main menu on Alt and a letter.
#include "definitions/definitionscreens.h"
#include "entry/landrequestentry.h"
#include "entry/listingentry.h"
#include "kit/behaviours/keyboardaccess.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/formentry.h"
#include "kit/screens.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/dbnavigator.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "phonebook/phonebook.h"
#include "phonebook/phonesearch.h"
#include "search/listingsearch.h"
#include "shell/mainwindow.h"
#include "shell/menupanel.h"
#include "shell/programscreens.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QToolButton>
#include <QtTest>

namespace {

void press(const QKeySequence& key)
{
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keySequence(focus, key);
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, key, modifiers);
}

bool takesFocus(const QWidget* control)
{
    return control->focusPolicy() & Qt::TabFocus;
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    Installed<CollectingReporter> m_messages;
    Installed<AnsweringConfirmer> m_yes{true};
    Installed<CountingBeeper> m_beeps;

    template <class T> T* screen(const char* name) { return m_screens->get<T>(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        m_store = std::make_unique<ScratchStore>();
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(programScreens());
    }

    void cleanup()
    {
        for (const QString& name : m_screens->created())
            m_screens->find(name)->hide();
        m_messages.shown.clear();
    }

    // Every label, icon and navigator button has keys, its tooltip shows
    // them after its hint, and no key means two things on one screen.
    void everyActionHasItsKeyInItsTooltip()
    {
        int checked = 0;
        for (const QString& name : m_screens->created()) {
            QWidget* window = m_screens->find(name);
            QList<QWidget*> actions;
            for (PressButton* button : window->findChildren<PressButton*>())
                actions << button;
            for (DbNavigator* navigator : window->findChildren<DbNavigator*>())
                for (int b = 0; b < DbNavigator::ButtonCount; ++b)
                    actions << navigator->button(DbNavigator::Button(b));
            for (const char* corner : {"ImageMinimise", "ImageExit"})
                if (auto* picture = window->findChild<ClickLabel*>(QLatin1String(corner)))
                    actions << picture;
            for (QWidget* action : actions) {
                const QString where = name + QLatin1Char('/') + action->objectName();
                const QList<QKeySequence> keys = KeyboardAccess::keysOf(action);
                QVERIFY2(!keys.isEmpty(), qPrintable(where));
                const QString shown = KeyboardAccess::shownTooltip(action);
                QVERIFY2(shown.contains(keys.first().toString(QKeySequence::NativeText)), qPrintable(where));
                if (!action->toolTip().isEmpty())
                    QVERIFY2(shown.startsWith(action->toolTip()), qPrintable(where)); // the hint stays as it is
                ++checked;
            }

            QHash<QKeySequence, QString> taken;
            for (QShortcut* shortcut : window->findChildren<QShortcut*>()) {
                for (const QKeySequence& key : shortcut->keys()) {
                    const QString owner = shortcut->parent()->objectName();
                    QVERIFY2(!taken.contains(key), qPrintable(name + QLatin1Char('/') + key.toString() + ": "
                                                             + taken.value(key) + ", " + owner));
                    taken.insert(key, owner);
                }
            }
        }
        QVERIFY(checked > 100);

        auto* land = screen<FormEntry>("LandEntry");
        QCOMPARE(KeyboardAccess::shownTooltip(land->navigator()->button(DbNavigator::Insert)),
                 QStringLiteral("Kayıt Ekle (Ins, Ctrl+N)"));
        QCOMPARE(land->navigator()->button(DbNavigator::Insert)->toolTip(), QStringLiteral("Kayıt Ekle"));
        auto* flats = screen<FormEntry>("RentalFlatEntry");
        QCOMPARE(KeyboardAccess::shownTooltip(flats->printAction()), QStringLiteral("Ctrl+P"));
        QCOMPARE(KeyboardAccess::shownTooltip(flats->exitAction()), QStringLiteral("Esc"));
    }

    // A district entered, posted, another begun and abandoned, the records
    // walked and the screen closed, all from the keyboard.
    void entryScreenFromTheKeyboard()
    {
        auto* districts = screen<FormEntry>("DistrictEntry");
        QVERIFY(activate(districts));
        Table* table = districts->cursor();
        const int before = table->recordCount();
        QWidget* name = districts->dataControls().first();
        QVERIFY(focusOn(name));

        press(Qt::Key_Insert);
        QCOMPARE(table->state(), DatasetState::Insert);
        type(QStringLiteral("Klavyeköy"));
        press(QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(table->state(), DatasetState::Browse);
        QCOMPARE(table->recordCount(), before + 1);
        QCOMPARE(table->value(districts->fields().first()).toString(), QStringLiteral("Klavyeköy"));

        press(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(table->state(), DatasetState::Insert);
        type(QStringLiteral("Yarımköy"));
        // The field's own Escape first undoes its typing, the next cancels the record.
        press(Qt::Key_Escape);
        press(Qt::Key_Escape);
        QCOMPARE(table->state(), DatasetState::Browse);
        QCOMPARE(table->recordCount(), before + 1);
        QVERIFY(districts->isVisible());

        press(QKeySequence(Qt::ALT | Qt::Key_Home));
        QCOMPARE(table->position(), 0);
        press(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
        QCOMPARE(table->position(), 1);
        press(QKeySequence(Qt::ALT | Qt::Key_End));
        QCOMPARE(table->position(), table->recordCount() - 1);
        press(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
        QCOMPARE(table->position(), table->recordCount() - 2);
        press(Qt::Key_F2);
        QCOMPARE(table->state(), DatasetState::Edit);
        press(Qt::Key_Escape);
        QCOMPARE(table->state(), DatasetState::Browse);

        // Nothing being edited: Escape closes the screen as "Çıkış" does.
        press(Qt::Key_Escape);
        QVERIFY(!districts->isVisible());
        QVERIFY(m_messages.shown.isEmpty());
    }

    // Tab reaches the action labels after the fields; Space or Enter there
    // acts. Enter in the fields walks the fields only.
    void actionLabelsTakeTheFocus()
    {
        auto* districts = screen<FormEntry>("DistrictEntry");
        QVERIFY(activate(districts));
        QVERIFY(takesFocus(districts->listAction()) && takesFocus(districts->exitAction()));
        QVERIFY(!takesFocus(districts->navigator()->button(DbNavigator::First)));
        QVERIFY(focusOn(districts->dataControls().last()));
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), districts->listAction());
        QVERIFY(focusOn(districts->dataControls().first()));
        press(Qt::Key_Return);
        press(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), districts->dataControls().first()); // round the fields, not to "Liste"

        QVERIFY(focusOn(districts->listAction()));
        press(Qt::Key_Space);
        QWidget* list = m_screens->find(QStringLiteral("DistrictList"));
        QTRY_VERIFY(list->isVisible());
    }

    // Enter in a criterion, or F3 anywhere, runs the search: with the price
    // option and no bound the search says what is wrong.
    void searchRunsOnEnterAndF3()
    {
        auto* search = screen<ListingSearch>("RentalFlatList");
        QVERIFY(activate(search));
        search->selectOption(1);
        QVERIFY(focusOn(search->upperPrice()));
        press(Qt::Key_Return);
        QCOMPARE(m_messages.shown, QStringList{ListingSearch::failureMessage()});
        QCOMPARE(m_beeps.count, 0); // Enter searched; it was not refused

        m_messages.shown.clear();
        QVERIFY(focusOn(search->optionsBox()));
        press(Qt::Key_F3);
        QCOMPARE(m_messages.shown, QStringList{ListingSearch::failureMessage()});

        m_messages.shown.clear();
        QVERIFY(focusOn(search->lowerPrice()));
        type(QStringLiteral("1"));
        QVERIFY(focusOn(search->upperPrice()));
        type(QStringLiteral("900000"));
        press(Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(m_messages.shown.isEmpty());
        QVERIFY(search->query()->isActive());

        // Tab leaves the grid for the criteria; Enter on it opens its row as a
        // double-click does.
        QVERIFY(focusOn(search->grid()));
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), search->lowerPrice());
        QVERIFY(focusOn(search->grid()));
        press(Qt::Key_Return);
        QWidget* entry = m_screens->find(QStringLiteral("RentalFlatEntry"));
        QTRY_VERIFY(entry->isVisible());
        entry->hide();

        // The bound edits leave Escape to the screen, which closes.
        QVERIFY(activate(search));
        QVERIFY(focusOn(search->lowerPrice()));
        press(Qt::Key_Escape);
        QVERIFY(!search->isVisible());
    }

    // The owner's fields under the stop-sign panel take no focus while it
    // covers them; on the land screen the price and status lie under it too.
    void tabAndEnterPassOverCoveredFields()
    {
        auto* land = screen<LandEntry>("LandEntry");
        QVERIFY(activate(land));
        QVERIFY(land->ownerPanel()->isVisible());
        const QRect covered = land->ownerPanel()->geometry();
        QStringList under;
        for (int i = 0; i < land->dataControls().size(); ++i)
            if (covered.contains(land->dataControls().at(i)->geometry().center()))
                under << land->fields().at(i);
        for (const char* field : {"Fiyati", "Durum"})
            QVERIFY2(under.contains(QLatin1String(field)), field);

        for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Return}) {
            QVERIFY(focusOn(land->dataControls().first()));
            for (int i = 0; i < land->dataControls().size() + 2; ++i) {
                press(key);
                const int at = int(land->dataControls().indexOf(QApplication::focusWidget()));
                if (at >= 0)
                    QVERIFY2(!under.contains(land->fields().at(at)), qPrintable(land->fields().at(at)));
            }
        }

        // Shown, they are on the way again; covered once more, off it.
        press(QKeySequence(Qt::CTRL | Qt::Key_E));
        QVERIFY(!land->ownerPanel()->isVisible());
        for (const QString& field : under)
            QVERIFY2(takesFocus(land->control(field)), qPrintable(field));
        QVERIFY(focusOn(land->control(under.first())));
        press(QKeySequence(Qt::CTRL | Qt::Key_E));
        QVERIFY(land->ownerPanel()->isVisible());
        for (const QString& field : under)
            QVERIFY2(!takesFocus(land->control(field)), qPrintable(field));
        QVERIFY(!under.contains(land->fields().value(land->dataControls().indexOf(QApplication::focusWidget()))));
    }

    // Alt and a letter open a panel with the focus on its first item; the
    // arrows move, Enter opens, Escape folds the panel and never quits.
    void mainMenuOnAltLetters()
    {
        auto* main = screen<MainWindow>("MainWindow");
        QVERIFY(activate(main));
        main->contactGrid()->setFocus();
        press(QKeySequence(Qt::ALT | Qt::Key_M));
        MenuPanel* requests = main->visiblePanel();
        QVERIFY(requests);
        QCOMPARE(requests->accessibleName(), QStringLiteral("Müşteri Talepleri"));
        QTRY_COMPARE(QApplication::focusWidget(), requests->items().first());
        press(Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), requests->items().at(1));
        press(Qt::Key_Escape);
        QVERIFY(!main->visiblePanel());
        QVERIFY(main->isVisible());
        press(Qt::Key_Escape);
        QVERIFY(main->isVisible());

        press(QKeySequence(Qt::ALT | Qt::Key_M));
        QTRY_COMPARE(QApplication::focusWidget(), requests->items().first());
        press(Qt::Key_Return);
        QTRY_VERIFY(m_screens->find(QStringLiteral("RequestEntry"))->isVisible());
        QVERIFY(KeyboardAccess::shownTooltip(main->menuItems().first()).contains(QStringLiteral("Alt+K")));
    }

    // The phone book's own menu and its search screen's picture buttons:
    // each on a key shown in its tooltip, focusable, and Enter in the
    // searched text runs the search as the "Ara" picture does.
    void phoneBookFromTheKeyboard()
    {
        auto* book = screen<PhoneBook>("PhoneBook");
        m_screens->show(QStringLiteral("PhoneBook"));
        QVERIFY(activate(book));
        for (const QString& caption : PhoneBook::menuCaptions()) {
            ClickLabel* item = book->menuItem(caption);
            QVERIFY2(takesFocus(item), qPrintable(caption));
            QVERIFY2(!KeyboardAccess::keysOf(item).isEmpty(), qPrintable(caption));
        }
        QVERIFY(KeyboardAccess::shownTooltip(book->menuItem(QStringLiteral("Listeleme"))).contains("Alt+L"));
        book->menuItem(QStringLiteral("Yeni Kayıt"))->setFocus();
        press(QKeySequence(Qt::ALT | Qt::Key_L));
        auto* search = screen<PhoneSearch>("PhoneSearch");
        QTRY_VERIFY(search->isVisible());

        QVERIFY(activate(search));
        QCOMPARE(KeyboardAccess::shownTooltip(search->searchButton()), QStringLiteral("F3"));
        QVERIFY(KeyboardAccess::shownTooltip(search->showAllButton()).contains("Ctrl+T"));
        search->fieldChoice()->setCurrentIndex(1);  // "Soyad"
        search->matchChoice()->setCurrentIndex(1);  // "İle Başlar"
        typeInto(search->searchText(), QStringLiteral("Yıl"));
        press(Qt::Key_Return);
        QCOMPARE(search->query()->statement().values(), PhoneSearch::statementFor(1, 1, "Yıl").values());
        press(QKeySequence(Qt::CTRL | Qt::Key_T));
        QCOMPARE(search->query()->statement().condition(), PhoneSearch::wholeBook().condition());
        press(Qt::Key_F3);
        QCOMPARE(search->query()->statement().values(), PhoneSearch::statementFor(1, 1, "Yıl").values());
    }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
