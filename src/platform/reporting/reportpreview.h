#pragma once

#include "platform/reporting/report.h"
#include "platform/reporting/reportwindow.h"
#include "platform/spreadsheet/sheet.h"

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace reporting {

// One page of a report on screen, drawn at the zoom asked for.
class PageView : public QWidget {
    Q_OBJECT
public:
    PageView(Report& report, QWidget* parent = nullptr);
    void setPage(int index);
    void setZoom(double zoom);
    int page() const { return m_page; }
    double zoom() const { return m_zoom; }
    // The page's size in device-independent pixels at a zoom.
    QSize pageSize(double zoom) const;

signals:
    void painted(int page);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Report& m_report;
    int m_page = 0;
    double m_zoom = 1.0;
    QImage m_image; // the page as last drawn
    int m_imagePage = -1;
    double m_imageZoom = 0;
};

// The on-screen preview of a report, modal when opened through its report
// window: one page at a time, paged and zoomed from the toolbar or the keys
// (PgUp, PgDn, Home, End, Ctrl+plus, Ctrl+minus); "Yazdır" prints through the
// printer dialog (printer, copies, page range) and "PDF olarak kaydet" saves
// the whole report. A list report given its sheet also has "Excel'e Aktar"
// and "CSV olarak kaydet", which write its rows to a spreadsheet file.
// Pages are laid out as they are shown; a print, a save or a jump far ahead
// shows a progress bar with "İptal" while it runs.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    enum class Fit { None, Width, Page };

    explicit ReportPreview(Report& report, QWidget* parent = nullptr,
                           std::optional<spreadsheet::Source> sheet = std::nullopt);
    ~ReportPreview() override;

    Report& report() const { return m_report; }
    int currentPage() const; // 0-based
    double zoom() const;
    Fit fit() const { return m_fit; }
    bool isBusy() const { return m_busy; }
    PageView* pageView() const { return m_view; }

public slots:
    void showPage(int index); // lays out up to it; past the last page shows the last
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void setZoom(double zoom); // 1.0 is 100 %
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void fitPage();
    void printReport();
    void savePdf();
    void exportXlsx(); // "Excel'e Aktar"
    void exportCsv();  // "CSV olarak kaydet"
    void cancelRun(); // "İptal"
    // Closing (Esc, "Kapat", the window's close) first stops a print or save that runs.
    void reject() override;

signals:
    void pageShown(int index); // the page has been painted

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Work = std::function<bool(const Report::Progress&)>;
    // Runs work with the progress bar and "İptal" shown, the other controls
    // disabled; false when cancelled.
    bool run(const QString& what, const Work& work);
    void applyFit();
    void updateControls();
    void reportFailure();
    void exportSheet(spreadsheet::Format format);

    Report& m_report;
    std::optional<spreadsheet::Source> m_sheet;
    PageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QSpinBox* m_pageBox = nullptr;
    QLabel* m_pageCount = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QWidget* m_toolBar = nullptr;
    QWidget* m_progressArea = nullptr;
    QLabel* m_progressText = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QList<QAction*> m_actions;
    Fit m_fit = Fit::Page;
    bool m_busy = false;
    bool m_cancelRequested = false;
    bool m_closeRequested = false;
    bool m_failureShown = false;
    bool m_countKnown = false;
};

// A report window whose preview is a modal ReportPreview, with the export
// actions when a sheet is given.
class PreviewWindow : public ReportWindow {
public:
    PreviewWindow(std::unique_ptr<Report> report, QWidget* parent,
                  std::optional<spreadsheet::Source> sheet = std::nullopt);
    ~PreviewWindow() override;
    void preview() override;
    Report& report() const { return *m_report; }

private:
    std::unique_ptr<Report> m_report;
    QPointer<QWidget> m_parent;
    std::optional<spreadsheet::Source> m_sheet;
};

} // namespace reporting
