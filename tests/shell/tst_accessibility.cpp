// Every control of every screen can be found by a screen reader (and a test):
// an object name, an accessible name, and on drop-downs the caption as the
// accessible description (their accessible name is their current text).
#include "shell/application.h"
#include "shell/programscreens.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/screens.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
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
