#pragma once

#include <QApplication>
#include <future>

// The program's application object. A failure that no screen handles itself
// reaches the user as a message here instead of ending the program.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    ~Application() override;
    bool notify(QObject* receiver, QEvent* event) override;

private:
    // The system's font list, read on a worker thread while the store opens:
    // the main window's first text waits for it, and reading it is a third of
    // what starting takes.
    std::future<void> m_fontsRead;
};
