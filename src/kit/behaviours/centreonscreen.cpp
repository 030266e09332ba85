#include "kit/behaviours/centreonscreen.h"

#include "kit/behaviours/activationwatch.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QPoint CentreOnScreen::position(const QSize& screen, const QSize& window)
{
    return QPoint(screen.width() / 2 - window.width() / 2,
                  screen.height() / 2 - window.height() / 2);
}

void CentreOnScreen::install(QWidget* window)
{
    if (!window)
        return;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    // move() places the frame's corner for a top-level window, so the frame's size is
    // the one to centre; for the program's borderless screens the two are equal.
    window->move(position(primary->geometry().size(), window->frameGeometry().size()));
}

void CentreOnScreen::installOnEveryActivation(QWidget* window)
{
    ActivationWatch::watch(window, window, [window] { install(window); });
}
