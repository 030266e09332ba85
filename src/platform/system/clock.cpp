#include "platform/system/clock.h"

namespace {

class RealClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

Clock* replacementClock = nullptr;

} // namespace

Clock& systemClock()
{
    static RealClock real;
    return replacementClock ? *replacementClock : real;
}

void setSystemClock(Clock* replacement)
{
    replacementClock = replacement;
}
