#pragma once

#include <QString>

namespace Paradox {

// Text of the tables is in the Windows Turkish code page (1254): ASCII below
// 0x80, Windows punctuation in 0x80-0x9F, Latin-1 above with the six Turkish
// letters Ğ İ Ş ğ ı ş in the places of Icelandic ones.
QString fromCodePage1254(const char* text, qsizetype length);

} // namespace Paradox
