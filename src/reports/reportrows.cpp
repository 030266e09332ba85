#include "reports/reportrows.h"

#include "platform/engine/database.h"
#include "platform/engine/dataset.h"


namespace {

bool holdsNumbers(const Dataset* dataset, const QVector<int>& fields, int field)
{
    if (!dataset || !dataset->hasSchema() || field < 0 || field >= fields.size() || fields.at(field) < 0)
        return false;
    return dataset->fieldSchema(fields.at(field)).isNumeric();
}

QVector<int> fieldIndexes(const Dataset& dataset, const QStringList& fields)
{
    QVector<int> indexes;
    for (const QString& field : fields)
        indexes.append(dataset.fieldIndex(field));
    return indexes;
}

} // namespace

// --- DatasetRows -----------------------------------------------------------------

DatasetRows::DatasetRows(Dataset& rows) : m_rows(&rows) {}

void DatasetRows::bind(const QStringList& fields)
{
    m_fields = (m_rows && m_rows->hasSchema()) ? fieldIndexes(*m_rows, fields) : QVector<int>(fields.size(), -1);
    m_currencies.clear();
    for (const int field : std::as_const(m_fields)) {
        const FieldSchema* amount = field >= 0 ? &m_rows->fieldSchema(field) : nullptr;
        const bool named = amount && amount->type == FieldType::Currency && !amount->currencyField.isEmpty();
        m_currencies << (named ? m_rows->schema().indexOf(amount->currencyField) : -1);
    }
}

bool DatasetRows::next()
{
    // Rows are read a page at a time, each from where the last one ended;
    // the grid's own reach (fetchedCount) is left as it was.
    if (!m_rows || !m_rows->isActive())
        return false;
    ++m_row;
    return m_rows->keyAt(m_row) >= 0;
}

QString DatasetRows::text(int field) const
{
    if (!m_rows || field < 0 || field >= m_fields.size())
        return {};
    return m_rows->displayTextAt(m_row, m_fields.at(field));
}

bool DatasetRows::isNumber(int field) const
{
    return holdsNumbers(m_rows, m_fields, field);
}

int DatasetRows::rowCount()
{
    return (m_rows && m_rows->isActive()) ? m_rows->recordCount() : 0;
}

spreadsheet::Cell DatasetRows::cell(int field) const
{
    if (!m_rows || field < 0 || field >= m_fields.size() || m_fields.at(field) < 0)
        return {};
    const int naming = m_currencies.at(field);
    return {m_rows->valueAt(m_row, m_fields.at(field)),
            naming >= 0 ? m_rows->valueAt(m_row, naming).toString() : QString()};
}

// --- CurrentRecord ---------------------------------------------------------------

CurrentRecord::CurrentRecord(Dataset& record) : m_record(&record) {}

void CurrentRecord::bind(const QStringList& fields)
{
    m_fields = (m_record && m_record->hasSchema()) ? fieldIndexes(*m_record, fields) : QVector<int>(fields.size(), -1);
}

bool CurrentRecord::hasRecord() const
{
    return m_record && m_record->isActive() && (m_record->position() >= 0 || m_record->isEditing());
}

bool CurrentRecord::next()
{
    if (m_stepped)
        return false;
    m_stepped = true;
    return hasRecord();
}

QString CurrentRecord::text(int field) const
{
    if (!m_record || field < 0 || field >= m_fields.size() || m_fields.at(field) < 0)
        return {};
    return m_record->displayText(m_fields.at(field));
}

bool CurrentRecord::isNumber(int field) const
{
    return holdsNumbers(m_record, m_fields, field);
}

int CurrentRecord::rowCount()
{
    return hasRecord() ? 1 : 0;
}

// --- StatementRows ---------------------------------------------------------------

StatementRows::StatementRows(Database& database, Statement statement)
    : m_database(database), m_statement(std::move(statement))
{
}

void StatementRows::bind(const QStringList& fields)
{
    // An amount is printed in the currency its record names: read the naming field too.
    QStringList columns = fields;
    const TableSchema& table = m_database.table(m_statement.table());
    for (const QString& name : fields)
        if (const FieldSchema* field = table.field(name); field && !field->currencyField.isEmpty())
            if (!columns.contains(field->currencyField, Qt::CaseInsensitive))
                columns << field->currencyField;
    m_rows.emplace(m_database, m_statement, columns, RowStream::Order::ByKey);
    m_currencies.clear();
    for (const QString& name : fields) {
        const FieldSchema* field = table.field(name);
        const bool named = field && field->type == FieldType::Currency && !field->currencyField.isEmpty();
        int naming = -1;
        for (int i = 0; named && naming < 0 && i < columns.size(); ++i)
            if (columns.at(i).compare(field->currencyField, Qt::CaseInsensitive) == 0)
                naming = i;
        m_currencies << naming;
    }
}

bool StatementRows::next()
{
    return m_rows && m_rows->next();
}

QString StatementRows::text(int field) const
{
    return m_rows ? m_rows->displayText(field) : QString();
}

bool StatementRows::isNumber(int field) const
{
    return m_rows && field >= 0 && field < m_rows->columnCount() && m_rows->field(field).isNumeric();
}

spreadsheet::Cell StatementRows::cell(int field) const
{
    if (!m_rows || field < 0 || field >= m_currencies.size())
        return {};
    const int naming = m_currencies.at(field);
    return {m_rows->value(field), naming >= 0 ? m_rows->text(naming) : QString()};
}

int StatementRows::rowCount()
{
    QString sql =
        QStringLiteral("SELECT count(*) FROM %1").arg(Database::quoted(m_database.table(m_statement.table()).name));
    if (!m_statement.condition().isEmpty())
        sql += QStringLiteral(" WHERE ") + m_statement.condition();
    int count = 0;
    m_database.select(sql, m_statement.values(), [&](const SqlStatement& row) { count = int(row.integer(0)); });
    return count;
}
