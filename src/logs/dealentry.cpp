#include "logs/dealentry.h"

#include "kit/screenkit.h"
#include "logs/dealfromlisting.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbnavigator.h"

namespace {

// Layout on the 400 × 300 background: title band 36 px, footer from y 262.
// Odd rows on the left, even rows on the right, their captions between the columns.
const FormColumn Left{.x = 10, .captionWidth = 78, .controlWidth = 106, .top = 84, .pitch = 30};
const FormColumn Right{.x = 204, .captionWidth = 62, .controlWidth = 124, .top = 84, .pitch = 30};

} // namespace

// Rows 1-8 in tab order, alternating between the columns; the address fills
// the right column down to the footer.
FormPlan DealTwin::plan() const
{
    const QList<FormRow> rows{
        Left.row(0, QStringLiteral("Adı Soyadı"), QStringLiteral("Adsoyad")),
        Right.row(0, QStringLiteral("Telefonu"), QStringLiteral("Telefon")),
        Left.row(1, QStringLiteral("Semt"), QStringLiteral("Semt")),
        Right.row(1, priceCaption, QStringLiteral("Fiyati")),
        Left.row(2, QStringLiteral("Mal Sahibi"), QStringLiteral("Malsahibi")),
        Right.row(2, QStringLiteral("Telefonu"), QStringLiteral("Telmalsahibi")),
        Left.row(3, QStringLiteral("Tarih"), QStringLiteral("Tarih")),
        Right.memo(Right.top + 3 * Right.pitch, 390, 78, QStringLiteral("Adres"), QStringLiteral("Adres")),
    };
    return FormPlan{
        .window = ScreenKit::standardWindow(programName, caption, QSize(400, 300)),
        .table = table,
        .rows = rows,
        .navigator = QRect(10, 46, 380, 25),
        .navigatorHints = turkishHints ? DbNavigator::turkishHints() : DbNavigator::defaultHints(),
        .listFrame = QRect(103, 269, 90, 24),
        .exitFrame = QRect(207, 269, 90, 24),
        .listScreen = listScreen,
        .rereadBeforeList = rereadBeforeList,
        .listOnExit = listOnExit,
        .writeThrough = writeThrough,
    };
}

const QList<DealTwin>& DealEntry::twins()
{
    static const QList<DealTwin> rows{
        // Its list shows this screen's own cursor: "Liste" brings it up to date first.
        {.programName = QStringLiteral("RentedFlatEntry"),
         .caption = QStringLiteral("Kiralanan Daire Girişi"),
         .table = QStringLiteral("kiralanandaireler.dB"),
         .priceCaption = QStringLiteral("Kirası"),
         .listScreen = QStringLiteral("RentedFlatList"),
         .rereadBeforeList = true,
         .listOnExit = ListOnExit::ClosedAfter,
         .writeThrough = WriteThrough::RegisterAndLookups,
         .turkishHints = false,
         .listings = QStringLiteral("kdgiris"),
         .closedStatus = QStringLiteral("Kiralandı")},
        {.programName = QStringLiteral("SoldFlatEntry"),
         .caption = QStringLiteral("Satılan Daire Girişi"),
         .table = QStringLiteral("satilandaireler.dB"),
         .priceCaption = QStringLiteral("Fiyatı"),
         .listScreen = QStringLiteral("SoldFlatList"),
         .rereadBeforeList = false,
         .listOnExit = ListOnExit::Stays,
         .writeThrough = WriteThrough::Register,
         .turkishHints = true,
         .listings = QStringLiteral("sdgiris"),
         .closedStatus = QStringLiteral("Satıldı")},
    };
    return rows;
}

DealEntry::DealEntry(Screens& screens, const DealTwin& twin) : FormEntry(screens, twin.plan()), m_twin(twin)
{
    DealFromListing::install(this, screens);
}

DbLookupComboBox* DealEntry::districtLookup() const
{
    return qobject_cast<DbLookupComboBox*>(control(QStringLiteral("Semt")));
}
