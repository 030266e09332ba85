#include "platform/engine/rowstream.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"

#include <sqlite3.h>

RowStream::RowStream(Database& database, const Statement& statement, const QStringList& columns, Order order)
    : m_database(&database)
{
    if (statement.isFailed())
        throw DataError(statement.failure());
    const TableSchema& table = database.table(statement.table());
    QStringList names;
    for (const QString& name : columns) {
        const FieldSchema* field = table.field(name);
        if (!field)
            throw DataError(QStringLiteral("Field '%1' not found").arg(name));
        m_fields.append(field);
        names << Database::quoted(field->name);
    }
    if (names.isEmpty())
        throw DataError(QStringLiteral("No fields to read from '%1'").arg(table.name));
    for (const FieldSchema* field : std::as_const(m_fields)) {
        int naming = -1;
        if (!field->currencyField.isEmpty())
            for (int i = 0; i < m_fields.size() && naming < 0; ++i)
                if (m_fields.at(i)->name.compare(field->currencyField, Qt::CaseInsensitive) == 0)
                    naming = i;
        m_currencyColumns.append(naming);
    }
    m_sql = QStringLiteral("SELECT %1 FROM %2").arg(names.join(QLatin1Char(',')), Database::quoted(table.name));
    if (!statement.condition().isEmpty())
        m_sql += QStringLiteral(" WHERE ") + statement.condition();
    if (order == Order::ByKey)
        m_sql += QStringLiteral(" ORDER BY rowid");
    m_statement = SqlStatement(database, m_sql);
    m_statement.bind(statement.values());
}

bool RowStream::next()
{
    m_onRow = false;
    if (!m_statement.isValid() || m_ended)
        return false;
    try {
        m_onRow = m_statement.step();
    } catch (...) {
        m_statement.release();
        throw;
    }
    if (!m_onRow) {
        if (m_rerun) {
            m_statement.rewind();
            m_ended = true;
        } else {
            m_statement.release();
        }
        return false;
    }
    ++m_rows;
    return true;
}

void RowStream::rerun(const QVariantList& values)
{
    m_onRow = false;
    m_rerun = true;
    m_ended = false;
    m_rows = 0;
    if (m_statement.isValid())
        m_statement.rewind();
    else
        m_statement = SqlStatement(*m_database, m_sql);
    m_statement.bind(values);
}

void RowStream::close()
{
    m_onRow = false;
    m_ended = false;
    m_statement.release();
}

int RowStream::column(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i)->name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    throw DataError(QStringLiteral("Field '%1' not found").arg(name));
}

void RowStream::requireRow(int column) const
{
    if (column < 0 || column >= m_fields.size())
        throw DataError(QStringLiteral("Column %1 is not one of the %2 read").arg(column).arg(m_fields.size()));
    if (!m_onRow)
        throw DataError(QStringLiteral("No current row"));
}

bool RowStream::isNull(int column) const
{
    requireRow(column);
    return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL;
}

QVariant RowStream::value(int column) const
{
    requireRow(column);
    return Database::fieldValue(m_statement.get(), column, *m_fields.at(column));
}

QString RowStream::text(int column) const
{
    requireRow(column);
    const FieldSchema& field = *m_fields.at(column);
    const int type = sqlite3_column_type(m_statement.get(), column);
    if (field.isTextual() && type == SQLITE_TEXT)
        return Database::columnText(m_statement.get(), column);
    // A stored number straight to its text: a bulk comparison writes a
    // register's worth of prices and areas.
    if ((field.type == FieldType::Float || field.type == FieldType::Currency)
        && (type == SQLITE_FLOAT || type == SQLITE_INTEGER))
        return FieldFormat::generalNumber(sqlite3_column_double(m_statement.get(), column));
    return FieldFormat::editText(field, Database::fieldValue(m_statement.get(), column, field));
}

void RowStream::appendText(int column, QString& out) const
{
    requireRow(column);
    const FieldSchema& field = *m_fields.at(column);
    const int type = sqlite3_column_type(m_statement.get(), column);
    if (field.isTextual() && type == SQLITE_TEXT) {
        Database::appendColumnText(m_statement.get(), column, out);
        return;
    }
    if ((field.type == FieldType::Float || field.type == FieldType::Currency)
        && (type == SQLITE_FLOAT || type == SQLITE_INTEGER)) {
        FieldFormat::appendGeneralNumber(out, sqlite3_column_double(m_statement.get(), column));
        return;
    }
    out.append(text(column));
}

QString RowStream::displayText(int column) const
{
    requireRow(column);
    const FieldSchema& field = *m_fields.at(column);
    if (field.isTextual() && sqlite3_column_type(m_statement.get(), column) == SQLITE_TEXT)
        return Database::columnText(m_statement.get(), column);
    const int naming = m_currencyColumns.at(column);
    return FieldFormat::displayText(field, Database::fieldValue(m_statement.get(), column, field),
                                    naming >= 0 ? Database::columnText(m_statement.get(), naming) : QString());
}

double RowStream::number(int column) const
{
    requireRow(column);
    const int type = sqlite3_column_type(m_statement.get(), column);
    if (type == SQLITE_FLOAT || type == SQLITE_INTEGER)
        return sqlite3_column_double(m_statement.get(), column);
    if (type == SQLITE_NULL)
        return 0.0;
    return Database::columnValue(m_statement.get(), column).toDouble();
}

qint64 RowStream::integer(int column) const
{
    requireRow(column);
    const int type = sqlite3_column_type(m_statement.get(), column);
    if (type == SQLITE_INTEGER)
        return sqlite3_column_int64(m_statement.get(), column);
    if (type == SQLITE_FLOAT)
        return qint64(sqlite3_column_double(m_statement.get(), column));
    if (type == SQLITE_NULL)
        return 0;
    return Database::columnValue(m_statement.get(), column).toLongLong();
}

QByteArrayView RowStream::utf8(int column) const
{
    requireRow(column);
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(m_statement.get(), column)) : QByteArrayView();
}
