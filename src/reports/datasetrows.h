#pragma once

#include "platform/reporting/rowsource.h"

#include <QPointer>
#include <QVector>

class Dataset;

// The screens' datasets as report rows. Both read rows by their place and
// never move the dataset's cursor, so a printed list leaves the screen's
// grid, and whatever reads its current row next, on the row the clerk chose.

// Every row of the dataset, first to last, as far as it holds them. A closed
// dataset has no rows.
class DatasetRows final : public reporting::RowSource {
public:
    explicit DatasetRows(Dataset& rows);

    void bind(const QStringList& fields) override; // throws DataError for an unknown field
    bool next() override;
    QString text(int field) const override;
    int rowCount() override;

private:
    QPointer<Dataset> m_rows;
    QVector<int> m_fields;
    int m_row = -1;
};

// The dataset's current record, as edited, once; nothing when it has none.
class CurrentRecord final : public reporting::RowSource {
public:
    explicit CurrentRecord(Dataset& record);

    void bind(const QStringList& fields) override;
    bool next() override;
    QString text(int field) const override;
    int rowCount() override;

private:
    bool hasRecord() const;

    QPointer<Dataset> m_record;
    QVector<int> m_fields;
    bool m_stepped = false;
};
