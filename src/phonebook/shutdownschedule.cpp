#include "phonebook/shutdownschedule.h"

#include <QRegularExpression>

std::optional<QTime> ShutdownSchedule::readTime(const QString& typed)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d\\d):(\\d\\d):(\\d\\d)$"));
    const QRegularExpressionMatch match = pattern.match(typed);
    if (!match.hasMatch())
        return std::nullopt;
    const QTime time(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!time.isValid())
        return std::nullopt;
    return time;
}

void ShutdownSchedule::arm(const QTime& at, const QDateTime& now)
{
    const QTime thisSecond = QTime(now.time().hour(), now.time().minute(), now.time().second());
    const QDate day = at >= thisSecond ? now.date() : now.date().addDays(1);
    QDateTime moment = now; // in the clock's own time zone
    moment.setDate(day);
    moment.setTime(at);
    m_moment = moment;
}

void ShutdownSchedule::disarm()
{
    m_moment = QDateTime();
}

bool ShutdownSchedule::due(const QDateTime& now)
{
    if (!isArmed() || now < m_moment)
        return false;
    disarm();
    return true;
}
