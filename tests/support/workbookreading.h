#pragma once

#include <QString>
#include <QVector>

// An .xlsx workbook as a spreadsheet would read it, taken apart with unzip
// (which scripts/setup.sh installs) and Qt's XML reader: the first sheet's
// cells with their types and number formats, its frozen rows and column
// widths, the sheet's name and the workbook's title.
struct WorkbookCell {
    QString text;      // a text cell's text, or a number as the file writes it ("1250000.5")
    bool isNumber = false;
    bool isEmpty = true;
    QString format;    // the number format's code ("#,##0"); "General" when none
    bool bold = false;
    double number() const { return text.toDouble(); }
};

struct Workbook {
    QString error; // empty when the file was read
    QString sheetName;
    QString title;
    int frozenRows = 0;
    QVector<double> widths;             // per column, in characters; 0 where none is set
    QVector<QVector<WorkbookCell>> rows; // [row][column], the header first
    const WorkbookCell& at(int row, int column) const;
};

Workbook readWorkbook(const QString& path);
