#include "matching/nearmisses.h"

#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/rowstream.h"
#include "platform/engine/turkishtext.h"

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

// How far value lies outside [low, high], as a share of the bound it misses
// (0 inside); what the mark says, given the criterion's word and how to say
// a miss in percent or in units.
struct Miss {
    double share = 0;
    QString mark;
};

enum class Told { Percent, Units };

Miss missOf(const QString& word, Told told, const QString& below, const QString& above, double value,
            double low, double high)
{
    if (value >= low && value <= high)
        return {0, word + QStringLiteral(" ✔")};
    const bool under = value < low;
    const double bound = under ? low : high;
    const double gap = under ? low - value : value - high;
    const double share = bound == 0 ? INFINITY : gap / std::fabs(bound);
    QString amount;
    if (told == Told::Percent)
        amount = QStringLiteral("%") + QString::number(std::max<qint64>(1, qint64(std::llround(share * 100))));
    else
        amount = plainNumber(std::round(gap * 100) / 100);
    return {share, word + QLatin1Char(' ') + amount + QLatin1Char(' ') + (under ? below : above)};
}

// Whether a criterion's bound holds for the value (or is not read).
bool within(bool reads, const QVariant& value, const QVariant& low, const QVariant& high)
{
    if (!reads)
        return true;
    const auto v = numberOf(value), lo = numberOf(low), hi = numberOf(high);
    return v && lo && hi && *v >= *lo && *v <= *hi;
}

// The request's own bounds under the criterion, left out of the widened
// search: the store then returns only the listings that miss, and the rows
// of the exact match (most of a widened search) never leave it.
void leaveOutExact(Statement& statement, Register id, const Request& request, int criterion)
{
    const Criterion& c = criteria().at(criterion);
    const auto number = [](const QVariant& v) {
        const auto n = numberOf(v);
        return n ? QVariant(*n) : QVariant(QMetaType::fromType<double>());
    };
    QStringList parts;
    QVariantList values;
    if (c.price) {
        parts << QStringLiteral("\"Fiyati\" >= ? AND \"Fiyati\" <= ?");
        values << number(request.lowestPrice) << number(request.highestPrice);
    }
    if (c.area) {
        const bool areaIsText = !Catalogue::table(rule(id).table).field(QStringLiteral("Metre2"))->isNumeric();
        parts << (areaIsText ? QStringLiteral("asnumber(\"Metre2\") >= ? AND asnumber(\"Metre2\") <= ?")
                             : QStringLiteral("\"Metre2\" >= ? AND \"Metre2\" <= ?"));
        values << number(request.smallestArea) << number(request.largestArea);
    }
    statement.where(QStringLiteral("NOT (%1)").arg(parts.join(QStringLiteral(" AND "))), values);
}

const QString PriceWord = QStringLiteral("fiyat");
const QString AreaWord = QStringLiteral("m²");

} // namespace

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
    const Criterion& c = criteria().at(criterion);
    if (c.district)
        marked.marks << QStringLiteral("semt ✔");
    const auto judge = [&](bool reads, const QString& word, Told told, const QString& below, const QString& above,
                           const QVariant& value, const QVariant& low, const QVariant& high) {
        if (!reads)
            return;
        const auto v = numberOf(value), lo = numberOf(low), hi = numberOf(high);
        if (!v || !lo || !hi) {
            marked.exact = false;
            marked.distance = INFINITY;
            marked.marks << word + QStringLiteral(" yok");
            return;
        }
        const Miss miss = missOf(word, told, below, above, *v, *lo, *hi);
        if (miss.share > 0)
            marked.exact = false;
        marked.distance = std::max(marked.distance, miss.share);
        marked.marks << miss.mark;
    };
    judge(c.price, PriceWord, Told::Percent, QStringLiteral("düşük"), QStringLiteral("yüksek"), price,
          request.lowestPrice, request.highestPrice);
    judge(c.area, AreaWord, Told::Units, QStringLiteral("eksik"), QStringLiteral("fazla"), area,
          request.smallestArea, request.largestArea);
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

QList<NearMiss> nearMisses(Database& db, const Request& request, int criterion, int margin)
{
    QList<NearMiss> found;
    if (!hasMargin(criterion))
        return found;
    const Criterion& c = criteria().at(criterion);
    // A rounding hair over the widened bound is still within it.
    const double limit = shareOf(margin) + 1e-9;
    for (const Register id : registersFor(request, criterion, Scope::OneRequest)) {
        const RegisterRule& r = rule(id);
        const bool areaIsText = !Catalogue::table(r.table).field(QStringLiteral("Metre2"))->isNumeric();
        QStringList columns{QStringLiteral("No"), r.districtField, QStringLiteral("Fiyati"), QStringLiteral("Metre2")};
        if (r.byKind)
            columns << QStringLiteral("Emlak");
        Statement widened = widenedStatementFor(id, request, criterion, margin);
        leaveOutExact(widened, id, request, criterion);
        RowStream rows(db, widened, columns);
        while (rows.next()) {
            QVariant area;
            if (areaIsText) {
                if (const auto n = TurkishText::readNumber(rows.text(3)))
                    area = *n;
            } else if (!rows.isNull(3)) {
                area = rows.number(3);
            }
            const QVariant price = rows.isNull(2) ? QVariant() : QVariant(rows.number(2));
            // The store has left the exact matches out; what it compares as
            // a hair inside a bound is left out here too.
            if (within(c.price, price, request.lowestPrice, request.highestPrice)
                && within(c.area, area, request.smallestArea, request.largestArea))
                continue;
            const Marked marked = markListing(request, criterion, price, area);
            if (marked.exact || marked.distance > limit)
                continue;
            found << NearMiss{.where = id,
                              .key = rows.integer(0),
                              .district = rows.text(1),
                              .kind = r.byKind ? rows.text(4) : QString(),
                              .price = rows.text(2),
                              .area = rows.text(3),
                              .distance = marked.distance,
                              .marks = marked.marks};
        }
    }
    // Ordered by their places, then moved once each into that order.
    std::vector<qsizetype> order(size_t(found.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::sort(order.begin(), order.end(), [&found](qsizetype x, qsizetype y) {
        const NearMiss& a = found.at(x);
        const NearMiss& b = found.at(y);
        if (a.distance != b.distance)
            return a.distance < b.distance;
        if (a.where != b.where)
            return a.where < b.where;
        return a.key < b.key;
    });
    QList<NearMiss> ordered;
    ordered.reserve(found.size());
    for (const qsizetype at : order)
        ordered << std::move(found[at]);
    return ordered;
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
