#include "logs/loglists.h"

#include "kit/screenkit.h"
#include "logs/dealentry.h"
#include "logs/showingentry.h"

// Layout on the 300 × 300 background: title band 36 px, the grid under it, the
// name edit and "Tümü" beneath the grid, "Bul" and "Çıkış" in the footer from y 262.
NameListPlan LogListTwin::plan() const
{
    return NameListPlan{
        .window = ScreenKit::standardWindow(programName, caption, QSize(300, 300)),
        .table = table,
        .nameField = nameField,
        .gridFields = gridFields,
        .entryScreen = entryScreen,
        .keyField = keyField,
        .gridRect = QRect(10, 44, 280, 180),
        .searchRect = QRect(10, 232, 196, 24),
        .showAllRect = QRect(212, 231, 78, 26),
        .findFrame = QRect(53, 269, 90, 24),
        .exitFrame = QRect(157, 269, 90, 24),
        .searchCaption = QStringLiteral("Adı Soyadı"), // names the edit; the screen shows no caption
        .columnWidths = {150},
        .refreshOnActivate = refreshOnActivate,
        .gridOverEntryCursor = showsEntryCursor,
        .lookUpWhileTyping = showsEntryCursor,
    };
}

namespace LogListTwins {

const QList<LogListTwin>& all()
{
    static const QList<LogListTwin> rows{
        // Its grid already stands on the entry screen's record: a double-click only shows it.
        {.programName = QStringLiteral("RentedFlatList"),
         .caption = QStringLiteral("Kiralanan Dairelerin Listesi"),
         .table = QStringLiteral("kiralanandaireler"),
         .nameField = QStringLiteral("Adsoyad"),
         .gridFields = {QStringLiteral("Adsoyad"), QStringLiteral("Semt")},
         .entryScreen = QStringLiteral("RentedFlatEntry"),
         .keyField = QString(),
         .refreshOnActivate = false,
         .showsEntryCursor = true},
        {.programName = QStringLiteral("ShownRentalList"),
         .caption = QStringLiteral("Gösterilen Kiralık Emlak Listesi"),
         .table = QStringLiteral("gosterilenkd"),
         .nameField = QStringLiteral("adisoyadi"),
         .gridFields = {QStringLiteral("AdiSoyadi"), QStringLiteral("Tarih")},
         .entryScreen = QStringLiteral("ShownRentalEntry"),
         .keyField = QStringLiteral("gosterilenkno"),
         .refreshOnActivate = true,
         .showsEntryCursor = false},
        {.programName = QStringLiteral("SoldFlatList"),
         .caption = QStringLiteral("Satılan Dairelerin Listesi"),
         .table = QStringLiteral("satilandaireler"),
         .nameField = QStringLiteral("adsoyad"),
         .gridFields = {QStringLiteral("Adsoyad"), QStringLiteral("Semt")},
         .entryScreen = QStringLiteral("SoldFlatEntry"),
         .keyField = QStringLiteral("satilandno"),
         .refreshOnActivate = false,
         .showsEntryCursor = false},
        {.programName = QStringLiteral("ShownSaleList"),
         .caption = QStringLiteral("Gösterilen Satılık Emlak Listesi"),
         .table = QStringLiteral("gosterilensd"),
         .nameField = QStringLiteral("adisoyadi"),
         .gridFields = {QStringLiteral("AdiSoyadi"), QStringLiteral("Tarih")},
         .entryScreen = QStringLiteral("ShownSaleEntry"),
         .keyField = QStringLiteral("gosterilensno"),
         .refreshOnActivate = false,
         .showsEntryCursor = false},
    };
    return rows;
}

} // namespace LogListTwins

ScreenMakers logScreens()
{
    ScreenMakers makers;
    for (const DealTwin& twin : DealEntry::twins())
        makers.append({twin.programName, [&twin](Screens& s) { return new DealEntry(s, twin); }});
    for (const ShowingTwin& twin : ShowingEntry::twins())
        makers.append({twin.programName, [&twin](Screens& s) { return new ShowingEntry(s, twin); }});
    for (const LogListTwin& twin : LogListTwins::all())
        makers.append({twin.programName, [&twin](Screens& s) { return new NameList(s, twin.plan()); }});
    return makers;
}
