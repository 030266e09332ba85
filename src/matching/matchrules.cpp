#include "matching/matchrules.h"

#include "data/catalogue.h"
#include "platform/engine/database.h"

#include <array>
#include <cmath>

namespace Matching {

namespace {

const QString Flat = QStringLiteral("Daire");
const QString Plot = QStringLiteral("Arsa");
const QString Farmland = QStringLiteral("Arazi");
// A kind some agencies define for requests that take either; a land kind only
// when one request is matched by district.
const QString PlotOrFarmland = QStringLiteral("Arsa ve Arazi");

const QString& toRent()
{
    return Catalogue::Lists::RequestedDeal.at(0); // "Kiralanmadı"
}

const QString& toBuy()
{
    return Catalogue::Lists::RequestedDeal.at(1); // "Satılmadı"
}

bool isLandKind(const QString& kind)
{
    return kind == Plot || kind == Farmland;
}

bool kindServed(Kinds kinds, const QString& kind, int criterion, Scope scope)
{
    switch (kinds) {
    case Kinds::Land:
        return isLandKind(kind) || (scope == Scope::OneRequest && criterion == ByDistrict && kind == PlotOrFarmland);
    case Kinds::Flats:
        return kind == Flat;
    case Kinds::Others:
        return !isLandKind(kind) && kind != Flat;
    }
    return false;
}

bool areaIsText(const RegisterRule& rule)
{
    const FieldSchema* area = Catalogue::table(rule.table).field(QStringLiteral("Metre2"));
    return area && !area->isNumeric();
}

// The condition of one register under one criterion, made once: fixed SQL
// with a '?' for each value statementFor() binds, in the same order.
// The register's own rules, before any bound: district, status, kind.
QStringList admissionOf(const RegisterRule& rule, bool district)
{
    QStringList parts;
    if (district)
        parts << Database::quoted(rule.districtField) + QStringLiteral(" = ?");
    parts << QStringLiteral("\"Durum\" = ?");
    if (rule.byKind)
        parts << QStringLiteral("\"Emlak\" = ?");
    return parts;
}

// Their values, in the same order.
void bindAdmission(QVariantList& values, const RegisterRule& rule, const Request& request, bool district)
{
    if (district)
        values << Statement::text(request.district);
    values << Statement::text(rule.availableStatus.isEmpty() ? request.wish : rule.availableStatus);
    if (rule.byKind)
        values << Statement::text(request.kind);
}

QString conditionOf(const RegisterRule& rule, const Criterion& criterion)
{
    QStringList parts = admissionOf(rule, criterion.district);
    if (criterion.price)
        parts << QStringLiteral("\"Fiyati\" >= ? AND \"Fiyati\" <= ?");
    // With another criterion beside it, the area is compared on the index
    // that criterion reads ("+" keeps SQLite from choosing the area's own).
    const bool areaAlone = !criterion.district && !criterion.price;
    if (criterion.area)
        parts << (areaIsText(rule) ? (areaAlone ? QStringLiteral("asnumber(\"Metre2\") >= ? AND asnumber(\"Metre2\") <= ?")
                                                : QStringLiteral("+asnumber(\"Metre2\") >= ? AND +asnumber(\"Metre2\") <= ?"))
                  : areaAlone ? QStringLiteral("\"Metre2\" >= ? AND \"Metre2\" <= ?")
                              : QStringLiteral("+\"Metre2\" >= ? AND +\"Metre2\" <= ?"));
    return parts.join(QStringLiteral(" AND "));
}

const QString& conditionFor(Register id, int criterion)
{
    static const auto conditions = [] {
        std::array<std::array<QString, CriterionCount>, RegisterCount> made;
        for (const RegisterRule& r : registers())
            for (int c = 0; c < CriterionCount; ++c)
                made[size_t(r.id)][size_t(c)] = conditionOf(r, criteria().at(c));
        return made;
    }();
    return conditions[size_t(id)][size_t(criterion)];
}

// A bound as SQLite should compare it: a number, or NULL (which no listing
// is within) when the request leaves it empty or it reads as no number.
QVariant bound(const QVariant& value)
{
    bool ok = false;
    const double number = value.isNull() ? 0.0 : value.toDouble(&ok);
    return ok && std::isfinite(number) ? QVariant(number) : QVariant(QMetaType::fromType<double>());
}

} // namespace

const QList<RegisterRule>& registers()
{
    static const QList<RegisterRule> rows{
        {.id = Register::Land,
         .table = QStringLiteral("arsa"),
         .districtField = QStringLiteral("Semt"),
         .kinds = Kinds::Land,
         .availableStatus = QString(),
         .byKind = false,
         .gridColumns = {{"Semt", ""}, {"Ada", ""}, {"Parsel", ""}, {"Pafta", ""}, {"Imar", ""}, {"Metre2", ""},
                         {"Fiyati", ""}},
         .entryScreen = QStringLiteral("LandEntry"),
         .caption = QStringLiteral("Arsa ve Arazi"),
         .lineEnding = QStringLiteral("  Emlak : Arsa ve Arazi"),
         .lineEndsWithKind = false},
        {.id = Register::RentalFlats,
         .table = QStringLiteral("kdgiris"),
         .districtField = QStringLiteral("Semtadi"),
         .kinds = Kinds::Flats,
         .availableStatus = toRent(),
         .byKind = false,
         .gridColumns = {{"Semtadi", ""}, {"Metre2", ""}, {"Fiyati", ""}, {"Kat", ""}, {"Oda", ""}, {"Isisistemi", ""}},
         .entryScreen = QStringLiteral("RentalFlatEntry"),
         .caption = QStringLiteral("Kiralık Daireler"),
         .lineEnding = QStringLiteral("   Emlak : Kiralık Daire"),
         .lineEndsWithKind = false},
        {.id = Register::SaleFlats,
         .table = QStringLiteral("sdgiris"),
         .districtField = QStringLiteral("Semtadi"),
         .kinds = Kinds::Flats,
         .availableStatus = toBuy(),
         .byKind = false,
         .gridColumns = {{"Semtadi", ""}, {"Fiyati", ""}, {"Metre2", ""}, {"Kat", ""}, {"Oda", ""}, {"Isisistemi", ""}},
         .entryScreen = QStringLiteral("SaleFlatEntry"),
         .caption = QStringLiteral("Satılık Daireler"),
         .lineEnding = QStringLiteral("  Emlak : Satılık Daire"),
         .lineEndsWithKind = false},
        {.id = Register::RentalProperties,
         .table = QStringLiteral("kegiris"),
         .districtField = QStringLiteral("Semtadi"),
         .kinds = Kinds::Others,
         .availableStatus = toRent(),
         .byKind = true,
         .gridColumns = {{"Emlak", ""}, {"Semtadi", ""}, {"Fiyati", ""}, {"Metre2", ""}, {"Kat", ""}, {"Oda", ""},
                         {"Isisistemi", ""}},
         .entryScreen = QStringLiteral("RentalPropertyEntry"),
         .caption = QStringLiteral("Kiralık Emlaklar"),
         .lineEnding = QStringLiteral("   Emlak  :"),
         .lineEndsWithKind = true},
        {.id = Register::SaleProperties,
         .table = QStringLiteral("segiris"),
         .districtField = QStringLiteral("Semtadi"),
         .kinds = Kinds::Others,
         .availableStatus = toBuy(),
         .byKind = true,
         .gridColumns = {{"Emlak", ""}, {"Semtadi", ""}, {"Fiyati", ""}, {"Metre2", ""}, {"Kat", ""}, {"Oda", ""},
                         {"Isisistemi", ""}},
         .entryScreen = QStringLiteral("SalePropertyEntry"),
         .caption = QStringLiteral("Satılık Emlaklar"),
         .lineEnding = QStringLiteral("   Emlak : "),
         .lineEndsWithKind = true},
    };
    return rows;
}

const RegisterRule& rule(Register id)
{
    return registers().at(int(id));
}

std::optional<Register> registerOf(const QString& table)
{
    const QString name = Database::canonicalTableName(table);
    for (const RegisterRule& r : registers())
        if (r.table == name)
            return r.id;
    return std::nullopt;
}

const QList<Criterion>& criteria()
{
    static const QList<Criterion> rows{
        {.item = QStringLiteral("Semt Adına Göre"), .district = true, .price = false, .area = false},
        {.item = QStringLiteral("Fiyata Göre"), .district = false, .price = true, .area = false},
        {.item = QStringLiteral("Metre Kareye Göre"), .district = false, .price = false, .area = true},
        {.item = QStringLiteral("Semt ve Fiyata Göre"), .district = true, .price = true, .area = false},
        {.item = QStringLiteral("Semt ve Metreye Göre"), .district = true, .price = false, .area = true},
        {.item = QStringLiteral("Fiyat ve Metreye Göre"), .district = false, .price = true, .area = true},
        {.item = QStringLiteral("Tümüne Göre"), .district = true, .price = true, .area = true},
    };
    return rows;
}

const QStringList& requestFields()
{
    static const QStringList fields{QStringLiteral("No"),           QStringLiteral("Isim"),
                                    QStringLiteral("Telefon"),      QStringLiteral("Semtadi"),
                                    QStringLiteral("Emlak"),        QStringLiteral("Istek"),
                                    QStringLiteral("Fiyatilkdeger"), QStringLiteral("Ikincifiyat"),
                                    QStringLiteral("IlkMetre2"),    QStringLiteral("Ikincimetre2")};
    return fields;
}

QList<Register> registersFor(const Request& request, int criterion, Scope scope)
{
    QList<Register> held;
    if (criterion < 0 || criterion >= CriterionCount)
        return held;
    for (const RegisterRule& r : registers()) {
        const bool wished = r.availableStatus.isEmpty() || request.wish == r.availableStatus;
        if (wished && kindServed(r.kinds, request.kind, criterion, scope))
            held << r.id;
    }
    return held;
}

QStringList kindsServed(Register id, int criterion, Scope scope)
{
    QStringList kinds;
    for (const QString& kind : {Flat, Plot, Farmland, PlotOrFarmland})
        if (rule(id).kinds != Kinds::Others && kindServed(rule(id).kinds, kind, criterion, scope))
            kinds << kind;
    return kinds;
}

Statement statementFor(Register id, const Request& request, int criterion)
{
    const RegisterRule& r = rule(id);
    const Criterion& c = criteria().at(criterion);
    QVariantList values;
    values.reserve(7);
    bindAdmission(values, r, request, c.district);
    if (c.price)
        values << bound(request.lowestPrice) << bound(request.highestPrice);
    if (c.area)
        values << bound(request.smallestArea) << bound(request.largestArea);
    return Statement(r.table).where(conditionFor(id, criterion), values);
}

Statement admittedBy(Register id, const Request& request, bool byDistrict)
{
    const RegisterRule& r = rule(id);
    static const auto conditions = [] {
        std::array<std::array<QString, 2>, RegisterCount> made;
        for (const RegisterRule& each : registers())
            for (const bool district : {false, true})
                made[size_t(each.id)][district] = admissionOf(each, district).join(QStringLiteral(" AND "));
        return made;
    }();
    QVariantList values;
    bindAdmission(values, r, request, byDistrict);
    return Statement(r.table).where(conditions[size_t(id)][byDistrict], values);
}

Statement wholeRegister(Register id)
{
    return Statement(rule(id).table);
}

namespace {

const QString NamePiece = QStringLiteral("    İsim : ");
const QString PhonePiece = QStringLiteral("    Telefon : ");

} // namespace

QString requestLine(const QString& name, const QString& phone)
{
    return NamePiece + name + PhonePiece + phone;
}

std::optional<RequestLineFields> readRequestLine(const QString& line)
{
    if (!line.startsWith(NamePiece))
        return std::nullopt;
    const qsizetype phone = line.indexOf(PhonePiece, NamePiece.size());
    if (phone < 0)
        return std::nullopt;
    return RequestLineFields{line.mid(NamePiece.size(), phone - NamePiece.size()), line.mid(phone + PhonePiece.size())};
}

std::optional<ListingLineFields> readListingLine(const QString& line)
{
    if (!line.startsWith(DistrictPiece))
        return std::nullopt;
    const qsizetype area = line.indexOf(AreaPiece, DistrictPiece.size());
    const qsizetype price = area < 0 ? -1 : line.indexOf(PricePiece, area + AreaPiece.size());
    if (price < 0)
        return std::nullopt;
    ListingLineFields fields;
    fields.district = line.mid(DistrictPiece.size(), area - DistrictPiece.size());
    fields.area = line.mid(area + AreaPiece.size(), price - area - AreaPiece.size());
    const QString rest = line.mid(price + PricePiece.size());
    // The fixed endings first: "   Emlak : " begins "   Emlak : Kiralık Daire".
    for (const bool withKind : {false, true})
        for (const RegisterRule& r : registers()) {
            if (r.lineEndsWithKind != withKind)
                continue;
            const qsizetype ending = withKind ? rest.indexOf(r.lineEnding) : rest.size() - r.lineEnding.size();
            if (ending < 0 || (!withKind && !rest.endsWith(r.lineEnding)))
                continue;
            fields.price = rest.left(ending);
            fields.kind = withKind ? rest.mid(ending + r.lineEnding.size())
                                   : r.lineEnding.section(QLatin1Char(':'), 1).trimmed();
            return fields;
        }
    return std::nullopt;
}

QStringList listingLineFields(Register id)
{
    const RegisterRule& r = rule(id);
    QStringList fields{r.districtField, QStringLiteral("Metre2"), QStringLiteral("Fiyati")};
    if (r.lineEndsWithKind)
        fields << QStringLiteral("Emlak");
    return fields;
}

QString listingLine(Register id, const QString& district, const QString& area, const QString& price,
                    const QString& kind)
{
    const QString* fields[] = {&district, &area, &price, &kind};
    QString line;
    appendListingLine(line, id, [&](int place, QString& out) { out.append(*fields[place]); });
    return line;
}

} // namespace Matching
