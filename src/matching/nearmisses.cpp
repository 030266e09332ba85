#include "matching/nearmisses.h"

#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/rowstream.h"
#include "platform/engine/turkishtext.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>
#include <optional>

namespace Matching {

namespace {

// A margin given by a spin box or a caller, kept to what the list offers.
double shareOf(int margin)
{
    return std::clamp(margin, 0, LargestMargin) / 100.0;
}

std::optional<double> numberOf(const QVariant& value)
{
    bool ok = false;
    const double n = value.isNull() ? 0.0 : value.toDouble(&ok);
    if (!ok || !std::isfinite(n))
        return std::nullopt;
    return n;
}

QVariant widened(const QVariant& bound, double share, int direction)
{
    const auto n = numberOf(bound);
    return n ? QVariant(*n + direction * std::fabs(*n) * share) : bound;
}

QString plainNumber(double value)
{
    QString text;
    FieldFormat::appendGeneralNumber(text, value);
    return text;
}

// A request's bounds on one field as numbers, closed at both ends.
struct Range {
    double low = 0, high = 0;
    bool holds(double v) const { return v >= low && v <= high; }
};

std::optional<Range> rangeOf(const QVariant& low, const QVariant& high)
{
    const auto lo = numberOf(low), hi = numberOf(high);
    if (!lo || !hi)
        return std::nullopt;
    return Range{*lo, *hi};
}

// How far value lies outside the range, as a share of the bound it misses
// (0 inside) and in units.
FieldMiss missOf(double value, const Range& range)
{
    if (range.holds(value))
        return {.side = FieldMiss::Side::Inside};
    const bool under = value < range.low;
    const double bound = under ? range.low : range.high;
    const double gap = under ? range.low - value : value - range.high;
    return {.side = under ? FieldMiss::Side::Below : FieldMiss::Side::Above,
            .share = bound == 0 ? INFINITY : gap / std::fabs(bound),
            .gap = gap};
}

const QString PriceWord = QStringLiteral("fiyat");
const QString AreaWord = QStringLiteral("m²");

enum class Told { Percent, Units };

QString spell(const FieldMiss& miss, const QString& word, Told told, const QString& below, const QString& above)
{
    switch (miss.side) {
    case FieldMiss::Side::Unread:
        break;
    case FieldMiss::Side::Inside:
        return word + QStringLiteral(" ✔");
    case FieldMiss::Side::Missing:
        return word + QStringLiteral(" yok");
    case FieldMiss::Side::Below:
    case FieldMiss::Side::Above: {
        const QString amount =
            told == Told::Percent
                ? QStringLiteral("%") + QString::number(std::max<qint64>(1, qint64(std::llround(miss.share * 100))))
                : plainNumber(std::round(miss.gap * 100) / 100);
        return word + QLatin1Char(' ') + amount + QLatin1Char(' ')
               + (miss.side == FieldMiss::Side::Below ? below : above);
    }
    }
    return {};
}

// One field a near miss is searched by, with its SQL (land's text area as
// the number it reads as) and its bounds.
struct Bounded {
    QString column;
    Range exact, wide;
};

// The closed ranges of a field just below and just above its exact bounds,
// within the widened ones: together with the exact range they part the
// widened range without overlap, even where the request's bounds are the
// wrong way round.
Range belowOf(const Bounded& b)
{
    return {b.wide.low, std::min(std::nextafter(b.exact.low, -INFINITY), b.wide.high)};
}

Range aboveOf(const Bounded& b)
{
    return {std::max(std::nextafter(b.exact.high, INFINITY), b.exact.low), b.wide.high};
}

QString rangeSql(const QString& column, bool leads)
{
    const QString c = leads ? column : QLatin1Char('+') + column;
    return QStringLiteral("%1 >= ? AND %1 <= ?").arg(c);
}

void bindRange(QVariantList& values, const Range& range)
{
    values << range.low << range.high;
}

// The statements whose rows together are the widened search without the
// exact match, each row found once: for each field in turn, the listings in
// a band beside its exact range, the fields before it inside theirs and the
// fields after it anywhere in their widened ranges. So the store reads only
// the rows around the exact match, never the exact match itself (most of a
// widened search), each band on the index its field leads.
QList<Statement> bandStatements(Register id, const Request& request, const QList<Bounded>& fields)
{
    QList<Statement> bands;
    for (qsizetype at = 0; at < fields.size(); ++at) {
        const Bounded& band = fields.at(at);
        QString rest;
        QVariantList values;
        for (qsizetype other = 0; other < fields.size(); ++other) {
            if (other == at)
                continue;
            rest += QStringLiteral(" AND ") + rangeSql(fields.at(other).column, false);
            bindRange(values, other < at ? fields.at(other).exact : fields.at(other).wide);
        }
        for (const Range& r : {belowOf(band), aboveOf(band)}) {
            QVariantList bound;
            bindRange(bound, r);
            bands << admittedBy(id, request, false).where(rangeSql(band.column, true) + rest, bound + values);
        }
    }
    return bands;
}

} // namespace

QStringList Reasons::spelled() const
{
    QStringList marks;
    if (district)
        marks << QStringLiteral("semt ✔");
    if (price.side != FieldMiss::Side::Unread)
        marks << spell(price, PriceWord, Told::Percent, QStringLiteral("düşük"), QStringLiteral("yüksek"));
    if (area.side != FieldMiss::Side::Unread)
        marks << spell(area, AreaWord, Told::Units, QStringLiteral("eksik"), QStringLiteral("fazla"));
    return marks;
}

QString NearMiss::priceText() const
{
    return price ? FieldFormat::generalNumber(*price) : QString();
}

QString NearMiss::areaText() const
{
    if (where == Register::Land)
        return typedArea;
    return area ? FieldFormat::generalNumber(*area) : QString();
}

bool hasMargin(int criterion)
{
    if (criterion < 0 || criterion >= CriterionCount)
        return false;
    const Criterion& c = criteria().at(criterion);
    return c.price || c.area;
}

Marked markListing(const Request& request, int criterion, const QVariant& price, const QVariant& area)
{
    Marked marked;
    Reasons reasons;
    const Criterion& c = criteria().at(criterion);
    reasons.district = c.district;
    const auto judge = [&](bool reads, FieldMiss& miss, const QVariant& value, const QVariant& low,
                           const QVariant& high) {
        if (!reads)
            return;
        const auto v = numberOf(value);
        const auto range = rangeOf(low, high);
        if (!v || !range) {
            miss.side = FieldMiss::Side::Missing;
            marked.exact = false;
            marked.distance = INFINITY;
            return;
        }
        miss = missOf(*v, *range);
        if (miss.side != FieldMiss::Side::Inside)
            marked.exact = false;
        marked.distance = std::max(marked.distance, miss.share);
    };
    judge(c.price, reasons.price, price, request.lowestPrice, request.highestPrice);
    judge(c.area, reasons.area, area, request.smallestArea, request.largestArea);
    marked.marks = reasons.spelled();
    return marked;
}

Statement widenedStatementFor(Register id, const Request& request, int criterion, int margin)
{
    const double share = shareOf(margin);
    Request wide = request;
    wide.lowestPrice = widened(request.lowestPrice, share, -1);
    wide.highestPrice = widened(request.highestPrice, share, +1);
    wide.smallestArea = widened(request.smallestArea, share, -1);
    wide.largestArea = widened(request.largestArea, share, +1);
    return statementFor(id, wide, criterion);
}

namespace {

// The texts of a scan (districts, kinds, typed areas repeat over thousands
// of rows), each made once and shared by the rows that carry it; a typed
// area is read as a number once too.
class Texts {
public:
    int of(const RowStream& rows, int column)
    {
        const QByteArrayView bytes = rows.utf8(column);
        if (bytes.isEmpty())
            return add(rows.text(column));
        const auto known = m_index.constFind(QByteArray::fromRawData(bytes.data(), bytes.size()));
        if (known != m_index.cend())
            return *known;
        const int place = add(rows.text(column));
        m_index.insert(bytes.toByteArray(), place);
        return place;
    }
    const QString& at(int place) const { return m_texts.at(place); }
    std::optional<double> numberAt(int place)
    {
        if (!m_read.at(place)) {
            m_numbers[place] = TurkishText::readNumber(m_texts.at(place));
            m_read[place] = true;
        }
        return m_numbers.at(place);
    }

private:
    int add(const QString& text)
    {
        m_texts << text;
        m_numbers.emplace_back();
        m_read.push_back(false);
        return int(m_texts.size() - 1);
    }

    QHash<QByteArray, int> m_index;
    QList<QString> m_texts;
    std::vector<std::optional<double>> m_numbers;
    std::vector<bool> m_read;
};

} // namespace

// A near miss as the scan finds it: numbers and places in Texts only, so
// that a scan makes no text of its own per row and sorts small records.
struct NearMisses::Found {
    double distance = 0;
    qint64 key = 0;
    double price = 0, area = 0;
    qint32 district = -1, kind = -1, typedArea = -1;
    bool hasPrice = false, hasArea = false;
    Register where = Register::Land;
};

struct NearMisses::Data {
    Texts texts;
    std::vector<Found> found;
    bool district = false;
    std::optional<Range> price, area; // the request's, where the criterion reads them
};

namespace {

// The widened search without the exact match in one statement: where the
// district leads the index the store scans the district's rows either way,
// and one statement costs less to run than its bands.
Statement widenedWithoutExact(Register id, const Request& request, const QList<Bounded>& fields)
{
    QStringList wide, exact;
    QVariantList values;
    for (const Bounded& b : fields) {
        wide << rangeSql(b.column, b.column == QLatin1String("\"Fiyati\""));
        bindRange(values, b.wide);
    }
    for (const Bounded& b : fields) {
        exact << rangeSql(b.column, false);
        bindRange(values, b.exact);
    }
    return admittedBy(id, request, true)
        .where(QStringLiteral("%1 AND NOT (%2)").arg(wide.join(QStringLiteral(" AND ")), exact.join(QStringLiteral(" AND "))),
               values);
}

} // namespace

NearMisses nearMisses(Database& db, const Request& request, int criterion, int margin)
{
    NearMisses ordered;
    if (!hasMargin(criterion))
        return ordered;
    const Criterion& c = criteria().at(criterion);
    const double share = shareOf(margin);
    // A rounding hair over the widened bound is still within it.
    const double limit = share + 1e-9;
    const auto widen = [share](const Range& r) {
        return Range{r.low - std::fabs(r.low) * share, r.high + std::fabs(r.high) * share};
    };
    // A bound the criterion needs left empty: the match finds nothing, nor
    // does a widened one.
    const auto priceRange = rangeOf(request.lowestPrice, request.highestPrice);
    const auto areaRange = rangeOf(request.smallestArea, request.largestArea);
    if ((c.price && !priceRange) || (c.area && !areaRange))
        return ordered;

    auto data = std::make_shared<NearMisses::Data>();
    Texts& texts = data->texts;
    std::vector<NearMisses::Found>& found = data->found;
    data->district = c.district;
    if (c.price)
        data->price = priceRange;
    if (c.area)
        data->area = areaRange;
    for (const Register id : registersFor(request, criterion, Scope::OneRequest)) {
        const RegisterRule& r = rule(id);
        const bool areaIsText = !Catalogue::table(r.table).field(QStringLiteral("Metre2"))->isNumeric();
        QList<Bounded> fields;
        if (c.price)
            fields << Bounded{QStringLiteral("\"Fiyati\""), *priceRange, widen(*priceRange)};
        if (c.area)
            fields << Bounded{areaIsText ? QStringLiteral("asnumber(\"Metre2\")") : QStringLiteral("\"Metre2\""),
                              *areaRange, widen(*areaRange)};
        QStringList columns{QStringLiteral("No"), r.districtField, QStringLiteral("Fiyati"), QStringLiteral("Metre2")};
        if (r.byKind)
            columns << QStringLiteral("Emlak");
        const QList<Statement> statements = c.district ? QList<Statement>{widenedWithoutExact(id, request, fields)}
                                                       : bandStatements(id, request, fields);
        // Bands of one text run on one prepared statement, rebound.
        std::optional<RowStream> rows;
        QString running;
        for (const Statement& band : statements) {
            if (rows && band.condition() == running) {
                rows->rerun(band.values());
            } else {
                rows.emplace(db, band, columns);
                running = band.condition();
            }
            while (rows->next()) {
                NearMisses::Found miss{.where = id};
                // A compared field is never empty here: the store found it
                // within a widened bound.
                miss.hasPrice = c.price || !rows->isNull(2);
                if (miss.hasPrice)
                    miss.price = rows->number(2);
                if (areaIsText) {
                    miss.typedArea = texts.of(*rows, 3);
                    const auto n = texts.numberAt(miss.typedArea);
                    miss.hasArea = bool(n);
                    miss.area = n.value_or(0);
                } else {
                    miss.hasArea = c.area || !rows->isNull(3);
                    if (miss.hasArea)
                        miss.area = rows->number(3);
                }
                bool exact = true;
                if (c.price) {
                    const FieldMiss m = missOf(miss.price, *priceRange);
                    exact = m.side == FieldMiss::Side::Inside;
                    miss.distance = m.share;
                }
                if (c.area) {
                    if (!miss.hasArea)
                        continue; // a typed area that reads as no number
                    const FieldMiss m = missOf(miss.area, *areaRange);
                    exact = exact && m.side == FieldMiss::Side::Inside;
                    miss.distance = std::max(miss.distance, m.share);
                }
                // What the store compares as a hair inside a bound is left out.
                if (exact || miss.distance > limit)
                    continue;
                miss.key = rows->integer(0);
                miss.district = texts.of(*rows, 1);
                if (r.byKind)
                    miss.kind = texts.of(*rows, 4);
                found.push_back(miss);
            }
        }
    }
    std::sort(found.begin(), found.end(), [](const NearMisses::Found& a, const NearMisses::Found& b) {
        if (a.distance != b.distance)
            return a.distance < b.distance;
        if (a.where != b.where)
            return a.where < b.where;
        return a.key < b.key;
    });
    ordered.d = std::move(data);
    return ordered;
}

qsizetype NearMisses::size() const
{
    return d ? qsizetype(d->found.size()) : 0;
}

NearMiss NearMisses::at(qsizetype place) const
{
    const Found& f = d->found.at(size_t(place));
    const Texts& texts = d->texts;
    NearMiss miss{.where = f.where,
                  .key = f.key,
                  .district = texts.at(f.district),
                  .kind = f.kind < 0 ? QString() : texts.at(f.kind),
                  .price = f.hasPrice ? std::optional<double>(f.price) : std::nullopt,
                  .area = f.hasArea ? std::optional<double>(f.area) : std::nullopt,
                  .typedArea = f.typedArea < 0 ? QString() : texts.at(f.typedArea),
                  .distance = f.distance,
                  .reasons = {.district = d->district}};
    if (d->price)
        miss.reasons.price = missOf(f.price, *d->price);
    if (d->area)
        miss.reasons.area = missOf(f.area, *d->area);
    return miss;
}

// --- Listings a criterion can never find -----------------------------------

QList<Compared> comparedBy(int criterion)
{
    QList<Compared> fields;
    if (criterion < 0 || criterion >= CriterionCount)
        return fields;
    if (criteria().at(criterion).price)
        fields << Compared::Price;
    if (criteria().at(criterion).area)
        fields << Compared::Area;
    return fields;
}

Statement missingStatement(Register id, Compared field, const std::optional<QString>& status)
{
    const RegisterRule& r = rule(id);
    const bool areaIsText = !Catalogue::table(r.table).field(QStringLiteral("Metre2"))->isNumeric();
    const QString empty = field == Compared::Price ? QStringLiteral("\"Fiyati\" IS NULL")
                          : areaIsText             ? QStringLiteral("asnumber(\"Metre2\") IS NULL")
                                                   : QStringLiteral("\"Metre2\" IS NULL");
    if (!status)
        return Statement(r.table).where(empty);
    const QString wanted = status->isEmpty() && !r.availableStatus.isEmpty() ? r.availableStatus : *status;
    return Statement(r.table).where(QStringLiteral("\"Durum\" = ? AND ") + empty, {Statement::text(wanted)});
}

qint64 countMissing(Database& db, Register id, Compared field, const std::optional<QString>& status)
{
    RowStream rows(db, missingStatement(id, field, status), {QStringLiteral("No")});
    while (rows.next()) {
    }
    return rows.rowsRead();
}

QString missingNotice(Register id, Compared field, qint64 count)
{
    static const QString where[RegisterCount] = {
        QStringLiteral("arsa ve arazide"), QStringLiteral("kiralık dairede"), QStringLiteral("satılık dairede"),
        QStringLiteral("kiralık emlakta"), QStringLiteral("satılık emlakta")};
    const bool land = id == Register::Land;
    const QString what = field == Compared::Price ? QStringLiteral("fiyat yok; fiyata göre")
                         : land                   ? QStringLiteral("m² sayı değil; metre kareye göre")
                                                  : QStringLiteral("m² yok; metre kareye göre");
    return QStringLiteral("%1 %2 %3 aramalarda çıkmazlar").arg(QLocale().toString(count), where[int(id)], what);
}

} // namespace Matching
