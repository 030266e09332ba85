#pragma once

#include <QApplication>

// The program's application object. A failure that no screen handles itself
// reaches the user as a message here instead of ending the program.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
