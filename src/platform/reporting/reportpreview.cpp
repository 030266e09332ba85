#include "platform/reporting/reportpreview.h"

#include "platform/reporting/reportdialogs.h"
#include "platform/spreadsheet/sheetdialogs.h"
#include "platform/system/errorreporter.h"
#include "platform/system/safefilewriter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace reporting {

namespace {

constexpr int PagePadding = 12;        // grey around the page, in pixels
constexpr int FarAhead = 20;           // a jump past this many new pages shows the progress bar
constexpr qint64 ProgressEveryMs = 50; // how often a long run repaints and looks for "İptal"
const QList<double> ZoomSteps{0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};

QString percent(double zoom)
{
    return QStringLiteral("%%1").arg(qRound(zoom * 100)); // Turkish writes the sign first
}

} // namespace

// --- PageView ------------------------------------------------------------------

PageView::PageView(Report& report, QWidget* parent) : QWidget(parent), m_report(report)
{
    setObjectName(QStringLiteral("PreviewPage"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(pageSize(m_zoom));
}

QSize PageView::pageSize(double zoom) const
{
    const QSizeF paper = m_report.paperSize();
    const double dotsPerMm = logicalDpiY() / 25.4 * zoom;
    return QSize(qRound(paper.width() * dotsPerMm), qRound(paper.height() * dotsPerMm));
}

void PageView::setPage(int index)
{
    if (index == m_page)
        return;
    m_page = index;
    update();
}

void PageView::setZoom(double zoom)
{
    m_zoom = zoom;
    resize(pageSize(zoom));
    update();
}

void PageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    if (m_imagePage != m_page || m_imageZoom != m_zoom || m_image.devicePixelRatio() != ratio) {
        m_image = m_report.pageImage(m_page, logicalDpiY() * m_zoom * ratio);
        m_image.setDevicePixelRatio(ratio);
        m_imagePage = m_page;
        m_imageZoom = m_zoom;
    }
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(QPointF(0, 0), m_image);
    painter.setPen(Qt::darkGray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    emit painted(m_page);
}

// --- ReportPreview -------------------------------------------------------------

ReportPreview::ReportPreview(Report& report, QWidget* parent, std::optional<spreadsheet::Source> sheet)
    : QDialog(parent), m_report(report), m_sheet(std::move(sheet))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(report.layout().name);
    setAccessibleName(report.layout().name);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    auto* bar = new QToolBar(this);
    m_toolBar = bar;
    bar->setObjectName(QStringLiteral("PreviewToolBar"));
    bar->setIconSize(QSize(20, 20));
    auto addAction = [&](const QString& name, const QString& text, QStyle::StandardPixmap icon,
                         const QList<QKeySequence>& keys, void (ReportPreview::*slot)(), bool withText) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        action->setToolTip(text);
        if (icon != QStyle::SP_CustomBase)
            action->setIcon(style()->standardIcon(icon));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        bar->addAction(action);
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
            button->setToolButtonStyle(withText || icon == QStyle::SP_CustomBase ? Qt::ToolButtonTextBesideIcon
                                                                                 : Qt::ToolButtonIconOnly);
            button->setAccessibleName(text);
        }
        m_actions << action;
        return action;
    };

    addAction(QStringLiteral("FirstPage"), QStringLiteral("İlk Sayfa"), QStyle::SP_MediaSkipBackward,
              {QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_Home)}, &ReportPreview::firstPage, false);
    addAction(QStringLiteral("PreviousPage"), QStringLiteral("Önceki Sayfa"), QStyle::SP_ArrowBack,
              {QKeySequence(Qt::Key_PageUp)}, &ReportPreview::previousPage, false);
    m_pageBox = new QSpinBox(bar);
    m_pageBox->setObjectName(QStringLiteral("PageNumber"));
    m_pageBox->setAccessibleName(QStringLiteral("Sayfa"));
    m_pageBox->setRange(1, 1);
    m_pageBox->setKeyboardTracking(false);
    m_pageBox->setMinimumWidth(70);
    // Home and End page the report from the page box too, as from anywhere in
    // the preview; a number is typed in and confirmed with Enter.
    m_pageBox->installEventFilter(this);
    bar->addWidget(m_pageBox);
    m_pageCount = new QLabel(bar);
    m_pageCount->setObjectName(QStringLiteral("PageCount"));
    m_pageCount->setMinimumWidth(60);
    bar->addWidget(m_pageCount);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int number) {
        if (number - 1 != currentPage())
            showPage(number - 1);
    });
    addAction(QStringLiteral("NextPage"), QStringLiteral("Sonraki Sayfa"), QStyle::SP_ArrowForward,
              {QKeySequence(Qt::Key_PageDown)}, &ReportPreview::nextPage, false);
    addAction(QStringLiteral("LastPage"), QStringLiteral("Son Sayfa"), QStyle::SP_MediaSkipForward,
              {QKeySequence(Qt::Key_End), QKeySequence(Qt::CTRL | Qt::Key_End)}, &ReportPreview::lastPage, false);
    bar->addSeparator();

    addAction(QStringLiteral("ZoomOut"), QStringLiteral("Uzaklaştır"), QStyle::SP_CustomBase,
              {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, &ReportPreview::zoomOut, false)
        ->setText(QStringLiteral("−"));
    m_zoomBox = new QComboBox(bar);
    m_zoomBox->setObjectName(QStringLiteral("Zoom"));
    m_zoomBox->setAccessibleName(QStringLiteral("Yakınlaştırma"));
    m_zoomBox->addItem(QStringLiteral("Tam Sayfa"), -2.0);
    m_zoomBox->addItem(QStringLiteral("Sayfa Genişliği"), -1.0);
    for (double step : ZoomSteps)
        m_zoomBox->addItem(percent(step), step);
    bar->addWidget(m_zoomBox);
    connect(m_zoomBox, &QComboBox::activated, this, [this](int item) {
        const double chosen = m_zoomBox->itemData(item).toDouble();
        if (chosen == -2.0)
            fitPage();
        else if (chosen == -1.0)
            fitWidth();
        else
            setZoom(chosen);
    });
    addAction(QStringLiteral("ZoomIn"), QStringLiteral("Yakınlaştır"), QStyle::SP_CustomBase,
              {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, &ReportPreview::zoomIn,
              false)
        ->setText(QStringLiteral("+"));
    bar->addSeparator();
    addAction(QStringLiteral("Print"), QStringLiteral("Yazdır"), QStyle::SP_CustomBase, {QKeySequence::Print},
              &ReportPreview::printReport, true);
    addAction(QStringLiteral("SavePdf"), QStringLiteral("PDF olarak kaydet"), QStyle::SP_DialogSaveButton,
              {QKeySequence::Save}, &ReportPreview::savePdf, true);
    if (m_sheet) {
        addAction(QStringLiteral("ExportXlsx"), QStringLiteral("Excel'e Aktar"), QStyle::SP_CustomBase,
                  {QKeySequence(Qt::CTRL | Qt::Key_E)}, &ReportPreview::exportXlsx, true);
        addAction(QStringLiteral("ExportCsv"), QStringLiteral("CSV olarak kaydet"), QStyle::SP_CustomBase,
                  {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)}, &ReportPreview::exportCsv, true);
    }
    bar->addSeparator();
    addAction(QStringLiteral("ClosePreview"), QStringLiteral("Kapat"), QStyle::SP_DialogCloseButton, {},
              &ReportPreview::reject, true);

    m_view = new PageView(report);
    connect(m_view, &PageView::painted, this, &ReportPreview::pageShown);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PreviewArea"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(false);
    m_scroll->viewport()->installEventFilter(this);

    m_progressArea = new QWidget(this);
    m_progressArea->setObjectName(QStringLiteral("ProgressArea"));
    m_progressText = new QLabel(m_progressArea);
    m_progress = new QProgressBar(m_progressArea);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setAccessibleName(QStringLiteral("İlerleme"));
    m_cancel = new QPushButton(QStringLiteral("İptal"), m_progressArea);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    m_cancel->setAccessibleName(QStringLiteral("İptal"));
    connect(m_cancel, &QPushButton::clicked, this, &ReportPreview::cancelRun);
    auto* progressRow = new QHBoxLayout(m_progressArea);
    progressRow->setContentsMargins(8, 4, 8, 4);
    progressRow->addWidget(m_progressText);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_cancel);
    m_progressArea->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(bar);
    column->addWidget(m_scroll, 1);
    column->addWidget(m_progressArea);

    const QRect screen = (parent ? parent->screen() : QApplication::primaryScreen())->availableGeometry();
    resize(std::min(900, screen.width()), std::min(int(screen.height() * 0.92), 1100));

    // The page itself has the focus, so the paging keys act from the start.
    m_scroll->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_scroll);
    m_scroll->setFocus();

    showPage(0);
    applyFit();
    // The page count may need to read through a large source: worked out once
    // the first page is on screen, not before.
    connect(m_view, &PageView::painted, this, [this] {
        if (m_countKnown)
            return;
        m_countKnown = true;
        QTimer::singleShot(0, this, &ReportPreview::updateControls);
    });
}

ReportPreview::~ReportPreview() = default;

int ReportPreview::currentPage() const
{
    return m_view->page();
}

double ReportPreview::zoom() const
{
    return m_view->zoom();
}

void ReportPreview::showPage(int index)
{
    index = std::max(index, 0);
    if (index >= m_report.pagesLaidOut() && !m_report.isComplete()) {
        if (index - m_report.pagesLaidOut() > FarAhead && !m_busy)
            run(QStringLiteral("Sayfalar hazırlanıyor"), [&](const Report::Progress& progress) {
                while (index >= m_report.pagesLaidOut() && !m_report.isComplete()) {
                    m_report.ensurePage(m_report.pagesLaidOut());
                    if (!progress(m_report.pagesLaidOut(), index + 1))
                        return false;
                }
                return true;
            });
        else
            m_report.ensurePage(index);
    }
    index = std::min(index, std::max(0, m_report.pagesLaidOut() - 1));
    m_view->setPage(index);
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
    reportFailure();
}

void ReportPreview::firstPage()
{
    showPage(0);
}

void ReportPreview::previousPage()
{
    showPage(currentPage() - 1);
}

void ReportPreview::nextPage()
{
    showPage(currentPage() + 1);
}

void ReportPreview::lastPage()
{
    if (!m_report.isComplete() &&
        !run(QStringLiteral("Sayfalar hazırlanıyor"),
             [this](const Report::Progress& progress) { return m_report.layoutAll(progress); })) {
        showPage(m_report.pagesLaidOut() - 1);
        return;
    }
    showPage(m_report.pagesLaidOut() - 1);
}

void ReportPreview::setZoom(double zoom)
{
    m_fit = Fit::None;
    m_view->setZoom(std::clamp(zoom, ZoomSteps.first(), ZoomSteps.last()));
    updateControls();
}

void ReportPreview::zoomIn()
{
    for (double step : ZoomSteps)
        if (step > zoom() + 1e-3) {
            setZoom(step);
            return;
        }
}

void ReportPreview::zoomOut()
{
    for (auto step = ZoomSteps.crbegin(); step != ZoomSteps.crend(); ++step)
        if (*step < zoom() - 1e-3) {
            setZoom(*step);
            return;
        }
}

void ReportPreview::fitWidth()
{
    m_fit = Fit::Width;
    applyFit();
}

void ReportPreview::fitPage()
{
    m_fit = Fit::Page;
    applyFit();
}

void ReportPreview::applyFit()
{
    if (m_fit == Fit::None)
        return;
    const QSize page = m_view->pageSize(1.0);
    const QSize room = m_scroll->viewport()->size() - QSize(2 * PagePadding, 2 * PagePadding);
    double zoom = double(room.width() - m_scroll->verticalScrollBar()->sizeHint().width()) / page.width();
    if (m_fit == Fit::Page)
        zoom = std::min(double(room.width()) / page.width(), double(room.height()) / page.height());
    m_view->setZoom(std::clamp(zoom, 0.1, ZoomSteps.last()));
    updateControls();
}

bool ReportPreview::eventFilter(QObject* watched, QEvent* event)
{
    // A fitted page follows the room the window gives it.
    if (m_scroll && watched == m_scroll->viewport() && event->type() == QEvent::Resize)
        applyFit();
    // The page box would keep the paging keys for its text cursor; left
    // unclaimed, they reach the preview's own shortcuts.
    if (watched == m_pageBox && event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            event->ignore();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ReportPreview::updateControls()
{
    const int shown = currentPage() + 1;
    int total = -1;
    if (m_report.isComplete())
        total = m_report.pagesLaidOut();
    else if (m_countKnown)
        total = m_report.expectedPageCount();
    {
        const QSignalBlocker quiet(m_pageBox);
        m_pageBox->setRange(1, total > 0 ? total : std::numeric_limits<int>::max());
        m_pageBox->setValue(shown);
    }
    m_pageCount->setText(total > 0 ? QStringLiteral("/ %1").arg(total) : QStringLiteral("/ ?"));
    const QSignalBlocker quiet(m_zoomBox);
    if (m_fit == Fit::Page)
        m_zoomBox->setCurrentIndex(0);
    else if (m_fit == Fit::Width)
        m_zoomBox->setCurrentIndex(1);
    else {
        const int item = m_zoomBox->findData(zoom());
        if (item >= 0)
            m_zoomBox->setCurrentIndex(item);
        else
            m_zoomBox->setEditText(percent(zoom()));
    }
    for (QAction* action : m_actions) {
        const QString name = action->objectName();
        if (name == QLatin1String("FirstPage") || name == QLatin1String("PreviousPage"))
            action->setEnabled(!m_busy && shown > 1);
        else if (name == QLatin1String("NextPage") || name == QLatin1String("LastPage"))
            action->setEnabled(!m_busy && !(m_report.isComplete() && shown >= m_report.pagesLaidOut()));
        else
            action->setEnabled(!m_busy || name == QLatin1String("ClosePreview"));
    }
    m_pageBox->setEnabled(!m_busy);
    m_zoomBox->setEnabled(!m_busy);
}

bool ReportPreview::run(const QString& what, const Work& work)
{
    m_busy = true;
    m_cancelRequested = false;
    updateControls();
    m_progressText->setText(what);
    m_progress->setRange(0, 0);
    m_progressArea->show();
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    const auto progress = [&](int done, int total) {
        if (sinceRepaint.elapsed() >= ProgressEveryMs) {
            sinceRepaint.restart();
            if (total > 0) {
                m_progress->setRange(0, total);
                m_progress->setValue(std::min(done, total));
            }
            QApplication::processEvents();
        }
        return !m_cancelRequested;
    };
    bool finished = false;
    try {
        finished = work(progress);
    } catch (...) {
        m_progressArea->hide();
        m_busy = false;
        updateControls();
        throw;
    }
    m_progressArea->hide();
    m_busy = false;
    updateControls();
    if (m_closeRequested)
        QMetaObject::invokeMethod(this, &ReportPreview::reject, Qt::QueuedConnection);
    return finished && !m_cancelRequested;
}

void ReportPreview::cancelRun()
{
    if (m_busy)
        m_cancelRequested = true;
}

void ReportPreview::reject()
{
    if (m_busy) {
        // Closing stops what runs first; the window closes when it has.
        m_cancelRequested = true;
        m_closeRequested = true;
        return;
    }
    QDialog::reject();
}

void ReportPreview::reportFailure()
{
    if (m_failureShown || m_report.failure().isEmpty())
        return;
    m_failureShown = true;
    errorReporter().report(this, m_report.failure());
}

void ReportPreview::printReport()
{
    if (m_busy)
        return;
    if (!run(QStringLiteral("Sayfalar hazırlanıyor"),
             [this](const Report::Progress& progress) { return m_report.layoutAll(progress); }))
        return;
    updateControls();
    const int pages = m_report.pagesLaidOut();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(m_report.layout().page.paper), m_report.layout().page.orientation,
                                      QMarginsF(), QPageLayout::Millimeter));
    printer.setDocName(m_report.layout().name);
    printer.setFromTo(1, pages);
    if (!reportDialogs().choosePrinter(printer, pages, this))
        return;
    int first = 0, last = pages - 1;
    switch (printer.printRange()) {
    case QPrinter::PageRange:
        first = printer.fromPage() - 1;
        last = printer.toPage() - 1;
        break;
    case QPrinter::CurrentPage:
        first = last = currentPage();
        break;
    case QPrinter::AllPages:
    case QPrinter::Selection:
        break;
    }
    Report::Outcome outcome = Report::Outcome::Done;
    run(QStringLiteral("Yazdırılıyor"), [&](const Report::Progress& progress) {
        outcome = m_report.print(printer, first, last, progress);
        return outcome != Report::Outcome::Cancelled;
    });
    if (outcome == Report::Outcome::Failed)
        errorReporter().report(this, QStringLiteral("Rapor yazdırılamadı."));
}

void ReportPreview::savePdf()
{
    if (m_busy)
        return;
    const QString path = reportDialogs().choosePdfFile(
        offeredFileName(m_report.layout().name, QStringLiteral("Rapor"), QStringLiteral("pdf")), this);
    if (path.isEmpty())
        return;
    Report::Outcome outcome = Report::Outcome::Done;
    QString error;
    run(QStringLiteral("PDF kaydediliyor"), [&](const Report::Progress& progress) {
        outcome = m_report.savePdf(path, &error, progress);
        return outcome != Report::Outcome::Cancelled;
    });
    updateControls();
    if (outcome == Report::Outcome::Failed)
        errorReporter().report(this, QStringLiteral("PDF kaydedilemedi: %1").arg(error));
}

void ReportPreview::exportXlsx()
{
    exportSheet(spreadsheet::Format::Xlsx);
}

void ReportPreview::exportCsv()
{
    exportSheet(spreadsheet::Format::Csv);
}

void ReportPreview::exportSheet(spreadsheet::Format format)
{
    if (m_busy || !m_sheet)
        return;
    spreadsheet::exportWithDialog(this, format, *m_sheet, [this](const spreadsheet::Work& work) {
        return run(QStringLiteral("Liste kaydediliyor"), work);
    });
}

// --- PreviewWindow ---------------------------------------------------------------

PreviewWindow::PreviewWindow(std::unique_ptr<Report> report, QWidget* parent,
                             std::optional<spreadsheet::Source> sheet)
    : m_report(std::move(report)), m_parent(parent), m_sheet(std::move(sheet))
{
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::preview()
{
    ReportPreview dialog(*m_report, m_parent, m_sheet);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.exec();
}

} // namespace reporting
