#include "platform/reporting/reportdialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace reporting {

namespace {

class StandardDialogs final : public ReportDialogs {
public:
    bool choosePrinter(QPrinter& printer, int pageCount, QWidget* parent) override
    {
        QPrintDialog dialog(&printer, parent);
        dialog.setMinMax(1, std::max(1, pageCount));
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
        dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
        return dialog.exec() == QDialog::Accepted;
    }

    QString choosePdfFile(const QString& suggestedName, QWidget* parent) override
    {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QString path =
            QFileDialog::getSaveFileName(parent, QStringLiteral("PDF olarak kaydet"),
                                         QDir(folder).filePath(suggestedName), QStringLiteral("PDF (*.pdf)"));
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".pdf");
        return path;
    }
};

ReportDialogs* replacementDialogs = nullptr;

} // namespace

ReportDialogs& reportDialogs()
{
    static StandardDialogs real;
    return replacementDialogs ? *replacementDialogs : real;
}

void setReportDialogs(ReportDialogs* replacement)
{
    replacementDialogs = replacement;
}

} // namespace reporting
