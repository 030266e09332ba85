#include "platform/spreadsheet/workbookcheck.h"

#include <QXmlStreamReader>
#include <zlib.h>

namespace spreadsheet {

namespace {

quint32 read32(const QByteArray& bytes, qsizetype at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData() + at);
    return quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
}

quint16 read16(const QByteArray& bytes, qsizetype at)
{
    if (at < 0 || at + 2 > bytes.size())
        return 0;
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData() + at);
    return quint16(b[0] | b[1] << 8);
}

constexpr quint32 EndSignature = 0x06054b50;
constexpr quint32 EntrySignature = 0x02014b50;
constexpr quint32 LocalSignature = 0x04034b50;

bool inflated(const QByteArray& zip, qsizetype at, quint32 packed, quint32 size, QByteArray& out)
{
    if (at < 0 || at + qsizetype(packed) > zip.size())
        return false;
    out.resize(size);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.constData() + at));
    stream.avail_in = packed;
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = size;
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == size;
    inflateEnd(&stream);
    return whole;
}

// The number of the last row of a sheet's XML, 0 for none; -1 when the XML
// is not well-formed to its end.
int lastRowOf(const QByteArray& xml, bool isSheet)
{
    QXmlStreamReader reader(xml);
    int last = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (isSheet && reader.isStartElement() && reader.name() == u"row")
            last = reader.attributes().value(QLatin1String("r")).toInt();
    }
    return reader.hasError() ? -1 : last;
}

} // namespace

QString checkWorkbook(const QByteArray& zip, int lastRow)
{
    const QString broken = QStringLiteral("çalışma kitabı eksik yazıldı (%1); disk dolmuş olabilir.");
    qsizetype end = zip.size() - 22;
    while (end >= 0 && read32(zip, end) != EndSignature)
        --end;
    if (end < 0)
        return broken.arg(QStringLiteral("dizin yok"));
    const int entries = read16(zip, end + 10);
    qsizetype at = read32(zip, end + 16);
    bool sheetSeen = false;
    for (int i = 0; i < entries; ++i) {
        if (read32(zip, at) != EntrySignature)
            return broken.arg(QStringLiteral("dizin bozuk"));
        const quint16 method = read16(zip, at + 10);
        const quint32 crc = read32(zip, at + 16);
        const quint32 packed = read32(zip, at + 20);
        const quint32 size = read32(zip, at + 24);
        const quint16 nameLength = read16(zip, at + 28);
        const qsizetype next = at + 46 + nameLength + read16(zip, at + 30) + read16(zip, at + 32);
        const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
        const qsizetype local = read32(zip, at + 42);
        at = next;
        if (read32(zip, local) != LocalSignature)
            return broken.arg(name);
        const qsizetype data = local + 30 + read16(zip, local + 26) + read16(zip, local + 28);
        QByteArray content;
        if (method == 0 && packed == size && data + size <= zip.size())
            content = zip.mid(data, size);
        else if (method != Z_DEFLATED || !inflated(zip, data, packed, size, content))
            return broken.arg(name);
        if (crc32(0, reinterpret_cast<const Bytef*>(content.constData()), uInt(content.size())) != crc)
            return broken.arg(name);
        if (!name.endsWith(QLatin1String(".xml")) && !name.endsWith(QLatin1String(".rels")))
            continue;
        const bool isSheet = name == QLatin1String("xl/worksheets/sheet1.xml");
        const int last = lastRowOf(content, isSheet);
        if (last < 0 || (isSheet && last != lastRow))
            return broken.arg(name);
        sheetSeen = sheetSeen || isSheet;
    }
    return sheetSeen ? QString() : broken.arg(QStringLiteral("sayfa yok"));
}

} // namespace spreadsheet
