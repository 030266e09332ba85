#pragma once

#include "platform/spreadsheet/sheet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFont;
class QPagedPaintDevice;

// How the comparison list leaves the program: printed line by line, saved
// as a Rich Text Format document, or as a spreadsheet. Nothing here shows a
// window.
namespace ListOutput {

// The list as a Rich Text Format document, one paragraph per line, in the
// font given. Every letter beyond ASCII is written as its Unicode value with
// the Turkish code page's byte as the fallback (\u305\'fd for "ı"), so both
// readers that know Unicode and those that know only the code page show it.
QByteArray rtfDocument(const QStringList& lines, const QFont& font);

// Writes the document through writeFileSafely(): the file is replaced only
// when the whole document is on disk. Returns an empty text, or a Turkish
// message naming the file and the cause.
QString saveRtf(const QString& path, const QStringList& lines, const QFont& font);

// Prints the lines on the device, already set up for the job: each line at
// 100 device units from the left edge, the next one a font height lower,
// starting at the top of the page; a line that would not fit whole on the
// page starts the next page. An empty list begins and ends the job with
// nothing drawn. Returns the pages drawn on (0 for an empty list), or -1
// when the device refused the job.
int printLines(QPagedPaintDevice& device, const QStringList& lines, const QFont& font);

// The list as a table for a spreadsheet, one row per listing line under the
// name and phone of the request above it: "İsim", "Telefon", "Semt Adı",
// "Metre2", "Fiyatı" (numbers), "Emlak", and "Not" for a line of no known
// shape (typed by the clerk), which is kept whole there. A request that found
// nothing has a row with its name and phone only. Empty lines are left out.
spreadsheet::Sheet sheet();
QVector<QStringList> sheetRows(const QStringList& lines);

// The left edge of every printed line, in device units.
inline constexpr int LeftEdge = 100;

} // namespace ListOutput
