#include "fuzz/checks/fuzzchecks.h"

#include "matching/listoutput.h"

#include <QFont>
#include <QStringList>

namespace FuzzChecks {

namespace {

// The Turkish code page for the fallback bytes a reader without Unicode sees.
QChar fromCodePage(unsigned char byte)
{
    static const char16_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0,      0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178,
    };
    switch (byte) {
    case 0xD0: return QChar(u'Ğ');
    case 0xDD: return QChar(u'İ');
    case 0xDE: return QChar(u'Ş');
    case 0xF0: return QChar(u'ğ');
    case 0xFD: return QChar(u'ı');
    case 0xFE: return QChar(u'ş');
    default: break;
    }
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(high[byte - 0x80]);
    return QChar(byte);
}

// A reader of the plain RTF the list is written in: groups, escaped
// characters, \uN with one fallback character, \'hh, \tab and \par; the
// font table is skipped. Returns the paragraphs; when preferUnicode is false
// it reads the fallback characters instead, as a reader of code pages would.
QStringList readRtf(const QByteArray& rtf, bool preferUnicode)
{
    QStringList paragraphs;
    QString current;
    int depth = 0;
    int skipDepth = -1; // inside the font table
    int pendingFallback = 0;
    for (qsizetype i = 0; i < rtf.size();) {
        const char c = rtf.at(i);
        const bool skipping = skipDepth >= 0;
        const auto put = [&](QChar ch) {
            if (skipping)
                return;
            if (pendingFallback > 0) {
                --pendingFallback;
                if (preferUnicode)
                    return;
            }
            current += ch;
        };
        if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            if (depth == skipDepth)
                skipDepth = -1;
            --depth;
            ++i;
        } else if (c == '\n' || c == '\r') {
            ++i;
        } else if (c != '\\') {
            put(QChar(uchar(c)));
            ++i;
        } else if (i + 1 < rtf.size() && (rtf.at(i + 1) == '\\' || rtf.at(i + 1) == '{' || rtf.at(i + 1) == '}')) {
            put(QChar(uchar(rtf.at(i + 1))));
            i += 2;
        } else if (i + 3 < rtf.size() && rtf.at(i + 1) == '\'') {
            put(fromCodePage(uchar(rtf.mid(i + 2, 2).toUInt(nullptr, 16))));
            i += 4;
        } else {
            qsizetype j = i + 1;
            while (j < rtf.size() && std::isalpha(uchar(rtf.at(j))))
                ++j;
            const QByteArray word = rtf.mid(i + 1, j - i - 1);
            qsizetype k = j;
            if (k < rtf.size() && rtf.at(k) == '-')
                ++k;
            while (k < rtf.size() && std::isdigit(uchar(rtf.at(k))))
                ++k;
            const QByteArray number = rtf.mid(j, k - j);
            if (k < rtf.size() && rtf.at(k) == ' ')
                ++k; // the delimiting space belongs to the word
            i = k;
            if (word == "fonttbl")
                skipDepth = depth;
            if (skipping)
                continue;
            if (word == "par") {
                paragraphs << current;
                current.clear();
            } else if (word == "tab") {
                put(QChar(u'\t'));
            } else if (word == "u") {
                const char16_t unit = char16_t(qint16(number.toInt()));
                if (preferUnicode)
                    current += QChar(unit);
                pendingFallback = 1;
            }
        }
    }
    if (depth != 0)
        qFatal("unbalanced groups in the RTF");
    return paragraphs;
}

} // namespace

void rtfRoundTrip(QByteArrayView bytes)
{
    // The bytes as UTF-16 text, lines split at line feeds, as the list is.
    QString text(reinterpret_cast<const QChar*>(bytes.data()), bytes.size() / 2);
    const QStringList lines = text.split(QChar(u'\n'));
    const QByteArray rtf = ListOutput::rtfDocument(lines, QFont(QStringLiteral("Courier New"), 10));
    for (const char byte : rtf)
        if (uchar(byte) >= 0x80)
            qFatal("a byte beyond ASCII in the RTF");

    QStringList expected;
    for (const QString& line : lines) {
        QString kept;
        for (const QChar c : line)
            if (c.unicode() >= 0x20 || c == QChar(u'\t'))
                kept += c;
        expected << kept;
    }
    const QStringList read = readRtf(rtf, true);
    if (read != expected)
        qFatal("the RTF reads back differently (%lld lines written, %lld read)", qlonglong(expected.size()),
               qlonglong(read.size()));
    // A reader of the Turkish code page sees every Turkish letter as itself.
    const QStringList fallback = readRtf(rtf, false);
    static const QString turkish = QStringLiteral("çğıöşüÇĞİÖŞÜ");
    for (qsizetype line = 0; line < expected.size(); ++line)
        for (qsizetype at = 0; at < expected.at(line).size(); ++at) {
            const QChar c = expected.at(line).at(at);
            const QString seen = fallback.value(line);
            if (turkish.contains(c) && (at >= seen.size() || seen.at(at) != c))
                qFatal("'%s' falls back to something else", qPrintable(QString(c)));
        }
}

} // namespace FuzzChecks
