#include "platform/system/systemshutdown.h"

#include <QProcess>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

class SystemShutdown final : public ShutdownRequest {
public:
    bool request() override
    {
        const ShutdownCommand command = systemShutdownCommand();
        QProcess process;
        process.setProgram(command.program);
        process.setArguments(command.arguments);
#ifdef Q_OS_WIN
        // The console command runs with no window of its own.
        process.setCreateProcessArgumentsModifier(
            [](QProcess::CreateProcessArguments* arguments) { arguments->flags |= CREATE_NO_WINDOW; });
#endif
        return process.startDetached();
    }
};

} // namespace

std::unique_ptr<ShutdownRequest> makeSystemShutdown()
{
    return std::make_unique<SystemShutdown>();
}
