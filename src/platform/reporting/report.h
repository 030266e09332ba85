#pragma once

#include "platform/reporting/reportlayout.h"
#include "platform/reporting/rowsource.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QStringList>
#include <QVector>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QIODevice;
class QPainter;
class QPrinter;

namespace reporting {

// A banded report: a layout paged over the rows of a source. Pages are laid
// out as they are asked for, so the first page of a report over a hundred
// thousand rows is ready as soon as its own rows have been read; asking for
// a later page reads on up to it. Laid-out pages keep the texts they print
// (cut to their boxes), never the source's rows, so any page can be painted
// again, at any resolution, without going back to the source.
//
// Text is measured once, at a fixed reference resolution and without
// hinting, so a word wraps and a value is cut at the same letter on screen,
// on paper and in a PDF. Nothing that does not fit its box can be misread:
// a number or an amount too wide for its box is drawn smaller until it fits,
// never cut; a text cut at the box's end (or a block with lines left out)
// ends in "…".
class Report {
public:
    enum class BandKind { Title, ColumnHeader, Detail, Summary, GroupHeader };

    struct PlacedBand {
        BandKind kind;
        double top;        // mm below the top margin
        QStringList texts; // one per item of the band; lines of a block joined by '\n'
        // Per item, the point size a number too wide for its box is drawn at
        // (0: the item's own); empty when nothing in the band was made smaller.
        QVector<double> pointSizes;
        double pointSizeOf(int item) const { return item < pointSizes.size() ? pointSizes.at(item) : 0; }
        int closingPage = -1; // which of the layout's closing pages, for one
    };
    struct Page {
        QVector<PlacedBand> bands;
    };

    // Progress of a long run: pages done so far and the expected total (-1
    // when unknown). Returning false cancels the run.
    using Progress = std::function<bool(int done, int total)>;
    enum class Outcome { Done, Cancelled, Failed };

    Report(ReportLayout layout, std::unique_ptr<RowSource> rows, const QDateTime& madeAt);
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    const ReportLayout& layout() const { return m_layout; }
    const QDateTime& madeAt() const { return m_madeAt; }

    // --- pages ---------------------------------------------------------------
    // Lays out pages up to `index` (0-based); false when the report has fewer.
    bool ensurePage(int index);
    // Lays out every page, reporting progress; false when cancelled.
    bool layoutAll(const Progress& progress = {});
    int pagesLaidOut() const { return int(m_pages.size()); }
    bool isComplete() const { return m_complete; }
    // The number of pages: exact once complete, before that worked out from
    // the number of rows where the source can tell it; -1 when it cannot.
    int expectedPageCount();
    const Page& page(int index) const { return m_pages.at(index); }
    // Reading the source failed: the pages up to there stand, the message says why.
    const QString& failure() const { return m_failure; }

    // --- painting ------------------------------------------------------------
    QSizeF paperSize() const; // mm
    // Paints a laid-out page with the paper's top-left corner at the painter's
    // origin, at the resolution of the painter's device.
    void paintPage(QPainter& painter, int index) const;
    // The page on white paper at `dpi` dots per inch.
    QImage pageImage(int index, double dpi) const;

    // --- output --------------------------------------------------------------
    // Writes pages [first, last] (0-based, -1: to the end) as a PDF.
    Outcome writePdf(QIODevice& device, int first = 0, int last = -1, const Progress& progress = {});
    // The whole report as a PDF file, written through a SafeFileWriter: a failed
    // or cancelled save leaves whatever was there before. error gets the
    // reason in Turkish, naming the file when the file could not be written.
    Outcome savePdf(const QString& path, QString* error = nullptr, const Progress& progress = {});
    // Prints pages [first, last] on a printer the caller has set up (printer,
    // copies); the paper is the layout's.
    Outcome print(QPrinter& printer, int first, int last, const Progress& progress = {});

    // The font a style stands for; "Arial" resolves to its metric twin.
    static QFont fontFor(const FontStyle& style);
    // Reports keep what they measured for the next: the advances of letters
    // and the texts fitted into each size of box. This forgets it all, as is
    // done by itself when the fonts installed change.
    static void forgetMeasures();

private:
    // What measuring found, kept for every report of the program (report.cpp).
    class Measures;
    struct FontMeasures;
    struct FittedTexts;

    // A font of the layout, shared by the items set in it.
    struct ItemStyle {
        explicit ItemStyle(const FontStyle& style);
        QFont font;
        std::shared_ptr<FontMeasures> measures;
        // At the reference resolution; made when first needed.
        const QFontMetricsF& metrics() const;
        double ascent() const;      // mm
        double lineSpacing() const; // mm
        // Tells from the advances of single letters, without shaping the
        // text, that it surely fits its box.
        bool surelyFits(const QString& text, double widthPx) const;

    private:
        mutable std::optional<QFontMetricsF> m_metrics;
    };

    // A text as it is printed in its item's box.
    struct Fitted {
        QString text;
        double pointSize = 0; // smaller than the item's own for a number too wide; 0: the item's own
    };
    // The texts of one band, as PlacedBand holds them.
    struct BandTexts {
        QStringList texts;
        QVector<double> pointSizes;
        void set(int item, const Fitted& fitted);
    };

    const Band& band(BandKind kind) const;
    double printableWidth() const;
    double printableHeight() const;
    void start();
    bool layoutNextPage();
    void step();
    double boxWidthPx(const TextItem& item) const;
    Fitted itemText(const TextItem& item, const ItemStyle& style, const QString& raw, bool number) const;
    Fitted shrunkToFit(const TextItem& item, const ItemStyle& style, const QString& raw, double widthPx) const;
    const Fitted& detailText(int item, const QString& raw);
    BandTexts fixedTexts(BandKind kind) const;
    int pagesFor(int rows) const;
    void paintBand(QPainter& painter, const PlacedBand& placed, double dotsPerMm) const;
    void paintPictures(QPainter& painter, const Band& band, double bandTop, double dotsPerMm) const;
    // Marks the rows' pages done: complete, or the closing pages come next.
    void finishRows();
    Outcome runPages(QPainter& painter, const std::function<bool()>& newPage, int first, int last, int copies,
                     const Progress& progress);

    ReportLayout m_layout;
    std::unique_ptr<RowSource> m_rows;
    QDateTime m_madeAt;
    static constexpr size_t BandKinds = 5;
    std::array<QVector<std::shared_ptr<const ItemStyle>>, BandKinds> m_styles; // per band, per item
    std::array<BandTexts, BandKinds> m_fixed; // the texts of the bands that print no fields
    QVector<int> m_detailFields;      // per detail item: bound field, -1 for none
    QVector<bool> m_detailNumbers;    // per detail item: its field holds numbers
    // Per detail field, the texts fitted into its box so far (by this report
    // and every other with a box of that font and size).
    QVector<std::shared_ptr<FittedTexts>> m_fittedDetail;

    QVector<Page> m_pages;
    bool m_started = false;
    bool m_complete = false;
    bool m_hasRow = false;
    bool m_rowsDone = false;
    int m_nextClosingPage = -1; // -1 until the summary is placed
    BandTexts m_rowTexts;
    // Groups: per group header item its bound field (-1 for none), the
    // group field's, the texts of the group the row is in, and whether the
    // row stepped to begins a group.
    bool grouped() const;
    QVector<int> m_groupFields;
    int m_groupKeyField = -1;
    BandTexts m_groupTexts;
    QString m_groupKey;
    bool m_rowStartsGroup = false;
    qint64 m_rowsRead = 0;
    int m_rowCount = -2; // -2: not asked yet
    QString m_failure;
};

} // namespace reporting
