#include "platform/system/codepage1254.h"

namespace CodePage1254 {

namespace {

// 0x80-0x9F; 0 marks the seven places the code page leaves undefined.
constexpr char16_t Windows[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0,      0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178,
};

// The six Turkish letters and the Latin-1 bytes whose places they take.
struct TurkishPlace {
    unsigned char byte;
    char16_t letter;
};
constexpr TurkishPlace Turkish[6] = {{0xD0, 0x011E}, {0xDD, 0x0130}, {0xDE, 0x015E},
                                     {0xF0, 0x011F}, {0xFD, 0x0131}, {0xFE, 0x015F}};

char16_t character(uchar byte)
{
    if (byte < 0x80)
        return byte;
    if (byte < 0xA0) {
        const char16_t mapped = Windows[byte - 0x80];
        return mapped ? mapped : char16_t(0xFFFD);
    }
    for (const TurkishPlace& place : Turkish)
        if (place.byte == byte)
            return place.letter;
    return byte; // the rest of 0xA0-0xFF is Latin-1
}

} // namespace

QString toUnicode(const char* text, qsizetype length)
{
    QString result(length, Qt::Uninitialized);
    QChar* out = result.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(character(uchar(text[i])));
    return result;
}

unsigned char byteFor(QChar character)
{
    const char16_t c = character.unicode();
    if (c < 0x80)
        return static_cast<unsigned char>(c);
    for (const TurkishPlace& place : Turkish) {
        if (place.letter == c)
            return place.byte;
        if (place.byte == c)
            return 0; // the Latin-1 letters whose places the Turkish ones take
    }
    if (c >= 0xA0 && c <= 0xFF)
        return static_cast<unsigned char>(c);
    for (int i = 0; i < 32; ++i)
        if (Windows[i] == c && c != 0)
            return static_cast<unsigned char>(0x80 + i);
    return 0;
}

} // namespace CodePage1254
