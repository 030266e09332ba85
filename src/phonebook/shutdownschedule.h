#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

// When the phone book's timed shut-down fires. The typed time is read once,
// as hours, minutes and seconds, and compared with the clock as a moment, not
// as text: so a tick that skips the very second, or a system whose time
// format is not HH:mm:ss, still fires. It fires once, on the first tick at or
// after the armed moment, and is disarmed by that.
class ShutdownSchedule {
public:
    // "HH:mm:ss" with six digits, 00:00:00 to 23:59:59; nothing otherwise.
    static std::optional<QTime> readTime(const QString& typed);

    // The moment is today's `at` when that is this second or later, else
    // tomorrow's: typing a time that has just gone by waits a day for it, as
    // a clock on the wall would, instead of shutting down at once.
    void arm(const QTime& at, const QDateTime& now);
    void disarm();
    bool isArmed() const { return m_moment.isValid(); }
    QDateTime moment() const { return m_moment; }

    // One tick of the clock: true exactly once, when now has reached the moment.
    bool due(const QDateTime& now);

private:
    QDateTime m_moment;
};
