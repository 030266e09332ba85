#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace reporting {

// The rows a report prints, stepped once from the first to the last. A
// dataset, a forward-only reader over a statement or a plain list can stand
// behind it; the report never goes back, so nothing needs to be held.
class RowSource {
public:
    virtual ~RowSource() = default;

    // Called once, before the first step, with the fields the report prints;
    // text(i) then reads fields[i].
    virtual void bind(const QStringList& fields) = 0;
    // Steps to the next row (the first on the first call); false past the last.
    virtual bool next() = 0;
    // The display text of the i-th bound field in the row stepped to.
    virtual QString text(int field) const = 0;
    // Whether the i-th bound field holds numbers or amounts: a report draws
    // such a value smaller rather than cut it. (A text that reads as a number,
    // digits and signs without letters, is taken as one anyway.)
    virtual bool isNumber(int /*field*/) const { return false; }
    // The number of rows when the source can tell without stepping through
    // them; -1 when it cannot. Used for the page count and progress only.
    virtual int rowCount() { return -1; }
};

// Rows given as texts, field by name.
class ListRows final : public RowSource {
public:
    ListRows(QStringList fields, QVector<QStringList> rows);

    void bind(const QStringList& fields) override;
    bool next() override;
    QString text(int field) const override;
    int rowCount() override { return int(m_rows.size()); }

private:
    QStringList m_fields;
    QVector<QStringList> m_rows;
    QVector<int> m_columns; // bound field -> column of m_rows, -1 when absent
    int m_row = -1;
};

} // namespace reporting
