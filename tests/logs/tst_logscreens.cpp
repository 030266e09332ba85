// Closed deals and showings as a clerk keeps them: the two entry designs and
// the one list design, each check run over the twins as the agency describes
// them (the expectations are written here, not read from the code's tables).

#include "kit/behaviours/pressbutton.h"
#include "kit/namelist.h"
#include "logs/dealentry.h"
#include "logs/loglists.h"
#include "logs/showingentry.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbedit.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

// Notes the order in which watched windows are hidden.
struct HideLog : QObject {
    QStringList hidden;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            hidden << watched->objectName();
        return false;
    }
};

void enter()
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

// Every row of every listing register, as text: a deal or a showing must leave it alone.
QString listingsSnapshot(Database& db)
{
    QString all;
    for (const char* table : {"kdgiris", "sdgiris", "kegiris", "segiris", "arsa"}) {
        Table listings(db, QString::fromLatin1(table));
        listings.open();
        for (int row = 0; row < listings.recordCount(); ++row)
            for (int field = 0; field < listings.fieldCount(); ++field)
                all += listings.valueAt(row, field).toString() + QLatin1Char('|');
    }
    return all;
}

} // namespace

class LogScreensTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    Installed<CollectingReporter> m_messages;
    Installed<AnsweringConfirmer> m_yes{true};

    FormEntry* entry(const QString& name) const { return m_screens->get<FormEntry>(name); }
    NameList* list(const QString& name) const { return m_screens->get<NameList>(name); }

    // A record with only a name, typed on the entry screen's own cursor.
    void addNamed(FormEntry* screen, const QString& nameField, const QString& name)
    {
        screen->cursor()->append();
        screen->cursor()->setText(nameField, name);
        screen->cursor()->post();
    }

    void search(NameList* screen, const QString& typed)
    {
        screen->searchEdit()->setText(typed);
        clickCentre(screen->findButton());
    }

    // The four lists as documented: entry screen, register's name field, key
    // located by a double-click, and when a record added meanwhile shows.
    void lists_data()
    {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("entryName");
        QTest::addColumn<QString>("nameField");
        QTest::addColumn<QString>("keyField");
        // "at once" (the grid is the entry's cursor) or "on activation" (the list
        // re-reads when the clerk comes back to it).
        QTest::addColumn<QString>("newRecordShows");
        QTest::newRow("RentedFlatList") << "RentedFlatList" << "RentedFlatEntry" << "Adsoyad" << "Kiralanandno"
                                        << "at once";
        QTest::newRow("SoldFlatList") << "SoldFlatList" << "SoldFlatEntry" << "Adsoyad" << "Satilandno"
                                      << "on activation";
        QTest::newRow("ShownRentalList") << "ShownRentalList" << "ShownRentalEntry" << "AdiSoyadi"
                                         << "Gosterilenkno" << "on activation";
        QTest::newRow("ShownSaleList") << "ShownSaleList" << "ShownSaleEntry" << "AdiSoyadi" << "Gosterilensno"
                                       << "on activation";
    }

    // The four entry screens as documented.
    void entries_data()
    {
        QTest::addColumn<QString>("entryName");
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("nameField");
        QTest::addColumn<bool>("rereadsBeforeList");
        QTest::addColumn<QStringList>("hiddenByExit"); // in order
        QTest::addColumn<bool>("refreshesOnActivation");
        QTest::addColumn<bool>("turkishHints");
        QTest::newRow("RentedFlatEntry") << "RentedFlatEntry" << "RentedFlatList" << "Adsoyad" << true
                                         << QStringList{"RentedFlatEntry", "RentedFlatList"} << false << false;
        QTest::newRow("SoldFlatEntry") << "SoldFlatEntry" << "SoldFlatList" << "Adsoyad" << false
                                       << QStringList{"SoldFlatEntry"} << false << true;
        QTest::newRow("ShownRentalEntry") << "ShownRentalEntry" << "ShownRentalList" << "AdiSoyadi" << true
                                          << QStringList{"ShownRentalList", "ShownRentalEntry"} << true << true;
        QTest::newRow("ShownSaleEntry") << "ShownSaleEntry" << "ShownSaleList" << "AdiSoyadi" << false
                                        << QStringList{"ShownSaleEntry"} << false << false;
    }

private slots:
    void initTestCase() { useTurkishLocale(); }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(logScreens());
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        QCOMPARE(std::exchange(m_messages.shown, {}), QStringList()); // no case ends with a reported failure
    }

    // --- the closed-deal entry design ------------------------------------------------

    void dealIsTypedInFieldOrderAndTouchesNoListing_data()
    {
        QTest::addColumn<QString>("entryName");
        QTest::addColumn<QString>("priceCaption");
        QTest::newRow("RentedFlatEntry") << "RentedFlatEntry" << "Kirası";
        QTest::newRow("SoldFlatEntry") << "SoldFlatEntry" << "Fiyatı";
    }

    void dealIsTypedInFieldOrderAndTouchesNoListing()
    {
        QFETCH(QString, entryName);
        QFETCH(QString, priceCaption);
        auto* deal = m_screens->get<DealEntry>(entryName);
        QCOMPARE(deal->captions(), (QStringList{"Adı Soyadı", "Telefonu", "Semt", priceCaption, "Mal Sahibi",
                                                "Telefonu", "Tarih", "Adres"}));
        {
            // A flat on the books in the same district, not yet let or sold.
            Table listing(*m_store->db, QStringLiteral("kdgiris"));
            listing.open();
            listing.append();
            listing.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
            listing.setText(QStringLiteral("Durum"), QStringLiteral("Kiralanmadı"));
            listing.post();
        }
        const QString listingsBefore = listingsSnapshot(*m_store->db);

        QVERIFY(activate(deal));
        deal->navigator()->press(DbNavigator::Insert);
        QVERIFY(focusOn(deal->dataControls().at(0)));
        for (const QString& typed : {"Ayşe Yılmaz", "2165550101", "", "12500", "Hasan Öztürk", "5321234567",
                                     "1 Mart 2026, öğle", "Moda Cad. 5"}) {
            if (typed.isEmpty()) // the district is picked from its lookup
                QVERIFY(deal->districtLookup()->pick(QStringLiteral("Kadıköy")));
            type(typed);
            enter();
        }
        QVERIFY(holdsFocus(deal->dataControls().at(0))); // no line break in the memo: round to the first field
        deal->navigator()->press(DbNavigator::Post);

        Table stored(*m_store->db, deal->cursor()->schema().name);
        stored.open();
        QCOMPARE(stored.recordCount(), 1);
        QStringList values;
        for (const char* field : {"Adsoyad", "Telefon", "Semt", "Fiyati", "Malsahibi", "Telmalsahibi", "Tarih", "Adres"})
            values << stored.value(QString::fromLatin1(field)).toString();
        QCOMPARE(values, (QStringList{"Ayşe Yılmaz", "(216) 555-01-01", "Kadıköy", "12500", "Hasan Öztürk",
                                      "(532) 123-45-67", "1 Mart 202", "Moda Cad. 5"})); // the date holds ten
        QCOMPARE(rowsOnDisk(m_store->path(), stored.schema().name), 1); // another connection sees it at once
        QCOMPARE(listingsSnapshot(*m_store->db), listingsBefore);
    }

    // --- the shown-property entry design -------------------------------------------

    void showingIsTypedInFieldOrderWithOneLinePerPlace_data()
    {
        QTest::addColumn<QString>("entryName");
        QTest::newRow("ShownRentalEntry") << "ShownRentalEntry";
        QTest::newRow("ShownSaleEntry") << "ShownSaleEntry";
    }

    void showingIsTypedInFieldOrderWithOneLinePerPlace()
    {
        QFETCH(QString, entryName);
        auto* showing = m_screens->get<ShowingEntry>(entryName);
        QCOMPARE(showing->fields(), (QStringList{"AdiSoyadi", "Tarih", "Ev Tel", "IsTel", "Ceptel", "Adres", "G1",
                                                 "G2", "G3", "G4"}));
        QCOMPARE(showing->captions().mid(0, 6),
                 (QStringList{"Adı Soyadı", "Tarih", "Ev Telefonu", "İş Telefonu", "Cep Telefonu", "Adres"}));

        // A visit with nothing typed at all may be kept.
        showing->navigator()->press(DbNavigator::Insert);
        showing->navigator()->press(DbNavigator::Post);
        QCOMPARE(showing->cursor()->recordCount(), 1);

        // Typed down the fields with Enter: the phones left empty, one line per place.
        QVERIFY(activate(showing));
        showing->navigator()->press(DbNavigator::Insert);
        QVERIFY(focusOn(showing->dataControls().at(0)));
        const QStringList typed{"Can Demir", "10.03.2026", "", "", "", "Kozyatağı", "Yer 1", "Yer 2", "Yer 3", "Yer 4"};
        for (const QString& text : typed) {
            type(text);
            enter();
        }
        QVERIFY(holdsFocus(showing->dataControls().at(0)));
        showing->navigator()->press(DbNavigator::Post);
        QStringList stored;
        for (const QString& field : showing->fields())
            stored << showing->cursor()->text(field);
        QCOMPARE(stored, typed);
        QCOMPARE(showing->cursor()->recordCount(), 2);
    }

    // --- both entry designs: navigator hints, "Liste", "Çıkış", activation -----------

    void entryTreatsItsListAsDocumented_data() { entries_data(); }

    void entryTreatsItsListAsDocumented()
    {
        QFETCH(QString, entryName);
        QFETCH(QString, listName);
        QFETCH(QString, nameField);
        QFETCH(bool, rereadsBeforeList);
        QFETCH(QStringList, hiddenByExit);
        QFETCH(bool, turkishHints);
        QFETCH(bool, refreshesOnActivation);
        FormEntry* screen = entry(entryName);
        QWidget* companion = m_screens->find(listName);
        QCOMPARE(screen->navigator()->button(DbNavigator::First)->toolTip(),
                 turkishHints ? QStringLiteral("İlk Kayıt") : QStringLiteral("First record"));

        // A record another cursor added: "Liste" brings it in only where it re-reads.
        {
            Table other(*m_store->db, screen->cursor()->schema().name);
            other.open();
            other.append();
            other.setText(nameField, QStringLiteral("Başka Masa"));
            other.post();
        }
        screen->show();
        clickCentre(screen->listAction());
        QVERIFY(companion->isVisible());
        QCOMPARE(screen->cursor()->recordCount(), rereadsBeforeList ? 1 : 0);

        HideLog log;
        screen->installEventFilter(&log);
        companion->installEventFilter(&log);
        clickCentre(screen->exitAction());
        QCOMPARE(log.hidden, hiddenByExit);
        QVERIFY(screen->isHidden());
        QCOMPARE(companion->isVisible(), !hiddenByExit.contains(listName));

        // Left for another window with a new record half typed, and come back to:
        // posted only where the screen re-reads on activation.
        QVERIFY(activate(screen));
        screen->navigator()->press(DbNavigator::Insert);
        typeInto(screen->dataControls().at(0), QStringLiteral("Yarım Kalan"));
        focusOn(screen->dataControls().at(1));
        QVERIFY(activate(companion));
        QVERIFY(activate(screen));
        QCOMPARE(screen->cursor()->state(), refreshesOnActivation ? DatasetState::Browse : DatasetState::Insert);
    }

    // --- the list design ----------------------------------------------------------

    void findNarrowsAndShowAllWidens_data() { lists_data(); }

    void findNarrowsAndShowAllWidens()
    {
        QFETCH(QString, listName);
        QFETCH(QString, entryName);
        QFETCH(QString, nameField);
        FormEntry* owner = entry(entryName);
        NameList* names = list(listName);
        for (const QString& name : {"Ayşe Yılmaz", "AYHAN KAYA", "Işıl Ak", "Mehmet Ay", "O\"Brien", ""})
            addNamed(owner, nameField, name);
        names->show();

        auto listed = [&] {
            const QStringList values = valuesOf(*names->rows(), nameField);
            return names->grid()->model()->rowCount() == values.size() ? values : QStringList{"grid differs"};
        };
        search(names, QStringLiteral("ay"));
        QCOMPARE(listed(), (QStringList{"Ayşe Yılmaz", "AYHAN KAYA"}));
        search(names, QStringLiteral("ış"));
        QCOMPARE(listed(), QStringList{"Işıl Ak"});
        search(names, QStringLiteral("o\"b")); // a quote is part of the name
        QCOMPARE(listed(), QStringList{"O\"Brien"});
        search(names, QStringLiteral("\" or 1=1 --"));
        QCOMPARE(listed(), QStringList());
        search(names, QString()); // every record that has a name
        QCOMPARE(listed().size(), 5);

        names->showAllButton()->click();
        QCOMPARE(listed().size(), 6);
        QCOMPARE(names->searchEdit()->text(), QString()); // the edit keeps what it held
    }

    void newRecordShowsAndDoubleClickOpensItByKey_data() { lists_data(); }

    void newRecordShowsAndDoubleClickOpensItByKey()
    {
        QFETCH(QString, listName);
        QFETCH(QString, entryName);
        QFETCH(QString, nameField);
        QFETCH(QString, keyField);
        QFETCH(QString, newRecordShows);
        FormEntry* owner = entry(entryName);
        NameList* names = list(listName);
        QVERIFY(activate(names));
        QVERIFY(activate(owner));
        for (const QString& name : {"Birinci", "İkinci", "Üçüncü"})
            addNamed(owner, nameField, name);
        QCOMPARE(names->rows()->recordCount(), newRecordShows == QStringLiteral("at once") ? 3 : 0);
        QVERIFY(activate(names));
        QCOMPARE(names->rows()->recordCount(), 3);
        names->showAllButton()->click();
        QCOMPARE(valuesOf(*names->rows(), nameField), (QStringList{"Birinci", "İkinci", "Üçüncü"}));
        owner->cursor()->last();

        DbGrid* grid = names->grid();
        QTRY_VERIFY(grid->visualRect(grid->model()->index(1, 0)).isValid()); // laid out again after "Tümü"
        const QPoint second = grid->visualRect(grid->model()->index(1, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, second);
        QVERIFY(owner->isVisible());
        QCOMPARE(owner->cursor()->text(nameField), QStringLiteral("İkinci"));
        QCOMPARE(owner->cursor()->integer(keyField), names->rows()->keyAt(1));

        // An empty result has no record to open: the entry screen stays where it stood.
        if (names->query()) {
            search(names, QStringLiteral("yok"));
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(40, 30));
            QCOMPARE(owner->cursor()->text(nameField), QStringLiteral("İkinci"));
        }
    }

    // --- the rented-flat list: the entry screen's own cursor ------------------------------

    void rentedFlatListMovesWithTheEntryAndLooksUpWholeNames()
    {
        auto* deals = m_screens->get<DealEntry>(QStringLiteral("RentedFlatEntry"));
        NameList* names = list(QStringLiteral("RentedFlatList"));
        for (const QString& name : {"Ayşe Yılmaz", "Ali", "Ali Veli", "Zeynep"})
            addNamed(deals, QStringLiteral("Adsoyad"), name);
        QCOMPARE(names->rows(), deals->cursor());
        QVERIFY(names->grid()->model()->flags(names->grid()->model()->index(0, 0)) & Qt::ItemIsEditable);
        QVERIFY(activate(deals));
        clickCentre(deals->listAction());
        QVERIFY(activate(names));
        auto shownName = [&] { return qobject_cast<DbEdit*>(deals->control(QStringLiteral("Adsoyad")))->text(); };

        // Typing moves both screens only when the typed text is a whole name.
        QStringList passedBy;
        QVERIFY(focusOn(names->searchEdit()));
        for (const QChar c : QStringLiteral("ALİ VELİ")) {
            type(QString(c));
            passedBy << shownName();
        }
        QCOMPARE(passedBy, (QStringList{"Zeynep", "Zeynep", "Ali", "Ali", "Ali", "Ali", "Ali", "Ali Veli"}));
        QCOMPARE(names->grid()->currentIndex().row(), 2);
        names->searchEdit()->setText(QStringLiteral("ayse yilmaz")); // ş is not s
        QCOMPARE(shownName(), QStringLiteral("Ali Veli"));

        // The entry screen's navigator moves the grid.
        deals->navigator()->press(DbNavigator::First);
        QCOMPARE(names->grid()->currentIndex().row(), 0);

        // "Bul" narrows what both screens walk through while the list is open.
        search(names, QStringLiteral("al"));
        QCOMPARE(valuesOf(*deals->cursor(), QStringLiteral("Adsoyad")), (QStringList{"Ali", "Ali Veli"}));
        names->showAllButton()->click();
        QCOMPARE(deals->cursor()->recordCount(), 4);
        search(names, QStringLiteral("al"));
        deals->cursor()->last();
        clickCentre(names->exitButton());
        QCOMPARE(deals->cursor()->recordCount(), 4);
        QCOMPARE(shownName(), QStringLiteral("Ali Veli"));
    }
};

QTEST_MAIN(LogScreensTest)
#include "tst_logscreens.moc"
