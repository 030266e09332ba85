#include "kit/behaviours/entertonextfield.h"

#include "kit/behaviours/pressbutton.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// Reaches QWidget's protected tab-order step through a member pointer formed in a
// derived class, the one standard way to call it from outside.
struct TabStep : QWidget {
    static bool next(QWidget* window)
    {
        return (window->*(&TabStep::focusNextPrevChild))(true);
    }
};

bool isEnter(const QKeyEvent* key)
{
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    // Plain Enter, on either keyboard block, with or without Shift; Ctrl+Enter and
    // Alt+Enter are other keys.
    const Qt::KeyboardModifiers others =
        key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    return others == Qt::NoModifier;
}

bool isDataControl(const QWidget* widget)
{
    if (qobject_cast<const QAbstractItemView*>(widget))
        return false;
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget)
        || qobject_cast<const QAbstractSpinBox*>(widget)
        || qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget))
        return true;
    // The picture control: a label that takes the focus.
    return qobject_cast<const QLabel*>(widget) && widget->focusPolicy() != Qt::NoFocus;
}

} // namespace

void EnterToNextField::install(QWidget* control)
{
    if (!control)
        return;
    QList<QWidget*> targets{control};
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        targets.append(combo->lineEdit());
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control))
        targets.append(area->viewport());
    for (QWidget* target : targets) {
        if (target->findChild<EnterToNextField*>(QString(), Qt::FindDirectChildrenOnly))
            continue;
        target->installEventFilter(new EnterToNextField(target));
    }
}

void EnterToNextField::installOnChildren(QWidget* screen, const QList<QWidget*>& exclusions)
{
    if (!screen)
        return;
    const auto children = screen->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->window() != screen || !isDataControl(child))
            continue;
        bool excluded = false;
        for (QWidget* ex : exclusions)
            excluded = excluded || (ex && (ex == child || ex->isAncestorOf(child)));
        if (!excluded)
            install(child);
    }
}

void EnterToNextField::focusNextField(QWidget* window)
{
    if (!window)
        return;
    // Enter walks the fields only: the action labels Tab also visits are
    // passed over, so Enter never lands on (and then presses) "Liste".
    QWidget* top = window->window();
    const QWidget* start = QApplication::focusWidget();
    for (int step = 0; step < 256; ++step) {
        TabStep::next(top);
        QWidget* now = QApplication::focusWidget();
        if (!qobject_cast<PressButton*>(now) && !qobject_cast<ClickLabel*>(now))
            return;
        if (now == start)
            return;
    }
}

bool EnterToNextField::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!isEnter(key))
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Claim Enter so no default button or shortcut takes it first.
        event->accept();
        return true;
    }
    if (auto* widget = qobject_cast<QWidget*>(watched))
        focusNextField(widget);
    return true;
}
