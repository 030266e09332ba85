#pragma once

#include "platform/engine/database.h"
#include "platform/engine/statement.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>

// Reads the rows of one statement once, first to last, over the columns it
// names: the path for whole-register work (matching, the bulk comparison,
// list reports, exports). Nothing is kept but the row under the reader, no
// key list is made and no order is imposed, so SQLite may answer from any
// index, a covering one included.
//
//     RowStream rows(db, Statement("kdgiris").where("Semtadi = ? AND Durum = ?", {district, status}),
//                    {"No", "Semtadi", "Metre2", "Fiyati"});
//     const int price = rows.column("Fiyati");
//     while (rows.next())
//         lines << rows.text("Semtadi") + " " + rows.text(price);
//
// Rows come in the order SQLite returns them; pass Order::ByKey where they
// must follow a grid over the same statement (key order). A reader may be
// closed half-way (close(), or leaving its scope); next() then says false.
// Values read as the columns of a dataset do: text() and displayText() are
// the texts Dataset::text() and displayText() give for the same field (an
// amount in the currency its record names when the naming field, "Döviz", is
// read as well).
class RowStream {
public:
    enum class Order { AsStored, ByKey };

    // The statement's condition and bound values select the rows; columns are
    // field names of its table in any letter case. Throws DataError for a
    // failed statement ("the builder's reason"), an unknown field ("Field '%s'
    // not found") or SQL the store refuses.
    RowStream(Database& database, const Statement& statement, const QStringList& columns,
              Order order = Order::AsStored);
    RowStream(RowStream&&) noexcept = default;
    RowStream& operator=(RowStream&&) noexcept = default;
    ~RowStream() = default;

    // Moves to the next row; false when there is none (the reader is then
    // closed, or only rewound when it is to be run again).
    bool next();
    // Runs the same statement again with other values, without building or
    // looking up its text: for running one statement per request of a list.
    // After the first call the statement stays prepared between runs.
    void rerun(const QVariantList& values);
    // Stops reading; further next() calls say false. Safe to call twice.
    void close();
    bool isOpen() const { return m_statement.isValid() && !m_ended; }
    qint64 rowsRead() const { return m_rows; }

    int columnCount() const { return int(m_fields.size()); }
    // The place of a chosen column by its field name (any letter case).
    int column(const QString& field) const; // throws "Field '%s' not found"
    const FieldSchema& field(int column) const { return *m_fields.at(column); }

    // The current row's values. Columns by place are the fastest; by name
    // they are looked up each time.
    bool isNull(int column) const;
    QVariant value(int column) const; // as Dataset::value(): numbers as double, NULL as the field's blank
    QString text(int column) const;   // as Dataset::text(): numbers in general format
    // Appends text(column) to out without making a QString of its own: a
    // bulk comparison writes a register's worth of lines.
    void appendText(int column, QString& out) const;
    QString displayText(int column) const;
    double number(int column) const;  // 0 for NULL
    qint64 integer(int column) const; // 0 for NULL
    // The stored UTF-8 bytes of a text, valid until the next move: for
    // comparing or writing out without making a QString.
    QByteArrayView utf8(int column) const;

    QVariant value(const QString& name) const { return value(column(name)); }
    QString text(const QString& name) const { return text(column(name)); }
    QString displayText(const QString& name) const { return displayText(column(name)); }
    double number(const QString& name) const { return number(column(name)); }
    qint64 integer(const QString& name) const { return integer(column(name)); }
    bool isNull(const QString& name) const { return isNull(column(name)); }

    // The SQL text run, with '?' for the bound values.
    const QString& sql() const { return m_sql; }

private:
    void requireRow(int column) const;

    Database* m_database = nullptr;
    SqlStatement m_statement;
    QVector<const FieldSchema*> m_fields;
    QVector<int> m_currencyColumns; // per column: the column naming its currency, -1 for none
    QString m_sql;
    qint64 m_rows = 0;
    bool m_onRow = false;
    bool m_rerun = false; // rewound rather than handed back at the end
    bool m_ended = false; // stepped past the last row since the last run
};
