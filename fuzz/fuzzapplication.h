#pragma once

#include "platform/system/localeformats.h"

#include <QApplication>
#include <cstdlib>

// The checks run inside a Qt application, offscreen, with the program's
// Turkish formats, as the program and its tests do.
inline void startFuzzApplication(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(*argc, *argv);
    LocaleFormats::useTurkish();
}
