#pragma once

// Helpers for the behaviour tests: mouse input sent through the top-level window, so
// Qt's own dispatch (hit testing and the implicit grab of the pressed widget) decides
// which widget receives each event, and fakes for the system services.

#include "support/fakes.h"

#include <QLocale>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace behaviourtest {

inline QPoint inWindow(QWidget* widget, QPoint local)
{
    return widget->mapTo(widget->window(), local);
}

inline QWindow* handleOf(QWidget* widget)
{
    return widget->window()->windowHandle();
}

inline void press(QWidget* widget, Qt::MouseButton button, QPoint local = {})
{
    if (local.isNull())
        local = widget->rect().center();
    QTest::mousePress(handleOf(widget), button, {}, inWindow(widget, local));
}

// Moves with the buttons still held; local is in widget coordinates.
inline void moveTo(QWidget* widget, QPoint local)
{
    QTest::mouseMove(handleOf(widget), inWindow(widget, local));
}

inline void release(QWidget* widget, Qt::MouseButton button, QPoint local = {})
{
    if (local.isNull())
        local = widget->rect().center();
    QTest::mouseRelease(handleOf(widget), button, {}, inWindow(widget, local));
}

inline void click(QWidget* widget, Qt::MouseButton button)
{
    press(widget, button);
    release(widget, button);
}

inline bool showAndWait(QWidget* window)
{
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

inline void pinTurkish()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

// The shared fakes, in place for one test, under the names the behaviour tests
// read them by (`fake.beeps`, `fake.messages`).
struct NamedBeeper : CountingBeeper {
    const int& beeps = count;
};

struct NamedReporter : CollectingReporter {
    const QStringList& messages = shown;
};

struct FakeBeeperInUse {
    Installed<NamedBeeper> fake;
};

struct FakeReporterInUse {
    Installed<NamedReporter> fake;
};

} // namespace behaviourtest
