#include "platform/controls/dbgrid.h"

#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "platform/system/confirmer.h"

#include <algorithm>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

// A cell edited in place takes no more characters than its field holds, as the
// entry screens' edits do.
class FieldSizeDelegate : public QStyledItemDelegate {
public:
    FieldSizeDelegate(DatasetModel* model, QObject* parent) : QStyledItemDelegate(parent), m_model(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto* line = qobject_cast<QLineEdit*>(editor);
        const int field = m_model->fieldOfColumn(index.column());
        if (line && m_model->dataset() && field >= 0) {
            const FieldSchema& schema = m_model->dataset()->fieldSchema(field);
            if (schema.type == FieldType::Text && schema.size > 0)
                line->setMaxLength(schema.size);
        }
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        // A stored text longer than the field (from older files) is edited
        // whole rather than cut when the editor opens.
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setMaxLength(std::max(line->maxLength(), int(index.data(Qt::EditRole).toString().size())));
        QStyledItemDelegate::setEditorData(editor, index);
    }

private:
    DatasetModel* m_model;
};

} // namespace

DbGrid::DbGrid(QWidget* parent) : QTableView(parent), m_model(new DatasetModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setMinimumWidth(16);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
    setItemDelegate(new FieldSizeDelegate(m_model, this));
    // Tab leaves the grid for the screen's next control, as in every other
    // control; the arrows move among the cells.
    setTabKeyNavigation(false);
    connect(m_model, &DatasetModel::rowsOffered, this, &DbGrid::followDataset);
}

void DbGrid::setDataset(Dataset* dataset, const QList<DatasetModel::Column>& columns)
{
    // Nearly every grid is made on a screen nobody has opened yet: its
    // dataset's first page waits for the screen.
    if (!m_seen)
        m_model->holdRowsBack();
    m_model->setDataset(dataset, columns);
    connect(dataset, &Dataset::afterScroll, this, &DbGrid::followDataset);
    connect(dataset, &Dataset::rowsReset, this, &DbGrid::followDataset, Qt::QueuedConnection);
    connect(dataset, &Dataset::afterOpen, this, &DbGrid::followDataset, Qt::QueuedConnection);
    followDataset();
}

void DbGrid::setEditable(bool editable)
{
    m_model->setEditable(editable);
    // Typing or F2 starts editing a cell: a double-click opens the record.
    setEditTriggers(editable ? QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                             : QAbstractItemView::NoEditTriggers);
}

void DbGrid::setIndicatorVisible(bool visible)
{
    verticalHeader()->setVisible(visible);
}

void DbGrid::followDataset()
{
    Dataset* data = dataset();
    if (!data || m_following)
        return;
    if (m_model->rowsHeldBack()) {
        // Unseen, on its first row (as opened): the first show selects it.
        // Moved further, the grid's current row is the dataset's at once.
        if (data->position() > 0)
            m_model->offerRows(); // which follows the dataset
        return;
    }
    m_following = true;
    const int row = data->position();
    if (row >= 0 && row < m_model->rowCount()) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        setCurrentIndex(m_model->index(row, column));
        scrollTo(m_model->index(row, column));
    } else {
        clearSelection();
    }
    m_following = false;
}

void DbGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    Dataset* data = dataset();
    if (m_following || !data || !current.isValid() || current.row() == data->position())
        return;
    try {
        data->moveTo(current.row());
    } catch (const DataError& error) {
        // The record left behind could not be posted: stay on it.
        reportDataError(this, error.message());
        followDataset();
        // A click selects its row after this: put the selection back after it.
        QMetaObject::invokeMethod(this, &DbGrid::followDataset, Qt::QueuedConnection);
    }
}

void DbGrid::showEvent(QShowEvent* event)
{
    m_seen = true;
    m_model->offerRows();
    QTableView::showEvent(event);
}

void DbGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    // Anywhere in the rows' area, on a row, below the last one or on an empty
    // grid: whoever opens the record reads the current row (none: no record).
    if (event->button() == Qt::LeftButton)
        emit recordDoubleClicked();
}

void DbGrid::keyPressEvent(QKeyEvent* event)
{
    auto* table = qobject_cast<Table*>(dataset());
    if (m_ctrlDelete && table && event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        if (!table->isEmpty() && confirmer().confirm(this, QStringLiteral("Delete record?"))) {
            try {
                table->remove();
            } catch (const DataError& error) {
                reportDataError(this, error.message());
            }
        }
        return;
    }
    if (event->key() == Qt::Key_End && (event->modifiers() & Qt::ControlModifier) && dataset()) {
        // The grid only knows the rows fetched so far; the last one is further.
        try {
            dataset()->last();
        } catch (const DataError& error) {
            reportDataError(this, error.message());
        }
        return;
    }
    QTableView::keyPressEvent(event);
}
