#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace reporting {

// The questions a report preview asks, behind an interface so that tests
// answer them instead of a modal dialog and nothing ever reaches a printer.
class ReportDialogs {
public:
    virtual ~ReportDialogs() = default;
    // The printer dialog: printer, copies, page range (pages 1 to pageCount,
    // the current one offered as well). false when cancelled.
    virtual bool choosePrinter(QPrinter& printer, int pageCount, QWidget* parent) = 0;
    // Where to save the PDF, starting from the suggested file name; empty when cancelled.
    virtual QString choosePdfFile(const QString& suggestedName, QWidget* parent) = 0;
};

ReportDialogs& reportDialogs();
// Puts a replacement in place (not owned); nullptr restores the dialogs.
void setReportDialogs(ReportDialogs* replacement);

} // namespace reporting
