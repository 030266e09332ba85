// The district and property-kind screens as a clerk uses them: finding a
// definition by the start of its name, adding one and seeing it in the list
// and in the lookups, opening it from the list. Each case runs over both pairs.
#include "kit/behaviours/pressbutton.h"
#include "kit/screens.h"
#include "definitions/definitionscreens.h"
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

const DefinitionTwin& twinAt(int row)
{
    return DefinitionTwins::all().at(row);
}

QString nameOf(const DefinitionTwin& twin)
{
    return twin.nameField;
}

void addDefinition(Table& table, const DefinitionTwin& twin, const QString& name)
{
    table.append();
    table.setText(nameOf(twin), name);
    table.post();
}


void addTwinColumn()
{
    QTest::addColumn<int>("twin");
}

void bothTwins()
{
    addTwinColumn();
    QTest::newRow("district") << 0;
    QTest::newRow("kind") << 1;
}

} // namespace

class DefinitionScreensTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    Installed<CollectingReporter> m_messages;
    Installed<AnsweringConfirmer> m_yes{true};

    DefinitionEntry* entryOf(const DefinitionTwin& twin) const
    {
        return m_screens->get<DefinitionEntry>(twin.entryName);
    }
    NameList* listOf(const DefinitionTwin& twin) const
    {
        return m_screens->get<NameList>(twin.listName);
    }
    // Types a new definition on the entry screen and posts it, as a clerk does.
    void typeNewDefinition(DefinitionEntry* entry, const QString& name)
    {
        entry->navigator()->button(DbNavigator::Insert)->click();
        typeText(entry->nameEdit(), name);
        entry->navigator()->button(DbNavigator::Post)->click();
    }
    void search(NameList* list, const QString& typed)
    {
        list->searchEdit()->setText(typed);
        clickCentre(list->findButton());
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
    }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(definitionScreens());
        QCOMPARE(m_screens->created().size(), 4);
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        const QStringList shown = std::exchange(m_messages.shown, {});
        QCOMPARE(shown, QStringList()); // no case ends with a reported failure
    }

    // --- list screen ------------------------------------------------------

    void searchFindsNamesBeginningWithTheText_data()
    {
        addTwinColumn();
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QStringList>("notFound");
        QTest::newRow("district, lower case") << 0 << QStringList{"Akkadlar", "KADIRGA"} << "kad"
                                              << QStringList{"Kadıköy", "KADIRGA"} << QStringList{"Akkadlar"};
        QTest::newRow("district, dotted capitals") << 0 << QStringList{"Tavşişli"} << "şİŞ"
                                                   << QStringList{"Şişli"} << QStringList{"Tavşişli"};
        QTest::newRow("district, wildcard kept") << 0 << QStringList{"Akkadlar"} << "_ad"
                                                 << QStringList{"Kadıköy"} << QStringList{"Akkadlar", "Fatih"};
        QTest::newRow("kind, lower case") << 1 << QStringList{"DÜKKAN ÖNÜ", "Büyük Dükkan"} << "dük"
                                          << QStringList{"Dükkan", "DÜKKAN ÖNÜ"} << QStringList{"Büyük Dükkan"};
        QTest::newRow("kind, dotted i") << 1 << QStringList{"Ofis İşhanı"} << "İŞ" << QStringList{"İşyeri"}
                                        << QStringList{"Ofis İşhanı", "Ofis"};
        // A quote is only a character of the pattern: no failure, no injected condition.
        QTest::newRow("district, quote") << 0 << QStringList{"Ak\"ça"} << "ak\"" << QStringList{"Ak\"ça"}
                                         << QStringList{"Akkadlar", "Kadıköy"};
        QTest::newRow("kind, quote") << 1 << QStringList{"Ak\"ça"} << "\" or 1=1 --" << QStringList{}
                                     << QStringList{"Ak\"ça", "Daire"};
    }

    void searchFindsNamesBeginningWithTheText()
    {
        QFETCH(int, twin);
        QFETCH(QStringList, added);
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        QFETCH(QStringList, notFound);
        const DefinitionTwin& pair = twinAt(twin);
        for (const QString& name : added)
            addDefinition(*entryOf(pair)->cursor(), pair, name);

        NameList* list = listOf(pair);
        search(list, typed);
        QVERIFY(list->query()->isActive());
        const QStringList names = valuesOf(*list->query(), nameOf(pair));
        for (const QString& name : found)
            QVERIFY2(names.contains(name), qPrintable(name));
        for (const QString& name : notFound)
            QVERIFY2(!names.contains(name), qPrintable(name));
        QCOMPARE(list->grid()->model()->rowCount(), names.size());
    }

    void emptySearchListsEveryNamedDefinition_data()
    {
        bothTwins();
    }

    void emptySearchListsEveryNamedDefinition()
    {
        QFETCH(int, twin);
        const DefinitionTwin& pair = twinAt(twin);
        Table& table = *entryOf(pair)->cursor();
        const QStringList named = valuesOf(table, nameOf(pair));
        addDefinition(table, pair, QString()); // a definition may be posted without a name
        table.append();                        // ... or with nothing typed at all
        table.post();

        NameList* list = listOf(pair);
        search(list, QString());
        QStringList listed = valuesOf(*list->query(), nameOf(pair));
        QVERIFY(!listed.contains(QString()));
        listed.sort();
        QStringList expected = named;
        expected.sort();
        QCOMPARE(listed, expected);

        // "Tümü" shows the nameless ones too.
        list->showAllButton()->click();
        QCOMPARE(list->query()->recordCount(), named.size() + 2);
    }

    void listKeepsItsResultUntilSearchedAgain_data()
    {
        addTwinColumn();
        QTest::addColumn<bool>("showAll");
        QTest::newRow("district, Bul") << 0 << false;
        QTest::newRow("district, Tümü") << 0 << true;
        QTest::newRow("kind, Bul") << 1 << false;
        QTest::newRow("kind, Tümü") << 1 << true;
    }

    void listKeepsItsResultUntilSearchedAgain()
    {
        QFETCH(int, twin);
        QFETCH(bool, showAll);
        const DefinitionTwin& pair = twinAt(twin);
        NameList* list = listOf(pair);
        const int before = list->query()->recordCount();
        search(list, QStringLiteral("yeni"));
        QCOMPARE(list->query()->recordCount(), 0);

        typeNewDefinition(entryOf(pair), QStringLiteral("Yenidoğan"));
        QCOMPARE(entryOf(pair)->cursor()->text(nameOf(pair)), QStringLiteral("Yenidoğan"));
        QCOMPARE(list->query()->recordCount(), 0);
        QCOMPARE(list->grid()->model()->rowCount(), 0);

        if (showAll) {
            list->showAllButton()->click();
            QCOMPARE(list->query()->recordCount(), before + 1);
        } else {
            clickCentre(list->findButton());
            QCOMPARE(valuesOf(*list->query(), nameOf(pair)), QStringList{QStringLiteral("Yenidoğan")});
        }
        QVERIFY(valuesOf(*list->query(), nameOf(pair)).contains(QStringLiteral("Yenidoğan")));
    }

    void doubleClickOpensTheRecordOnTheEntryScreen_data()
    {
        bothTwins();
    }

    void doubleClickOpensTheRecordOnTheEntryScreen()
    {
        QFETCH(int, twin);
        const DefinitionTwin& pair = twinAt(twin);
        DefinitionEntry* entry = entryOf(pair);
        NameList* list = listOf(pair);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list));
        DbGrid* grid = list->grid();
        QVERIFY(grid->model()->rowCount() > 3);

        const QModelIndex third = grid->model()->index(2, 1);
        const QString thirdName = third.data().toString();
        const QPoint at = grid->visualRect(third).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(entry->isVisible());
        QCOMPARE(entry->cursor()->integer(QStringLiteral("No")), list->query()->keyAt(2));
        QCOMPARE(entry->cursor()->text(nameOf(pair)), third.data().toString());

        // An empty grid opens the entry screen where it stood.
        entry->hide();
        entry->cursor()->first();
        const qint64 standing = entry->cursor()->integer(QStringLiteral("No"));
        search(list, QStringLiteral("zzzz"));
        QCOMPARE(grid->model()->rowCount(), 0);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(40, 30));
        QVERIFY(entry->isVisible());
        QCOMPARE(entry->cursor()->integer(QStringLiteral("No")), standing);

        // Below the last row of a grid with room to spare: the current row's record.
        entry->hide();
        search(list, thirdName);
        QVERIFY(grid->model()->rowCount() >= 1);
        const int lastRow = grid->model()->rowCount() - 1;
        const int below = grid->visualRect(grid->model()->index(lastRow, 0)).bottom() + 6;
        QVERIFY2(below < grid->viewport()->height(), qPrintable(QStringLiteral("%1 rows, below %2, viewport %3").arg(lastRow + 1).arg(below).arg(grid->viewport()->height())));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(40, below));
        QVERIFY(entry->isVisible());
        QCOMPARE(entry->cursor()->text(nameOf(pair)), thirdName);
    }

    // --- entry screen -----------------------------------------------------

    void nameTakesNoMoreThanItsFieldHolds_data()
    {
        addTwinColumn();
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("district, 16th refused") << 0 << "Kavacık Üsküdarı" << "Kavacık Üsküdar";
        QTest::newRow("kind, 20 accepted") << 1 << "Dubleks Çatı Katı Ev" << "Dubleks Çatı Katı Ev";
        QTest::newRow("kind, 21st refused") << 1 << "Dubleks Çatı Katı Evi" << "Dubleks Çatı Katı Ev";
    }

    void nameTakesNoMoreThanItsFieldHolds()
    {
        QFETCH(int, twin);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const DefinitionTwin& pair = twinAt(twin);
        DefinitionEntry* entry = entryOf(pair);
        typeNewDefinition(entry, typed);
        QCOMPARE(entry->nameEdit()->text(), stored);
        QCOMPARE(entry->cursor()->state(), DatasetState::Browse);

        // Read back through another cursor: the record is in the store.
        Table again(*m_store->db, pair.table);
        again.open();
        QVERIFY(again.locate(QStringLiteral("No"), entry->cursor()->integer(QStringLiteral("No"))));
        QCOMPARE(again.text(nameOf(pair)), stored);
    }

    void enterMovesOnWithoutALineBreak_data()
    {
        bothTwins();
    }

    void enterMovesOnWithoutALineBreak()
    {
        QFETCH(int, twin);
        DefinitionEntry* entry = entryOf(twinAt(twin));
        QVERIFY(activate(entry));

        entry->nameEdit()->setFocus();
        QTest::keyClick(entry->nameEdit(), Qt::Key_Return);
        QVERIFY(entry->descriptionMemo()->hasFocus());

        typeText(entry->descriptionMemo(), QStringLiteral("Sahile yakın"));
        QTest::keyClick(entry->descriptionMemo(), Qt::Key_Return);
        QCOMPARE(entry->descriptionMemo()->toPlainText(), QStringLiteral("Sahile yakın"));
        QVERIFY(entry->nameEdit()->hasFocus()); // round to the first field

        entry->descriptionMemo()->setFocus();
        QTest::keyClick(entry->descriptionMemo(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(entry->descriptionMemo()->toPlainText(), QStringLiteral("Sahile yakın"));
        QVERIFY(entry->nameEdit()->hasFocus());
    }

    void listeShowsTheListAndNavigatorHasNoHints_data()
    {
        bothTwins();
    }

    void listeShowsTheListAndNavigatorHasNoHints()
    {
        QFETCH(int, twin);
        const DefinitionTwin& pair = twinAt(twin);
        DefinitionEntry* entry = entryOf(pair);
        entry->show();
        clickCentre(entry->listAction());
        QVERIFY(listOf(pair)->isVisible());
        QVERIFY(!entry->listAction()->isPressedLookShown());

        for (int b = 0; b < DbNavigator::ButtonCount; ++b)
            QVERIFY(entry->navigator()->button(DbNavigator::Button(b))->toolTip().isEmpty());

        clickCentre(entry->exitAction());
        QVERIFY(entry->isHidden());
    }

    void newDefinitionIsOfferedByLookupsWhenTheyNextOpen_data()
    {
        addTwinColumn();
        QTest::addColumn<QString>("registerTable");
        QTest::addColumn<QString>("field");
        QTest::newRow("district") << 0 << "kdgiris" << "Semtadi";
        QTest::newRow("kind") << 1 << "kegiris" << "Emlak";
    }

    void newDefinitionIsOfferedByLookupsWhenTheyNextOpen()
    {
        QFETCH(int, twin);
        QFETCH(QString, registerTable);
        QFETCH(QString, field);
        const DefinitionTwin& pair = twinAt(twin);

        // Another screen's lookup, made before the definition exists.
        Table listing(*m_store->db, registerTable);
        listing.open();
        Table source(*m_store->db, pair.table);
        source.open();
        QWidget screen;
        auto* lookup = new DbLookupComboBox(&screen);
        lookup->bind(&listing, field);
        lookup->setLookup(&source, nameOf(pair));
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QVERIFY(!lookup->offered().contains(QStringLiteral("Yeşilköy")));

        typeNewDefinition(entryOf(pair), QStringLiteral("Yeşilköy"));
        lookup->showPopup();
        QVERIFY(lookup->offered().contains(QStringLiteral("Yeşilköy")));
        lookup->hidePopup();
    }
};

QTEST_MAIN(DefinitionScreensTest)
#include "tst_definitionscreens.moc"
