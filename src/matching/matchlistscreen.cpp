#include "matching/matchlistscreen.h"

#include "kit/behaviours/pressbutton.h"
#include "kit/screenkit.h"
#include "matching/listoutput.h"
#include "matching/listtextedit.h"
#include "matching/matchingdialogs.h"
#include "platform/spreadsheet/sheetdialogs.h"
#include "platform/system/errorreporter.h"

#include <QDir>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace {

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

ScreenSetup windowSetup()
{
    ScreenSetup setup = ScreenKit::standardWindow(MatchListScreen::programName(),
                                                  QStringLiteral("Karşılaştırma Listesi"), QSize(640, 480));
    setup.placement = ScreenPlacement::CentreOnActivation;
    return setup;
}

} // namespace

const QString& MatchListScreen::programName()
{
    static const QString name = QStringLiteral("MatchListScreen");
    return name;
}

const QString& MatchListScreen::suggestedFileName()
{
    static const QString name = QStringLiteral("karşılaştırma.rtf");
    return name;
}

MatchListScreen::MatchListScreen(QWidget* parent) : Screen(windowSetup(), parent)
{
    ScreenKit kit(this);
    kit.minimiseIcon();
    kit.exitIcon();

    m_box = new ListTextEdit(this);
    m_box->setObjectName(QStringLiteral("RichEdit1"));
    m_box->setAccessibleName(windowTitle());
    // A fixed pitch keeps the list's columns under one another.
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    m_box->setFont(font);
    m_box->setGeometry(10, 52, 510, 342);

    const QString counted = QStringLiteral("Satır Sayısı");
    QLabel* countedCaption = kit.caption(counted, QRect(532, 60, 100, 18));
    m_counter = new QLabel(QStringLiteral("000"), this);
    m_counter->setObjectName(QStringLiteral("LabelSatirSayisi"));
    // A screen reader reads the number itself; the caption describes it.
    m_counter->setAccessibleName(m_counter->text());
    m_counter->setAccessibleDescription(counted);
    countedCaption->setBuddy(m_counter);
    m_counter->setGeometry(532, 80, 100, 20);
    whenDressed(m_counter, [counter = m_counter] {
        counter->setStyleSheet(QStringLiteral("color: rgb(0, 90, 90); font-weight: bold;"));
    });
    connect(m_box, &ListTextEdit::textChanged, this, [this] {
        m_counter->setText(QString::number(m_box->lineCount()));
        m_counter->setAccessibleName(m_counter->text());
    });

    const QList<QRect> frames = ScreenKit::footerFrames(this, {90, 90, 90});
    m_print = kit.action(QStringLiteral("LabelYazdir"), QStringLiteral("Yazdır"), frames.at(0));
    m_save = kit.action(QStringLiteral("LabelKaydet"), QStringLiteral("Kaydet"), frames.at(1));
    m_exit = kit.exitAction(frames.at(2));
    connect(m_print, &LabelButton::activated, this, &MatchListScreen::print);
    connect(m_save, &LabelButton::activated, this, &MatchListScreen::save);
    // Under the list, on the frames the window's picture has for them.
    m_xlsx = kit.action(QStringLiteral("LabelExcel"), QStringLiteral("Excel'e Aktar"), QRect(10, 402, 170, 24));
    m_csv = kit.action(QStringLiteral("LabelCsv"), QStringLiteral("CSV olarak kaydet"), QRect(194, 402, 170, 24));
    connect(m_xlsx, &LabelButton::activated, this, &MatchListScreen::exportXlsx);
    connect(m_csv, &LabelButton::activated, this, &MatchListScreen::exportCsv);
}

void MatchListScreen::setList(QStringList lines)
{
    m_box->setLines(std::move(lines));
}

void MatchListScreen::clearList()
{
    m_box->clear();
}

void MatchListScreen::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    // The current printer at once; the dialog only where there is none.
    if (!matchingDialogs().useCurrentPrinter(printer)) {
        if (QPrinterInfo::availablePrinterNames().isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QDir(documentsFolder()).filePath(QStringLiteral("karşılaştırma.pdf")));
        }
        if (!matchingDialogs().choosePrinter(this, printer))
            return;
    }
    if (ListOutput::printLines(printer, m_box->lines(), m_box->font()) < 0) {
        const QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        errorReporter().report(this, QStringLiteral("Liste yazdırılamadı: %1").arg(where));
    }
}

void MatchListScreen::save()
{
    const QString path =
        matchingDialogs().saveFileName(this, QDir(documentsFolder()).filePath(suggestedFileName()));
    if (path.isEmpty())
        return;
    const QString failure = ListOutput::saveRtf(path, m_box->lines(), m_box->font());
    if (!failure.isEmpty())
        errorReporter().report(this, QStringLiteral("Liste kaydedilemedi: %1").arg(failure));
}

void MatchListScreen::exportXlsx()
{
    exportList(spreadsheet::Format::Xlsx);
}

void MatchListScreen::exportCsv()
{
    exportList(spreadsheet::Format::Csv);
}

void MatchListScreen::exportList(spreadsheet::Format format)
{
    // The box's lines as they stand, typed changes with them.
    const QStringList lines = m_box->lines();
    spreadsheet::exportWithDialog(this, format, {ListOutput::sheet(), [lines] {
                                                     return std::make_unique<spreadsheet::TextRows>(
                                                         ListOutput::sheetRows(lines));
                                                 }});
}
