#include "matching/matchingdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

namespace {

class RealDialogs final : public MatchingDialogs {
public:
    QString saveFileName(QWidget* parent, const QString& suggested) override
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QStringLiteral("Metin Belgesi (*.rtf)"));
        dialog.setDefaultSuffix(QStringLiteral("rtf"));
        // The list replaces a file of the same name without asking.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.selectFile(suggested);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }

    bool useCurrentPrinter(QPrinter& printer) override
    {
        QPrinterInfo current = QPrinterInfo::defaultPrinter();
        if (current.isNull()) {
            const QList<QPrinterInfo> installed = QPrinterInfo::availablePrinters();
            if (installed.size() != 1)
                return false;
            current = installed.first();
        }
        printer.setPrinterName(current.printerName());
        return printer.isValid();
    }

    bool choosePrinter(QWidget* parent, QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }

    bool progress(QWidget* parent, int done, int total, qint64 elapsedMs) override
    {
        // A short run shows nothing; a long one is brought up to date now and then.
        if (elapsedMs < QuietMs || (m_progress && elapsedMs - m_shownAt < StepMs))
            return true;
        m_shownAt = elapsedMs;
        if (!m_progress) {
            m_progress = new QProgressDialog(parent);
            m_progress->setWindowTitle(QApplication::applicationDisplayName());
            m_progress->setCancelButtonText(QStringLiteral("İptal"));
            // Nothing else of the program may change the requests under the run.
            m_progress->setWindowModality(Qt::ApplicationModal);
            m_progress->setMinimumDuration(0);
            m_progress->setAutoClose(false);
            m_progress->setAutoReset(false);
            m_progress->setRange(0, total);
            m_progress->show();
        }
        m_progress->setLabelText(QStringLiteral("Talepler karşılaştırılıyor: %1 / %2")
                                     .arg(QLocale().toString(done), QLocale().toString(total)));
        m_progress->setValue(done);
        QApplication::processEvents();
        return !m_progress->wasCanceled();
    }

    void endProgress() override
    {
        delete m_progress;
        m_shownAt = 0;
    }

    void inform(QWidget* parent, const QString& message) override
    {
        QMessageBox::information(parent ? parent->window() : nullptr, QApplication::applicationDisplayName(),
                                 message);
    }

private:
    static constexpr qint64 QuietMs = 500;
    static constexpr qint64 StepMs = 40;
    QPointer<QProgressDialog> m_progress;
    qint64 m_shownAt = 0;
};

MatchingDialogs* replacement = nullptr;

} // namespace

MatchingDialogs& matchingDialogs()
{
    static RealDialogs real;
    return replacement ? *replacement : real;
}

void setMatchingDialogs(MatchingDialogs* dialogs)
{
    replacement = dialogs;
}
