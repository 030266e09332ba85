#pragma once

// Paradox tables for the import's tests, written at test time by
// paradox_writer (pxlib), a writer independent of the program's reader.

#include "data/catalogue.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>
#include <QtTest>

namespace Fixtures {

// A field as [name, type, size] for the writer.
inline QJsonArray field(const QString& name, const QString& type, int size = 0)
{
    QJsonArray f{name, type};
    if (size)
        f << size;
    return f;
}

// The catalogue's fields of a table, typed as the agency's Paradox tables type
// them: a memo's record part holds its declared size plus the 10-byte pointer.
inline QList<QJsonArray> catalogueFields(const QString& table)
{
    QList<QJsonArray> fields;
    for (const FieldSchema& f : Catalogue::table(table).fields) {
        switch (f.type) {
        case FieldType::AutoIncrement: fields << field(f.name, QStringLiteral("autoinc")); break;
        case FieldType::Text: fields << field(f.name, QStringLiteral("alpha"), f.size); break;
        case FieldType::Float: fields << field(f.name, QStringLiteral("number")); break;
        case FieldType::Currency: fields << field(f.name, QStringLiteral("currency")); break;
        case FieldType::Memo: fields << field(f.name, QStringLiteral("memo"), f.size + 10); break;
        case FieldType::Graphic: fields << field(f.name, QStringLiteral("graphic"), 10); break;
        }
    }
    return fields;
}

// A record for those fields: the values given by name, the rest empty.
inline QJsonArray record(const QString& table, const QVariantMap& values)
{
    QJsonArray row;
    for (const FieldSchema& f : Catalogue::table(table).fields)
        row << QJsonValue::fromVariant(values.value(f.name));
    return row;
}

inline QJsonObject bytes(const QByteArray& data)
{
    return QJsonObject{{QStringLiteral("base64"), QString::fromLatin1(data.toBase64())}};
}

// Writes folder/fileName (and its .mb) through pxlib; false with a warning
// when the writer fails. (Lists of arrays, not an array of arrays: a braced
// array of one array would be taken for a copy of it.)
inline bool write(const QString& folder, const QString& fileName, const QList<QJsonArray>& fields,
                  const QList<QJsonArray>& records, int repeat = 1)
{
    QTemporaryFile description;
    if (!description.open())
        return false;
    QJsonArray fieldList, recordList;
    for (const QJsonArray& f : fields)
        fieldList << f;
    for (const QJsonArray& r : records)
        recordList << r;
    QJsonObject document{{QStringLiteral("fields"), fieldList}, {QStringLiteral("records"), recordList}};
    if (repeat > 1)
        document.insert(QStringLiteral("repeat"), repeat);
    description.write(QJsonDocument(document).toJson());
    description.flush();
    QProcess writer;
    writer.start(QStringLiteral(PARADOX_WRITER), {description.fileName(), QDir(folder).filePath(fileName)});
    if (!writer.waitForFinished(-1) || writer.exitStatus() != QProcess::NormalExit || writer.exitCode() != 0) {
        qWarning() << "paradox_writer failed:" << writer.readAllStandardError();
        return false;
    }
    return true;
}

inline bool writeCatalogueTable(const QString& folder, const QString& table, const QVector<QVariantMap>& rows)
{
    QList<QJsonArray> records;
    for (const QVariantMap& row : rows)
        records << record(table, row);
    return write(folder, table + QStringLiteral(".db"), catalogueFields(table), records);
}

// A small picture as the phone book keeps them: bitmap bytes.
inline QByteArray bitmap(QColor colour, int width = 40, int height = 30)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return data;
}

// Turkish letters in every text: what code page 1254 must carry.
inline const QString TurkishLetters = QStringLiteral("çğıİöşüÇĞÖŞÜ");

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

inline void overwrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace Fixtures
