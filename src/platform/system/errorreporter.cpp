#include "platform/system/errorreporter.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace {

class MessageBoxReporter final : public ErrorReporter {
public:
    void report(QWidget* parent, const QString& message) override
    {
        QWidget* owner = parent ? parent->window() : nullptr;
        QMessageBox::critical(owner, QApplication::applicationDisplayName(), message);
    }
};

ErrorReporter* replacementReporter = nullptr;

} // namespace

ErrorReporter& errorReporter()
{
    static MessageBoxReporter real;
    return replacementReporter ? *replacementReporter : real;
}

void setErrorReporter(ErrorReporter* replacement)
{
    replacementReporter = replacement;
}
