#include "reports/datasetrows.h"

#include "platform/engine/dataset.h"
#include "platform/engine/fieldformat.h"

namespace {

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
}

bool DatasetRows::next()
{
    if (!m_rows || !m_rows->isActive())
        return false;
    ++m_row;
    while (m_row >= m_rows->fetchedCount() && m_rows->canFetchMore())
        m_rows->fetchMore();
    return m_row < m_rows->fetchedCount();
}

QString DatasetRows::text(int field) const
{
    if (!m_rows || field < 0 || field >= m_fields.size())
        return {};
    return m_rows->displayTextAt(m_row, m_fields.at(field));
}

int DatasetRows::rowCount()
{
    return (m_rows && m_rows->isActive()) ? m_rows->recordCount() : 0;
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
    const int index = m_fields.at(field);
    return FieldFormat::displayText(m_record->fieldSchema(index), m_record->value(index));
}

int CurrentRecord::rowCount()
{
    return hasRecord() ? 1 : 0;
}
