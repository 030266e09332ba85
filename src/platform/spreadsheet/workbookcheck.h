#pragma once

#include <QByteArray>
#include <QString>

namespace spreadsheet {

// Reads a workbook just made back before it may replace anything: the zip
// whole (its directory, every member's size and checksum), every XML part
// well-formed to its end, and the first sheet's last row the one written.
// libxlsxwriter does not notice when a write of its own scratch files fails
// (a full disk cuts a sheet short and still gives a sound zip), so this is
// what tells a whole workbook from a broken one. Empty when sound, else the
// reason in Turkish.
QString checkWorkbook(const QByteArray& zip, int lastRow);

} // namespace spreadsheet
