#pragma once

#include "platform/engine/rowstream.h"
#include "platform/engine/statement.h"
#include "platform/reporting/rowsource.h"
#include "platform/spreadsheet/sheet.h"

#include <QPointer>
#include <QVector>
#include <optional>

class Database;
class Dataset;

// The program's data as report rows.
//
// The screens' datasets: both sources read rows by their place and never
// move the dataset's cursor, so a printed list leaves the screen's grid, and
// whatever reads its current row next, on the row the clerk chose.

// Both sources read rows for a spreadsheet too: cell() gives the value
// itself (a number as a number) with the currency its record names.

// Every row of the dataset, first to last, as far as it holds them. A closed
// dataset has no rows.
class DatasetRows final : public reporting::RowSource, public spreadsheet::Rows {
public:
    explicit DatasetRows(Dataset& rows);

    void bind(const QStringList& fields) override; // throws DataError for an unknown field
    bool next() override;
    QString text(int field) const override;
    bool isNumber(int field) const override;
    int rowCount() override;
    spreadsheet::Cell cell(int field) const override;

private:
    QPointer<Dataset> m_rows;
    QVector<int> m_fields;
    QVector<int> m_currencies; // per bound field: the field naming its currency, or -1
    int m_row = -1;
};

// The dataset's current record, as edited, once; nothing when it has none.
class CurrentRecord final : public reporting::RowSource {
public:
    explicit CurrentRecord(Dataset& record);

    void bind(const QStringList& fields) override;
    bool next() override;
    QString text(int field) const override;
    bool isNumber(int field) const override;
    int rowCount() override;

private:
    bool hasRecord() const;

    QPointer<Dataset> m_record;
    QVector<int> m_fields;
    bool m_stepped = false;
};

// The rows of a statement of its own, read once from first to last in key
// order through a streaming reader over the printed fields only: the main
// window's whole-register prints. The statement runs when the first page is
// laid out.
class StatementRows final : public reporting::RowSource, public spreadsheet::Rows {
public:
    StatementRows(Database& database, Statement statement);

    void bind(const QStringList& fields) override; // throws DataError as the reader does
    bool next() override;
    QString text(int field) const override;
    bool isNumber(int field) const override;
    int rowCount() override; // SQLite's count(*)
    spreadsheet::Cell cell(int field) const override;

private:
    Database& m_database;
    Statement m_statement;
    std::optional<RowStream> m_rows;
    QVector<int> m_currencies; // per bound field: the column naming its currency, or -1
};
