#include "search/listingsearch.h"

#include "data/catalogue.h"
#include "platform/engine/statement.h"

#include <QLabel>
#include <QLineEdit>

namespace {

using All = ListingSearchTwin::AllItem;

const QString Heating = QStringLiteral("Isı Sistemi");

// Criteria layout under the grid: prices on the left, areas with district and
// status in the middle, the option list on the right.
constexpr int PriceCaption = 116;
constexpr int PriceWidth = 206;
constexpr int MiddleX = 228;
constexpr int MiddleCaption = 80;
// Rows: the two bounds of a range 40 apart (room for the preview), then district and status.
constexpr int FirstRow = 24;
constexpr int SecondRow = 64;
constexpr int DistrictRow = 100;
constexpr int StatusRow = 124;
constexpr int PriceLength = 17;
constexpr int AreaLength = 10;
const QList<int> FooterWidths{90, 170, 90}; // "Bul", "Tümünü Göster", "Yazdır"

SearchSetup searchOf(const ListingSearchTwin& twin)
{
    SearchSetup setup;
    setup.programName = twin.programName;
    setup.caption = twin.caption;
    setup.size = twin.size;
    setup.minimiseIcon = twin.minimiseIcon;
    setup.table = twin.table;
    setup.districtField = twin.districtField;
    setup.statusItems = ListingSearch::statusItems(twin);
    for (const auto& [field, title] : twin.columns)
        setup.columns << DatasetModel::Column{field, title};
    setup.entryScreen = twin.entryScreen;
    setup.report = twin.report;
    setup.opensAtCreation = twin.opensAtCreation;
    setup.districtsSaveAfterPost = twin.districtsSaveAfterPost;
    return setup;
}

} // namespace

const QList<ListingSearchTwin>& ListingSearch::twins()
{
    static const QList<ListingSearchTwin> rows{
        {.programName = QStringLiteral("RentalFlatList"),
         .caption = QStringLiteral("Kiralık Daire Listesi"),
         .table = QStringLiteral("kdgiris"),
         .districtField = QStringLiteral("Semtadi"),
         .statuses = &Catalogue::Lists::RentStatus,
         .allItem = All::Last,
         .columns = {{"Semtadi", ""}, {"Fiyati", ""}, {"Metre2", ""}, {"Kat", ""}, {"Oda", ""}, {"Isisistemi", Heating}},
         .entryScreen = QStringLiteral("RentalFlatEntry"),
         .report = QStringLiteral("RentalFlatListReport"),
         .opensAtCreation = true,
         .size = QSize(640, 480),
         .minimiseIcon = true,
         .districtsSaveAfterPost = true},
        {.programName = QStringLiteral("SaleFlatList"),
         .caption = QStringLiteral("Satılık Daire Listesi"),
         .table = QStringLiteral("sdgiris"),
         .districtField = QStringLiteral("Semtadi"),
         .statuses = &Catalogue::Lists::SaleStatus,
         .allItem = All::Last,
         .columns = {{"Semtadi", ""}, {"Fiyati", ""}, {"Metre2", ""}, {"Kat", ""}, {"Oda", ""}, {"Isisistemi", ""}},
         .entryScreen = QStringLiteral("SaleFlatEntry"),
         .report = QStringLiteral("SaleFlatListReport"),
         .opensAtCreation = true,
         .size = QSize(640, 480),
         .minimiseIcon = true,
         .districtsSaveAfterPost = false},
        {.programName = QStringLiteral("RentalPropertyList"),
         .caption = QStringLiteral("Kiralık Emlak Listesi"),
         .table = QStringLiteral("kegiris"),
         .districtField = QStringLiteral("Semtadi"),
         .statuses = &Catalogue::Lists::RentStatus,
         .allItem = All::Last,
         .columns = {{"Emlak", ""}, {"Semtadi", "Semt Adı"}, {"Fiyati", "Kirası"}, {"Metre2", ""},
                     {"Kat", ""}, {"Oda", ""}, {"Isisistemi", Heating}},
         .entryScreen = QStringLiteral("RentalPropertyEntry"),
         .report = QStringLiteral("RentalPropertyListReport"),
         .opensAtCreation = true,
         .size = QSize(640, 480),
         .minimiseIcon = true,
         .districtsSaveAfterPost = false},
        {.programName = QStringLiteral("SalePropertyList"),
         .caption = QStringLiteral("Satılık Emlak Listesi"),
         .table = QStringLiteral("segiris"),
         .districtField = QStringLiteral("Semtadi"),
         .statuses = &Catalogue::Lists::SaleStatus,
         .allItem = All::Last,
         .columns = {{"Emlak", ""}, {"Semtadi", "Semt Adı"}, {"Fiyati", "Fiyatı"}, {"Metre2", ""},
                     {"Kat", ""}, {"Oda", ""}, {"Isisistemi", Heating}},
         .entryScreen = QStringLiteral("SalePropertyEntry"),
         .report = QStringLiteral("SalePropertyListReport"),
         .opensAtCreation = false,
         .size = QSize(640, 480),
         .minimiseIcon = true,
         .districtsSaveAfterPost = false},
        {.programName = QStringLiteral("LandList"),
         .caption = QStringLiteral("Arsa Ve Arazi Listesi"),
         .table = QStringLiteral("arsa"),
         .districtField = QStringLiteral("Semt"),
         .statuses = &Catalogue::Lists::LandStatus,
         .allItem = All::First,
         .columns = {{"Semt", ""}, {"Fiyati", ""}, {"Metre2", ""}, {"Ada", ""}, {"Parsel", ""}, {"Pafta", ""},
                     {"Imar", ""}},
         .entryScreen = QStringLiteral("LandEntry"),
         .report = QStringLiteral("LandListReport"),
         .opensAtCreation = true,
         .size = QSize(593, 417),
         .minimiseIcon = false,
         .districtsSaveAfterPost = false},
    };
    return rows;
}

const ListingSearchTwin* ListingSearch::twin(const QString& programName)
{
    for (const ListingSearchTwin& row : twins())
        if (row.programName == programName)
            return &row;
    return nullptr;
}

const QStringList& ListingSearch::options()
{
    static const QStringList items{
        QStringLiteral("Semt Adına Göre"),     QStringLiteral("Fiyat Aralığına Göre"),
        QStringLiteral("Metre Aralığına Göre"), QStringLiteral("Semt ve Fiyata Göre"),
        QStringLiteral("Semt ve Metreye Göre"), QStringLiteral("Fiyat ve Metreye Göre"),
        QStringLiteral("Tümüne Göre")};
    return items;
}

QStringList ListingSearch::statusItems(const ListingSearchTwin& twin)
{
    QStringList items = *twin.statuses;
    if (twin.allItem == All::First)
        items.prepend(allStatuses());
    else
        items.append(allStatuses());
    return items;
}

ListingSearch::ListingSearch(Screens& screens, const ListingSearchTwin& twin)
    : SearchScreen(screens, searchOf(twin)), m_twin(twin)
{
    const FieldSchema* area = Catalogue::table(twin.table).field(QStringLiteral("Metre2"));
    m_areaIsText = area && !area->isNumeric();

    const int top = criteriaTop();
    const int optionsX = width() - Margin - OptionsWidth;
    const int middleWidth = optionsX - 14 - MiddleX;

    heading(QStringLiteral("Fiyat Aralığı"), QRect(Margin, top + 4, PriceWidth, 18));
    m_lowerPrice = boundEdit(QStringLiteral("Edit1"), QStringLiteral("İlk Fiyat Değeri"),
                             QRect(Margin, top + FirstRow, PriceWidth, 0), PriceCaption, PriceLength);
    m_lowerPricePreview = previewBeneath(m_lowerPrice, Margin);
    m_upperPrice = boundEdit(QStringLiteral("Edit2"), QStringLiteral("İkinci Fiyat Değeri"),
                             QRect(Margin, top + SecondRow, PriceWidth, 0), PriceCaption, PriceLength);
    m_upperPricePreview = previewBeneath(m_upperPrice, Margin);

    squareMetres(QPoint(MiddleX, top + 5));
    heading(QStringLiteral("Aralığı"), QRect(MiddleX + 34, top + 4, 100, 18));
    m_lowerArea = boundEdit(QStringLiteral("Edit3"), QStringLiteral("İlk Değer"),
                            QRect(MiddleX, top + FirstRow, middleWidth, 0), MiddleCaption, AreaLength);
    m_upperArea = boundEdit(QStringLiteral("Edit4"), QStringLiteral("İkinci Değer"),
                            QRect(MiddleX, top + SecondRow, middleWidth, 0), MiddleCaption, AreaLength);

    buildCriteria({m_lowerPrice, m_upperPrice, m_lowerArea, m_upperArea}, options(),
                  QRect(MiddleX, top + DistrictRow, middleWidth, 0), QRect(MiddleX, top + StatusRow, middleWidth, 0),
                  QRect(optionsX, top + FirstRow, OptionsWidth, OptionsHeight), MiddleCaption, FooterWidths);
}

void ListingSearch::addPrice(Statement& statement) const
{
    // Both bounds exclusive.
    const QVariant low = statement.number(m_lowerPrice->text());
    const QVariant high = statement.number(m_upperPrice->text());
    statement.where(QStringLiteral("Fiyati > ? AND Fiyati < ?"), {low, high});
}

void ListingSearch::addArea(Statement& statement) const
{
    const QVariant low = statement.number(m_lowerArea->text());
    const QVariant high = statement.number(m_upperArea->text());
    // Land keeps its area as text: read as a number, and a plot whose area is
    // no number is never inside a range.
    statement.where(m_areaIsText ? QStringLiteral("asnumber(Metre2) > ? AND asnumber(Metre2) < ?")
                                 : QStringLiteral("Metre2 > ? AND Metre2 < ?"),
                    {low, high});
}

bool ListingSearch::statusFilters(const QString& status) const
{
    return m_twin.statuses->contains(status, Qt::CaseSensitive);
}
