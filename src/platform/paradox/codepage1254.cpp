#include "platform/paradox/codepage1254.h"

namespace Paradox {

namespace {

// 0x80-0x9F; 0 marks the five places the code page leaves undefined, which
// are read as the replacement character.
constexpr char16_t Windows[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0,      0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178,
};

char16_t character(uchar byte)
{
    if (byte < 0x80)
        return byte;
    if (byte < 0xA0) {
        const char16_t mapped = Windows[byte - 0x80];
        return mapped ? mapped : char16_t(0xFFFD);
    }
    switch (byte) {
    case 0xD0: return 0x011E; // Ğ
    case 0xDD: return 0x0130; // İ
    case 0xDE: return 0x015E; // Ş
    case 0xF0: return 0x011F; // ğ
    case 0xFD: return 0x0131; // ı
    case 0xFE: return 0x015F; // ş
    default: return byte;     // the rest of 0xA0-0xFF is Latin-1
    }
}

} // namespace

QString fromCodePage1254(const char* text, qsizetype length)
{
    QString result(length, Qt::Uninitialized);
    QChar* out = result.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(character(uchar(text[i])));
    return result;
}

} // namespace Paradox
