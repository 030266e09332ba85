#pragma once

#include "platform/spreadsheet/sheet.h"

#include <QString>

class QWidget;

namespace spreadsheet {

// The questions an export asks, behind an interface so that tests answer
// them instead of a clerk.
class SheetDialogs {
public:
    virtual ~SheetDialogs() = default;
    // Where to write: the save dialog for the format ("Excel Çalışma Kitabı
    // (*.xlsx)" or "CSV, noktalı virgülle ayrılmış (*.csv)"), offering
    // suggestedName in the clerk's documents folder. A name typed without a
    // suffix gets the format's. Empty when the clerk cancels.
    virtual QString chooseFile(QWidget* parent, Format format, const QString& suggestedName) = 0;
    // Tells the clerk the list is saved (only ever after a whole file is on disk).
    virtual void saved(QWidget* parent, const QString& message) = 0;
};

SheetDialogs& sheetDialogs();
// Puts a replacement in place (not owned); nullptr restores the dialogs.
void setSheetDialogs(SheetDialogs* replacement);

// Runs the writing of a file, showing its progress where the screen has a
// way to (the report preview's progress bar with "İptal"); false when cancelled.
using Work = std::function<bool(const Progress& progress)>;
using Runner = std::function<bool(const Work& work)>;

// The whole export from a screen: asks where, writes (through the runner
// when one is given), tells. Returns the outcome; Cancelled also when the
// clerk closes the dialog.
Outcome exportWithDialog(QWidget* parent, Format format, const Source& source, const Runner& runner = {});

} // namespace spreadsheet
