#include "data/catalogue.h"

#include "data/shippeddata.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"

#include <QDir>
#include <algorithm>

namespace Catalogue {

namespace Lists {
const QStringList RentStatus{QStringLiteral("Kiralandı"), QStringLiteral("Kiralanmadı")};
const QStringList SaleStatus{QStringLiteral("Satıldı"), QStringLiteral("Satılmadı")};
const QStringList LandStatus{QStringLiteral("Satıldı"), QStringLiteral("Satılmadı"), QStringLiteral("Kiralandı"),
                             QStringLiteral("Kiralanmadı")};
const QStringList RequestStatus{QStringLiteral("Buldu"), QStringLiteral("Bulamadı")};
const QStringList RequestedDeal{QStringLiteral("Kiralanmadı"), QStringLiteral("Satılmadı")};
const QStringList Present{QStringLiteral("Var"), QStringLiteral("Yok")};
const QStringList Heating{QStringLiteral("Sobalı"), QStringLiteral("Doğal Gaz Kaloriferli"),
                          QStringLiteral("Doğal Gaz Sobalı"), QStringLiteral("Kalofiferli")};
const QStringList Rooms{QStringLiteral("2+1"), QStringLiteral("3+1"), QStringLiteral("4+1"), QStringLiteral("Farketmez")};
const QStringList Floor{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                        QStringLiteral("5"), QStringLiteral("Farketmez")};
} // namespace Lists

namespace {

FieldSchema key(const QString& name)
{
    return {name, FieldType::AutoIncrement};
}

FieldSchema text(const QString& name, int size = 20)
{
    return {name, FieldType::Text, size};
}

FieldSchema phone(const QString& name)
{
    FieldSchema field = text(name);
    field.mask = PhoneMask;
    return field;
}

FieldSchema choice(const QString& name, int size, const QStringList& list)
{
    // A value the drop-down offers always fits its field ("Doğal Gaz
    // Kaloriferli" has 21 letters where the heating field was declared 20).
    for (const QString& item : list)
        size = std::max(size, int(item.size()));
    FieldSchema field = text(name, size);
    field.choices = list;
    return field;
}

FieldSchema lookup(const QString& name, int size, const LookupSource& source)
{
    FieldSchema field = text(name, size);
    field.lookup = source;
    return field;
}

FieldSchema number(const QString& name)
{
    return {name, FieldType::Float};
}

FieldSchema money(const QString& name)
{
    return {name, FieldType::Currency};
}

// An amount in the currency that another field of its record names.
FieldSchema money(const QString& name, const QString& currencyField)
{
    FieldSchema field = money(name);
    field.currencyField = currencyField;
    return field;
}

FieldSchema memo(const QString& name, int size)
{
    return {name, FieldType::Memo, size};
}

FieldSchema required(FieldSchema field)
{
    field.required = true;
    return field;
}

// The matching reads every listing it prints (district, area, price and
// kind) from one of these, never from the table: the first serves every
// criterion with a district, the second price with or without area, the
// third the area alone (on land, the number its text reads as). Without the store's
// statistics SQLite would prefer the third for district and area as well,
// reading a whole status's areas instead of one district's, so the matching
// writes its area terms so that only the area-alone criterion can use it.
QVector<IndexSchema> matchingIndexes(const QString& district, bool byKind, bool areaIsText)
{
    QStringList byPlace{district, QStringLiteral("Durum")};
    QStringList byPrice{QStringLiteral("Durum")};
    if (byKind) {
        byPlace << QStringLiteral("Emlak");
        byPrice << QStringLiteral("Emlak");
    }
    QStringList byArea = byPrice;
    byPlace << QStringLiteral("Fiyati") << QStringLiteral("Metre2");
    byPrice << QStringLiteral("Fiyati") << QStringLiteral("Metre2") << district;
    // Land keeps its area as text and is compared as the number it reads as.
    if (areaIsText)
        byArea << QStringLiteral("asnumber(Metre2)");
    byArea << QStringLiteral("Metre2") << QStringLiteral("Fiyati") << district;
    return {IndexSchema{byPlace}, IndexSchema{byPrice}, IndexSchema{byArea}};
}

// The four listing registers share one layout; a few fields belong to some.
TableSchema listing(const QString& name, bool rental, bool property)
{
    TableSchema table{name};
    auto& f = table.fields;
    f << key(QStringLiteral("No"));
    f << (name == QLatin1String("kdgiris") ? required(lookup(QStringLiteral("Semtadi"), 20, District))
                                           : lookup(QStringLiteral("Semtadi"), 20, District));
    if (property)
        f << lookup(QStringLiteral("Emlak"), 20, PropertyKind);
    // Sale prices may be in another currency, named by "Döviz"; rents are in lira.
    f << (rental ? money(QStringLiteral("Fiyati")) : money(QStringLiteral("Fiyati"), QStringLiteral("Döviz")));
    if (!rental)
        f << text(QStringLiteral("Döviz"), 15);
    if (rental)
        f << text(QStringLiteral("Depozito"), 10);
    f << number(QStringLiteral("Metre2")) << text(QStringLiteral("Oda")) << text(QStringLiteral("Kat"), 6)
      << choice(QStringLiteral("Isisistemi"), 20, Lists::Heating) << choice(QStringLiteral("Asansor"), 10, Lists::Present)
      << choice(QStringLiteral("Otopark"), 20, Lists::Present) << choice(QStringLiteral("Hidrofor"), 10, Lists::Present)
      << text(QStringLiteral("Duvarlar")) << text(QStringLiteral("Zeminler"), 15) << text(QStringLiteral("Tavanlar"))
      << text(QStringLiteral("Kapilar"), 15) << text(QStringLiteral("Banyo")) << text(QStringLiteral("Mutfak"), 15);
    if (!property)
        f << text(QStringLiteral("Yil"));
    f << text(QStringLiteral("Satis"), 15)
      << choice(QStringLiteral("Durum"), 20, rental ? Lists::RentStatus : Lists::SaleStatus)
      << text(QStringLiteral("Isim")) << phone(QStringLiteral("Telefon")) << phone(QStringLiteral("Istel"))
      << phone(QStringLiteral("Ceptel")) << text(QStringLiteral("Anahtar")) << memo(QStringLiteral("Adres"), 50)
      << memo(QStringLiteral("Notlar"), 100);
    // The list screens page through their searches in key order: district
    // (alone, for a search over every status: in key order within it, so
    // its first page sorts nothing), district and status, price, area.
    table.indexes << IndexSchema{{QStringLiteral("Semtadi")}}
                  << IndexSchema{{QStringLiteral("Semtadi"), QStringLiteral("Durum")}}
                  << IndexSchema{{QStringLiteral("Fiyati")}} << IndexSchema{{QStringLiteral("Metre2")}};
    table.indexes << matchingIndexes(QStringLiteral("Semtadi"), property, false);
    return table;
}

TableSchema land()
{
    TableSchema table{QStringLiteral("arsa")};
    table.fields << key(QStringLiteral("No")) << lookup(QStringLiteral("Semt"), 20, District)
                 << text(QStringLiteral("Ada")) << text(QStringLiteral("Parsel")) << text(QStringLiteral("Pafta"))
                 << text(QStringLiteral("Imar")) << text(QStringLiteral("Metre2"), 10)
                 << money(QStringLiteral("Fiyati"), QStringLiteral("Doviz")) << text(QStringLiteral("Doviz"))
                 << choice(QStringLiteral("Durum"), 20, Lists::LandStatus)
                 << text(QStringLiteral("Isim")) << phone(QStringLiteral("Telefon"))
                 << phone(QStringLiteral("IsTelefonu")) << phone(QStringLiteral("CepTelefonu"))
                 << memo(QStringLiteral("Notlar"), 100) << memo(QStringLiteral("Adres"), 100);
    table.indexes << IndexSchema{{QStringLiteral("Semt")}}
                  << IndexSchema{{QStringLiteral("Semt"), QStringLiteral("Durum")}}
                  << IndexSchema{{QStringLiteral("Fiyati")}};
    table.indexes << matchingIndexes(QStringLiteral("Semt"), false, true); // its area is text
    return table;
}

TableSchema requests()
{
    TableSchema table{QStringLiteral("musteritalepleri")};
    table.fields << key(QStringLiteral("No")) << lookup(QStringLiteral("Semtadi"), 20, District)
                 << lookup(QStringLiteral("Emlak"), 20, PropertyKind)
                 << choice(QStringLiteral("Istek"), 15, Lists::RequestedDeal)
                 << money(QStringLiteral("Fiyatilkdeger"), QStringLiteral("Döviz"))
                 << money(QStringLiteral("Ikincifiyat"), QStringLiteral("Döviz"))
                 << number(QStringLiteral("IlkMetre2"))
                 << number(QStringLiteral("Ikincimetre2")) << text(QStringLiteral("Döviz"), 15)
                 << choice(QStringLiteral("Oda"), 20, Lists::Rooms)
                 // Declared 6, widened to hold "Farketmez", the last item of its list.
                 << choice(QStringLiteral("Kat"), 6, Lists::Floor)
                 << choice(QStringLiteral("Isisistemi"), 20, Lists::Heating)
                 << choice(QStringLiteral("Durum"), 20, Lists::RequestStatus)
                 << text(QStringLiteral("Tavanlar")) << text(QStringLiteral("Hidrofor"), 10)
                 << text(QStringLiteral("Zeminler"), 15) << text(QStringLiteral("Kapilar"), 15)
                 << text(QStringLiteral("Otopark")) << text(QStringLiteral("Duvarlar")) << text(QStringLiteral("Banyo"))
                 << text(QStringLiteral("Anahtar")) << text(QStringLiteral("Isim")) << phone(QStringLiteral("Telefon"))
                 << phone(QStringLiteral("Istel")) << phone(QStringLiteral("Ceptel")) << memo(QStringLiteral("Adres"), 50)
                 << memo(QStringLiteral("Notlar"), 100);
    // The district alone keeps a district search's pages in key order.
    table.indexes << IndexSchema{{QStringLiteral("Semtadi")}}
                  << IndexSchema{{QStringLiteral("Semtadi"), QStringLiteral("Durum")}}
                  << IndexSchema{{QStringLiteral("Fiyatilkdeger")}} << IndexSchema{{QStringLiteral("IlkMetre2")}};
    return table;
}

TableSchema closedDeals(const QString& name, const QString& keyName)
{
    TableSchema table{name};
    table.fields << key(keyName) << text(QStringLiteral("Adsoyad")) << phone(QStringLiteral("Telefon"))
                 << lookup(QStringLiteral("Semt"), 15, District) << money(QStringLiteral("Fiyati"))
                 << text(QStringLiteral("Malsahibi")) << phone(QStringLiteral("Telmalsahibi"))
                 << text(QStringLiteral("Tarih"), 10) << memo(QStringLiteral("Adres"), 100);
    table.indexes << IndexSchema{{QStringLiteral("Adsoyad")}};
    return table;
}

TableSchema showings(const QString& name, const QString& keyName)
{
    TableSchema table{name};
    table.fields << key(keyName) << text(QStringLiteral("AdiSoyadi")) << text(QStringLiteral("Tarih"), 10)
                 << phone(QStringLiteral("Ev Tel")) << phone(QStringLiteral("IsTel")) << phone(QStringLiteral("Ceptel"))
                 << memo(QStringLiteral("Adres"), 50) << memo(QStringLiteral("G1"), 50) << memo(QStringLiteral("G2"), 50)
                 << memo(QStringLiteral("G3"), 50) << memo(QStringLiteral("G4"), 50);
    table.indexes << IndexSchema{{QStringLiteral("AdiSoyadi")}};
    return table;
}

TableSchema districts()
{
    TableSchema table{QStringLiteral("semtler")};
    table.fields << key(QStringLiteral("No")) << text(QStringLiteral("Semtler"), 15)
                 << memo(QStringLiteral("Aciklama"), 100);
    table.seedColumns << QStringLiteral("Semtler");
    for (const QString& name : ShippedData::districts())
        table.seedRows << QVariantList{name};
    return table;
}

TableSchema propertyKinds()
{
    TableSchema table{QStringLiteral("emlaktanimlama")};
    table.fields << key(QStringLiteral("No")) << text(QStringLiteral("EmlakTipi"))
                 << memo(QStringLiteral("Açıklama"), 100);
    table.seedColumns << QStringLiteral("EmlakTipi");
    for (const QString& name : ShippedData::propertyKinds())
        table.seedRows << QVariantList{name};
    return table;
}

TableSchema phoneBook()
{
    TableSchema table{QStringLiteral("tel")};
    table.fields << key(QStringLiteral("No")) << text(QStringLiteral("Ad")) << text(QStringLiteral("Soyad"))
                 << phone(QStringLiteral("Telefon")) << phone(QStringLiteral("Ceptel"))
                 << phone(QStringLiteral("Ikincitel")) << phone(QStringLiteral("Faks"))
                 << lookup(QStringLiteral("Il"), 20, Province) << FieldSchema{QStringLiteral("Resim"), FieldType::Graphic}
                 << memo(QStringLiteral("Adres"), 50) << memo(QStringLiteral("Aciklama"), 50)
                 << memo(QStringLiteral("M"), 1);
    table.indexes << IndexSchema{{QStringLiteral("Ad")}};
    return table;
}

TableSchema provinces()
{
    TableSchema table{QStringLiteral("il")};
    table.fields << text(QStringLiteral("Il"), 15);
    table.seedColumns << QStringLiteral("Il");
    for (const QString& name : ShippedData::provinces())
        table.seedRows << QVariantList{name};
    return table;
}

QVector<TableSchema> build()
{
    return {
        listing(QStringLiteral("kdgiris"), true, false),
        listing(QStringLiteral("sdgiris"), false, false),
        listing(QStringLiteral("kegiris"), true, true),
        listing(QStringLiteral("segiris"), false, true),
        land(),
        requests(),
        closedDeals(QStringLiteral("kiralanandaireler"), QStringLiteral("Kiralanandno")),
        closedDeals(QStringLiteral("satilandaireler"), QStringLiteral("Satilandno")),
        showings(QStringLiteral("gosterilenkd"), QStringLiteral("Gosterilenkno")),
        showings(QStringLiteral("gosterilensd"), QStringLiteral("Gosterilensno")),
        districts(),
        propertyKinds(),
        phoneBook(),
        provinces(),
    };
}

TableSchema listingPictures()
{
    TableSchema table{Pictures::Table};
    table.fields << key(QStringLiteral("No")) << text(Pictures::Register) << number(Pictures::ListingKey)
                 << number(Pictures::Order) << text(Pictures::Caption, Pictures::CaptionSize)
                 << FieldSchema{Pictures::Picture, FieldType::Graphic}
                 << FieldSchema{Pictures::Thumbnail, FieldType::Graphic};
    // A record's pictures are read by this index alone, in order.
    table.indexes << IndexSchema{{Pictures::Register, Pictures::ListingKey, Pictures::Order}};
    table.ownedBy = {.owners = Pictures::registers(), .ownerField = Pictures::Register, .keyField = Pictures::ListingKey};
    return table;
}

TableSchema shownListings()
{
    namespace S = ShownListings;
    TableSchema table{S::Table};
    table.fields << key(QStringLiteral("No")) << text(S::Log) << number(S::LogKey) << number(S::Place)
                 << text(S::Register) << number(S::ListingKey);
    // Read by showing (the entry screen) and by listing (what was shown).
    table.indexes << IndexSchema{{S::Log, S::LogKey}} << IndexSchema{{S::Register, S::ListingKey}};
    table.ownedBy = {.owners = S::logs(), .ownerField = S::Log, .keyField = S::LogKey};
    return table;
}

TableSchema comparisonRuns()
{
    namespace C = ComparisonTrail;
    TableSchema table{C::Runs};
    table.fields << key(QStringLiteral("No")) << text(C::RunCriterion, 30) << text(C::RunTime, 19);
    return table;
}

TableSchema comparisonPairs()
{
    namespace C = ComparisonTrail;
    TableSchema table{C::Pairs};
    table.fields << key(QStringLiteral("No")) << number(C::PairRun) << number(C::PairRequest) << text(C::PairRegister)
                 << number(C::PairListing);
    table.indexes << IndexSchema{{C::PairRun}};
    return table;
}

} // namespace

const QStringList& ShownListings::logs()
{
    static const QStringList all{QStringLiteral("gosterilenkd"), QStringLiteral("gosterilensd")};
    return all;
}

const QStringList& Pictures::registers()
{
    static const QStringList all{QStringLiteral("kdgiris"), QStringLiteral("sdgiris"), QStringLiteral("kegiris"),
                                 QStringLiteral("segiris"), QStringLiteral("arsa")};
    return all;
}

const QVector<TableSchema>& addedTables()
{
    static const QVector<TableSchema> all{listingPictures(), shownListings(), comparisonRuns(), comparisonPairs()};
    return all;
}

const QVector<TableSchema>& tables()
{
    static const QVector<TableSchema> all = build();
    return all;
}

const TableSchema& table(const QString& name)
{
    const QString canonical = Database::canonicalTableName(name);
    for (const TableSchema& t : tables())
        if (t.name == canonical)
            return t;
    throw DataError(QStringLiteral("Table '%1' does not exist").arg(name));
}

std::unique_ptr<Database> openStore(const QString& folder, Database::ConsistencyCheck check)
{
    return Database::open(QDir(folder).filePath(StoreFileName), tables(), check, addedTables());
}

} // namespace Catalogue
