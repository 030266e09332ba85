#include "platform/system/beeper.h"

#include <QApplication>

namespace {

class SystemBeeper final : public Beeper {
public:
    void beep() override { QApplication::beep(); }
};

Beeper* replacementBeeper = nullptr;

} // namespace

Beeper& beeper()
{
    static SystemBeeper real;
    return replacementBeeper ? *replacementBeeper : real;
}

void setBeeper(Beeper* replacement)
{
    replacementBeeper = replacement;
}
