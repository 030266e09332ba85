// libFuzzer entry for FuzzChecks::searchCriteria (see checks/fuzzchecks.h).
#include "fuzz/checks/fuzzchecks.h"
#include "fuzz/fuzzapplication.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    FuzzChecks::searchCriteria(QByteArrayView(data, qsizetype(size)));
    return 0;
}
