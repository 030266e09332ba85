// The libFuzzer entry, built once per check: EVLORA_FUZZ_CHECK names the
// FuzzChecks function the target drives (see checks/fuzzchecks.h).
#include "fuzz/checks/fuzzchecks.h"
#include "platform/system/localeformats.h"

#include <QApplication>
#include <cstdlib>

// Fontconfig keeps its first font set for the life of the process; that is
// no leak of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The checks run inside a Qt application, offscreen, with the program's
    // Turkish formats, as the program and its tests do.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: at exit it would outlive the Qt globals its clean-up
    // reaches for (the checks' own statics end first).
    static QApplication* app = new QApplication(*argc, *argv);
    Q_UNUSED(app);
    LocaleFormats::useTurkish();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    FuzzChecks::EVLORA_FUZZ_CHECK(QByteArrayView(data, qsizetype(size)));
    return 0;
}
