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
namespace reports {

// What the sheet's marks read: "gösterildi 03.12.2026" (or "gösterildi"
// when the log's date reads as none) and "YENİ".
QString shownMark(const CallSheet::Listing& listing);
QString newMark(const CallSheet::Listing& listing);
// The line under the title: the criterion and the sheet the marks compare with.
QString callSheetSubtitle(const CallSheet::Sheet& sheet);
// The counts at the end.
QString callSheetSummary(const CallSheet::Sheet& sheet);

std::unique_ptr<reporting::Report> makeCallSheet(const CallSheet::Sheet& sheet);
// One row per listing, the customer's columns repeated.
spreadsheet::Source callSheetSpreadsheet(const CallSheet::Sheet& sheet);
// The preview, with print, PDF and the spreadsheet exports.
std::unique_ptr<ReportWindow> callSheetWindow(const CallSheet::Sheet& sheet, QWidget* parent);

} // namespace reports
