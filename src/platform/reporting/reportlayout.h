#pragma once

#include <QImage>
#include <QMarginsF>
#include <QRectF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QVector>

// What a banded report prints, where and how, in millimetres. A layout is
// plain data: the report engine (Report) pages it over the rows of a source.
namespace reporting {

struct FontStyle {
    QString family = QStringLiteral("Arial"); // Arial metrics: Liberation Sans where Arial is absent
    double pointSize = 10;
    bool bold = false;
    // "Arial Black" where installed, otherwise the heaviest face of the family.
    bool heavy = false;
    bool operator==(const FontStyle&) const = default;
};

// Where a text item's text comes from.
enum class Source {
    Literal, // the item's text itself
    Field,   // the display text of the field named by the item's text, in the row printed
    Date,    // the date the report was made, in the short date format
    Time,    // the time the report was made, hours and minutes
};

struct TextItem {
    Source source = Source::Literal;
    QString text;    // the literal, or the field's name
    double left = 0; // from the band's left edge
    double top = 0;  // from the band's top edge to the top of the first line
    // The box. A width of 0 runs to the band's right edge (and a literal is
    // never cut); a height of 0 is one line. A taller box wraps at word
    // boundaries and leaves out the lines that do not fit in it whole.
    double width = 0;
    double height = 0;
    bool centred = false;           // centred across the box (the band's width for width 0)
    bool centredVertically = false; // one line, centred in the band's height (top is ignored)
    FontStyle font;
};

// A picture printed in a frame: fitted into the box whole, its proportions
// kept, centred; the caption, if any, centred on one line under the frame.
struct PictureItem {
    QImage image;
    double left = 0; // from the band's left edge
    double top = 0;  // from the band's top edge
    double width = 0;
    double height = 0;
    QString caption;
    // Where the picture itself lands in the frame, in the band's millimetres.
    QRectF placed() const;
};

struct Band {
    double height = 0; // 0: the band is not printed
    QVector<TextItem> items;
    QVector<PictureItem> pictures;
    bool isPrinted() const { return height > 0; }
};

struct PageSetup {
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10}; // left, top, right, bottom
};

struct ReportLayout {
    QString name; // names the preview window and the suggested PDF file
    PageSetup page;
    Band title;        // on the first page only
    Band columnHeader; // at the top of every page, under the title on the first
    Band detail;       // once per row
    // Before the first row of each group (rows one after another whose
    // groupField reads the same): its field items read that first row. A
    // group that goes on over a page break has it again at the top of the
    // next page, and it is never left at a page's foot without its first row.
    Band groupHeader;
    QString groupField; // empty: no groups
    Band summary;      // after the last row; on a new page when it does not fit under it
    // With no rows the detail band is still printed once, with empty fields.
    bool printIfEmpty = true;
    // Pages after the summary, each band on a page of its own (a record's
    // pictures, say); only their pictures and captions are printed.
    QVector<Band> closingPages;
};

} // namespace reporting
