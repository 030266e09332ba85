// The data-aware controls as a clerk uses them: real widgets in a shown window,
// driven by key presses and mouse clicks, checked against the store.
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbedit.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <memory>

namespace {

// A shown, active top-level window holding the controls under test.
struct Window {
    QWidget widget;
    QVBoxLayout* layout = new QVBoxLayout(&widget);

    template <class Control> Control* add(Control* control)
    {
        layout->addWidget(control);
        return control;
    }
    bool show()
    {
        widget.resize(640, 480);
        return activate(&widget);
    }
};


void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

void click(DbNavigator* navigator, DbNavigator::Button which)
{
    QTest::mouseClick(navigator->button(which), Qt::LeftButton);
}

// Reads one field of a record through a second, independent connection: what
// is there is on disk.
QStringList onDisk(const QString& path, const QString& sql)
{
    QStringList values;
    const std::unique_ptr<Database> other = Database::open(path, Catalogue::tables(), Database::ConsistencyCheck::ByCaller);
    other->select(sql, {}, [&](const SqlStatement& row) { values << row.value(0).toString(); });
    return values;
}

int countOnDisk(const QString& path, const QString& table)
{
    return onDisk(path, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).value(0, QStringLiteral("-1")).toInt();
}

void addListing(Table& listings, const QString& district, double price)
{
    listings.append();
    listings.setText(QStringLiteral("Semtadi"), district);
    listings.setValue(QStringLiteral("Fiyati"), price);
    listings.post();
}

QStringList itemsOf(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// Opens the drop-down with a click on its arrow and clicks the entry with the
// given text.
bool pickFromDropDown(QComboBox* combo, const QString& text)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    const QRect arrow = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, combo);
    QTest::mouseClick(combo, Qt::LeftButton, {}, arrow.center());
    QAbstractItemView* view = combo->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); }))
        return false;
    const int row = combo->findText(text, Qt::MatchExactly);
    if (row < 0)
        return false;
    const QPoint at = view->visualRect(view->model()->index(row, combo->modelColumn())).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    return QTest::qWaitFor([view] { return !view->isVisible(); });
}

QList<QToolButton*> buttonsLeftToRight(DbNavigator* navigator)
{
    auto buttons = navigator->findChildren<QToolButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QToolButton* a, QToolButton* b) { return a->x() < b->x(); });
    return buttons;
}

} // namespace

class DataControlsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }
    void init()
    {
        m_reporter.shown.clear();
        m_confirmer.questions.clear();
        m_confirmer.answer = false;
        setErrorReporter(&m_reporter);
        setConfirmer(&m_confirmer);
    }
    void cleanup()
    {
        setErrorReporter(nullptr);
        setConfirmer(nullptr);
    }

    void editFollowsTheCursorAndTakesTheFieldRules()
    {
        ScratchStore store;
        Table districts(*store.db, QStringLiteral("semtler"));
        districts.open();
        Query lookupOnly(*store.db);
        lookupOnly.setStatement(Statement(QStringLiteral("semtler")));
        lookupOnly.open();

        Window window;
        auto* name = window.add(new DbEdit);
        auto* key = window.add(new DbEdit);
        auto* shown = window.add(new DbEdit);
        auto* elsewhere = window.add(new QLineEdit);
        name->bind(&districts, QStringLiteral("Semtler"));
        key->bind(&districts, QStringLiteral("No"));
        shown->bind(&lookupOnly, QStringLiteral("Semtler"));
        QVERIFY(window.show());

        // Follows moves.
        QCOMPARE(name->text(), QStringLiteral("Ataşehir"));
        districts.next();
        QCOMPARE(name->text(), QStringLiteral("Bakırköy"));
        districts.prior();
        QCOMPARE(name->text(), QStringLiteral("Ataşehir"));

        // The first key puts the record into edit state and still lands.
        QVERIFY(focusOn(name));
        press(Qt::Key_End);
        type(QStringLiteral("ş"));
        QCOMPARE(districts.state(), DatasetState::Edit);
        QCOMPARE(name->text(), QStringLiteral("Ataşehirş"));

        // Cancel shows the record's value again.
        districts.cancel();
        QCOMPARE(name->text(), QStringLiteral("Ataşehir"));

        // A 16th character does not go in.
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("Küçükçekmecebüyü"));
        QCOMPARE(name->text(), QStringLiteral("Küçükçekmecebüy"));
        districts.post();
        QCOMPARE(districts.text(QStringLiteral("Semtler")), QStringLiteral("Küçükçekmecebüy"));
        QCOMPARE(name->text(), QStringLiteral("Küçükçekmecebüy"));
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Semtler FROM semtler WHERE No = 1")),
                 QStringList{QStringLiteral("Küçükçekmecebüy")});

        // The key and anything over a query only show.
        QVERIFY(focusOn(key));
        type(QStringLiteral("9"));
        QCOMPARE(key->text(), QStringLiteral("1"));
        QVERIFY(focusOn(shown));
        type(QStringLiteral("xyz"));
        press(Qt::Key_Backspace);
        QCOMPARE(shown->text(), QStringLiteral("Ataşehir"));
        QCOMPARE(lookupOnly.state(), DatasetState::Browse);
        QCOMPARE(districts.state(), DatasetState::Browse);
        QVERIFY(focusOn(elsewhere));
        QVERIFY(m_reporter.shown.isEmpty());
    }

    // A stored text longer than its field (brought in from older files) is
    // shown whole; left untouched it stays whole, and an edit that is still
    // too long is refused rather than cut.
    void aLongerStoredTextIsShownWholeAndNeverCut()
    {
        ScratchStore store;
        const QString longName = QStringLiteral("Şükrü Çağlayan Öztürkoğlu Yıldız"); // 32 of 20
        {
            SqlStatement insert(*store.db, QStringLiteral("INSERT INTO kiralanandaireler (Adsoyad, Semt) VALUES (?, ?)"));
            insert.bind({longName, QStringLiteral("Moda")});
            insert.step();
        }
        Table deals(*store.db, QStringLiteral("kiralanandaireler"));
        deals.open();
        Window window;
        auto* name = window.add(new DbEdit);
        auto* district = window.add(new DbEdit);
        name->bind(&deals, QStringLiteral("Adsoyad"));
        district->bind(&deals, QStringLiteral("Semt"));
        QVERIFY(window.show());
        QCOMPARE(name->text(), longName);

        // Passing through it and editing another field keeps it whole.
        QVERIFY(focusOn(name));
        QVERIFY(focusOn(district));
        type(QStringLiteral("x"));
        deals.post();
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Adsoyad FROM kiralanandaireler")), QStringList{longName});

        // Typing into it adds nothing beyond what is there; shortened but
        // still too long, it is refused and stays as typed.
        QVERIFY(focusOn(name));
        press(Qt::Key_End);
        type(QStringLiteral("z"));
        QCOMPARE(name->text(), longName);
        press(Qt::Key_Backspace);
        QVERIFY(focusOn(district));
        QCOMPARE(m_reporter.shown.size(), 1);
        QVERIFY2(m_reporter.shown.first().contains(QStringLiteral("en çok 20 karakter")), qPrintable(m_reporter.shown.first()));
        QCOMPARE(name->text(), longName.chopped(1));
        deals.cancel();
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Adsoyad FROM kiralanandaireler")), QStringList{longName});

        // A drop-down and a grid's cell editor show it whole as well.
        auto* dropDown = window.add(new DbComboBox);
        dropDown->bind(&deals, QStringLiteral("Adsoyad"), {QStringLiteral("Kısa")});
        QCOMPARE(dropDown->currentText(), longName);
        auto* grid = window.add(new DbGrid);
        grid->setDataset(&deals, {{QStringLiteral("Adsoyad"), {}}});
        grid->setEditable(true);
        grid->show();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        QVERIFY(focusOn(grid));
        press(Qt::Key_F2);
        auto* editor = grid->findChild<QLineEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->text(), longName);
    }

    void typingIntoAnEmptyTableStartsARecordAndLosesNothing()
    {
        ScratchStore store;
        Table people(*store.db, QStringLiteral("tel"));
        people.open();
        QVERIFY(people.isEmpty());

        Window window;
        auto* firstName = window.add(new DbEdit);
        auto* lastName = window.add(new DbEdit);
        firstName->bind(&people, QStringLiteral("Ad"));
        lastName->bind(&people, QStringLiteral("Soyad"));
        QVERIFY(window.show());

        QVERIFY(focusOn(firstName));
        type(QStringLiteral("Ayşe"));
        QCOMPARE(people.state(), DatasetState::Insert);
        QCOMPARE(firstName->text(), QStringLiteral("Ayşe"));
        QVERIFY(focusOn(lastName));
        type(QStringLiteral("Yılmaz"));
        QCOMPARE(firstName->text(), QStringLiteral("Ayşe"));
        people.post();
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Ad || '/' || Soyad FROM tel")),
                 QStringList{QStringLiteral("Ayşe/Yılmaz")});

        // Pasting is typing too, with Ctrl+V or from the edit's own menu.
        QGuiApplication::clipboard()->setText(QStringLiteral("Mehmet"));
        QVERIFY(focusOn(firstName));
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(people.state(), DatasetState::Edit);
        QCOMPARE(firstName->text(), QStringLiteral("Mehmet"));
        people.post();
        QCOMPARE(people.text(QStringLiteral("Ad")), QStringLiteral("Mehmet"));
        QVERIFY(m_reporter.shown.isEmpty());
    }

    void pastingFromTheMenuIntoAnEmptyTableLosesNothing()
    {
        ScratchStore store;
        Table people(*store.db, QStringLiteral("tel"));
        people.open();
        Window window;
        auto* firstName = window.add(new DbEdit);
        auto* notes = window.add(new DbMemo);
        auto* navigator = window.add(new DbNavigator);
        firstName->bind(&people, QStringLiteral("Ad"));
        notes->bind(&people, QStringLiteral("Aciklama"));
        navigator->setDataset(&people);
        QVERIFY(window.show());

        auto pasteFromMenu = [](QMenu* menu) {
            std::unique_ptr<QMenu> owned(menu);
            for (QAction* action : menu->actions()) {
                if (action->text().startsWith(QLatin1String("&Paste"))) {
                    action->trigger();
                    return true;
                }
            }
            return false;
        };
        QGuiApplication::clipboard()->setText(QStringLiteral("Mehmet"));
        QVERIFY(focusOn(firstName));
        QVERIFY(pasteFromMenu(firstName->createStandardContextMenu()));
        QCOMPARE(people.state(), DatasetState::Insert);
        QCOMPARE(firstName->text(), QStringLiteral("Mehmet"));

        QGuiApplication::clipboard()->setText(QStringLiteral("Eski müşteri"));
        QVERIFY(focusOn(notes));
        QVERIFY(pasteFromMenu(notes->createStandardContextMenu()));
        QCOMPARE(notes->toPlainText(), QStringLiteral("Eski müşteri"));
        QVERIFY(navigator->button(DbNavigator::Post)->isEnabled());
        click(navigator, DbNavigator::Post);
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Ad || '/' || Aciklama FROM tel")),
                 QStringList{QStringLiteral("Mehmet/Eski müşteri")});

        // Into the memo of a stored record: post is offered at once.
        QGuiApplication::clipboard()->setText(QStringLiteral(" Arayacak."));
        QVERIFY(focusOn(notes));
        press(Qt::Key_End, Qt::ControlModifier);
        QVERIFY(pasteFromMenu(notes->createStandardContextMenu()));
        QCOMPARE(people.state(), DatasetState::Edit);
        click(navigator, DbNavigator::Post);
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Aciklama FROM tel")),
                 QStringList{QStringLiteral("Eski müşteri Arayacak.")});
        QVERIFY(m_reporter.shown.isEmpty());
    }

    void phoneMaskStoresWholeNumbersOnly()
    {
        ScratchStore store;
        Table people(*store.db, QStringLiteral("tel"));
        people.open();

        Window window;
        auto* firstName = window.add(new DbEdit);
        auto* phone = window.add(new DbEdit);
        auto* mobile = window.add(new DbEdit);
        firstName->bind(&people, QStringLiteral("Ad"));
        phone->bind(&people, QStringLiteral("Telefon"));
        mobile->bind(&people, QStringLiteral("Ceptel"));
        QVERIFY(window.show());
        QCOMPARE(mobile->displayText(), QStringLiteral("(___) ___-__-__"));

        // A full number is stored with its literals; an untouched one stays empty.
        QVERIFY(focusOn(firstName));
        type(QStringLiteral("Ali"));
        QVERIFY(focusOn(phone));
        type(QStringLiteral("5321234567"));
        QCOMPARE(phone->displayText(), QStringLiteral("(532) 123-45-67"));
        QVERIFY(focusOn(mobile));
        QVERIFY(focusOn(firstName));
        people.post();
        QVERIFY(m_reporter.shown.isEmpty());
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Telefon FROM tel")),
                 QStringList{QStringLiteral("(532) 123-45-67")});
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT coalesce(Ceptel, '') FROM tel")), QStringList{QString()});

        // A number stored earlier shows in the mask again.
        people.close();
        people.open();
        QCOMPARE(phone->displayText(), QStringLiteral("(532) 123-45-67"));

        // A partly typed number is refused and the focus stays in the field.
        QVERIFY(focusOn(mobile));
        press(Qt::Key_Home);
        type(QStringLiteral("542"));
        QCOMPARE(people.state(), DatasetState::Edit);
        QVERIFY(focusOn(firstName));
        QCOMPARE(m_reporter.shown,
                 QStringList{QStringLiteral("Invalid input value.  Use escape key to abandon changes")});
        QTRY_VERIFY(mobile->hasFocus());
        QCOMPARE(mobile->displayText(), QStringLiteral("(542) ___-__-__"));

        // Posting with it pending is refused the same way and writes nothing.
        m_reporter.shown.clear();
        QVERIFY_THROWS_EXCEPTION(DataError, people.post());
        QCOMPARE(people.state(), DatasetState::Edit);

        // Escape abandons it; leaving then is fine and nothing is stored.
        press(Qt::Key_Escape);
        QCOMPARE(mobile->displayText(), QStringLiteral("(___) ___-__-__"));
        QVERIFY(focusOn(firstName));
        QVERIFY(m_reporter.shown.isEmpty());
        people.post();
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT coalesce(Ceptel, '') FROM tel")), QStringList{QString()});

        // Right-clicking to paste, or switching to another window to look the
        // number up, with a half-typed number is not leaving the field.
        QVERIFY(focusOn(mobile));
        press(Qt::Key_Home);
        type(QStringLiteral("216"));
        {
            QMenu menu(mobile);
            menu.addAction(QStringLiteral("Yapıştır"));
            menu.popup(mobile->mapToGlobal(QPoint(4, 4)));
            QTRY_VERIFY(menu.isVisible());
            menu.close();
        }
        QWidget otherWindow;
        QVERIFY(activate(&otherWindow));
        QVERIFY(m_reporter.shown.isEmpty());
        QVERIFY(activate(&window.widget));
        QTRY_VERIFY(mobile->hasFocus());
        QCOMPARE(mobile->displayText(), QStringLiteral("(216) ___-__-__"));
        type(QStringLiteral("5551122"));
        QVERIFY(focusOn(firstName));
        QVERIFY(m_reporter.shown.isEmpty());
        people.post();
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Ceptel FROM tel")), QStringList{QStringLiteral("(216) 555-11-22")});

        // A click anywhere in an empty phone field starts typing at its first place.
        people.append();
        QTest::mouseClick(phone, Qt::LeftButton, {}, QPoint(phone->width() - 4, phone->height() / 2));
        type(QStringLiteral("5321234567"));
        QCOMPARE(phone->displayText(), QStringLiteral("(532) 123-45-67"));
        people.cancel();
    }

    void priceShowsCurrencyAndRefusesLetters()
    {
        ScratchStore store;
        Table listings(*store.db, QStringLiteral("kdgiris"));
        listings.open();
        addListing(listings, QStringLiteral("Kadıköy"), 1500);

        Window window;
        auto* price = window.add(new DbEdit);
        auto* elsewhere = window.add(new QLineEdit);
        price->bind(&listings, QStringLiteral("Fiyati"));
        QVERIFY(window.show());
        QVERIFY(focusOn(elsewhere));

        QCOMPARE(price->text(), QLocale().toCurrencyString(1500.0));
        QVERIFY(focusOn(price));
        QCOMPARE(price->text(), QStringLiteral("1500"));

        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("12a"));
        QVERIFY(focusOn(elsewhere));
        QCOMPARE(m_reporter.shown,
                 QStringList{QStringLiteral("'12a' is not a valid floating point value for field 'Fiyati'")});
        QTRY_VERIFY(price->hasFocus());
        QCOMPARE(price->text(), QStringLiteral("12a"));
        QCOMPARE(listings.state(), DatasetState::Edit);

        press(Qt::Key_Backspace);
        type(QStringLiteral(",5"));
        QVERIFY(focusOn(elsewhere));
        QCOMPARE(m_reporter.shown.size(), 1);
        QCOMPARE(price->text(), QLocale().toCurrencyString(12.5));
        listings.post();
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Fiyati FROM kdgiris")), QStringList{QStringLiteral("12.5")});
    }

    // A sale price is shown in the currency its "Döviz" names, and shown
    // afresh as soon as "Döviz" changes; the number stored stays the same.
    void priceShowsTheCurrencyItsRecordNames()
    {
        ScratchStore store;
        Table flats(*store.db, QStringLiteral("sdgiris"));
        flats.open();
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        flats.setValue(QStringLiteral("Fiyati"), 250000.0);
        flats.setText(QStringLiteral("Döviz"), QStringLiteral("USD"));
        flats.post();

        Window window;
        auto* price = window.add(new DbEdit);
        auto* currency = window.add(new DbEdit);
        auto* elsewhere = window.add(new QLineEdit);
        price->bind(&flats, QStringLiteral("Fiyati"));
        currency->bind(&flats, QStringLiteral("Döviz"));
        QVERIFY(window.show());
        QVERIFY(focusOn(elsewhere));
        QCOMPARE(price->text(), QStringLiteral("$250.000,00"));
        QVERIFY(focusOn(price));
        QCOMPARE(price->text(), QStringLiteral("250000")); // typed as a plain number

        const QList<std::pair<QString, QString>> named{
            {QStringLiteral("Avro"), QStringLiteral("€250.000,00")},
            {QStringLiteral("İngiliz Sterlin"), QStringLiteral("£250.000,00")}, // as much as "Döviz" holds
            {QStringLiteral("ABD Doları"), QStringLiteral("$250.000,00")},
            {QStringLiteral("CHF"), QStringLiteral("CHF 250.000,00")},
            {QStringLiteral("TL"), QLocale().toCurrencyString(250000.0)},
            {QString(), QLocale().toCurrencyString(250000.0)},
        };
        for (const auto& [written, shown] : named) {
            QVERIFY(focusOn(currency));
            press(Qt::Key_A, Qt::ControlModifier);
            if (written.isEmpty())
                press(Qt::Key_Delete);
            else
                type(written);
            QVERIFY(focusOn(elsewhere));
            QCOMPARE(price->text(), shown);
            QCOMPARE(flats.number(QStringLiteral("Fiyati")), 250000.0);
        }
        // A grid's cells as well, each row in its own currency.
        flats.post();
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Şişli"));
        flats.setValue(QStringLiteral("Fiyati"), 99000.5);
        flats.setText(QStringLiteral("Döviz"), QStringLiteral("EUR"));
        flats.post();
        const int column = flats.fieldIndex(QStringLiteral("Fiyati"));
        QCOMPARE(flats.displayTextAt(0, column), QLocale().toCurrencyString(250000.0));
        QCOMPARE(flats.displayTextAt(1, column), QStringLiteral("€99.000,50"));
    }

    void dropDownsOfferTheirListsAndStoreTheText()
    {
        ScratchStore store;
        Table listings(*store.db, QStringLiteral("kdgiris"));
        listings.open();
        Table lookupSource(*store.db, QStringLiteral("semtler"));

        Window window;
        auto* heating = window.add(new DbComboBox);
        auto* district = window.add(new DbLookupComboBox);
        auto* elsewhere = window.add(new QLineEdit);
        heating->bind(&listings, QStringLiteral("Isisistemi"));
        district->bind(&listings, QStringLiteral("Semtadi"));
        district->setLookup(&lookupSource, QStringLiteral("Semtler"));
        QVERIFY(window.show());

        // The heating kinds as the agency lists them ("Kalofiferli" as it always has).
        const QStringList documentedHeating{QStringLiteral("Sobalı"), QStringLiteral("Doğal Gaz Kaloriferli"),
                                            QStringLiteral("Doğal Gaz Sobalı"), QStringLiteral("Kalofiferli")};
        QCOMPARE(itemsOf(heating), documentedHeating);
        QCOMPARE(heating->currentText(), QString());
        QStringList districts = onDisk(store.path(), QStringLiteral("SELECT Semtler FROM semtler ORDER BY No"));
        QCOMPARE(sortedCopy(district->offered()), sortedCopy(districts));

        // A heating type not on the list is stored as typed, first letter included.
        QVERIFY(focusOn(heating));
        type(QStringLiteral("Yerden ısıtma"));
        QCOMPARE(listings.state(), DatasetState::Insert);
        QCOMPARE(heating->currentText(), QStringLiteral("Yerden ısıtma"));

        // The lookup stores the chosen name itself.
        QVERIFY(pickFromDropDown(district, QStringLiteral("Kadıköy")));
        QCOMPARE(listings.text(QStringLiteral("Semtadi")), QStringLiteral("Kadıköy"));
        QCOMPARE(district->currentText(), QStringLiteral("Kadıköy"));
        QCOMPARE(heating->currentText(), QStringLiteral("Yerden ısıtma"));
        QVERIFY(focusOn(elsewhere));
        listings.post();
        QVERIFY(m_reporter.shown.isEmpty());
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Semtadi || '/' || Isisistemi FROM kdgiris")),
                 QStringList{QStringLiteral("Kadıköy/Yerden ısıtma")});

        // Choosing an offered heating type stores it.
        QVERIFY(pickFromDropDown(heating, QStringLiteral("Doğal Gaz Sobalı")));
        QCOMPARE(listings.state(), DatasetState::Edit);
        QVERIFY(focusOn(elsewhere));
        listings.post();
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Isisistemi FROM kdgiris")),
                 QStringList{QStringLiteral("Doğal Gaz Sobalı")});

        // A district added through another cursor is offered the next time.
        Table districtsEntry(*store.db, QStringLiteral("semtler"));
        districtsEntry.open();
        districtsEntry.append();
        districtsEntry.setText(QStringLiteral("Semtler"), QStringLiteral("Ümraniye"));
        districtsEntry.post();
        QVERIFY(pickFromDropDown(district, QStringLiteral("Ümraniye")));
        QCOMPARE(sortedCopy(district->offered()), sortedCopy(districts << QStringLiteral("Ümraniye")));
        QCOMPARE(listings.text(QStringLiteral("Semtadi")), QStringLiteral("Ümraniye"));

        // Both follow the cursor: cancel shows the stored values again.
        listings.cancel();
        QCOMPARE(district->currentText(), QStringLiteral("Kadıköy"));
        QCOMPARE(heating->currentText(), QStringLiteral("Doğal Gaz Sobalı"));
        QVERIFY(m_reporter.shown.isEmpty());
    }

    // Edit, drop-down and memo follow one rule: moving to another control
    // writes what was typed; a context menu or another window does not, and
    // the typed text waits in the control for the next move or the post.
    void everyControlWritesOnlyWhenTheFocusMovesOn()
    {
        ScratchStore store;
        Table listings(*store.db, QStringLiteral("kdgiris"));
        listings.open();
        addListing(listings, QStringLiteral("Kadıköy"), 1000);

        Window window;
        auto* floor = window.add(new DbEdit);
        auto* heating = window.add(new DbComboBox);
        auto* notes = window.add(new DbMemo);
        auto* elsewhere = window.add(new QLineEdit);
        floor->bind(&listings, QStringLiteral("Kat"));
        heating->bind(&listings, QStringLiteral("Isisistemi"));
        notes->bind(&listings, QStringLiteral("Notlar"));
        QVERIFY(window.show());

        const QList<std::pair<QWidget*, QString>> controls{
            {floor, QStringLiteral("Kat")}, {heating, QStringLiteral("Isisistemi")}, {notes, QStringLiteral("Notlar")}};
        for (const auto& [control, field] : controls) {
            QVERIFY(focusOn(control));
            type(QStringLiteral("3"));
            QCOMPARE(listings.state(), DatasetState::Edit);

            QWidget other;
            other.resize(50, 50);
            QVERIFY(activate(&other));
            QVERIFY2(listings.text(field).isEmpty(), qPrintable(field));
            QVERIFY(activate(&window.widget));

            QMenu menu;
            menu.addAction(QStringLiteral("Kopyala"));
            QTimer::singleShot(50, &menu, [&menu] { menu.close(); });
            menu.exec(control->mapToGlobal(QPoint(4, 4)));
            QVERIFY2(listings.text(field).isEmpty(), qPrintable(field));

            QVERIFY(focusOn(elsewhere));
            QCOMPARE(listings.text(field), QStringLiteral("3"));
            listings.cancel();
        }
        QVERIFY(m_reporter.shown.isEmpty());
    }

    // Names are offered in the Turkish alphabet, whatever order they were entered in.
    void lookupListsNamesInTurkishOrder()
    {
        ScratchStore store;
        Table districts(*store.db, QStringLiteral("semtler"));
        districts.open();
        while (!districts.isEmpty())
            districts.remove();
        for (const char* name : {"Üsküdar", "Şişli", "İnegöl", "Zeytinburnu", "Çankaya", "Isparta", "Ödemiş",
                                 "Cihangir", "Uzunköprü", "ağva", "Göztepe", "Sarıyer", "Ümraniye", "Ortaköy"}) {
            districts.append();
            districts.setText(QStringLiteral("Semtler"), QString::fromUtf8(name));
            districts.post();
        }
        LookupComboBox lookup;
        lookup.setSource(&districts, QStringLiteral("Semtler"));
        const QStringList alphabetical{"ağva",    "Cihangir", "Çankaya",  "Göztepe",   "Isparta",
                                       "İnegöl",  "Ortaköy",  "Ödemiş",   "Sarıyer",   "Şişli",
                                       "Uzunköprü", "Ümraniye", "Üsküdar", "Zeytinburnu"};
        QCOMPARE(lookup.offered(), alphabetical);

        // Typing the start of a name finds it with the searches' folding:
        // "ine" finds İnegöl, "cank" Çankaya, without Turkish keys.
        Window window;
        auto* box = window.add(new LookupComboBox);
        box->setSource(&districts, QStringLiteral("Semtler"));
        QVERIFY(window.show());
        QVERIFY(focusOn(box));
        for (const auto& [typed, found] : {std::pair{"ine", "İnegöl"}, std::pair{"cank", "Çankaya"},
                                           std::pair{"sis", "Şişli"}, std::pair{"ISP", "Isparta"}}) {
            QTest::qWait(QApplication::keyboardInputInterval() + 50); // a new word
            type(QString::fromUtf8(typed));
            QCOMPARE(box->value(), QString::fromUtf8(found));
        }
    }

    void memoStartsEditingAndWritesBeforePost()
    {
        ScratchStore store;
        Table districts(*store.db, QStringLiteral("semtler"));
        districts.open();

        Window window;
        auto* notes = window.add(new DbMemo);
        auto* navigator = window.add(new DbNavigator);
        auto* elsewhere = window.add(new QLineEdit);
        notes->bind(&districts, QStringLiteral("Aciklama"));
        navigator->setDataset(&districts);
        QVERIFY(window.show());

        QVERIFY(focusOn(notes));
        type(QStringLiteral("Deniz kıyısı"));
        QCOMPARE(districts.state(), DatasetState::Edit);
        QVERIFY(focusOn(elsewhere));
        QCOMPARE(districts.text(QStringLiteral("Aciklama")), QStringLiteral("Deniz kıyısı"));
        click(navigator, DbNavigator::Post);
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Aciklama FROM semtler WHERE No = 1")),
                 QStringList{QStringLiteral("Deniz kıyısı")});

        // Follows the cursor.
        click(navigator, DbNavigator::Next);
        QCOMPARE(notes->toPlainText(), QString());
        click(navigator, DbNavigator::Prior);
        QCOMPARE(notes->toPlainText(), QStringLiteral("Deniz kıyısı"));

        // Text still being typed is written by the navigator's post.
        QVERIFY(focusOn(notes));
        press(Qt::Key_End, Qt::ControlModifier);
        press(Qt::Key_Return);
        type(QStringLiteral("Metroya yakın"));
        click(navigator, DbNavigator::Post);
        QVERIFY(notes->hasFocus());
        QCOMPARE(districts.state(), DatasetState::Browse);
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Aciklama FROM semtler WHERE No = 1")),
                 QStringList{QStringLiteral("Deniz kıyısı\nMetroya yakın")});
        QVERIFY(m_reporter.shown.isEmpty());
    }

    void gridFollowsAndMovesTheCurrentRecord()
    {
        ScratchStore store;
        Table listings(*store.db, QStringLiteral("kdgiris"));
        listings.open();
        addListing(listings, QStringLiteral("Kadıköy"), 1500);
        addListing(listings, QStringLiteral("Fatih"), 2750.5);
        addListing(listings, QStringLiteral("Şişli"), 900);
        listings.first();

        Window window;
        auto* grid = window.add(new DbGrid);
        auto* price = window.add(new DbEdit);
        price->bind(&listings, QStringLiteral("Fiyati"));
        grid->setDataset(&listings, {{QStringLiteral("Semtadi"), QStringLiteral("Semt")},
                                     {QStringLiteral("Fiyati"), QStringLiteral("Fiyat")}});
        QVERIFY(window.show());
        QSignalSpy doubleClicks(grid, &DbGrid::recordDoubleClicked);

        QAbstractItemModel* model = grid->model();
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Semt"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Fiyat"));
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("Fatih"));
        QCOMPARE(model->index(1, 1).data().toString(), QLocale().toCurrencyString(2750.5));

        auto selectedRows = [grid] {
            QList<int> rows;
            for (const QModelIndex& index : grid->selectionModel()->selectedRows())
                rows << index.row();
            return rows;
        };
        auto cellCentre = [grid](int row) { return grid->visualRect(grid->model()->index(row, 0)).center(); };

        QCOMPARE(selectedRows(), QList<int>{0});
        listings.last();
        QCOMPARE(selectedRows(), QList<int>{2});
        QCOMPARE(grid->currentIndex().row(), 2);

        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(1));
        QCOMPARE(listings.text(QStringLiteral("Semtadi")), QStringLiteral("Fatih"));
        QCOMPARE(selectedRows(), QList<int>{1});

        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(0));
        QCOMPARE(doubleClicks.count(), 1);
        QCOMPARE(listings.text(QStringLiteral("Semtadi")), QStringLiteral("Kadıköy"));

        // A double-click below the rows opens the current record, as on a row;
        // it moves nothing.
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, grid->viewport()->height() - 5));
        QCOMPARE(doubleClicks.count(), 2);
        QCOMPARE(listings.text(QStringLiteral("Semtadi")), QStringLiteral("Kadıköy"));

        // Ctrl+Delete asks first; Cancel deletes nothing.
        grid->setCtrlDeleteDeletes(true);
        QVERIFY(focusOn(grid));
        listings.moveTo(1);
        press(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(m_confirmer.questions, QStringList{QStringLiteral("Delete record?")});
        QCOMPARE(countOnDisk(store.path(), QStringLiteral("kdgiris")), 3);
        QCOMPARE(model->rowCount(), 3);

        m_confirmer.answer = true;
        press(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Semtadi FROM kdgiris ORDER BY No")),
                 (QStringList{QStringLiteral("Kadıköy"), QStringLiteral("Şişli")}));
        QCOMPARE(model->rowCount(), 2);
        QTRY_COMPARE(selectedRows(), QList<int>{listings.position()});
        QCOMPARE(model->index(listings.position(), 0).data().toString(), listings.text(QStringLiteral("Semtadi")));

        // Plain Delete is no deletion.
        press(Qt::Key_Delete);
        QCOMPARE(countOnDisk(store.path(), QStringLiteral("kdgiris")), 2);
        QVERIFY(m_reporter.shown.isEmpty());

        // An edit shows in the row at once; a posted new record is selected.
        QVERIFY(focusOn(price));
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("3000"));
        QVERIFY(focusOn(grid));
        QCOMPARE(model->index(listings.position(), 1).data().toString(), QLocale().toCurrencyString(3000.0));
        addListing(listings, QStringLiteral("Beykoz"), 4000);
        QCOMPARE(model->rowCount(), 3);
        QTRY_COMPARE(selectedRows(), QList<int>{2});
        QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("Beykoz"));

        // Clicking another row with a price that cannot be stored keeps the
        // record, the row and the typed text.
        listings.first();
        QVERIFY(focusOn(price));
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("12a"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(1));
        QVERIFY(!m_reporter.shown.isEmpty());
        for (const QString& message : std::as_const(m_reporter.shown))
            QCOMPARE(message, QStringLiteral("'12a' is not a valid floating point value for field 'Fiyati'"));
        QCOMPARE(listings.position(), 0);
        QCOMPARE(listings.state(), DatasetState::Edit);
        QTRY_COMPARE(selectedRows(), QList<int>{0});
        QTRY_VERIFY(price->hasFocus());
        QCOMPARE(price->text(), QStringLiteral("12a"));
    }

    void gridEditsInPlaceNoLongerThanTheFieldHolds()
    {
        ScratchStore store;
        Table deals(*store.db, QStringLiteral("kiralanandaireler"));
        deals.open();
        for (const QString& name : {QStringLiteral("Ayşe Yılmaz"), QStringLiteral("Can Demir")}) {
            deals.append();
            deals.setText(QStringLiteral("Adsoyad"), name);
            deals.post();
        }
        deals.first();
        // The district cell takes only a listed name; this one is as long as the field.
        Table districts(*store.db, QStringLiteral("semtler"));
        districts.open();
        districts.append();
        districts.setText(QStringLiteral("Semtler"), QStringLiteral("Büyükçekmece Me"));
        districts.post();

        Window window;
        auto* grid = window.add(new DbGrid);
        auto* name = window.add(new DbEdit);
        name->bind(&deals, QStringLiteral("Adsoyad"));
        grid->setDataset(&deals, {{QStringLiteral("Adsoyad"), {}}, {QStringLiteral("Semt"), {}}});
        grid->setEditable(true);
        QVERIFY(window.show());
        QSignalSpy doubleClicks(grid, &DbGrid::recordDoubleClicked);
        auto cell = [grid](int row, int column) { return grid->visualRect(grid->model()->index(row, column)).center(); };

        // A double-click opens the record rather than an editor.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(1, 0));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell(1, 0));
        QCOMPARE(doubleClicks.count(), 1);
        QVERIFY(!grid->findChild<QLineEdit*>());
        QCOMPARE(deals.state(), DatasetState::Browse);

        // Typing starts the editor; what the field cannot hold is not taken.
        QVERIFY(focusOn(grid));
        type(QStringLiteral("M"));
        auto* editor = grid->findChild<QLineEdit*>();
        QVERIFY(editor && editor->isVisible());
        QTRY_VERIFY(editor->hasFocus());
        type(QStringLiteral("ehmet Kayalıoğlu Yıldırım"));
        QCOMPARE(editor->text(), QStringLiteral("Mehmet Kayalıoğlu Yı"));
        press(Qt::Key_Return);
        QTRY_COMPARE(deals.state(), DatasetState::Edit); // the editor hands its text over once back in the loop
        QCOMPARE(name->text(), QStringLiteral("Mehmet Kayalıoğlu Yı")); // the record has it at once

        // The district holds 15; moving to another row posts.
        grid->setCurrentIndex(grid->model()->index(1, 1));
        type(QStringLiteral("B"));
        QTRY_VERIFY(QApplication::focusWidget() != grid);
        type(QStringLiteral("üyükçekmece Merkez"));
        press(Qt::Key_Return);
        QTRY_COMPARE(deals.text(QStringLiteral("Semt")), QStringLiteral("Büyükçekmece Me"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(0, 0));
        QCOMPARE(deals.state(), DatasetState::Browse);
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Adsoyad || '|' || coalesce(Semt, '') FROM kiralanandaireler")),
                 (QStringList{QStringLiteral("Ayşe Yılmaz|"), QStringLiteral("Mehmet Kayalıoğlu Yı|Büyükçekmece Me")}));
        QVERIFY(m_reporter.shown.isEmpty());
    }

    // Given its dataset before its first show, a grid tells its views of the
    // columns only (widths set then hold) and reads no row while its dataset
    // is refreshed; the show brings the first page and the current row.
    void gridReadsNoRowUntilItsFirstShow()
    {
        ScratchStore store;
        Table districts(*store.db, QStringLiteral("semtler"));
        districts.open();
        Window window;
        auto* grid = window.add(new DbGrid);
        grid->setDataset(&districts, {{QStringLiteral("Semtler"), QStringLiteral("Semt")},
                                      {QStringLiteral("Aciklama"), {}}});
        grid->setColumnWidth(0, 150);
        districts.refresh();
        QVERIFY(grid->datasetModel()->rowsHeldBack());
        QCOMPARE(grid->horizontalHeader()->count(), 2);
        QCOMPARE(grid->verticalHeader()->count(), 0);
        QVERIFY(!grid->currentIndex().isValid());

        QVERIFY(window.show());
        QVERIFY(!grid->datasetModel()->rowsHeldBack());
        QCOMPARE(grid->columnWidth(0), 150);
        const int rows = districts.recordCount();
        QVERIFY(rows > 1);
        QCOMPARE(grid->verticalHeader()->count(), std::min(rows, int(Dataset::RowsPerPage)));
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(grid->currentIndex().data().toString(), districts.text(QStringLiteral("Semtler")));

        // Restyled unseen, the grid's row header asks for the rows in the middle
        // of laying itself out: it gets them, and agrees with the grid.
        auto* restyled = new DbGrid;
        restyled->setDataset(&districts, {{QStringLiteral("Semtler"), {}}});
        restyled->setColumnWidth(0, 120);
        restyled->setStyleSheet(QStringLiteral("QHeaderView::section { color: navy; }"));
        auto* later = window.add(restyled);
        later->show();
        QTRY_VERIFY(later->isVisible());
        QCOMPARE(later->verticalHeader()->count(), grid->verticalHeader()->count());
        QCOMPARE(later->columnWidth(0), 120);
        QCOMPARE(later->currentIndex().row(), 0);
        QVERIFY(m_reporter.shown.isEmpty());
    }

    void gridFetchesALargeTableAsItScrolls()
    {
        ScratchStore store;
        constexpr int Added = 5000;
        store.db->inTransaction([&] {
            const QString insert = QStringLiteral("INSERT INTO semtler (Semtler) VALUES (?)");
            for (int i = 1; i <= Added; ++i)
                store.db->execute(insert, {QStringLiteral("Semt %1").arg(i)});
        });
        const int total = countOnDisk(store.path(), QStringLiteral("semtler"));
        QVERIFY(total > Added);

        Table districts(*store.db, QStringLiteral("semtler"));
        districts.open();
        Window window;
        auto* grid = window.add(new DbGrid);
        grid->setDataset(&districts, {{QStringLiteral("Semtler"), {}}});
        QVERIFY(window.show());

        const int first = grid->model()->rowCount();
        QVERIFY(first > 0);
        QVERIFY(first < total);
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        QTRY_VERIFY(grid->model()->rowCount() > first);

        QVERIFY(focusOn(grid));
        press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid->model()->rowCount(), total);
        QCOMPARE(districts.text(QStringLiteral("Semtler")), QStringLiteral("Semt %1").arg(Added));
        QCOMPARE(grid->currentIndex().row(), total - 1);
        QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("Semt %1").arg(Added));
        QVERIFY(grid->viewport()->rect().intersects(grid->visualRect(grid->currentIndex())));

        press(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(districts.position(), 0);
        QVERIFY(m_reporter.shown.isEmpty());
    }

    void navigatorButtonsFollowTheCursor()
    {
        ScratchStore store;
        Table districts(*store.db, QStringLiteral("semtler"));
        districts.open();
        const int shipped = countOnDisk(store.path(), QStringLiteral("semtler"));

        Window window;
        auto* name = window.add(new DbEdit);
        auto* navigator = window.add(new DbNavigator);
        name->bind(&districts, QStringLiteral("Semtler"));
        navigator->setDataset(&districts);
        QVERIFY(window.show());

        QStringList order;
        for (QToolButton* button : buttonsLeftToRight(navigator)) {
            order << button->objectName();
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(order, (QStringList{"First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel",
                                     "Refresh"}));

        auto enabled = [navigator] {
            QString flags;
            for (int i = 0; i < DbNavigator::ButtonCount; ++i)
                flags += navigator->button(DbNavigator::Button(i))->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
            return flags;
        };
        //                    F P N L I D E P C R
        QCOMPARE(enabled(), QStringLiteral("0011111001"));
        click(navigator, DbNavigator::Next);
        QCOMPARE(name->text(), QStringLiteral("Bakırköy"));
        QCOMPARE(enabled(), QStringLiteral("1111111001"));
        click(navigator, DbNavigator::Last);
        QCOMPARE(enabled(), QStringLiteral("1100111001"));
        click(navigator, DbNavigator::First);
        QCOMPARE(name->text(), QStringLiteral("Ataşehir"));
        QCOMPARE(enabled(), QStringLiteral("0011111001"));

        // Typing: post and cancel on, edit off; the focus stays in the field.
        QVERIFY(focusOn(name));
        press(Qt::Key_End);
        type(QStringLiteral(" Merkez"));
        QCOMPARE(enabled().mid(6), QStringLiteral("0111"));
        click(navigator, DbNavigator::Cancel);
        QVERIFY(name->hasFocus());
        QCOMPARE(name->text(), QStringLiteral("Ataşehir"));
        QCOMPARE(enabled(), QStringLiteral("0011111001"));

        // Post writes the text still being typed in the focused field.
        press(Qt::Key_End);
        type(QStringLiteral(" Merkez"));
        QCOMPARE(districts.text(QStringLiteral("Semtler")), QStringLiteral("Ataşehir"));
        click(navigator, DbNavigator::Post);
        QCOMPARE(districts.state(), DatasetState::Browse);
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Semtler FROM semtler WHERE No = 1")),
                 QStringList{QStringLiteral("Ataşehir Merkez")});
        QCOMPARE(name->text(), QStringLiteral("Ataşehir Merkez"));

        // Insert, then post.
        click(navigator, DbNavigator::Insert);
        QCOMPARE(districts.state(), DatasetState::Insert);
        QCOMPARE(name->text(), QString());
        type(QStringLiteral("Ümraniye"));
        click(navigator, DbNavigator::Post);
        QCOMPARE(countOnDisk(store.path(), QStringLiteral("semtler")), shipped + 1);
        QCOMPARE(name->text(), QStringLiteral("Ümraniye"));

        // Delete asks first: Cancel keeps the record, OK deletes it.
        click(navigator, DbNavigator::Delete);
        QCOMPARE(m_confirmer.questions, QStringList{QStringLiteral("Delete record?")});
        QCOMPARE(countOnDisk(store.path(), QStringLiteral("semtler")), shipped + 1);
        m_confirmer.answer = true;
        click(navigator, DbNavigator::Delete);
        QCOMPARE(countOnDisk(store.path(), QStringLiteral("semtler")), shipped);
        QVERIFY(onDisk(store.path(), QStringLiteral("SELECT No FROM semtler WHERE Semtler = 'Ümraniye'")).isEmpty());
        QVERIFY(name->text() != QStringLiteral("Ümraniye"));

        // Refresh shows a record another cursor posted.
        Table other(*store.db, QStringLiteral("semtler"));
        other.open();
        other.append();
        other.setText(QStringLiteral("Semtler"), QStringLiteral("Tuzla"));
        other.post();
        click(navigator, DbNavigator::Refresh);
        click(navigator, DbNavigator::Last);
        QCOMPARE(name->text(), QStringLiteral("Tuzla"));
        QVERIFY(m_reporter.shown.isEmpty());

        // On an empty table there is nothing to delete.
        Table people(*store.db, QStringLiteral("tel"));
        people.open();
        navigator->setDataset(&people);
        QCOMPARE(enabled(), QStringLiteral("0000101001"));
    }

    void failingPostIsReportedAndKeepsTheNewRecord()
    {
        ScratchStore store;
        Table listings(*store.db, QStringLiteral("kdgiris"));
        listings.open();

        Window window;
        auto* price = window.add(new DbEdit);
        auto* navigator = window.add(new DbNavigator);
        price->bind(&listings, QStringLiteral("Fiyati"));
        navigator->setDataset(&listings);
        QVERIFY(window.show());

        click(navigator, DbNavigator::Insert);
        QVERIFY(focusOn(price));
        type(QStringLiteral("2500"));
        click(navigator, DbNavigator::Post);
        QCOMPARE(m_reporter.shown, QStringList{QStringLiteral("Field 'Semtadi' must have a value")});
        QCOMPARE(listings.state(), DatasetState::Insert);
        QCOMPARE(price->text(), QStringLiteral("2500"));
        QVERIFY(navigator->button(DbNavigator::Post)->isEnabled());
        QCOMPARE(countOnDisk(store.path(), QStringLiteral("kdgiris")), 0);

        // Letters in the price stop the post the same way, and nothing is lost.
        m_reporter.shown.clear();
        press(Qt::Key_End);
        type(QStringLiteral("x"));
        click(navigator, DbNavigator::Post);
        QCOMPARE(m_reporter.shown,
                 QStringList{QStringLiteral("'2500x' is not a valid floating point value for field 'Fiyati'")});
        QCOMPARE(price->text(), QStringLiteral("2500x"));
        QCOMPARE(listings.state(), DatasetState::Insert);

        // Escape abandons the typed text.
        press(Qt::Key_Escape);
        QCOMPARE(price->text(), QStringLiteral("2500"));
        listings.setText(QStringLiteral("Semtadi"), QStringLiteral("Kartal"));
        click(navigator, DbNavigator::Post);
        QCOMPARE(listings.state(), DatasetState::Browse);
        QCOMPARE(onDisk(store.path(), QStringLiteral("SELECT Fiyati FROM kdgiris")), QStringList{QStringLiteral("2500")});
    }

private:
    CollectingReporter m_reporter;
    AnsweringConfirmer m_confirmer;
};

QTEST_MAIN(DataControlsTest)
#include "tst_datacontrols.moc"
