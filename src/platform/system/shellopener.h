#pragma once

#include <QUrl>

// Opens an address with the desktop's default handler (a web page in the default
// browser). Fire and forget: the program neither waits nor looks at the result.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    virtual void open(const QUrl& url) = 0;
};

ShellOpener& shellOpener();
// Puts a replacement in place (not owned); nullptr restores the real opener.
void setShellOpener(ShellOpener* replacement);
