#include "platform/controls/datasetmodel.h"

#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"

#include <QScopedValueRollback>

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

QString DatasetModel::notListedMessage(const QString& text)
{
    return QStringLiteral("\"%1\" listede yok; listeden bir değer seçin.").arg(text);
}

QString DatasetModel::listedName(const LookupSource& lookup, const QString& text) const
{
    Query names(m_dataset->database());
    names.setStatement(Statement(lookup.table));
    names.open();
    if (!names.locateFolded(lookup.field, text))
        return {};
    return names.text(lookup.field);
}

void DatasetModel::setDataset(Dataset* dataset, const QList<Column>& columns)
{
    {
        // With the rows held back the views learn the columns (their widths
        // can be set at once) and are told of no row.
        const QScopedValueRollback<bool> columnsOnly(m_tellingColumns, m_rowsHeldBack);
        beginResetModel();
        if (m_dataset)
            disconnect(m_dataset, nullptr, this, nullptr);
        m_dataset = dataset;
        m_columns = columns;
        if (!m_rowsHeldBack)
            dataset->setPagedByGrid();
        m_fields.clear();
        for (const Column& column : columns)
            m_fields << dataset->fieldIndex(column.field);
        endResetModel();
    }

    connect(dataset, &Dataset::rowsReset, this, &DatasetModel::resetAll);
    connect(dataset, &Dataset::rowsFetched, this, [this](int from, int to) {
        // The dataset offers more rows; the grid only needs to hear of them.
        if (m_rowsHeldBack)
            return;
        beginInsertRows({}, from, to);
        endInsertRows();
    });
    connect(dataset, &Dataset::recordChanged, this, &DatasetModel::currentRowChanged);
    connect(dataset, &Dataset::fieldChanged, this, &DatasetModel::currentRowChanged);
    connect(dataset, &Dataset::stateChanged, this, &DatasetModel::currentRowChanged);
}

void DatasetModel::offerRows()
{
    if (!m_rowsHeldBack)
        return;
    m_rowsHeldBack = false;
    // From now on the grid reads the dataset's first page whenever it opens.
    if (m_dataset)
        m_dataset->setPagedByGrid();
    resetAll();
    currentRowChanged();
    emit rowsOffered();
}

int DatasetModel::fieldOfColumn(int column) const
{
    return m_fields.value(column, -1);
}

void DatasetModel::resetAll()
{
    if (m_rowsHeldBack)
        return; // the views know of no rows, before or after
    beginResetModel();
    m_markedRow = -1;
    endResetModel();
}

void DatasetModel::currentRowChanged()
{
    if (!m_dataset || m_rowsHeldBack)
        return;
    const int row = m_dataset->position();
    if (row >= m_dataset->fetchedCount())
        m_dataset->fetchTo(row); // the cursor jumped past the rows offered: offer them

    if (m_markedRow >= 0 && m_markedRow < rowCount() && m_markedRow != row)
        emit headerDataChanged(Qt::Vertical, m_markedRow, m_markedRow);
    m_markedRow = row;
    if (row >= 0 && row < rowCount()) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, row, row);
    }
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_dataset || !m_dataset->isActive())
        return 0;
    if (m_rowsHeldBack) {
        if (m_tellingColumns)
            return 0;
        // Asked by anyone but the views learning the columns: the rows are
        // offered first, so that the views agree with the answer.
        const_cast<DatasetModel*>(this)->offerRows();
    }
    try {
        return m_dataset->fetchedCount();
    } catch (const DataError& error) {
        reportDataError(nullptr, error.message());
        return 0;
    }
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!m_dataset || !index.isValid())
        return {};
    const int field = m_fields.value(index.column(), -1);
    if (role == Qt::DisplayRole)
        return m_dataset->displayTextAt(index.row(), field);
    if (role == Qt::EditRole)
        return m_dataset->valueAt(index.row(), field);
    if (role == Qt::TextAlignmentRole && m_dataset->fieldSchema(field).isNumeric())
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    auto* table = qobject_cast<Table*>(m_dataset.data());
    if (!table || role != Qt::EditRole || !index.isValid())
        return false;
    try {
        const FieldSchema& field = m_dataset->fieldSchema(m_fields.at(index.column()));
        QString text = value.toString();
        if (field.lookup.isSet() && !text.isEmpty()) {
            // A lookup cell takes only a name its list holds, in the list's
            // own spelling; any other text is refused and the cell keeps its value.
            const QString listed = listedName(field.lookup, text);
            if (listed.isEmpty()) {
                reportDataError(nullptr, notListedMessage(text));
                return false;
            }
            text = listed;
        }
        table->moveTo(index.row());
        table->edit();
        table->setText(field.name, text);
    } catch (const DataError& error) {
        reportDataError(nullptr, error.message());
        return false;
    }
    return true;
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        const Column& column = m_columns.value(section);
        return column.title.isEmpty() ? column.field : column.title;
    }
    if (!m_dataset || section != m_dataset->position())
        return QString();
    switch (m_dataset->state()) {
    case DatasetState::Edit:
        return QStringLiteral("✎");
    case DatasetState::Insert:
        return QStringLiteral("*");
    default:
        return QStringLiteral("▶");
    }
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (m_editable && qobject_cast<Table*>(m_dataset.data())
        && !m_dataset->fieldSchema(m_fields.value(index.column())).isKey())
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DatasetModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_dataset && !m_rowsHeldBack && m_dataset->canFetchMore();
}

void DatasetModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid() && m_dataset && !m_rowsHeldBack) {
        try {
            m_dataset->fetchMore();
        } catch (const DataError& error) {
            reportDataError(nullptr, error.message());
        }
    }
}
