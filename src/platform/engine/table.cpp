#include "platform/engine/table.h"

#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"


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
    m_keyBeforeInsert = m_currentKey;
    m_placeBeforeInsert = m_place;
    m_positionBeforeInsert = m_position;
    m_currentKey = -1;
    m_place = Place::Known;
    m_position = -1;
    m_recordAhead = -1;
    m_record = QVector<QVariant>();
    for (const FieldSchema& field : schema().fields)
        m_record.append(FieldFormat::blank(field));
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
    makeRecordWhole();
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

void Table::markModified()
{
    requireEditing();
    m_modified = true;
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
    if (m_insertSql.isEmpty()) {
        QStringList names, marks, assignments;
        for (const FieldSchema& field : table.fields) {
            if (field.isKey())
                continue;
            names << Database::quoted(field.name);
            marks << QStringLiteral("?");
            assignments << Database::quoted(field.name) + QStringLiteral(" = ?");
        }
        m_insertSql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(Database::quoted(table.name), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        m_updateSql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                          .arg(Database::quoted(table.name), assignments.join(QLatin1Char(',')));
    }

    const bool inserting = m_state == DatasetState::Insert;
    qint64 key = currentKey();
    m_database.inTransaction([&] {
        SqlStatement write(m_database, inserting ? m_insertSql : m_updateSql);
        int at = 1;
        for (int f = 0; f < table.fields.size(); ++f)
            if (!table.fields.at(f).isKey())
                write.bind(at++, m_record.at(f));
        if (!inserting)
            write.bindInteger(at, key);
        if (!inserting && m_database.sharedByDesks())
            refuseWhatAnotherDeskChanged(key);
        write.step();
        if (inserting)
            key = m_database.lastInsertKey();
        else if (m_database.lastChanges() == 0)
            throw DataError(QStringLiteral("Record/Key deleted."));
        for (const auto& work : m_writesWithRecord)
            work(key);
    });
    return key;
}

void Table::refuseWhatAnotherDeskChanged(qint64 key)
{
    // The row is locked until the write commits, so no desk changes it between
    // this look and the write.
    const TableSchema& table = schema();
    bool present = false;
    QStringList changed;
    m_database.select(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ? FOR UPDATE")
                          .arg(m_database.columnList(table), Database::quoted(table.name)),
                      {key}, [&](const SqlStatement& row) {
                          present = true;
                          for (int f = 0; f < table.fields.size(); ++f)
                              if (row.fieldValue(f, table.fields.at(f)) != m_savedRecord.value(f))
                                  changed << table.fields.at(f).name;
                      });
    if (!present)
        throw DataError(QStringLiteral("Bu kayıt siz düzenlerken başka bir masada silindi; yeniden yazılmadı. "
                                       "Yazdıklarınız ekranda duruyor: gerekiyorsa düzenlemeyi iptal edip yeni bir "
                                       "kayıt olarak girin."));
    if (!changed.isEmpty())
        throw DataError(QStringLiteral("Bu kaydı siz düzenlerken başka bir masa değiştirdi (%1); kaydınız yazılmadı. "
                                       "Yazdıklarınız ekranda duruyor: diğer masanın yazdığını görmek için düzenlemeyi "
                                       "iptal edip kaydı yenileyin (F5), sonra değişikliğinizi yeniden girin.")
                            .arg(changed.join(QStringLiteral(", "))));
}

void Table::post()
{
    requireEditing();
    flushEditors();
    emit beforePost();
    checkRequired();
    const bool inserting = m_state == DatasetState::Insert;
    const int countBefore = m_count;
    qint64 key = -1;
    try {
        key = writeRecord(); // throws with the store's message; state unchanged
    } catch (const EngineError& error) {
        // The clerk's changes wait on the screen for another try.
        throw EngineError(error.code(), error.engineText(), m_database.postFailureMessage(error));
    }

    invalidateRows();
    if (countBefore >= 0)
        m_count = inserting ? countBefore + 1 : countBefore;
    readAtKey(key); // re-read: the key and what the store made of the values
    if (inserting) // a new key is the highest, so the new row is normally the last one
        setCurrent(key, hasRowAfter(key) ? Place::Unknown : Place::FromEnd, 0);
    m_modified = false;
    m_bof = m_eof = false;
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
        if (m_keyBeforeInsert >= 0 && readAtKey(m_keyBeforeInsert)) {
            setCurrent(m_keyBeforeInsert, m_placeBeforeInsert, m_positionBeforeInsert);
        } else if (m_hasRows) {
            readInPlaceOf(m_keyBeforeInsert);
        } else {
            clearRecord();
        }
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
    if (!isActive() || isEmpty() || m_currentKey < 0)
        throw DataError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    const qint64 key = currentKey();
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(Database::quoted(schema().name));
    m_database.inTransaction([&] {
        SqlStatement remove(m_database, sql);
        remove.bindInteger(1, key);
        remove.step();
    });

    // The row after the deleted one takes its place; after the last, the one before.
    const Place place = m_place;
    const int position = m_position;
    const int count = m_count;
    invalidateRows();
    if (count > 0)
        m_count = count - 1;
    if (readInPlaceOf(key)) {
        if (m_place == Place::Unknown && place == Place::Known)
            setCurrent(m_currentKey, Place::Known, position);
        else if (m_place == Place::Unknown && place == Place::FromEnd && position > 0)
            setCurrent(m_currentKey, Place::FromEnd, position - 1);
    }
    m_modified = false;
    m_bof = !m_hasRows || (m_place == Place::Known ? m_position <= 0 : !hasRowBefore(m_currentKey));
    m_eof = !m_hasRows;
    setState(DatasetState::Browse);
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
