#include "platform/paradox/paradoxtable.h"

#include "platform/system/codepage1254.h"
#include "platform/paradox/paradoxerror.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <vector>

namespace Paradox {

namespace {

// Header positions (little-endian).
constexpr qint64 RecordSizeAt = 0x00;
constexpr qint64 HeaderSizeAt = 0x02;
constexpr qint64 FileTypeAt = 0x04;
constexpr qint64 BlockSizeCodeAt = 0x05;
constexpr qint64 RecordCountAt = 0x06;
constexpr qint64 FirstBlockAt = 0x0E;
constexpr qint64 FieldCountAt = 0x21;
constexpr qint64 VersionAt = 0x39;
constexpr qint64 FieldsAt = 0x58;         // before version 4.0
constexpr qint64 FieldsAtExtended = 0x78; // 4.0 and later, after the extended header
constexpr quint8 FirstExtendedVersion = 5;
constexpr quint8 FirstLongNameVersion = 12; // 7.0 keeps the table name in 261 bytes, not 79
constexpr quint8 KeyedTable = 0;
constexpr quint8 UnkeyedTable = 2;
constexpr qint64 BlockHead = 6; // next block, previous block, bytes used less one record
constexpr int BlobPointerSize = 10;
constexpr int BcdSize = 17;
constexpr quint8 GraphicHeader[4] = {0x01, 0x00, 0x00, 0x01}; // one picture, of the bitmap kind
constexpr qint64 MillisecondsPerDay = 86'400'000;
constexpr qint64 LastDay = 3'652'059; // 31.12.9999, counting 01.01.0001 as day 1

bool allZero(const uchar* data, int size)
{
    for (int i = 0; i < size; ++i)
        if (data[i])
            return false;
    return true;
}

// Numbers are stored big-endian with the sign bit flipped, so that their
// bytes sort as the numbers do; a negative double has every bit inverted.
qint64 flippedInteger(const uchar* data, int size)
{
    quint64 bits = 0;
    for (int i = 0; i < size; ++i)
        bits = (bits << 8) | data[i];
    const quint64 sign = quint64(1) << (size * 8 - 1);
    bits ^= sign;
    return (bits & sign) ? qint64(bits | ~(sign | (sign - 1))) : qint64(bits); // extend the sign
}

double flippedDouble(const uchar* data)
{
    uchar bytes[8];
    std::memcpy(bytes, data, 8);
    if (bytes[0] & 0x80) {
        bytes[0] &= 0x7F;
    } else {
        for (uchar& byte : bytes)
            byte = uchar(~byte);
    }
    const quint64 bits = qFromBigEndian<quint64>(bytes);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QDate dateFromDay(qint64 day)
{
    return day >= 1 && day <= LastDay ? QDate(1, 1, 1).addDays(day - 1) : QDate();
}

// Binary-coded decimal: a head byte with the sign (high bit set when
// positive) and the count of decimals in its low six bits, then 32 digits,
// one per half byte, inverted when the number is negative.
QString bcdText(const uchar* data)
{
    const bool negative = !(data[0] & 0x80);
    const int decimals = std::min(int(data[0] & 0x3F), 32);
    QString digits;
    for (int i = 1; i < BcdSize; ++i) {
        const uchar byte = negative ? uchar(~data[i]) : data[i];
        for (int half : {byte >> 4, byte & 0x0F})
            digits += QChar(half <= 9 ? char16_t(u'0' + half) : u'?');
    }
    QString whole = digits.left(32 - decimals);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    QString text = whole.isEmpty() ? QStringLiteral("0") : whole;
    if (decimals > 0)
        text += QLatin1Char('.') + digits.right(decimals);
    return negative ? QLatin1Char('-') + text : text;
}

int storedSize(const Field& field)
{
    return field.type() == FieldType::Bcd ? BcdSize : field.size; // a BCD field's size byte is its decimals
}

// Whether the size byte suits the type; a type we do not know is skipped by its size.
bool sizeFits(const Field& field)
{
    switch (field.type()) {
    case FieldType::Alpha:
    case FieldType::Bytes: return field.size >= 1;
    case FieldType::Date:
    case FieldType::Long:
    case FieldType::Time:
    case FieldType::AutoIncrement: return field.size == 4;
    case FieldType::Short: return field.size == 2;
    case FieldType::Currency:
    case FieldType::Number:
    case FieldType::Timestamp: return field.size == 8;
    case FieldType::Logical: return field.size == 1;
    case FieldType::Bcd: return field.size <= 32;
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::Ole:
    case FieldType::Graphic: return field.size >= BlobPointerSize;
    }
    return field.size >= 1; // a type we do not know: skipped by its size
}

QString findBeside(const QString& path, const QString& suffix)
{
    const QFileInfo info(path);
    const QString wanted = info.completeBaseName() + suffix;
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files))
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    return {};
}

} // namespace

bool Field::isKnownType() const
{
    switch (type()) {
    case FieldType::Alpha:
    case FieldType::Date:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Currency:
    case FieldType::Number:
    case FieldType::Logical:
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
    case FieldType::Time:
    case FieldType::Timestamp:
    case FieldType::AutoIncrement:
    case FieldType::Bcd:
    case FieldType::Bytes: return true;
    }
    return false;
}

QString Field::typeName() const
{
    switch (type()) {
    case FieldType::Alpha: return QStringLiteral("yazı");
    case FieldType::Date: return QStringLiteral("tarih");
    case FieldType::Short: return QStringLiteral("kısa tamsayı");
    case FieldType::Long: return QStringLiteral("tamsayı");
    case FieldType::Currency: return QStringLiteral("para");
    case FieldType::Number: return QStringLiteral("sayı");
    case FieldType::Logical: return QStringLiteral("evet/hayır");
    case FieldType::Memo: return QStringLiteral("not");
    case FieldType::Blob: return QStringLiteral("ikili veri");
    case FieldType::FormattedMemo: return QStringLiteral("biçimli not");
    case FieldType::Ole: return QStringLiteral("OLE nesnesi");
    case FieldType::Graphic: return QStringLiteral("resim");
    case FieldType::Time: return QStringLiteral("saat");
    case FieldType::Timestamp: return QStringLiteral("tarih ve saat");
    case FieldType::AutoIncrement: return QStringLiteral("otomatik numara");
    case FieldType::Bcd: return QStringLiteral("ondalık sayı (BCD)");
    case FieldType::Bytes: return QStringLiteral("bayt dizisi");
    }
    return QStringLiteral("bilinmeyen tür 0x%1").arg(typeCode, 2, 16, QLatin1Char('0'));
}

Table::~Table() = default;

std::unique_ptr<Table> Table::open(const QString& path)
{
    std::unique_ptr<Table> table(new Table);
    table->m_fileName = QFileInfo(path).fileName();
    table->m_file = std::make_unique<QFile>(path);
    if (!table->m_file->open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("'%1' açılamadı: %2.").arg(table->m_fileName, table->m_file->errorString()));
    const qint64 size = table->m_file->size();
    const uchar* mapped = size > 0 ? table->m_file->map(0, size) : nullptr;
    if (size > 0 && !mapped)
        throw Error(QStringLiteral("'%1' okunamadı: %2.").arg(table->m_fileName, table->m_file->errorString()));
    table->m_bytes = Bytes(mapped, size);
    table->parseHeader();

    const QString memoPath = findBeside(path, QStringLiteral(".mb"));
    if (memoPath.isEmpty()) {
        table->m_memos = BlobFile(QFileInfo(path).completeBaseName() + QStringLiteral(".mb"));
        return table;
    }
    const QString memoName = QFileInfo(memoPath).fileName();
    table->m_memoFile = std::make_unique<QFile>(memoPath);
    if (!table->m_memoFile->open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("'%1' açılamadı: %2.").arg(memoName, table->m_memoFile->errorString()));
    const qint64 memoSize = table->m_memoFile->size();
    const uchar* memos = memoSize > 0 ? table->m_memoFile->map(0, memoSize) : nullptr;
    if (memoSize > 0 && !memos)
        throw Error(QStringLiteral("'%1' okunamadı: %2.").arg(memoName, table->m_memoFile->errorString()));
    table->m_memos = BlobFile(memoName, Bytes(memos, memoSize));
    return table;
}

std::unique_ptr<Table> Table::fromBytes(const QByteArray& bytes, const QString& tableName, const QByteArray& memos,
                                        const QString& memoName)
{
    std::unique_ptr<Table> table(new Table);
    table->m_fileName = tableName;
    table->m_ownBytes = bytes;
    table->m_ownMemos = memos;
    table->m_bytes = Bytes(reinterpret_cast<const uchar*>(table->m_ownBytes.constData()), table->m_ownBytes.size());
    table->parseHeader();
    table->m_memos = memoName.isEmpty()
        ? BlobFile(QFileInfo(tableName).completeBaseName() + QStringLiteral(".mb"))
        : BlobFile(memoName, Bytes(reinterpret_cast<const uchar*>(table->m_ownMemos.constData()),
                                   table->m_ownMemos.size()));
    return table;
}

Error Table::damaged(const QString& why) const
{
    return Error(QStringLiteral("'%1' okunamadı: %2.").arg(m_fileName, why));
}

void Table::parseHeader()
{
    const auto notATable = [this](const QString& why) {
        return Error(QStringLiteral("'%1' bir Paradox tablosu değil ya da başlığı bozuk (%2).").arg(m_fileName, why));
    };
    const Bytes& b = m_bytes;
    if (!b.holds(0, FieldsAt))
        throw notATable(QStringLiteral("dosya %1 bayt, başlık için bile kısa").arg(b.size()));

    m_recordSize = b.u16(RecordSizeAt);
    m_headerSize = b.u16(HeaderSizeAt);
    const quint8 fileType = b.u8(FileTypeAt);
    const quint8 blockCode = b.u8(BlockSizeCodeAt);
    m_recordCount = b.u32(RecordCountAt);
    m_firstBlock = b.u16(FirstBlockAt);
    const int fieldCount = b.s16(FieldCountAt);
    const quint8 version = b.u8(VersionAt);

    if (fileType != KeyedTable && fileType != UnkeyedTable)
        throw notATable(QStringLiteral("dosya türü %1; bu bir veri tablosu değil").arg(fileType));
    if (blockCode != 1 && blockCode != 2 && blockCode != 3 && blockCode != 4 && blockCode != 8 && blockCode != 16
        && blockCode != 32)
        throw notATable(QStringLiteral("blok boyu kodu %1 tanınmıyor").arg(blockCode));
    m_blockSize = qint64(blockCode) * 1024;
    if (m_recordSize < 1 || m_recordSize > m_blockSize - BlockHead)
        throw notATable(QStringLiteral("kayıt boyu %1 bayt").arg(m_recordSize));
    if (fieldCount < 1 || fieldCount > 255)
        throw notATable(QStringLiteral("alan sayısı %1").arg(fieldCount));
    if (!b.holds(0, m_headerSize))
        throw notATable(QStringLiteral("başlık %1 bayt diyor, dosya %2 bayt").arg(m_headerSize).arg(b.size()));

    const bool extended = version >= FirstExtendedVersion;
    const qint64 fieldsAt = extended ? FieldsAtExtended : FieldsAt;
    if (m_headerSize < fieldsAt)
        throw notATable(QStringLiteral("başlık %1 bayt, alan tanımlarına yetmiyor").arg(m_headerSize));
    const qint64 tableNameSize = version >= FirstLongNameVersion ? 261 : 79;
    // Field types and sizes, the table name's and the field names' pointers
    // (meaningless on disk), the table name, then the field names one after
    // another, each ending in a zero byte.
    qint64 at = fieldsAt + fieldCount * 2 + 4 + fieldCount * 4 + tableNameSize;
    if (at > m_headerSize)
        throw notATable(QStringLiteral("alan tanımları başlığa sığmıyor"));

    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        Field field;
        field.typeCode = b.u8(fieldsAt + i * 2);
        field.size = b.u8(fieldsAt + i * 2 + 1);
        const auto* name = reinterpret_cast<const char*>(b.at(at));
        const auto* end = static_cast<const char*>(std::memchr(name, 0, size_t(m_headerSize - at)));
        if (!end)
            throw notATable(QStringLiteral("%1. alanın adı başlıkta bitmiyor").arg(i + 1));
        field.name = CodePage1254::toUnicode(name, end - name);
        at += (end - name) + 1;
        if (field.name.isEmpty())
            throw notATable(QStringLiteral("%1. alanın adı yok").arg(i + 1));
        if (!sizeFits(field))
            throw notATable(QStringLiteral("'%1' alanı %2 türünde, %3 bayt").arg(field.name, field.typeName())
                                .arg(field.size));
        field.offset = offset;
        offset += storedSize(field);
        m_fields << field;
    }
    if (offset != m_recordSize)
        throw notATable(QStringLiteral("alanlar %1 bayt tutuyor, kayıt boyu %2").arg(offset).arg(m_recordSize));
}

QString Table::where(qint64 recordNumber, const Field& field) const
{
    return QStringLiteral("'%1' tablosunun %2. kaydındaki '%3' alanı").arg(m_fileName).arg(recordNumber).arg(field.name);
}

void Table::read(const std::function<void(qint64, const QVariantList&)>& row) const
{
    const Bytes& b = m_bytes;
    const qint64 blocksInFile = (b.size() - m_headerSize + m_blockSize - 1) / m_blockSize;
    std::vector<bool> visited(size_t(std::max<qint64>(blocksInFile, 0)) + 1, false);
    qint64 recordNumber = 0;
    QVariantList values;
    values.reserve(m_fields.size());

    for (int block = m_firstBlock; block != 0;) {
        const qint64 start = m_headerSize + qint64(block - 1) * m_blockSize;
        if (block > blocksInFile || !b.holds(start, BlockHead)) {
            if (recordNumber == m_recordCount)
                break; // an empty table may name a first block it never wrote
            throw damaged(QStringLiteral("%1. kayıt ve sonrası dosyada yok (dosya kesik ya da bozuk)").arg(recordNumber + 1));
        }
        if (visited[size_t(block)])
            throw damaged(QStringLiteral("%1. kayıttan başlayarak veri blokları kendi üzerine dönüyor").arg(recordNumber + 1));
        visited[size_t(block)] = true;

        const int next = b.u16(start);
        const int used = b.s16(start + 4); // bytes in use less one record; negative when the block is empty
        if (used >= 0 && used % m_recordSize != 0)
            throw damaged(QStringLiteral("%1. kayıtla başlayan veri bloğunun doluluğu kayıt boyunu tutmuyor")
                              .arg(recordNumber + 1));
        const qint64 records = used >= 0 ? used / m_recordSize + 1 : 0;
        const qint64 length = records * m_recordSize;
        if (BlockHead + length > m_blockSize)
            throw damaged(QStringLiteral("%1. kayıtla başlayan veri bloğu kendi boyundan fazla kayıt gösteriyor")
                              .arg(recordNumber + 1));
        if (!b.holds(start + BlockHead, length))
            throw damaged(QStringLiteral("%1. kayıt dosyanın sonundan taşıyor (dosya kesik)").arg(recordNumber + 1));

        for (qint64 r = 0; r < records; ++r) {
            ++recordNumber;
            const uchar* data = b.at(start + BlockHead + r * m_recordSize);
            values.clear();
            for (const Field& field : m_fields)
                values << value(field, data + field.offset, recordNumber);
            row(recordNumber, values);
        }
        block = next;
    }
    if (recordNumber != m_recordCount)
        throw damaged(QStringLiteral("başlığı %1 kayıt diyor, veri bloklarında %2 kayıt var (dosya kesik ya da bozuk)")
                          .arg(m_recordCount)
                          .arg(recordNumber));
}

QVariant Table::value(const Field& field, const uchar* data, qint64 recordNumber) const
{
    const int size = storedSize(field);
    if (field.type() != FieldType::Bytes && allZero(data, size))
        return {};
    const auto badValue = [&](const QString& what) {
        return Error(QStringLiteral("'%1' okunamadı: %2 %3.").arg(m_fileName, where(recordNumber, field), what));
    };

    switch (field.type()) {
    case FieldType::Alpha: {
        const auto* text = reinterpret_cast<const char*>(data);
        const auto* end = static_cast<const char*>(std::memchr(text, 0, size_t(size)));
        const qsizetype length = end ? end - text : size;
        return length ? QVariant(CodePage1254::toUnicode(text, length)) : QVariant();
    }
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoIncrement: return qlonglong(flippedInteger(data, size));
    case FieldType::Currency:
    case FieldType::Number: return flippedDouble(data);
    case FieldType::Logical: return bool(data[0] & 0x7F);
    case FieldType::Date: {
        const QDate date = dateFromDay(flippedInteger(data, 4));
        if (!date.isValid())
            throw badValue(QStringLiteral("geçerli bir tarih değil"));
        return date;
    }
    case FieldType::Time: {
        const qint64 milliseconds = flippedInteger(data, 4);
        if (milliseconds < 0 || milliseconds >= MillisecondsPerDay)
            throw badValue(QStringLiteral("geçerli bir saat değil"));
        return QTime::fromMSecsSinceStartOfDay(int(milliseconds));
    }
    case FieldType::Timestamp: {
        const double milliseconds = flippedDouble(data);
        if (!std::isfinite(milliseconds) || milliseconds < MillisecondsPerDay
            || milliseconds >= double(LastDay + 1) * MillisecondsPerDay)
            throw badValue(QStringLiteral("geçerli bir tarih ve saat değil"));
        const auto whole = qint64(milliseconds);
        const QDate date = dateFromDay(whole / MillisecondsPerDay);
        return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(whole % MillisecondsPerDay)));
    }
    case FieldType::Bcd: return bcdText(data);
    case FieldType::Bytes: return QByteArray(reinterpret_cast<const char*>(data), size);
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::Ole:
    case FieldType::Graphic: break;
    default: return {}; // a type we do not know; the caller reports the field
    }

    // A memo or picture: its first bytes in the record, then where all of it lies.
    const int leader = size - BlobPointerSize;
    const uchar* tail = data + leader;
    BlobPointer pointer;
    pointer.offset = qFromLittleEndian<quint32>(tail);
    pointer.length = qFromLittleEndian<quint32>(tail + 4);
    pointer.modification = qFromLittleEndian<quint16>(tail + 8);
    if (pointer.length == 0)
        return {};
    QByteArray bytes;
    if (pointer.offset == 0) { // short enough to live in the record alone
        if (pointer.length > quint32(leader))
            throw badValue(QStringLiteral("kayda sığmayan bir uzunluk gösteriyor"));
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(pointer.length));
    } else {
        bytes = m_memos.read(pointer, where(recordNumber, field));
    }

    if (field.type() == FieldType::Memo) {
        qsizetype length = bytes.size();
        while (length > 0 && bytes.at(length - 1) == '\0')
            --length;
        return length ? QVariant(CodePage1254::toUnicode(bytes.constData(), length)) : QVariant();
    }
    // A picture may begin with a small head of its own (one picture, of the
    // bitmap kind, and its length): the picture is what follows.
    if (field.type() == FieldType::Graphic && bytes.size() >= 8
        && std::memcmp(bytes.constData(), GraphicHeader, sizeof GraphicHeader) == 0
        && qFromLittleEndian<quint32>(bytes.constData() + 4) == quint32(bytes.size() - 8))
        bytes.remove(0, 8);
    return bytes;
}

} // namespace Paradox
