#pragma once

#include "platform/paradox/bytes.h"

#include <QByteArray>
#include <QString>

namespace Paradox {

// Where a record's memo or picture lies: the last ten bytes of its field.
struct BlobPointer {
    quint32 offset = 0;       // into the memo file; the low byte picks the entry of a shared block
    quint32 length = 0;       // of the whole memo or picture
    quint16 modification = 0; // the memo file's change counter, not needed for reading
};

// The companion memo file (.mb) of a table: memos and pictures too long for
// their record, kept in 4 KB blocks. A memo has either a block of its own
// (type 2) or a slot in a block shared by small ones (type 3, with an index
// of 64 five-byte entries after a 12-byte head).
class BlobFile {
public:
    // A memo file that is not there: reading from it says so, naming it.
    explicit BlobFile(const QString& fileName = {}) : m_fileName(fileName) {}
    BlobFile(const QString& fileName, Bytes bytes) : m_fileName(fileName), m_bytes(bytes), m_present(true) {}

    bool isPresent() const { return m_present; }
    const QString& fileName() const { return m_fileName; }

    // The bytes the pointer names. Throws Error, with `where` (which record
    // and field) in its message, when the pointer leads outside the file or to
    // a block that does not hold it.
    QByteArray read(const BlobPointer& pointer, const QString& where) const;

private:
    QString m_fileName;
    Bytes m_bytes;
    bool m_present = false;
};

} // namespace Paradox
