// Nothing typed is lost on the way out: quitting the program, or closing a
// screen, while a record is being inserted or edited asks "Kaydedilsin mi?".
#include "entry/listingentry.h"
#include "kit/screen.h"
#include "kit/screens.h"
#include "platform/controls/dbedit.h"
#include "platform/engine/table.h"
#include "shell/mainwindow.h"
#include "shell/programscreens.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QGuiApplication>
#include <QtTest>

using SaveChoice = Confirmer::SaveChoice;

class QuittingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    MainWindow* m_main = nullptr;
    ListingEntry* m_flat = nullptr;
    Installed<CollectingReporter> m_messages;
    Installed<AnsweringConfirmer> m_answers;

    // A rental flat half typed in, as the clerk leaves it: the name still
    // sits in its edit, not yet written to the record.
    void typeHalfAFlat(bool withDistrict)
    {
        QVERIFY(activate(m_flat));
        m_flat->cursor()->append();
        if (withDistrict)
            m_flat->cursor()->setText(QStringLiteral("Semtadi"), QStringLiteral("Merkez"));
        typeInto(m_flat->control(QStringLiteral("Isim")), QStringLiteral("Ayşe Kaya"));
        QCOMPARE(m_flat->cursor()->state(), DatasetState::Insert);
    }

    QStringList storedNames()
    {
        Table flats(*m_store->db, QStringLiteral("kdgiris"));
        flats.open();
        return valuesOf(flats, QStringLiteral("Isim"));
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        // The test goes on after the main window has closed.
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(programScreens());
        m_main = m_screens->get<MainWindow>(QStringLiteral("MainWindow"));
        m_flat = m_screens->get<ListingEntry>(QStringLiteral("RentalFlatEntry"));
        QVERIFY(m_main && m_flat);
        QVERIFY(activate(m_main));
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        m_messages.shown.clear();
        m_answers.questions.clear();
        m_answers.saveChoice.reset();
    }

    void quittingWithNothingBeingEditedAsksNothing()
    {
        QVERIFY(activate(m_flat));
        QVERIFY(m_main->close());
        QVERIFY(m_answers.questions.isEmpty());
    }

    void quittingAsksAndStaysOnVazgec()
    {
        typeHalfAFlat(true);
        m_answers.saveChoice = SaveChoice::Stay;
        QVERIFY(!m_main->close());
        QCOMPARE(m_answers.questions, QStringList{QStringLiteral("Kaydedilsin mi?")});
        QVERIFY(m_main->isVisible());
        QVERIFY(m_flat->isVisible());
        QCOMPARE(m_flat->cursor()->state(), DatasetState::Insert);
        QCOMPARE(qobject_cast<DbEdit*>(m_flat->control(QStringLiteral("Isim")))->text(),
                 QStringLiteral("Ayşe Kaya"));
        QVERIFY(storedNames().isEmpty());
    }

    void quittingPostsOnEvet()
    {
        typeHalfAFlat(true);
        m_answers.saveChoice = SaveChoice::Save;
        QVERIFY(m_main->close());
        QCOMPARE(storedNames(), QStringList{QStringLiteral("Ayşe Kaya")});
        QVERIFY(m_messages.shown.isEmpty());
    }

    void quittingDiscardsOnHayir()
    {
        typeHalfAFlat(true);
        m_answers.saveChoice = SaveChoice::Discard;
        QVERIFY(m_main->close());
        QVERIFY(storedNames().isEmpty());
        QCOMPARE(m_flat->cursor()->state(), DatasetState::Browse);
    }

    void refusedPostKeepsTheProgramOnThatScreen()
    {
        // The district must have a value: the post is refused, the message
        // shown, and the program stays, with the screen in front even when
        // it had been put out of sight meanwhile.
        typeHalfAFlat(false);
        m_flat->hide();
        m_answers.saveChoice = SaveChoice::Save;
        QVERIFY(!m_main->close());
        QCOMPARE(m_messages.shown, QStringList{QStringLiteral("Field 'Semtadi' must have a value")});
        QVERIFY(m_main->isVisible());
        QVERIFY(m_flat->isVisible());
        QCOMPARE(m_flat->cursor()->state(), DatasetState::Insert);
        QVERIFY(storedNames().isEmpty());
    }

    void closingAScreenAsksToo()
    {
        typeHalfAFlat(true);
        m_answers.saveChoice = SaveChoice::Stay;
        QVERIFY(!m_flat->close());
        QVERIFY(m_flat->isVisible());
        QCOMPARE(m_answers.questions.size(), 1);

        m_answers.saveChoice = SaveChoice::Save;
        QVERIFY(m_flat->close());
        QVERIFY(m_flat->isHidden());
        QCOMPARE(storedNames(), QStringList{QStringLiteral("Ayşe Kaya")});
        // Its edit settled, the program then quits without another word.
        QVERIFY(m_main->close());
        QCOMPARE(m_answers.questions.size(), 2);
    }

    void closingAScreenWithARefusedPostStaysOpen()
    {
        typeHalfAFlat(false);
        m_answers.saveChoice = SaveChoice::Save;
        QVERIFY(!m_flat->close());
        QVERIFY(m_flat->isVisible());
        QCOMPARE(m_messages.shown, QStringList{QStringLiteral("Field 'Semtadi' must have a value")});
    }
};

QTEST_MAIN(QuittingTest)
#include "tst_quitting.moc"
