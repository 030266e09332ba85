#include "kit/behaviours/windowbuttons.h"

#include "kit/behaviours/pressbutton.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace MinimiseButton {

void minimiseWindow(QWidget* window)
{
    if (window)
        window->setWindowState((window->windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
}

void minimiseApplication()
{
    // Hidden screens are left alone: minimising one would make it appear minimised
    // the next time it is opened.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && type != Qt::Popup && type != Qt::ToolTip)
            minimiseWindow(window);
    }
}

void install(PressButton* button, QWidget* target)
{
    QObject::connect(button, &PressButton::activated, target, [target] { minimiseWindow(target); });
}

void install(ClickLabel* button, QWidget* target)
{
    QObject::connect(button, &ClickLabel::clicked, target, [target] { minimiseWindow(target); });
}

void installForApplication(PressButton* button)
{
    QObject::connect(button, &PressButton::activated, button, [] { minimiseApplication(); });
}

} // namespace MinimiseButton

namespace ExitButton {

void install(PressButton* button, QWidget* screen)
{
    QPointer<QWidget> target(screen);
    QObject::connect(button, &PressButton::activated, screen, [target] {
        if (target)
            target->close();
    });
}

void install(ClickLabel* button, QWidget* screen)
{
    QPointer<QWidget> target(screen);
    QObject::connect(button, &ClickLabel::clicked, screen, [target] {
        if (target)
            target->close();
    });
}

} // namespace ExitButton
