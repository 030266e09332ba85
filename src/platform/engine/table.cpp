#include "platform/engine/table.h"

#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"

#include <QSqlQuery>
#include <algorithm>

Table::Table(Database& database, const QString& tableName, QObject* parent) : Dataset(database, parent)
{
    const TableSchema& table = database.table(tableName);
    setSource(&table, Statement(table.name));
}

void Table::append()
{
    checkBrowseMode();
    if (!isActive())
        throw DataError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    m_positionBeforeInsert = m_position;
    m_position = -1;
    loadCurrent(); // blank record
    m_modified = false;
    m_bof = m_eof = false;
    setState(DatasetState::Insert);
    emit recordChanged();
}

void Table::edit()
{
    if (isEditing())
        return;
    if (!isActive())
        throw DataError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (isEmpty()) {
        append();
        return;
    }
    m_savedRecord = m_record;
    m_modified = false;
    setState(DatasetState::Edit);
}

void Table::requireEditing() const
{
    if (!isEditing())
        throw DataError(QStringLiteral("Dataset not in edit or insert mode"));
}

void Table::setValue(int field, const QVariant& value)
{
    requireEditing();
    const FieldSchema& schema = fieldSchema(field);
    if (schema.isKey())
        throw DataError(QStringLiteral("Field '%1' cannot be modified").arg(schema.name));
    QVariant stored = value;
    if (schema.type == FieldType::Text || schema.type == FieldType::Memo) {
        stored = FieldFormat::parse(schema, value.toString()); // size check
    } else if (schema.isNumeric()) {
        if (value.typeId() == QMetaType::QString)
            stored = FieldFormat::parse(schema, value.toString());
        else if (value.isNull())
            stored = FieldFormat::blank(schema);
        else
            stored = value.toDouble();
    }
    if (m_record.at(field) == stored && m_record.at(field).isNull() == stored.isNull())
        return;
    m_record[field] = stored;
    m_modified = true;
    emit fieldChanged(field);
}

void Table::setText(const QString& field, const QString& text)
{
    const int index = fieldIndex(field);
    requireEditing();
    setValue(index, FieldFormat::parse(fieldSchema(index), text));
}

void Table::setInteger(const QString& field, qint64 value)
{
    setValue(fieldIndex(field), value);
}

void Table::checkRequired() const
{
    const TableSchema& table = schema();
    for (int f = 0; f < table.fields.size(); ++f) {
        const FieldSchema& field = table.fields.at(f);
        if (field.required && FieldFormat::isBlank(field, m_record.at(f)))
            throw DataError(QStringLiteral("Field '%1' must have a value").arg(field.name));
    }
}

qint64 Table::writeRecord()
{
    const TableSchema& table = schema();
    QStringList names, marks, assignments;
    QVariantList values;
    for (int f = 0; f < table.fields.size(); ++f) {
        const FieldSchema& field = table.fields.at(f);
        if (field.isKey())
            continue;
        names << Database::quoted(field.name);
        marks << QStringLiteral("?");
        assignments << Database::quoted(field.name) + QStringLiteral(" = ?");
        values << m_record.at(f);
    }

    qint64 key = currentKey();
    m_database.inTransaction([&] {
        if (m_state == DatasetState::Insert) {
            QSqlQuery& insert = m_database.prepared(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                        .arg(Database::quoted(table.name), names.join(QLatin1Char(',')),
                                                             marks.join(QLatin1Char(','))));
            m_database.run(insert, values);
            key = insert.lastInsertId().toLongLong();
            insert.finish();
        } else {
            QSqlQuery& update = m_database.prepared(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                                        .arg(Database::quoted(table.name),
                                                             assignments.join(QLatin1Char(','))));
            m_database.run(update, values << key);
            const int changed = update.numRowsAffected();
            update.finish();
            if (changed == 0)
                throw DataError(QStringLiteral("Record/Key deleted."));
        }
    });
    return key;
}

void Table::post()
{
    requireEditing();
    flushEditors();
    emit beforePost();
    checkRequired();
    const bool inserting = m_state == DatasetState::Insert;
    const qint64 key = writeRecord(); // throws with the store's message; state unchanged

    invalidateRows();
    if (inserting) {
        recordCount(); // the new key belongs after every fetched one
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
        if (it == m_keys.end() || *it != key)
            m_keys.insert(it, key);
        m_position = rowOfKey(key);
    }
    m_modified = false;
    m_bof = m_eof = false;
    loadCurrent(); // re-read: the key and what the store made of the values
    setState(DatasetState::Browse);
    if (inserting)
        emit rowsReset();
    emit recordChanged();
    emit afterPost();
}

void Table::cancel()
{
    if (!isEditing())
        return;
    if (m_state == DatasetState::Insert) {
        m_position = m_positionBeforeInsert;
        if (m_position >= fetchedCount())
            m_position = fetchedCount() - 1;
        loadCurrent();
    } else {
        m_record = m_savedRecord;
    }
    m_modified = false;
    setState(DatasetState::Browse);
    emit recordChanged();
    emit afterCancel();
}

void Table::remove()
{
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    if (!isActive() || isEmpty() || m_position < 0)
        throw DataError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    const qint64 key = currentKey();
    m_database.inTransaction([&] {
        QSqlQuery& remove = m_database.prepared(
            QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(Database::quoted(schema().name)));
        m_database.run(remove, {key});
        remove.finish();
    });
    m_keys.erase(m_keys.begin() + m_position);
    invalidateRows();
    if (m_position >= fetchedCount() && !m_allFetched)
        ensureFetched(m_position);
    if (m_position >= fetchedCount())
        m_position = fetchedCount() - 1;
    m_modified = false;
    m_bof = m_position <= 0;
    m_eof = m_keys.empty();
    setState(DatasetState::Browse);
    loadCurrent();
    emit rowsReset();
    emit recordChanged();
    emit afterDelete();
    emit afterScroll();
}

void Table::setRowFilter(const Statement& rows)
{
    if (Database::canonicalTableName(rows.table()) != schema().name)
        throw DataError(QStringLiteral("A filter of '%1' cannot narrow '%2'").arg(rows.table(), schema().name));
    if (rows.isFailed())
        throw DataError(rows.failure());
    checkBrowseMode();
    const Statement before = source();
    setSource(&schema(), rows);
    if (!isActive())
        return;
    const qint64 key = currentKey();
    try {
        reread(key, true);
    } catch (const DataError&) {
        setSource(&schema(), before);
        reread(key, false);
        throw;
    }
}
