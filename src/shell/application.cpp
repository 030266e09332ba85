#include "shell/application.h"

#include "platform/engine/dataerror.h"
#include "platform/system/errorreporter.h"
#include "platform/system/localeformats.h"

#include <QFont>

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Evlora"));
    setApplicationDisplayName(QStringLiteral("Evlora"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    LocaleFormats::useTurkish();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DataError& error) {
        errorReporter().report(nullptr, error.message());
    } catch (const std::exception& error) {
        errorReporter().report(nullptr, QString::fromLocal8Bit(error.what()));
    }
    return false;
}
