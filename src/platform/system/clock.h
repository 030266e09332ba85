#pragma once

#include <QDateTime>

// The current date and time, behind an interface so tests can pin "now".
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The clock in use (named so it does not collide with the C library's clock()).
Clock& systemClock();
// Puts a replacement in place (not owned); nullptr restores the real clock.
void setSystemClock(Clock* replacement);
