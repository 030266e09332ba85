#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

struct LookupSource;

class Dataset;

// A dataset's rows as a table model for a grid: the columns are fields by
// name, more rows are offered as the grid scrolls (and at once as far as the
// current record when the cursor jumps), the dataset reads only the pages the
// grid paints, and the row header marks the current record (▶ browsing, ✎
// editing, * a new record).
//
// A grid nobody has seen yet need not know its rows: with the rows held back
// the views hear of the columns only, and no page is read, until
// offerRows() (the grid's first show) or until anyone else asks for the rows
// (rowCount(), index()), which offers them there and then.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title; // the field name when empty
    };

    explicit DatasetModel(QObject* parent = nullptr);
    void setDataset(Dataset* dataset, const QList<Column>& columns);
    Dataset* dataset() const { return m_dataset; }
    void setEditable(bool editable) { m_editable = editable; }
    int fieldOfColumn(int column) const;

    // Set before setDataset(): the views hear of no rows until offerRows().
    void holdRowsBack() { m_rowsHeldBack = true; }
    bool rowsHeldBack() const { return m_rowsHeldBack; }
    // The views hear of the rows now (a reset), and rowsOffered() follows.
    void offerRows();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // A cell of a lookup field takes only a name of its list (letter case
    // folded, stored in the list's spelling); other text is refused with
    // notListedMessage() and the record is left as it was.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    static QString notListedMessage(const QString& text);
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // The rows held back were offered: the grid puts its current row on the dataset's.
    void rowsOffered();

private:
    QString listedName(const LookupSource& lookup, const QString& text) const;
    void resetAll();
    void currentRowChanged();

    QPointer<Dataset> m_dataset;
    QList<Column> m_columns;
    QList<int> m_fields;
    bool m_editable = false;
    int m_markedRow = -1;
    bool m_rowsHeldBack = false;
    bool m_tellingColumns = false; // the views asking while they hear of the columns
};
