#pragma once

#include "matching/callsheet.h"
#include "platform/reporting/reportwindow.h"
#include "platform/spreadsheet/sheet.h"

#include <QString>
#include <memory>

class QWidget;

namespace reporting {
class Report;
}

// The call sheet on paper and in a spreadsheet: "Aranacak Müşteriler".
namespace CallSheet {

// What the sheet's marks read: "gösterildi 03.12.2026" (or "gösterildi"
// when the log's date reads as none) and "YENİ".
QString shownMark(const Listing& listing);
QString newMark(const Listing& listing);
// The line under the title: the criterion and the sheet the marks compare with.
QString subtitle(const Sheet& sheet);
// The counts at the end.
QString summary(const Sheet& sheet);

std::unique_ptr<reporting::Report> makeReport(const Sheet& sheet);
// One row per listing, the customer's columns repeated.
spreadsheet::Source spreadsheetOf(const Sheet& sheet);
// The preview, with print, PDF and the spreadsheet exports.
std::unique_ptr<ReportWindow> previewWindow(const Sheet& sheet, QWidget* parent);

} // namespace CallSheet
