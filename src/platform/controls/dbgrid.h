#pragma once

#include "platform/controls/datasetmodel.h"

#include <QTableView>

// A grid over a dataset: whole-row selection that follows and moves the
// dataset's current record, an indicator column, optional editing in place
// (typing or F2 on a cell of a table cursor; a text cell takes no more than
// its field holds), and Ctrl+Delete deleting the current record after
// "Delete record?". Tab leaves it, as it leaves any control.
//
// A grid given its dataset before it is first shown reads no row until then
// (or until its rows or its dataset's moves are asked for): see
// DatasetModel::holdRowsBack(). Its columns are there at once.
class DbGrid : public QTableView {
    Q_OBJECT
public:
    explicit DbGrid(QWidget* parent = nullptr);

    void setDataset(Dataset* dataset, const QList<DatasetModel::Column>& columns);
    Dataset* dataset() const { return m_model->dataset(); }
    DatasetModel* datasetModel() const { return m_model; }
    void setEditable(bool editable);
    void setCtrlDeleteDeletes(bool on) { m_ctrlDelete = on; }
    void setIndicatorVisible(bool visible);
    // The rows held back until the first show are offered now (a screen drawn
    // without being shown).
    void offerRows() { m_model->offerRows(); }

signals:
    // A row was double-clicked (the dataset is on that row by then).
    void recordDoubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void showEvent(QShowEvent* event) override;

private:
    void followDataset();

    DatasetModel* m_model;
    bool m_ctrlDelete = false;
    bool m_following = false;
    bool m_seen = false;
};
