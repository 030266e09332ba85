#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

// A list leaving the program for a spreadsheet: an .xlsx workbook of one
// sheet, or a CSV file. The titles make the first row; then one row per row
// of the list. Nothing here shows a window (see sheetdialogs.h for that).
namespace spreadsheet {

enum class Kind {
    Text,   // written as it is stored
    Number, // a floor area, a count: grouped digits, decimals only where there are some
    Amount, // a price: two decimals and the currency's sign
};

struct Column {
    QString title;
    Kind kind = Kind::Text;
};

// One value of a row: a number (double), a text (QString) or nothing (a null
// or invalid QVariant). In a Number or Amount column a text is written as
// the number it reads as (TurkishText::readNumber: "1.250,75", "120"), and as
// text when it reads as none. An amount's record may name its currency
// ("USD", "Avro"; empty: the lira).
struct Cell {
    QVariant value;
    QString currency;
};

// The rows, stepped once from the first to the last.
class Rows {
public:
    virtual ~Rows() = default;
    // Steps to the next row (the first on the first call); false past the last.
    virtual bool next() = 0;
    virtual Cell cell(int column) const = 0;
    // The number of rows when known without stepping; -1 otherwise. For progress only.
    virtual int rowCount() { return -1; }
};

// Rows held as texts, one list per row.
class TextRows final : public Rows {
public:
    explicit TextRows(QVector<QStringList> rows) : m_rows(std::move(rows)) {}
    bool next() override { return ++m_row < m_rows.size(); }
    Cell cell(int column) const override { return {m_rows.at(m_row).value(column), {}}; }
    int rowCount() override { return int(m_rows.size()); }

private:
    QVector<QStringList> m_rows;
    qsizetype m_row = -1;
};

struct Sheet {
    QString title; // the workbook's title and, cut to 31 letters, the sheet's name
    QVector<Column> columns;
};

// A sheet with the way to read its rows afresh for every export.
struct Source {
    Sheet sheet;
    std::function<std::unique_ptr<Rows>()> rows;
};

enum class Format { Xlsx, Csv };
enum class Outcome { Done, Cancelled, Failed };

// Called now and then with the rows written and the total (-1: unknown);
// false cancels the export.
using Progress = std::function<bool(int done, int total)>;

// Writes the sheet to path, replacing a file there only once the whole file
// is on disk: a failed or cancelled export leaves whatever was there before.
// On failure error gets the reason in Turkish, naming the file.
//
// .xlsx: the titles bold in a frozen first row, numbers as numbers with
// Turkish grouping and decimals ("1.250.000", "₺1.250,50"), columns as wide
// as their longest value. CSV: UTF-8 with a byte-order mark, fields
// separated by ';', numbers with a decimal comma and no grouping, an amount
// in a currency other than the lira followed by its sign or code.
Outcome save(Format format, const QString& path, const Sheet& sheet, Rows& rows, QString* error = nullptr,
             const Progress& progress = {});

// The spreadsheet number format of an amount in the currency named
// as the program shows it: "\"₺\"#,##0.00" for the lira, "\"CHF \"#,##0.00" for a
// currency named by its code.
QString amountFormat(const QString& currency);

// One CSV line: fields joined by ';', a field holding ';', '"' or a line
// break quoted with its quotes doubled; ends with CR LF.
QByteArray csvLine(const QStringList& fields);

// The file-name suffix ("xlsx", "csv").
QString suffix(Format format);

} // namespace spreadsheet
