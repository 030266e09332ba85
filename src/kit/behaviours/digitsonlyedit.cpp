#include "kit/behaviours/digitsonlyedit.h"

#include "platform/system/beeper.h"

#include <QKeyEvent>

DigitsOnlyEdit::DigitsOnlyEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setInputMethodHints(Qt::ImhDigitsOnly);
}

bool DigitsOnlyEdit::refuses(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape: // the screen's key: it closes the screen
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        break;
    }
    // Ctrl and Meta combinations are commands (copy, paste, undo), not characters.
    // Ctrl+Alt is AltGr on some keyboards, which does type characters.
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool command = (mods & Qt::MetaModifier)
        || ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier));
    if (command)
        return false;
    const QString text = event->text();
    if (text.isEmpty())
        return false;  // navigation, function keys, modifiers on their own
    if (text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9'))
        return false;
    return true;
}

void DigitsOnlyEdit::keyPressEvent(QKeyEvent* event)
{
    if (refuses(event)) {
        event->accept();
        beeper().beep();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
