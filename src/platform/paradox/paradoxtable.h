#pragma once

#include "platform/paradox/blobfile.h"
#include "platform/paradox/bytes.h"
#include "platform/paradox/paradoxerror.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

namespace Paradox {

// Field types as the table's header numbers them.
enum class FieldType : quint8 {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    FormattedMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoIncrement = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

struct Field {
    QString name;
    quint8 typeCode = 0;
    int size = 0;   // bytes in the record
    int offset = 0; // of its bytes in the record

    FieldType type() const { return FieldType(typeCode); }
    bool isKnownType() const;
    QString typeName() const; // in Turkish, for reports
};

// A Paradox table (.db) with its memo file (.mb), read record by record.
//
// Values come as: QString (alpha, memo: code page 1254 decoded; BCD as its
// decimal text), double (number, currency), qlonglong (short, long,
// auto-increment), bool (logical), QDate, QTime, QDateTime, QByteArray
// (binary, OLE, graphic, bytes, formatted memo). An empty field is a null
// QVariant. A field of a type this reader does not know is read as null;
// its type is in fields() for the caller to report.
//
// Nothing in a file is trusted: every offset and length is checked against
// the file's size, a chain of blocks that loops or leaves the file stops the
// reading with an Error naming the file and the record.
class Table {
public:
    // Opens path and the .mb beside it (any letter case). Throws Error when
    // the file cannot be read or is not a Paradox table.
    static std::unique_ptr<Table> open(const QString& path);
    // The same over bytes in memory; names are used in messages only.
    static std::unique_ptr<Table> fromBytes(const QByteArray& table, const QString& tableName,
                                            const QByteArray& memos = {}, const QString& memoName = {});
    ~Table();

    const QString& fileName() const { return m_fileName; }
    const QVector<Field>& fields() const { return m_fields; }
    qint64 recordCount() const { return m_recordCount; } // as the header states it

    // Calls row(recordNumber, values) for every record in the table's order,
    // recordNumber counting from 1; values follow fields(). Throws Error.
    void read(const std::function<void(qint64 recordNumber, const QVariantList& values)>& row) const;

private:
    Table() = default;
    void parseHeader();
    QVariant value(const Field& field, const uchar* data, qint64 recordNumber) const;
    QString where(qint64 recordNumber, const Field& field) const;
    Error damaged(const QString& why) const;

    QString m_fileName;
    std::unique_ptr<QFile> m_file, m_memoFile; // mapped while the table lives
    QByteArray m_ownBytes, m_ownMemos;        // or held in memory
    Bytes m_bytes;
    BlobFile m_memos;
    QVector<Field> m_fields;
    int m_recordSize = 0;
    int m_headerSize = 0;
    qint64 m_blockSize = 0;
    qint64 m_recordCount = 0;
    int m_firstBlock = 0;
};

} // namespace Paradox
