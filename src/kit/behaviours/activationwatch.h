#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

// Tells a window when it becomes the program's active window: the first time it is
// activated, and whenever the user moves to it from another window of the program (or
// it is shown again after being hidden). Coming back from another application to the
// same window does not count, and neither do dialogs (message boxes, file dialogs,
// previews) opened over it: when they close, the window under them is not "entered"
// again, so a handler that shows a message cannot call itself in a loop.
class ActivationWatch : public QObject {
    Q_OBJECT
public:
    // Runs handler on each such activation of window while context lives.
    static void watch(QWidget* window, QObject* context, std::function<void()> handler);

    // The window last counted as the program's active one (nullptr if none).
    static QWidget* programActiveWindow();

private:
    ActivationWatch(QWidget* window, QObject* context, std::function<void()> handler);
    friend class ActivationTracker;

    QPointer<QWidget> m_window;
    std::function<void()> m_handler;
};
