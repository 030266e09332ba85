#include "platform/system/shutdownrequest.h"

#include <QTextStream>
#include <QtGlobal>

namespace {

class RefusingShutdown final : public ShutdownRequest {
public:
    bool request() override
    {
        qWarning("Evlora: no shut-down request in place; the computer is not shut down");
        return false;
    }
};

ShutdownRequest* placedRequest = nullptr;

} // namespace

ShutdownRequest& shutdownRequest()
{
    static RefusingShutdown refusing;
    return placedRequest ? *placedRequest : refusing;
}

void setShutdownRequest(ShutdownRequest* replacement)
{
    placedRequest = replacement;
}

QString ShutdownCommand::text() const
{
    return (QStringList{program} + arguments).join(QLatin1Char(' '));
}

ShutdownCommand systemShutdownCommand()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("shutdown"), {QStringLiteral("/s"), QStringLiteral("/t"), QStringLiteral("0")}};
#else
    return {QStringLiteral("systemctl"), {QStringLiteral("poweroff")}};
#endif
}

bool PrintedShutdown::request()
{
    m_out << "Evlora: kapatma isteği (EVLORA_SHUTDOWN=print, çalıştırılmadı): " << systemShutdownCommand().text()
          << Qt::endl;
    return true;
}
