#include "platform/spreadsheet/sheetdialogs.h"

#include "platform/engine/dataerror.h"
#include "platform/system/errorreporter.h"
#include "platform/system/safefilewriter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace spreadsheet {

namespace {

class StandardDialogs final : public SheetDialogs {
public:
    QString chooseFile(QWidget* parent, Format format, const QString& suggestedName) override
    {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QDir(folder).exists())
            folder = QDir::homePath();
        const bool xlsx = format == Format::Xlsx;
        QFileDialog dialog(parent, xlsx ? QStringLiteral("Excel'e Aktar") : QStringLiteral("CSV olarak kaydet"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(xlsx ? QStringLiteral("Excel Çalışma Kitabı (*.xlsx)")
                                  : QStringLiteral("CSV, noktalı virgülle ayrılmış (*.csv)"));
        dialog.setDefaultSuffix(suffix(format));
        dialog.selectFile(QDir(folder).filePath(suggestedName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }

    void saved(QWidget* parent, const QString& message) override
    {
        QMessageBox::information(parent ? parent->window() : nullptr, QApplication::applicationDisplayName(), message);
    }
};

SheetDialogs* replacement = nullptr;

// After a save: tells the clerk where the list went, or reports the failure
// through the program's error reporter. A cancelled save says nothing.
void tellOutcome(QWidget* parent, Outcome outcome, const QString& path, const QString& error)
{
    if (outcome == Outcome::Failed)
        errorReporter().report(parent, QStringLiteral("Liste kaydedilemedi: %1").arg(error));
    else if (outcome == Outcome::Done)
        sheetDialogs().saved(parent, QStringLiteral("Liste kaydedildi: %1").arg(QDir::toNativeSeparators(path)));
}

} // namespace

SheetDialogs& sheetDialogs()
{
    static StandardDialogs real;
    return replacement ? *replacement : real;
}

void setSheetDialogs(SheetDialogs* dialogs)
{
    replacement = dialogs;
}

Outcome exportWithDialog(QWidget* parent, Format format, const Source& source, const Runner& runner)
{
    const QString path = sheetDialogs().chooseFile(
        parent, format, offeredFileName(source.sheet.title, QStringLiteral("Liste"), suffix(format)));
    if (path.isEmpty())
        return Outcome::Cancelled;
    QString error;
    Outcome outcome = Outcome::Failed;
    const Work write = [&](const Progress& progress) {
        if (std::unique_ptr<Rows> rows = source.rows ? source.rows() : nullptr)
            outcome = save(format, path, source.sheet, *rows, &error, progress);
        else
            error = QStringLiteral("listenin satırları okunamadı.");
        return outcome != Outcome::Cancelled;
    };
    try {
        if (runner)
            runner(write);
        else
            write({});
    } catch (const DataError& failure) {
        // The rows could not be read: the file was not replaced.
        outcome = Outcome::Failed;
        error = failure.message();
    }
    tellOutcome(parent, outcome, path, error);
    return outcome;
}

} // namespace spreadsheet
