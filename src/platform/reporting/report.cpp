#include "platform/reporting/report.h"

#include "platform/system/localeformats.h"
#include "platform/system/safefilewriter.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>
#include <cmath>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace reporting {

namespace {

// Text is measured here, whatever it is painted on.
constexpr double ReferenceDpi = 1200;
constexpr double MmPerReferencePixel = 25.4 / ReferenceDpi;
constexpr double Epsilon = 1e-6; // mm

const QPaintDevice* referenceDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMetre = qRound(ReferenceDpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return &device;
}

bool fits(double top, double height, double available)
{
    return top + height <= available + Epsilon;
}

const QChar Ellipsis(0x2026);

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

// The longest start of the text that fits the width with "…" after it, cut
// at a letter; the text itself when it fits whole. Just "…" when not even a
// letter fits, nothing when not even that does.
QString cutWithEllipsis(const QString& text, const QFontMetricsF& metrics, double widthPx)
{
    if (metrics.horizontalAdvance(text) <= widthPx)
        return text;
    if (metrics.horizontalAdvance(Ellipsis) > widthPx)
        return {};
    qsizetype fitting = 0, over = text.size();
    while (over - fitting > 1) {
        const qsizetype middle = (fitting + over) / 2;
        if (metrics.horizontalAdvance(text.left(middle) + Ellipsis) <= widthPx)
            fitting = middle;
        else
            over = middle;
    }
    if (fitting > 0 && text.at(fitting - 1).isHighSurrogate())
        --fitting;
    QString start = text.left(fitting);
    while (!start.isEmpty() && start.back().isSpace())
        start.chop(1);
    return start + Ellipsis;
}

// Reads as a number: a digit, and no letters (amounts with their sign,
// dates, phone numbers).
bool readsAsNumber(const QString& text)
{
    bool digit = false;
    for (const QChar c : text) {
        if (c.isLetter())
            return false;
        digit = digit || c.isDigit();
    }
    return digit;
}

// The lines of a word-wrapped block that fit whole into its height; when
// lines are left out, the last one shown ends in "…".
QString fitBlock(QString text, const QFont& font, const QFontMetricsF& metrics, double widthPx, double heightMm,
                 double lineMm)
{
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    QTextLayout layout(text, font, referenceDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    double used = 0;
    bool leftOut = false;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(widthPx);
        QString piece = text.mid(line.textStart(), line.textLength());
        while (!piece.isEmpty() && (piece.back().isSpace() || piece.back() == QChar::LineSeparator))
            piece.chop(1);
        if (!fits(used, lineMm, heightMm)) {
            // Only blank lines after the last one shown leave nothing out.
            leftOut = !text.mid(line.textStart()).trimmed().isEmpty();
            break;
        }
        lines << piece;
        used += lineMm;
    }
    layout.endLayout();
    if (leftOut && !lines.isEmpty())
        lines.last() = cutWithEllipsis(lines.last() + Ellipsis, metrics, widthPx);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

// --- what measuring found ----------------------------------------------------

// Measuring a text is shaping it, which costs far more than the rest of
// laying out a row; and a list's rows repeat their districts, heating and
// floors, report after report. So what was measured is kept, process-wide:
// per font, the figures lines are placed by and the advances of single
// letters; per box (font, width, height, whether it holds numbers), the texts
// fitted into it. Fitting a text depends on nothing else, so a text kept
// prints exactly as it would measured anew. Reports are laid out in the GUI
// thread.
struct Report::FontMeasures {
    double ascent = 0;      // mm
    double lineSpacing = 0; // mm
    // Letter by letter the advances add up to the shaped width give or take
    // kerning, which a tenth of an em per letter more than covers.
    double kerningAllowance = 0; // px
    QHash<char16_t, double> letterAdvances;
};

struct Report::FittedTexts {
    QHash<QString, Fitted> byText;
};

namespace {

struct BoxKey {
    QFont font;
    double widthPx;
    double heightMm;
    bool number;
    bool operator==(const BoxKey& other) const
    {
        return widthPx == other.widthPx && heightMm == other.heightMm && number == other.number && font == other.font;
    }
};

size_t qHash(const BoxKey& box, size_t seed = 0)
{
    return qHashMulti(seed, box.font, box.widthPx, box.heightMm, box.number);
}

} // namespace

class Report::Measures {
public:
    static Measures& shared()
    {
        static Measures measures;
        static const bool watching = [] {
            if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
                QObject::connect(gui, &QGuiApplication::fontDatabaseChanged, gui, [] { measures.forget(); });
            return true;
        }();
        Q_UNUSED(watching);
        return measures;
    }

    std::shared_ptr<FontMeasures> font(const ItemStyle& style)
    {
        std::shared_ptr<FontMeasures>& kept = at(m_fonts, style.font);
        if (!kept) {
            const QFontMetricsF& metrics = style.metrics();
            kept = std::make_shared<FontMeasures>(FontMeasures{metrics.ascent() * MmPerReferencePixel,
                                                               metrics.lineSpacing() * MmPerReferencePixel,
                                                               metrics.averageCharWidth() * 0.2,
                                                               {}});
        }
        return kept;
    }

    std::shared_ptr<FittedTexts> box(const BoxKey& key)
    {
        std::shared_ptr<FittedTexts>& kept = at(m_boxes, key);
        if (!kept)
            kept = std::make_shared<FittedTexts>();
        return kept;
    }

    // Reports keep what they hold; only later reports measure anew.
    void forget()
    {
        m_fonts.clear();
        m_boxes.clear();
    }

private:
    // Bounded: a program makes few fonts and boxes, but nothing says so.
    template <typename Key, typename Value>
    static Value& at(QHash<Key, Value>& kept, const Key& key)
    {
        constexpr qsizetype MostKept = 256;
        if (kept.size() >= MostKept && !kept.contains(key))
            kept.clear();
        return kept[key];
    }

    QHash<QFont, std::shared_ptr<FontMeasures>> m_fonts;
    QHash<BoxKey, std::shared_ptr<FittedTexts>> m_boxes;
};

void Report::forgetMeasures()
{
    Measures::shared().forget();
}

Report::ItemStyle::ItemStyle(const FontStyle& style) : font(fontFor(style))
{
    measures = Measures::shared().font(*this);
}

const QFontMetricsF& Report::ItemStyle::metrics() const
{
    if (!m_metrics)
        m_metrics.emplace(font, referenceDevice());
    return *m_metrics;
}

double Report::ItemStyle::ascent() const
{
    return measures->ascent;
}

double Report::ItemStyle::lineSpacing() const
{
    return measures->lineSpacing;
}

bool Report::ItemStyle::surelyFits(const QString& text, double widthPx) const
{
    QHash<char16_t, double>& advances = measures->letterAdvances;
    double width = 0;
    for (const QChar c : text) {
        if (c.isSurrogate() || c.isMark() || c < QLatin1Char(' '))
            return false;
        auto known = advances.constFind(c.unicode());
        if (known == advances.cend())
            known = advances.insert(c.unicode(), metrics().horizontalAdvance(c));
        width += *known + measures->kerningAllowance;
        if (width > widthPx)
            return false;
    }
    return true;
}

QFont Report::fontFor(const FontStyle& style)
{
    QFont font;
    if (style.heavy && QFontDatabase::hasFamily(QStringLiteral("Arial Black"))) {
        font.setFamily(QStringLiteral("Arial Black"));
        font.setWeight(QFont::Black);
    } else {
        font.setFamily(style.family);
        font.setWeight(style.heavy ? QFont::Black : style.bold ? QFont::Bold : QFont::Normal);
    }
    font.setPointSizeF(style.pointSize);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

Report::Report(ReportLayout layout, std::unique_ptr<RowSource> rows, const QDateTime& madeAt)
    : m_layout(std::move(layout)), m_rows(std::move(rows)), m_madeAt(madeAt)
{
    // One style per font of the layout, whatever the number of items set in it.
    QVector<std::pair<FontStyle, std::shared_ptr<const ItemStyle>>> made;
    const auto styleOf = [&](const FontStyle& font) {
        for (const auto& [style, shared] : std::as_const(made))
            if (style == font)
                return shared;
        made.append({font, std::make_shared<const ItemStyle>(font)});
        return made.last().second;
    };
    for (BandKind kind :
         {BandKind::Title, BandKind::ColumnHeader, BandKind::Detail, BandKind::Summary, BandKind::GroupHeader}) {
        for (const TextItem& item : band(kind).items)
            m_styles[size_t(kind)].append(styleOf(item.font));
        if (kind != BandKind::Detail)
            m_fixed[size_t(kind)] = fixedTexts(kind);
    }
}

Report::~Report() = default;

const Band& Report::band(BandKind kind) const
{
    switch (kind) {
    case BandKind::Title:
        return m_layout.title;
    case BandKind::ColumnHeader:
        return m_layout.columnHeader;
    case BandKind::Detail:
        return m_layout.detail;
    case BandKind::GroupHeader:
        return m_layout.groupHeader;
    case BandKind::Summary:
        break;
    }
    return m_layout.summary;
}

bool Report::grouped() const
{
    return !m_layout.groupField.isEmpty() && m_layout.groupHeader.isPrinted();
}

QSizeF Report::paperSize() const
{
    const QSizeF size = QPageSize(m_layout.page.paper).size(QPageSize::Millimeter);
    return m_layout.page.orientation == QPageLayout::Landscape ? size.transposed() : size;
}

double Report::printableWidth() const
{
    return paperSize().width() - m_layout.page.margins.left() - m_layout.page.margins.right();
}

double Report::printableHeight() const
{
    return paperSize().height() - m_layout.page.margins.top() - m_layout.page.margins.bottom();
}

// --- texts -------------------------------------------------------------------

void Report::BandTexts::set(int item, const Fitted& fitted)
{
    texts[item] = fitted.text;
    if (fitted.pointSize > 0 && pointSizes.isEmpty())
        pointSizes.resize(texts.size());
    if (!pointSizes.isEmpty())
        pointSizes[item] = fitted.pointSize;
}

double Report::boxWidthPx(const TextItem& item) const
{
    return (item.width > 0 ? item.width : printableWidth() - item.left) / MmPerReferencePixel;
}

Report::Fitted Report::itemText(const TextItem& item, const ItemStyle& style, const QString& raw, bool number) const
{
    if (item.source == Source::Literal && item.width <= 0)
        return {raw};
    const double width = boxWidthPx(item);
    if (item.height > 0)
        return {fitBlock(raw, style.font, style.metrics(), width, item.height, style.lineSpacing())};
    if (style.surelyFits(raw, width))
        return {raw};
    const QString line = oneLine(raw);
    if (number || readsAsNumber(line))
        return shrunkToFit(item, style, line, width);
    return {cutWithEllipsis(line, style.metrics(), width)};
}

// A number too wide for its box, whole, in the largest size (in steps of a
// twentieth of a point) that fits.
Report::Fitted Report::shrunkToFit(const TextItem& item, const ItemStyle& style, const QString& raw,
                                   double widthPx) const
{
    const double advance = style.metrics().horizontalAdvance(raw);
    if (advance <= widthPx)
        return {raw};
    constexpr double Step = 0.05;
    double size = std::floor(item.font.pointSize * widthPx / advance / Step) * Step;
    QFont font = style.font;
    while (size > Step) {
        font.setPointSizeF(size);
        if (QFontMetricsF(font, referenceDevice()).horizontalAdvance(raw) <= widthPx)
            break;
        size -= Step;
    }
    return {raw, std::max(size, Step)};
}

Report::BandTexts Report::fixedTexts(BandKind kind) const
{
    BandTexts fixed;
    const Band& b = band(kind);
    fixed.texts.resize(b.items.size());
    for (int i = 0; i < b.items.size(); ++i) {
        const TextItem& item = b.items.at(i);
        QString raw;
        switch (item.source) {
        case Source::Literal:
            raw = item.text;
            break;
        case Source::Date:
            raw = LocaleFormats::shortDate(m_madeAt.date());
            break;
        case Source::Time:
            raw = LocaleFormats::shortTime(m_madeAt.time());
            break;
        case Source::Field:
            break; // read per row; blank outside the detail band
        }
        fixed.set(i, itemText(item, *m_styles[size_t(kind)].at(i), raw, false));
    }
    return fixed;
}

// --- laying out ----------------------------------------------------------------

void Report::start()
{
    m_started = true;
    const Band& detail = m_layout.detail;
    m_fixed[size_t(BandKind::Detail)] = fixedTexts(BandKind::Detail);
    QStringList fields;
    for (const TextItem& item : detail.items) {
        if (item.source != Source::Field) {
            m_detailFields.append(-1);
            continue;
        }
        if (!fields.contains(item.text))
            fields << item.text;
        m_detailFields.append(int(fields.indexOf(item.text)));
    }
    if (grouped()) {
        const auto bound = [&](const QString& field) {
            if (!fields.contains(field))
                fields << field;
            return int(fields.indexOf(field));
        };
        for (const TextItem& item : m_layout.groupHeader.items)
            m_groupFields.append(item.source == Source::Field ? bound(item.text) : -1);
        m_groupKeyField = bound(m_layout.groupField);
        m_groupTexts = m_fixed[size_t(BandKind::GroupHeader)];
    }
    if (m_rows)
        m_rows->bind(fields);
    else
        m_rowsDone = true;
    for (int i = 0; i < m_detailFields.size(); ++i) {
        const bool field = m_detailFields.at(i) >= 0;
        m_detailNumbers.append(field && m_rows && m_rows->isNumber(m_detailFields.at(i)));
        const TextItem& item = detail.items.at(i);
        m_fittedDetail.append(field ? Measures::shared().box({m_styles[size_t(BandKind::Detail)].at(i)->font,
                                                              boxWidthPx(item), item.height, m_detailNumbers.last()})
                                    : nullptr);
    }
    step();
    if (!m_hasRow && m_layout.printIfEmpty) {
        // One detail band with empty fields.
        m_hasRow = true;
        m_rowsDone = true;
        m_rowTexts = m_fixed[size_t(BandKind::Detail)];
    }
    if (!m_hasRow)
        m_complete = true;
}

void Report::step()
{
    m_hasRow = !m_rowsDone && m_rows->next();
    if (!m_hasRow) {
        m_rowsDone = true;
        return;
    }
    m_rowTexts = m_fixed[size_t(BandKind::Detail)];
    for (int i = 0; i < m_detailFields.size(); ++i)
        if (m_detailFields.at(i) >= 0)
            m_rowTexts.set(i, detailText(i, m_rows->text(m_detailFields.at(i))));
    if (m_groupKeyField < 0)
        return;
    QString key = m_rows->text(m_groupKeyField);
    m_rowStartsGroup = m_rowsRead++ == 0 || key != m_groupKey;
    m_groupKey = std::move(key);
    if (!m_rowStartsGroup)
        return;
    m_groupTexts = m_fixed[size_t(BandKind::GroupHeader)];
    const Band& group = m_layout.groupHeader;
    for (int i = 0; i < m_groupFields.size(); ++i)
        if (m_groupFields.at(i) >= 0)
            m_groupTexts.set(i, itemText(group.items.at(i), *m_styles[size_t(BandKind::GroupHeader)].at(i),
                                         m_rows->text(m_groupFields.at(i)), false));
}

const Report::Fitted& Report::detailText(int item, const QString& raw)
{
    // Bounded, for fields whose every row differs (notes, say).
    constexpr qsizetype MostKept = 4096;
    QHash<QString, Fitted>& fitted = m_fittedDetail.at(item)->byText;
    if (const auto known = fitted.constFind(raw); known != fitted.cend())
        return *known;
    if (fitted.size() >= MostKept)
        fitted.clear();
    return *fitted.insert(raw, itemText(m_layout.detail.items.at(item), *m_styles[size_t(BandKind::Detail)].at(item),
                                        raw, m_detailNumbers.at(item)));
}

bool Report::layoutNextPage()
{
    if (m_complete)
        return false;
    Page page;
    try {
        if (!m_started)
            start();
        if (m_complete)
            return false;
        if (m_nextClosingPage >= 0) {
            PlacedBand closing{BandKind::Detail, 0, {}, {}};
            closing.closingPage = m_nextClosingPage++;
            page.bands.append(closing);
            m_complete = m_nextClosingPage >= m_layout.closingPages.size();
            m_pages.append(std::move(page));
            return true;
        }
        const double available = printableHeight();
        double y = 0;
        auto place = [&](BandKind kind) {
            if (!band(kind).isPrinted())
                return;
            page.bands.append({kind, y, m_fixed[size_t(kind)].texts, m_fixed[size_t(kind)].pointSizes});
            y += band(kind).height;
        };
        if (m_pages.isEmpty())
            place(BandKind::Title);
        place(BandKind::ColumnHeader);

        const double pitch = m_layout.detail.height;
        const double groupHeight = grouped() ? m_layout.groupHeader.height : 0;
        int rows = 0;
        while (m_hasRow) {
            // The group's header before its first row, and again on a page
            // that opens in the middle of it.
            const bool header = grouped() && (m_rowStartsGroup || rows == 0);
            const double needed = pitch + (header ? groupHeight : 0);
            // A page takes as many rows as fit, and at least one.
            if (rows > 0 && !fits(y, needed, available))
                break;
            if (header) {
                page.bands.append({BandKind::GroupHeader, y, m_groupTexts.texts, m_groupTexts.pointSizes});
                y += groupHeight;
            }
            page.bands.append({BandKind::Detail, y, m_rowTexts.texts, m_rowTexts.pointSizes});
            y += pitch;
            ++rows;
            step();
        }
        if (!m_hasRow) {
            const Band& summary = m_layout.summary;
            if (!summary.isPrinted()) {
                finishRows();
            } else if (rows == 0 || fits(y, summary.height, available)) {
                place(BandKind::Summary);
                finishRows();
            } // else the summary opens the next page
        }
    } catch (const std::exception& error) {
        m_failure = QString::fromUtf8(error.what());
        m_complete = true;
        m_hasRow = false;
    }
    if (!page.bands.isEmpty())
        m_pages.append(std::move(page));
    return !m_pages.isEmpty();
}

void Report::finishRows()
{
    if (m_layout.closingPages.isEmpty())
        m_complete = true;
    else
        m_nextClosingPage = 0;
}

bool Report::ensurePage(int index)
{
    while (index >= pagesLaidOut() && !m_complete)
        layoutNextPage();
    return index >= 0 && index < pagesLaidOut();
}

bool Report::layoutAll(const Progress& progress)
{
    while (!m_complete) {
        layoutNextPage();
        if (progress && !progress(pagesLaidOut(), expectedPageCount()))
            return m_complete;
    }
    return true;
}

int Report::pagesFor(int rows) const
{
    if (rows == 0 && !m_layout.printIfEmpty)
        return 0;
    rows = std::max(rows, 1);
    const double available = printableHeight();
    const double pitch = m_layout.detail.height;
    const double header = m_layout.columnHeader.height;
    const double firstTop = m_layout.title.height + header;
    auto capacity = [&](double top) {
        if (pitch <= 0)
            return rows;
        return std::max(1, int(std::floor((available - top) / pitch + Epsilon)));
    };
    int pages = 1;
    int onLast = std::min(rows, capacity(firstTop));
    double lastTop = firstTop;
    const int rest = rows - onLast;
    if (rest > 0) {
        const int perPage = capacity(header);
        const int more = (rest + perPage - 1) / perPage;
        pages += more;
        onLast = rest - (more - 1) * perPage;
        lastTop = header;
    }
    if (m_layout.summary.isPrinted() && !fits(lastTop + onLast * pitch, m_layout.summary.height, available))
        ++pages;
    return pages + int(m_layout.closingPages.size());
}

int Report::expectedPageCount()
{
    if (m_complete)
        return pagesLaidOut();
    if (grouped())
        return -1; // the groups' headers take room that the row count does not tell
    if (m_rowCount == -2)
        m_rowCount = m_rows ? m_rows->rowCount() : 0;
    if (m_rowCount < 0)
        return -1;
    return std::max(pagesLaidOut(), pagesFor(m_rowCount));
}

// --- painting ------------------------------------------------------------------

QRectF PictureItem::placed() const
{
    if (image.isNull() || width <= 0 || height <= 0)
        return {};
    const QSizeF fitted = QSizeF(image.size()).scaled(width, height, Qt::KeepAspectRatio);
    return {left + (width - fitted.width()) / 2, top + (height - fitted.height()) / 2, fitted.width(),
            fitted.height()};
}

void Report::paintPictures(QPainter& painter, const Band& band, double bandTop, double dotsPerMm) const
{
    const QMarginsF& margins = m_layout.page.margins;
    const auto onPaper = [&](const QRectF& mm) {
        return QRectF((margins.left() + mm.left()) * dotsPerMm, (margins.top() + bandTop + mm.top()) * dotsPerMm,
                      mm.width() * dotsPerMm, mm.height() * dotsPerMm);
    };
    const QFont font = fontFor(FontStyle{});
    for (const PictureItem& picture : band.pictures) {
        const QRectF frame = onPaper(QRectF(picture.left, picture.top, picture.width, picture.height));
        painter.save();
        painter.setPen(QPen(Qt::black, 0.2 * dotsPerMm));
        painter.drawRect(frame);
        painter.restore();
        if (!picture.image.isNull())
            painter.drawImage(onPaper(picture.placed()), picture.image);
        if (!picture.caption.isEmpty()) {
            painter.setFont(font);
            const QFontMetricsF metrics(font, painter.device());
            const QRectF line(frame.left(), frame.bottom() + 1.5 * dotsPerMm, frame.width(), metrics.height());
            painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop,
                             metrics.elidedText(picture.caption, Qt::ElideRight, frame.width()));
        }
    }
}

void Report::paintBand(QPainter& painter, const PlacedBand& placed, double dotsPerMm) const
{
    if (placed.closingPage >= 0) {
        paintPictures(painter, m_layout.closingPages.at(placed.closingPage), placed.top, dotsPerMm);
        return;
    }
    const Band& b = band(placed.kind);
    const QVector<std::shared_ptr<const ItemStyle>>& styles = m_styles[size_t(placed.kind)];
    const QMarginsF& margins = m_layout.page.margins;
    for (int i = 0; i < b.items.size() && i < placed.texts.size(); ++i) {
        const QString& text = placed.texts.at(i);
        if (text.isEmpty())
            continue;
        const TextItem& item = b.items.at(i);
        const ItemStyle& style = *styles.at(i);
        // A number made smaller keeps the line's baseline.
        const double smaller = placed.pointSizeOf(i);
        QFont font = style.font;
        if (smaller > 0)
            font.setPointSizeF(smaller);
        painter.setFont(font);
        const QFontMetricsF metrics = smaller > 0 ? QFontMetricsF(font, referenceDevice()) : style.metrics();
        double top = margins.top() + placed.top + item.top;
        if (item.centredVertically)
            top = margins.top() + placed.top + (b.height - style.metrics().height() * MmPerReferencePixel) / 2;
        const double box = item.width > 0 ? item.width : printableWidth() - item.left;
        const QStringList lines = item.height > 0 ? text.split(QLatin1Char('\n')) : QStringList{text};
        for (const QString& line : lines) {
            double left = margins.left() + item.left;
            if (item.centred)
                left += (box - metrics.horizontalAdvance(line) * MmPerReferencePixel) / 2;
            painter.drawText(QPointF(left * dotsPerMm, (top + style.ascent()) * dotsPerMm), line);
            top += style.lineSpacing();
        }
    }
    paintPictures(painter, b, placed.top, dotsPerMm);
}

void Report::paintPage(QPainter& painter, int index) const
{
    if (index < 0 || index >= pagesLaidOut())
        return;
    const double dotsPerMm = painter.device()->logicalDpiY() / 25.4;
    painter.save();
    painter.setPen(Qt::black);
    for (const PlacedBand& placed : m_pages.at(index).bands)
        paintBand(painter, placed, dotsPerMm);
    painter.restore();
}

QImage Report::pageImage(int index, double dpi) const
{
    const QSizeF paper = paperSize();
    const int dotsPerMetre = qRound(dpi / 0.0254);
    const double exactDpi = qRound(dotsPerMetre * 0.0254);
    QImage image(qRound(paper.width() * exactDpi / 25.4), qRound(paper.height() * exactDpi / 25.4),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    paintPage(painter, index);
    return image;
}

// --- output --------------------------------------------------------------------

Report::Outcome Report::runPages(QPainter& painter, const std::function<bool()>& newPage, int first, int last,
                                 int copies, const Progress& progress)
{
    first = std::max(first, 0);
    auto expected = [&] {
        int count = expectedPageCount();
        if (count >= 0 && last >= 0)
            count = std::min(count, last + 1);
        return count < 0 ? -1 : std::max(0, count - first) * copies;
    };
    int done = 0;
    for (int copy = 0; copy < copies; ++copy) {
        for (int index = first; (last < 0 || index <= last) && ensurePage(index); ++index) {
            if (done > 0 && !newPage())
                return Outcome::Failed;
            paintPage(painter, index);
            ++done;
            if (progress && !progress(done, expected()))
                return Outcome::Cancelled;
        }
    }
    return m_failure.isEmpty() ? Outcome::Done : Outcome::Failed;
}

// Qt's PDF writer compresses each page through two fresh 10 MB buffers and
// frees them again. With the C library's defaults such blocks are mapped from
// the system and returned after every page, and faulting them in anew costs
// more than drawing the page; taken from the heap and kept there, they are
// reused page after page.
static void keepFreedMemoryForReuse()
{
#if defined(__GLIBC__)
    static const bool once = [] {
        return mallopt(M_MMAP_THRESHOLD, 24 << 20) == 1 && mallopt(M_TRIM_THRESHOLD, 64 << 20) == 1;
    }();
    Q_UNUSED(once);
#endif
}

Report::Outcome Report::writePdf(QIODevice& device, int first, int last, const Progress& progress)
{
    keepFreedMemoryForReuse();
    QPdfWriter writer(&device);
    writer.setPageLayout(
        QPageLayout(QPageSize(m_layout.page.paper), m_layout.page.orientation, QMarginsF(), QPageLayout::Millimeter));
    writer.setResolution(int(ReferenceDpi));
    writer.setTitle(m_layout.name);
    writer.setCreator(QStringLiteral("Evlora"));
    QPainter painter;
    if (!painter.begin(&writer))
        return Outcome::Failed;
    const Outcome outcome = runPages(
        painter, [&] { return writer.newPage(); }, first, last, 1, progress);
    painter.end();
    return outcome;
}

Report::Outcome Report::savePdf(const QString& path, QString* error, const Progress& progress)
{
    SafeFileWriter file(path);
    if (!file.open()) {
        if (error)
            *error = file.errorMessage();
        return Outcome::Failed;
    }
    const Outcome outcome = writePdf(file, 0, -1, progress);
    if (outcome == Outcome::Done && !file.commit()) {
        if (error)
            *error = file.errorMessage();
        return Outcome::Failed;
    }
    if (outcome != Outcome::Done) {
        file.discard();
        if (error)
            *error = outcome == Outcome::Failed ? m_failure : QString();
    }
    return outcome;
}

Report::Outcome Report::print(QPrinter& printer, int first, int last, const Progress& progress)
{
    keepFreedMemoryForReuse();
    printer.setFullPage(true);
    printer.setPageLayout(
        QPageLayout(QPageSize(m_layout.page.paper), m_layout.page.orientation, QMarginsF(), QPageLayout::Millimeter));
    printer.setDocName(m_layout.name);
    // Where the printer cannot make copies itself, the report prints each one.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    QPainter painter;
    if (!painter.begin(&printer))
        return Outcome::Failed;
    const Outcome outcome = runPages(
        painter, [&] { return printer.newPage(); }, first, last, copies, progress);
    if (outcome == Outcome::Cancelled)
        printer.abort();
    painter.end();
    return outcome;
}

} // namespace reporting
