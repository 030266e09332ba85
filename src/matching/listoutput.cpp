#include "matching/listoutput.h"

#include "matching/matchrules.h"
#include "platform/system/codepage1254.h"
#include "platform/system/safefilewriter.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

namespace ListOutput {

namespace {

void appendHex(QByteArray& out, unsigned char byte)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

void appendText(QByteArray& out, const QString& text)
{
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c >= 0x20 && c < 0x80) {
            out += char(c);
        } else if (c >= 0x80) {
            // A signed 16-bit value, as RTF writes it; one fallback character follows (\uc1).
            out += "\\u";
            out += QByteArray::number(int(static_cast<qint16>(c)));
            const unsigned char fallback = CodePage1254::byteFor(qc);
            if (fallback)
                appendHex(out, fallback);
            else
                out += '?';
        }
        // Other control characters have no place inside a line.
    }
}

int halfPoints(const QFont& font)
{
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
    return qMax(2, qRound(points * 2));
}

} // namespace

QByteArray rtfDocument(const QStringList& lines, const QFont& font)
{
    QByteArray out;
    qsizetype size = 200;
    for (const QString& line : lines)
        size += line.size() + 6;
    out.reserve(size);
    out += "{\\rtf1\\ansi\\ansicpg1254\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset162 ";
    appendText(out, font.family());
    out += ";}}\n\\pard\\plain\\f0\\fs";
    out += QByteArray::number(halfPoints(font));
    if (font.bold())
        out += "\\b";
    if (font.italic())
        out += "\\i";
    out += ' ';
    for (const QString& line : lines) {
        appendText(out, line);
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

QString saveRtf(const QString& path, const QStringList& lines, const QFont& font)
{
    return writeFileSafely(path, rtfDocument(lines, font));
}

int printLines(QPagedPaintDevice& device, const QStringList& lines, const QFont& font)
{
    QPainter painter(&device);
    if (!painter.isActive())
        return -1;
    if (lines.isEmpty())
        return 0;
    painter.setFont(font);
    const QFontMetrics metrics(painter.font(), &device);
    const int lineHeight = qAbs(metrics.height());
    const int pageHeight = device.height();
    int pages = 1;
    int y = 0;
    for (const QString& line : lines) {
        // A line that would run past the page's foot goes to the next page whole.
        if (y > 0 && y + lineHeight > pageHeight) {
            device.newPage();
            ++pages;
            y = 0;
        }
        painter.drawText(LeftEdge, y + metrics.ascent(), line);
        y += lineHeight;
    }
    painter.end();
    return pages;
}

spreadsheet::Sheet sheet()
{
    using spreadsheet::Kind;
    return {QStringLiteral("Karşılaştırma Listesi"),
            {{QStringLiteral("İsim")},
             {QStringLiteral("Telefon")},
             {QStringLiteral("Semt Adı")},
             {QStringLiteral("Metre2"), Kind::Number},
             // The list writes prices without their currency: plain numbers here too.
             {QStringLiteral("Fiyatı"), Kind::Number},
             {QStringLiteral("Emlak")},
             {QStringLiteral("Not")}}};
}

QVector<QStringList> sheetRows(const QStringList& lines)
{
    QVector<QStringList> rows;
    Matching::RequestLineFields request;
    bool requestWithoutRow = false;
    const auto endRequest = [&] {
        if (requestWithoutRow)
            rows.append({request.name, request.phone});
        requestWithoutRow = false;
    };
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        if (const std::optional<Matching::RequestLineFields> read = Matching::readRequestLine(line)) {
            endRequest();
            request = *read;
            requestWithoutRow = true;
        } else if (const std::optional<Matching::ListingLineFields> listing = Matching::readListingLine(line)) {
            rows.append({request.name, request.phone, listing->district, listing->area, listing->price, listing->kind});
            requestWithoutRow = false;
        } else {
            rows.append({request.name, request.phone, {}, {}, {}, {}, line.trimmed()});
            requestWithoutRow = false;
        }
    }
    endRequest();
    return rows;
}

} // namespace ListOutput
