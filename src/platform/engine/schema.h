#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// Plain descriptions of tables and fields. The engine derives its DDL, its
// field rules and its validation of an existing store from these; the
// program's own catalogue fills them in.

enum class FieldType {
    AutoIncrement, // integer key assigned by the store on post, read-only
    Text,          // at most `size` characters
    Float,
    Currency,      // a double shown in the locale's currency format
    Memo,          // text of any length; `size` is only the declared in-record size
    Graphic,       // picture data (bitmap bytes)
};

struct LookupSource {
    QString table; // where the offered values come from
    QString field; // shown and stored
    bool isSet() const { return !table.isEmpty(); }
};

struct FieldSchema {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;              // characters, for Text (and the memo's declared size)
    bool required = false;     // posting with an empty value is refused
    QString mask;              // input mask of its entry control, if any
    QStringList choices;       // fixed drop-down values (a suggestion: any text is accepted)
    LookupSource lookup;       // lookup drop-down source (only its values are accepted)
    // For an amount: the text field of the same record that names its
    // currency ("Döviz"); empty for an amount always in the locale's currency.
    QString currencyField;

    bool isNumeric() const { return type == FieldType::Float || type == FieldType::Currency; }
    bool isTextual() const { return type == FieldType::Text || type == FieldType::Memo; }
    bool isKey() const { return type == FieldType::AutoIncrement; }
};

// An index's terms, in order: each a field name, or a deterministic function
// the engine installs applied to one ("asnumber(Metre2)"), for a condition
// that compares what the function makes of the field.
struct IndexSchema {
    QStringList fields;
};

// Rows that belong to a record of another table (a listing's pictures): the
// store deletes them with that record, however the record is deleted.
struct OwnedRows {
    QStringList owners; // the tables whose records own rows here
    QString ownerField; // the field naming the owner's table
    QString keyField;   // the field holding the owner's key
    bool isSet() const { return !owners.isEmpty(); }
};

struct TableSchema {
    QString name;                // lower-case table name
    QVector<FieldSchema> fields; // in declaration order
    QVector<IndexSchema> indexes;
    // Rows written when the store is first created (columns by name).
    QStringList seedColumns;
    QVector<QVariantList> seedRows;
    OwnedRows ownedBy;

    int indexOf(const QString& fieldName) const; // any letter case; -1 when absent
    const FieldSchema* field(const QString& fieldName) const;
    int keyIndex() const; // the auto-increment field, or -1 (then rows are keyed by rowid)
};

// The declared SQL type of a field, as written in the DDL and expected back
// from the store when an existing file is checked, and the constraints that
// follow it in the DDL.
QString declaredSqlType(const FieldSchema& field);
QString columnConstraints(const FieldSchema& field);
