// Keyboard behaviours of data and criteria fields: Enter to the next field, digit-only
// bounds and the amount preview.

#include "kit/behaviours/amountpreview.h"
#include "kit/behaviours/digitsonlyedit.h"
#include "kit/behaviours/entertonextfield.h"
#include "support/behaviourtesting.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

using namespace behaviourtest;

namespace {

struct EntryForm {
    QWidget window;
    QLineEdit* name = new QLineEdit;
    QComboBox* district = new QComboBox;
    QComboBox* kind = new QComboBox;
    QPlainTextEdit* memo = new QPlainTextEdit;
    QLineEdit* price = new QLineEdit;
    QLineEdit* excluded = new QLineEdit;

    EntryForm()
    {
        auto* layout = new QVBoxLayout(&window);
        district->addItems({QStringLiteral("Kadıköy"), QStringLiteral("Beşiktaş")});
        kind->setEditable(true);
        for (QWidget* w : {static_cast<QWidget*>(name), static_cast<QWidget*>(district),
                           static_cast<QWidget*>(kind), static_cast<QWidget*>(memo),
                           static_cast<QWidget*>(price), static_cast<QWidget*>(excluded)})
            layout->addWidget(w);
        EnterToNextField::installOnChildren(&window, {excluded});
    }

    bool show()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

struct CriteriaForm {
    QWidget window;
    DigitsOnlyEdit* edit = new DigitsOnlyEdit;
    QLabel* preview = new QLabel(QStringLiteral("önceki"));
    QLineEdit* next = new QLineEdit;

    CriteriaForm()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(preview);
        layout->addWidget(next);
        AmountPreview::install(edit, preview);
    }

    bool show()
    {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        edit->setFocus();
        return edit->hasFocus();
    }
};

} // namespace

class FieldKeysTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { pinTurkish(); }

    void enterInMemoMovesOnWithoutLineBreak();
    void enterMovesThroughEditsAndComboBoxes();
    void excludedControlKeepsEnter();

    void digitsOnlyRefusesOtherCharacters_data();
    void digitsOnlyRefusesOtherCharacters();
    void digitsOnlyKeepsEditingKeys();
    void digitsOnlyTakesPastedText();

    void previewFromFourCharacters();
    void previewHidesOnFocusOut();
    void previewOfPastedTextThatIsNoNumber();
};

void FieldKeysTest::enterInMemoMovesOnWithoutLineBreak()
{
    EntryForm f;
    QVERIFY(f.show());
    f.memo->setFocus();
    QTest::keyClicks(f.memo, QStringLiteral("ab"));
    QTest::keyClick(f.memo, Qt::Key_Return);
    QCOMPARE(f.memo->toPlainText(), QStringLiteral("ab"));
    QVERIFY(f.price->hasFocus());

    f.memo->setFocus();
    QTest::keyClick(f.memo, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(f.memo->toPlainText(), QStringLiteral("ab"));
    QVERIFY(f.price->hasFocus());
}

void FieldKeysTest::enterMovesThroughEditsAndComboBoxes()
{
    EntryForm f;
    QVERIFY(f.show());
    f.name->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(f.district->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(f.kind->hasFocus() || f.kind->lineEdit()->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Depo"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(f.memo->hasFocus());
    QCOMPARE(f.kind->currentText(), QStringLiteral("Depo"));
}

void FieldKeysTest::excludedControlKeepsEnter()
{
    EntryForm f;
    QVERIFY(f.show());
    f.excluded->setFocus();
    QTest::keyClick(f.excluded, Qt::Key_Return);
    QVERIFY(f.excluded->hasFocus());
}

void FieldKeysTest::digitsOnlyRefusesOtherCharacters_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("letter") << int(Qt::Key_A) << QStringLiteral("a");
    QTest::newRow("minus") << int(Qt::Key_Minus) << QStringLiteral("-");
    QTest::newRow("decimal separator") << int(Qt::Key_Comma) << QStringLiteral(",");
    QTest::newRow("dot") << int(Qt::Key_Period) << QStringLiteral(".");
    QTest::newRow("space") << int(Qt::Key_Space) << QStringLiteral(" ");
    QTest::newRow("Enter") << int(Qt::Key_Return) << QStringLiteral("\r");
    QTest::newRow("Turkish letter") << int(Qt::Key_unknown) << QStringLiteral("ş");
}

void FieldKeysTest::digitsOnlyRefusesOtherCharacters()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    FakeBeeperInUse beeper;
    CriteriaForm f;
    QVERIFY(f.show());
    QTest::keyClicks(f.edit, QStringLiteral("12"));
    QCOMPARE(beeper.fake.beeps, 0);

    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(f.edit, &press);
    QCOMPARE(f.edit->text(), QStringLiteral("12"));
    QCOMPARE(beeper.fake.beeps, 1);
    QVERIFY(f.edit->hasFocus());
}

void FieldKeysTest::digitsOnlyKeepsEditingKeys()
{
    FakeBeeperInUse beeper;
    CriteriaForm f;
    QVERIFY(f.show());
    QTest::keyClicks(f.edit, QStringLiteral("12a"));
    QCOMPARE(f.edit->text(), QStringLiteral("12"));
    QCOMPARE(beeper.fake.beeps, 1);

    QTest::keyClick(f.edit, Qt::Key_Home);
    QTest::keyClick(f.edit, Qt::Key_Delete);
    QCOMPARE(f.edit->text(), QStringLiteral("2"));
    QTest::keyClick(f.edit, Qt::Key_End);
    QTest::keyClick(f.edit, Qt::Key_Left);
    QTest::keyClick(f.edit, Qt::Key_7, Qt::KeypadModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("72"));
    QTest::keyClick(f.edit, Qt::Key_Backspace);
    QCOMPARE(f.edit->text(), QStringLiteral("2"));
    QCOMPARE(beeper.fake.beeps, 1);

    QTest::keyClick(f.edit, Qt::Key_Tab);
    QVERIFY(f.next->hasFocus());
    QTest::keyClick(f.next, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(f.edit->hasFocus());
    QCOMPARE(beeper.fake.beeps, 1);
}

void FieldKeysTest::digitsOnlyTakesPastedText()
{
    FakeBeeperInUse beeper;
    FakeReporterInUse reporter;
    CriteriaForm f;
    QVERIFY(f.show());
    QApplication::clipboard()->setText(QStringLiteral("-1,5x"));
    QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.edit->text(), QStringLiteral("-1,5x"));
    QCOMPARE(beeper.fake.beeps, 0);
}

void FieldKeysTest::previewFromFourCharacters()
{
    CriteriaForm f;
    QVERIFY(f.show());
    QVERIFY(f.preview->isHidden());  // hidden at start

    QTest::keyClicks(f.edit, QStringLiteral("123"));
    QVERIFY(f.preview->isHidden());
    QVERIFY(!f.preview->isEnabled());

    QTest::keyClick(f.edit, Qt::Key_4);
    QVERIFY(f.preview->isVisible());
    QVERIFY(f.preview->isEnabled());
    QCOMPARE(f.preview->text(), QStringLiteral("1.234"));

    QTest::keyClicks(f.edit, QStringLiteral("567"));
    QCOMPARE(f.preview->text(), QStringLiteral("1.234.567"));

    for (int i = 0; i < 4; ++i)
        QTest::keyClick(f.edit, Qt::Key_Backspace);
    QCOMPARE(f.edit->text(), QStringLiteral("123"));
    QVERIFY(f.preview->isHidden());
    QVERIFY(!f.preview->isEnabled());
}

void FieldKeysTest::previewHidesOnFocusOut()
{
    CriteriaForm f;
    QVERIFY(f.show());
    QTest::keyClicks(f.edit, QStringLiteral("25000"));
    QCOMPARE(f.preview->text(), QStringLiteral("25.000"));
    QVERIFY(f.preview->isVisible());
    f.next->setFocus();
    QVERIFY(f.preview->isHidden());
    QCOMPARE(f.edit->text(), QStringLiteral("25000"));
}

void FieldKeysTest::previewOfPastedTextThatIsNoNumber()
{
    FakeReporterInUse reporter;
    CriteriaForm f;
    QVERIFY(f.show());
    QTest::keyClicks(f.edit, QStringLiteral("9999"));
    QCOMPARE(f.preview->text(), QStringLiteral("9.999"));

    f.edit->setText(QStringLiteral("12ab"));  // as a paste leaves it
    QTest::keyRelease(f.edit, Qt::Key_Control);
    QCOMPARE(reporter.fake.messages,
             QStringList{QStringLiteral("'12ab' is not a valid floating point value")});
    QVERIFY(f.preview->isVisible());
    QCOMPARE(f.preview->text(), QStringLiteral("9.999"));

    // A Turkish-grouped paste is no plain number either.
    f.edit->setText(QStringLiteral("1.234"));
    QTest::keyRelease(f.edit, Qt::Key_Control);
    QCOMPARE(reporter.fake.messages.size(), 2);
}

QTEST_MAIN(FieldKeysTest)
#include "tst_fieldkeys.moc"
