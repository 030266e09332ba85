#include "app/behaviours/windowbuttons.h"

#include "app/behaviours/pressbutton.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

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

void ExitButton(PressButton* button, QWidget* screen)
{
    QPointer<QWidget> target(screen);
    QObject::connect(button, &PressButton::activated, screen, [target] {
        if (target)
            target->close();
    });
}

void ExitButton(ClickLabel* button, QWidget* screen)
{
    QPointer<QWidget> target(screen);
    QObject::connect(button, &ClickLabel::clicked, screen, [target] {
        if (target)
            target->close();
    });
}

void MinimiseButton(PressButton* button, QWidget* target)
{
    QObject::connect(button, &PressButton::activated, target, [target] { minimiseWindow(target); });
}

void MinimiseButton(ClickLabel* button, QWidget* target)
{
    QObject::connect(button, &ClickLabel::clicked, target, [target] { minimiseWindow(target); });
}

void MinimiseApplicationButton(PressButton* button)
{
    QObject::connect(button, &PressButton::activated, button, [] { minimiseApplication(); });
}
