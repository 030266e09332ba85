#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// Asking the operating system to shut the computer down, behind an interface
// so that nothing but the program itself can ever make the real request.
//
// With no request put in place, shutdownRequest() is one that refuses: it
// asks nothing and returns false. Only the program's start-up puts the real
// one in place (platform/system/systemshutdown.h); tests put a stand-in.
class ShutdownRequest {
public:
    virtual ~ShutdownRequest() = default;
    // Hands the request to the system and returns at once; false when it
    // could not be made at all. Whether the system then obeys is its own.
    virtual bool request() = 0;
};

ShutdownRequest& shutdownRequest();
// Puts a request in place (not owned); nullptr leaves the refusing one.
void setShutdownRequest(ShutdownRequest* replacement);

// The command that asks this operating system to shut down: on Linux the
// service manager's power-off ("systemctl poweroff"), on Windows its own
// shut-down command ("shutdown /s /t 0").
struct ShutdownCommand {
    QString program;
    QStringList arguments;
    QString text() const; // as typed at a terminal
};
ShutdownCommand systemShutdownCommand();

// Writes the command it would run instead of running it; what the program
// uses when started with EVLORA_SHUTDOWN=print.
class PrintedShutdown final : public ShutdownRequest {
public:
    explicit PrintedShutdown(QTextStream& out) : m_out(out) {}
    bool request() override;

private:
    QTextStream& m_out;
};
