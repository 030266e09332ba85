#include "platform/reporting/rowsource.h"

namespace reporting {

ListRows::ListRows(QStringList fields, QVector<QStringList> rows) : m_fields(std::move(fields)), m_rows(std::move(rows))
{
}

void ListRows::bind(const QStringList& fields)
{
    m_columns.clear();
    for (const QString& field : fields)
        m_columns.append(int(m_fields.indexOf(field)));
}

bool ListRows::next()
{
    if (m_row < int(m_rows.size()))
        ++m_row;
    return m_row < int(m_rows.size());
}

QString ListRows::text(int field) const
{
    if (m_row < 0 || m_row >= int(m_rows.size()) || field < 0 || field >= int(m_columns.size()))
        return {};
    return m_rows.at(m_row).value(m_columns.at(field));
}

} // namespace reporting
