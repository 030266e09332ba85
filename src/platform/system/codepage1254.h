#pragma once

#include <QChar>
#include <QString>

// The Windows Turkish code page (1254), in which the agency's old tables and
// the RTF the program writes hold their text: ASCII below 0x80, Windows
// punctuation in 0x80-0x9F, Latin-1 above with the six Turkish letters
// Ğ İ Ş ğ ı ş in the places of Icelandic ones.
namespace CodePage1254 {

// Text in the code page; the seven bytes it leaves undefined read as U+FFFD.
QString toUnicode(const char* text, qsizetype length);
// The code page's byte for a character, 0 when it has none.
unsigned char byteFor(QChar character);

} // namespace CodePage1254
