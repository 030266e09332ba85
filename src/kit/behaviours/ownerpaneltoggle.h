#pragma once

#include <QString>

class LabelButton;
class QWidget;

// "Emlak Sahibini Göster" on the listing entry screens: the owner's details lie under
// a covering panel, visible at start. Each activation hides the panel and captions the
// button "Emlak Sahibini Gösterme", or shows the panel again and restores the caption.
// The state is the widgets' own, so it survives hiding and showing the screen.
class OwnerPanelToggle {
public:
    static QString showCaption() { return QStringLiteral("Emlak Sahibini Göster"); }
    static QString hideCaption() { return QStringLiteral("Emlak Sahibini Gösterme"); }

    // Connects the button's action to toggle(); sets the starting caption.
    static void install(LabelButton* button, QWidget* coveringPanel);
    static void toggle(LabelButton* button, QWidget* coveringPanel);
    // While the panel covers them, the controls under it take no focus: Tab
    // and Enter pass over them. Uncovered, they take it as before.
    static void setCovered(QWidget* coveringPanel, bool covered);
};
