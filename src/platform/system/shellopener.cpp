#include "platform/system/shellopener.h"

#include <QDesktopServices>

namespace {

class DesktopShellOpener final : public ShellOpener {
public:
    void open(const QUrl& url) override { (void)QDesktopServices::openUrl(url); }
};

ShellOpener* replacementOpener = nullptr;

} // namespace

ShellOpener& shellOpener()
{
    static DesktopShellOpener real;
    return replacementOpener ? *replacementOpener : real;
}

void setShellOpener(ShellOpener* replacement)
{
    replacementOpener = replacement;
}
