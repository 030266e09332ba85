#include "platform/engine/rowstream.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"


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
    return m_statement.column(column).type == ColumnView::Null;
}

QVariant RowStream::value(int column) const
{
    requireRow(column);
    return m_statement.fieldValue(column, *m_fields.at(column));
}

namespace {

bool holdsNumber(const ColumnView& view)
{
    return view.type == ColumnView::Real || view.type == ColumnView::Integer;
}

} // namespace

QString RowStream::text(int column) const
{
    requireRow(column);
    const FieldSchema& field = *m_fields.at(column);
    const ColumnView view = m_statement.column(column);
    if (field.isTextual() && view.type == ColumnView::Text)
        return QString::fromUtf8(view.bytes, view.size);
    // A stored number straight to its text: a bulk comparison writes a
    // register's worth of prices and areas.
    if (field.isNumeric() && holdsNumber(view))
        return FieldFormat::generalNumber(view.real);
    return FieldFormat::editText(field, Database::fieldValue(view, field));
}

void RowStream::appendText(int column, QString& out) const
{
    requireRow(column);
    const FieldSchema& field = *m_fields.at(column);
    const ColumnView view = m_statement.column(column);
    if (field.isTextual() && view.type == ColumnView::Text) {
        Database::appendText(view, out);
        return;
    }
    if (field.isNumeric() && holdsNumber(view)) {
        FieldFormat::appendGeneralNumber(out, view.real);
        return;
    }
    out.append(text(column));
}

QString RowStream::displayText(int column) const
{
    requireRow(column);
    const FieldSchema& field = *m_fields.at(column);
    const ColumnView view = m_statement.column(column);
    if (field.isTextual() && view.type == ColumnView::Text)
        return QString::fromUtf8(view.bytes, view.size);
    const int naming = m_currencyColumns.at(column);
    return FieldFormat::displayText(field, Database::fieldValue(view, field),
                                    naming >= 0 ? m_statement.text(naming) : QString());
}

double RowStream::number(int column) const
{
    requireRow(column);
    const ColumnView view = m_statement.column(column);
    if (holdsNumber(view))
        return view.real;
    if (view.type == ColumnView::Null)
        return 0.0;
    return Database::columnValue(view).toDouble();
}

qint64 RowStream::integer(int column) const
{
    requireRow(column);
    const ColumnView view = m_statement.column(column);
    if (view.type == ColumnView::Integer)
        return view.integer;
    if (view.type == ColumnView::Real)
        return qint64(view.real);
    if (view.type == ColumnView::Null)
        return 0;
    return Database::columnValue(view).toLongLong();
}

QByteArrayView RowStream::utf8(int column) const
{
    requireRow(column);
    const ColumnView view = m_statement.column(column);
    return view.type == ColumnView::Text || view.type == ColumnView::Blob ? QByteArrayView(view.bytes, view.size)
                                                                          : QByteArrayView();
}
