#include "shell/application.h"

#include "platform/engine/dataerror.h"
#include "platform/system/errorreporter.h"
#include "platform/system/localeformats.h"

#include <QFont>
#include <QFontDatabase>

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Evlora"));
    setApplicationDisplayName(QStringLiteral("Evlora"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    LocaleFormats::useTurkish();
    // Qt's font database is shared by every thread and guarded by its own lock.
    m_fontsRead = std::async(std::launch::async, [] { QFontDatabase::families(); });
}

Application::~Application()
{
    if (m_fontsRead.valid())
        m_fontsRead.wait();
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
