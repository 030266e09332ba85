#pragma once

#include <QtGlobal>
#include <cstring>

namespace Paradox {

// A read-only view of a file's bytes. Every read says first whether the bytes
// are there: the reader checks each offset and length it takes from a file
// against the file's real size before it looks.
class Bytes {
public:
    Bytes() = default;
    Bytes(const uchar* data, qint64 size) : m_data(data), m_size(data ? size : 0) {}

    qint64 size() const { return m_size; }
    const uchar* at(qint64 offset) const { return m_data + offset; }

    // True when [offset, offset + length) lies inside the bytes; safe against
    // negative and overflowing values.
    bool holds(qint64 offset, qint64 length) const
    {
        return offset >= 0 && length >= 0 && offset <= m_size && length <= m_size - offset;
    }

    // Little-endian integers of the file's headers; callers check holds() first.
    quint8 u8(qint64 offset) const { return m_data[offset]; }
    quint16 u16(qint64 offset) const { return quint16(m_data[offset] | (m_data[offset + 1] << 8)); }
    qint16 s16(qint64 offset) const { return qint16(u16(offset)); }
    quint32 u32(qint64 offset) const { return quint32(u16(offset)) | (quint32(u16(offset + 2)) << 16); }

private:
    const uchar* m_data = nullptr;
    qint64 m_size = 0;
};

} // namespace Paradox
