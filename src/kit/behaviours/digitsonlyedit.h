#pragma once

#include <QLineEdit>

// A plain edit for a whole-number search bound. From the keyboard it takes only the
// digits 0-9 and Backspace; any other typed character (Enter, minus, decimal separator,
// letters, space) is discarded with one system beep. Keys that type nothing (arrows,
// Home/End, Delete, Tab, Shift+Tab, Escape, which the screen takes) and Ctrl shortcuts
// work as usual, and pasted text is taken as it is.
class DigitsOnlyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DigitsOnlyEdit(QWidget* parent = nullptr);

    // True for a key press that would type a character this edit refuses.
    static bool refuses(const QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
