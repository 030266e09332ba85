// libFuzzer target for the Paradox reader: see fuzzcase.h for the input.
#include "fuzzcase.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ParadoxFuzzing::readCase(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
