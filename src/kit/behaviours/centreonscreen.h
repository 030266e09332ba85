#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

// Places a window in the middle of the primary screen: left = screen width div 2 -
// window width div 2, top likewise, integer division, using the window's whole outer
// size.
class CentreOnScreen {
public:
    // The arithmetic alone.
    static QPoint position(const QSize& screen, const QSize& window);

    // Centres the window once (screens do this when they are created).
    static void install(QWidget* window);

    // Centres the window every time it becomes the program's active window (see
    // ActivationWatch), so it returns to the middle whenever the user comes back to it.
    static void installOnEveryActivation(QWidget* window);
};
