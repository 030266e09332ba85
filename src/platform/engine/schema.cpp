#include "platform/engine/schema.h"

int TableSchema::indexOf(const QString& fieldName) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const FieldSchema* TableSchema::field(const QString& fieldName) const
{
    const int i = indexOf(fieldName);
    return i < 0 ? nullptr : &fields.at(i);
}

int TableSchema::keyIndex() const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).isKey())
            return i;
    return -1;
}

QString declaredSqlType(const FieldSchema& field)
{
    switch (field.type) {
    case FieldType::AutoIncrement:
        return QStringLiteral("INTEGER");
    case FieldType::Text:
        return QStringLiteral("VARCHAR(%1)").arg(field.size);
    case FieldType::Float:
        return QStringLiteral("FLOAT");
    case FieldType::Currency:
        return QStringLiteral("CURRENCY DOUBLE"); // REAL affinity; the name keeps the field's meaning
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    case FieldType::Graphic:
        return QStringLiteral("BLOB");
    }
    return QStringLiteral("TEXT");
}

QString columnConstraints(const FieldSchema& field)
{
    if (field.isKey())
        return QStringLiteral("PRIMARY KEY AUTOINCREMENT");
    // Text is never NULL: a blank field and an empty one are the same text,
    // so every filter finds both with one comparison.
    if (field.isTextual())
        return QStringLiteral("NOT NULL DEFAULT ''");
    return {};
}
