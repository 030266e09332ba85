#pragma once

#include <QString>

class QWidget;

// The application's default error handler: shows a failure that no screen handles
// itself. Tests replace it so a modal message box never blocks them.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void report(QWidget* parent, const QString& message) = 0;
};

ErrorReporter& errorReporter();
// Puts a replacement in place (not owned); nullptr restores the message box.
void setErrorReporter(ErrorReporter* replacement);
