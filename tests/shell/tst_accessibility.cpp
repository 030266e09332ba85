// Every control of every screen can be found by a screen reader (and a test):
// an object name, an accessible name, and on drop-downs the caption as the
// accessible description (their accessible name is their current text).
#include "shell/application.h"
#include "shell/programscreens.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/screens.h"
#include "matching/listtextedit.h"
#include "matching/matchlistscreen.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QtTest>

namespace {

bool isControl(QWidget* widget)
{
    return qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget)
        || qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QTextEdit*>(widget)
        || qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractItemView*>(widget)
        || qobject_cast<PressButton*>(widget) || qobject_cast<ClickLabel*>(widget);
}

// Parts a composite control makes for itself (a combo box's line edit, a
// grid's headers) are named by that control, not by the screen.
bool isInnerPart(QWidget* widget, QWidget* screen)
{
    for (QWidget* up = widget->parentWidget(); up && up != screen; up = up->parentWidget())
        if (qobject_cast<QComboBox*>(up) || qobject_cast<QAbstractScrollArea*>(up))
            return true;
    return false;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useTurkishLocale();
    }

    void everyControlHasItsNames()
    {
        ScratchStore store;
        Screens screens(*store.db);
        screens.createAll(programScreens());
        QVERIFY(screens.created().size() >= 2);
        int checked = 0;
        for (const QString& name : screens.created()) {
            QWidget* screen = screens.find(name);
            QVERIFY2(!screen->accessibleName().isEmpty(), qPrintable(name));
            for (QWidget* widget : screen->findChildren<QWidget*>()) {
                if (!isControl(widget) || isInnerPart(widget, screen))
                    continue;
                const QString where = name + QLatin1Char('/') + widget->metaObject()->className() + QLatin1Char('/')
                                      + widget->objectName();
                QVERIFY2(!widget->objectName().isEmpty(), qPrintable(where));
                QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(where));
                if (qobject_cast<QComboBox*>(widget))
                    QVERIFY2(!widget->accessibleDescription().isEmpty(), qPrintable(where));
                ++checked;
            }
        }
        QVERIFY(checked > 10);
    }

    // The text part of every editable drop-down is named by the field's caption.
    void editableDropDownsNameTheirText()
    {
        ScratchStore store;
        Screens screens(*store.db);
        screens.createAll(programScreens());
        int checked = 0;
        for (const QString& name : screens.created()) {
            for (QComboBox* box : screens.find(name)->findChildren<QComboBox*>()) {
                if (!box->lineEdit())
                    continue;
                const QString where = name + QLatin1Char('/') + box->objectName();
                QAccessibleInterface* text = QAccessible::queryAccessibleInterface(box->lineEdit());
                QVERIFY2(text, qPrintable(where));
                QVERIFY2(!text->text(QAccessible::Name).isEmpty(), qPrintable(where));
                QCOMPARE(box->lineEdit()->accessibleName(), box->accessibleDescription());
                ++checked;
            }
        }
        QVERIFY(checked >= 20); // five on each of the four listing screens, and more
    }

    // The comparison list reads out as text with a caret; the counter as its number.
    void comparisonListReadsOut()
    {
        MatchListScreen screen;
        ListTextEdit* box = screen.box();
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
        QVERIFY(face);
        QCOMPARE(face->role(), QAccessible::EditableText);
        QVERIFY(face->state().editable && face->state().multiLine);
        QAccessibleTextInterface* text = face->textInterface();
        QVERIFY(text);

        screen.setList({QStringLiteral("Bir satır"), QStringLiteral("İkinci satır")});
        QCOMPARE(text->characterCount(), 22);
        QCOMPARE(text->text(0, 22), box->text());
        QCOMPARE(face->text(QAccessible::Value), box->text());
        int start = -1, end = -1;
        QCOMPARE(text->textAtOffset(12, QAccessible::LineBoundary, &start, &end), QStringLiteral("İkinci satır"));
        QCOMPARE(start, 10);
        QCOMPARE(end, 22);
        QCOMPARE(text->textAtOffset(2, QAccessible::LineBoundary, &start, &end), QStringLiteral("Bir satır\n"));
        QCOMPARE(text->textAtOffset(5, QAccessible::WordBoundary, &start, &end), QStringLiteral("satır"));
        QCOMPARE(text->textAfterOffset(2, QAccessible::LineBoundary, &start, &end), QStringLiteral("İkinci satır"));
        QCOMPARE(text->textBeforeOffset(12, QAccessible::LineBoundary, &start, &end), QStringLiteral("Bir satır\n"));

        text->setCursorPosition(12);
        QCOMPARE(box->caret(), (ListTextEdit::Position{1, 2}));
        QCOMPARE(text->cursorPosition(), 12);
        text->setSelection(0, 0, 3);
        QCOMPARE(box->selectedText(), QStringLiteral("Bir"));
        QCOMPARE(text->selectionCount(), 1);
        text->selection(0, &start, &end);
        QCOMPARE(start, 0);
        QCOMPARE(end, 3);

        // The caret and the text as the clerk leaves them, read again.
        box->setCaret({1, 0});
        QTest::keyClick(box, Qt::Key_End);
        QCOMPARE(text->cursorPosition(), 22);
        QTest::keyClick(box, Qt::Key_X);
        QCOMPARE(text->characterCount(), 23);
        QCOMPARE(text->textAtOffset(23, QAccessible::LineBoundary, &start, &end), QStringLiteral("İkinci satırx"));
        const QRect caretBox = text->characterRect(10);
        QVERIFY(caretBox.isValid());

        QAccessibleInterface* counter = QAccessible::queryAccessibleInterface(screen.lineCounter());
        QCOMPARE(counter->text(QAccessible::Name), QStringLiteral("2"));
        QCOMPARE(counter->text(QAccessible::Description), QStringLiteral("Satır Sayısı"));
        screen.setList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        QCOMPARE(counter->text(QAccessible::Name), QStringLiteral("3"));
    }

    void labelButtonsOfferAPressAction()
    {
        LabelButton button(QStringLiteral("Liste"));
        int pressed = 0;
        connect(&button, &PressButton::activated, [&] { ++pressed; });
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&button);
        QVERIFY(face && face->actionInterface());
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Liste"));
        face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(pressed, 1);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
