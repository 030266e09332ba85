#pragma once

#include <QList>
#include <QObject>

class QWidget;

// In a data control, Enter (or keypad Enter) is swallowed and the focus moves to the
// next control in tab order, as Tab would move it. A memo therefore never gets a line
// break from Enter.
class EnterToNextField : public QObject {
    Q_OBJECT
public:
    // Installs on one control (and on the inner edit or viewport of a combo box or memo).
    // Installing twice is harmless.
    static void install(QWidget* control);

    // Installs on every data control of a screen: line edits, combo boxes, spin boxes,
    // memos and focusable pictures, except those listed (and their inner parts).
    static void installOnChildren(QWidget* screen, const QList<QWidget*>& exclusions = {});

    // Moves the focus from window's focus widget to the next field in tab
    // order, passing over action labels.
    static void focusNextField(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
