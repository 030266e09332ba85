#include "platform/paradox/blobfile.h"

#include "platform/paradox/paradoxerror.h"

namespace Paradox {

namespace {

constexpr quint8 OwnBlock = 2;      // one memo in a run of blocks
constexpr quint8 SharedBlock = 3;   // up to 64 small memos in one block
constexpr quint8 WholeBlockIndex = 0xFF;
constexpr qint64 OwnBlockHead = 9;  // type, 4 KB chunks, length, change counter
constexpr qint64 SharedIndexStart = 12;
constexpr int SharedEntries = 64;
constexpr qint64 SharedEntrySize = 5;
constexpr qint64 SharedBlockSize = 4096;

} // namespace

QByteArray BlobFile::read(const BlobPointer& pointer, const QString& where) const
{
    const auto damaged = [&](const QString& why) {
        return Error(QStringLiteral("'%1' okunamadı: %2 %3.").arg(m_fileName, where, why));
    };
    if (!isPresent())
        throw Error(QStringLiteral("%1 not dosyasında duruyor, ama '%2' bulunamadı.").arg(where, m_fileName));

    const qint64 block = pointer.offset & ~quint32(0xFF);
    const quint8 index = pointer.offset & 0xFF;
    if (!m_bytes.holds(block, SharedIndexStart))
        throw damaged(QStringLiteral("dosyanın dışını gösteriyor (dosya kesik ya da bozuk)"));
    const quint8 type = m_bytes.u8(block);

    qint64 start = 0;
    if (index == WholeBlockIndex) {
        if (type != OwnBlock)
            throw damaged(QStringLiteral("bir not bloğunu göstermiyor"));
        if (m_bytes.u32(block + 3) != pointer.length)
            throw damaged(QStringLiteral("için not dosyasındaki uzunluk kayıttakiyle tutmuyor"));
        start = block + OwnBlockHead;
    } else {
        if (type != SharedBlock || index >= SharedEntries)
            throw damaged(QStringLiteral("bir not bloğunu göstermiyor"));
        const qint64 entry = block + SharedIndexStart + index * SharedEntrySize;
        if (!m_bytes.holds(entry, SharedEntrySize))
            throw damaged(QStringLiteral("dosyanın dışını gösteriyor (dosya kesik ya da bozuk)"));
        const qint64 dataOffset = qint64(m_bytes.u8(entry)) * 16;
        const qint64 room = qint64(m_bytes.u8(entry + 1)) * 16;
        if (dataOffset < SharedIndexStart + SharedEntries * SharedEntrySize || pointer.length > room
            || dataOffset + pointer.length > SharedBlockSize)
            throw damaged(QStringLiteral("için not bloğundaki yer kayıttakiyle tutmuyor"));
        start = block + dataOffset;
    }
    if (!m_bytes.holds(start, pointer.length))
        throw damaged(QStringLiteral("dosyanın sonundan taşıyor (dosya kesik ya da bozuk)"));
    return QByteArray(reinterpret_cast<const char*>(m_bytes.at(start)), qsizetype(pointer.length));
}

} // namespace Paradox
