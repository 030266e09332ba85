#include "entry/listingentry.h"

#include "entry/picturestrip.h"
#include "kit/screenkit.h"
#include "matching/customersaction.h"
#include "platform/engine/table.h"
#include "reports/reports.h"
#include "data/catalogue.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbnavigator.h"

namespace {

using Lift = ListingTwin::Lift;
using Save = WriteThrough;

struct Captioned {
    QString caption; // "M²": the picture
    QString field;
};

// Layout on the 640 × 480 background: title band 44 px, footer from y 436.
// Left, middle (wider: "Doğal Gaz Kaloriferli", "Kayıt Tarihi"), right (the owner's).
const FormColumn Left{.x = 10, .captionWidth = 66, .controlWidth = 126, .top = 84, .pitch = 24};
const FormColumn Middle{.x = 216, .captionWidth = 82, .controlWidth = 148, .top = 84, .pitch = 24};
const FormColumn Right{.x = 460, .captionWidth = 54, .controlWidth = 116, .top = 84, .pitch = 24};
constexpr int RowsPerColumn = 9;
// The owner's column as one block, the stop-sign panel's size and place.
const QRect OwnerColumn(452, Right.top - 4, 178, RowsPerColumn * Right.pitch + 4);

// One row per line of the column, in order.
QList<FormRow> placed(const FormColumn& column, const QList<Captioned>& lines)
{
    QList<FormRow> rows;
    for (int line = 0; line < lines.size(); ++line)
        rows << column.row(line, lines.at(line).caption, lines.at(line).field);
    return rows;
}

} // namespace

const QStringList& ListingTwin::statusItems() const
{
    return Catalogue::table(table).field(QStringLiteral("Durum"))->choices;
}

// The rows 1-26 in tab order: down the left column, the middle, the right, the memos.
FormPlan ListingTwin::plan() const
{
    const Captioned liftRow{QStringLiteral("Asansör"), QStringLiteral("Asansor")};

    QList<Captioned> left{{QStringLiteral("Semt"), QStringLiteral("Semtadi")}};
    if (kindLookup)
        left << Captioned{QStringLiteral("Emlak"), QStringLiteral("Emlak")};
    left << Captioned{QStringLiteral("M²"), QStringLiteral("Metre2")};
    if (lift == Lift::LeftColumn)
        left << liftRow;
    left << Captioned{QStringLiteral("Hidrofor"), QStringLiteral("Hidrofor")}
         << Captioned{QStringLiteral("Zeminler"), QStringLiteral("Zeminler")}
         << Captioned{QStringLiteral("Kapılar"), QStringLiteral("Kapilar")}
         << Captioned{QStringLiteral("Mutfak"), QStringLiteral("Mutfak")}
         << Captioned{QStringLiteral("Kat"), QStringLiteral("Kat")} << Captioned{row9Caption, row9Field};

    QList<Captioned> middle{{priceCaption, QStringLiteral("Fiyati")},
                            {QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi")},
                            {QStringLiteral("Otopark"), QStringLiteral("Otopark")},
                            {QStringLiteral("Duvarlar"), QStringLiteral("Duvarlar")},
                            {QStringLiteral("Tavan"), QStringLiteral("Tavanlar")},
                            {QStringLiteral("Banyo"), QStringLiteral("Banyo")}};
    // Only the flat registers record the year of construction.
    if (Catalogue::table(table).indexOf(QStringLiteral("Yil")) >= 0)
        middle << Captioned{QStringLiteral("Yıl"), QStringLiteral("Yil")};
    if (lift == Lift::MiddleColumn)
        middle << liftRow;
    middle << Captioned{QStringLiteral("Kayıt Tarihi"), QStringLiteral("Satis")}
           << Captioned{QStringLiteral("Oda"), QStringLiteral("Oda")};

    const QList<Captioned> right{{QStringLiteral("İsim"), QStringLiteral("Isim")},
                                 {QStringLiteral("Tel"), QStringLiteral("Telefon")},
                                 {QStringLiteral("İş Tel"), QStringLiteral("Istel")},
                                 {QStringLiteral("Cep Tel"), QStringLiteral("Ceptel")},
                                 {QStringLiteral("Anahtar"), QStringLiteral("Anahtar")},
                                 {QStringLiteral("Durum"), QStringLiteral("Durum")}};

    QList<FormRow> rows = placed(Left, left) + placed(Middle, middle) + placed(Right, right);
    rows << Left.memo(306, 630, 56, QStringLiteral("Adres"), QStringLiteral("Adres"))
         << Left.memo(368, 630, 60, QStringLiteral("Açıklama"), QStringLiteral("Notlar"));
    // These screens have always shown the M² picture 2 px in from the captions.
    for (FormRow& row : rows) {
        if (row.field == QLatin1String("Metre2"))
            row.captionRect.translate(2, 0);
    }

    return FormPlan{
        .window = ScreenKit::standardWindow(programName, caption, QSize(640, 480)),
        .table = table,
        .rows = rows,
        .navigator = QRect(10, 52, 620, 25),
        .navigatorHints = turkishHints ? DbNavigator::turkishHints() : DbNavigator::defaultHints(),
        .listFrame = QRect(79, 446, 90, 24),
        .printFrame = QRect(183, 446, 90, 24),
        .exitFrame = QRect(287, 446, 90, 24),
        .listScreen = listScreen,
        .cornerIcons = true,
        .ownerPanel = OwnerColumn,
        .ownerToggleFrame = QRect(391, 446, 170, 24),
        .todayField = QStringLiteral("Satis"),
        .writeThrough = writeThrough,
        .refreshOnActivate = refreshOnActivate,
    };
}

const QList<ListingTwin>& ListingEntry::twins()
{
    static const QList<ListingTwin> rows{
        {.programName = QStringLiteral("RentalFlatEntry"),
         .caption = QStringLiteral("Kiralık Daire Girişi"),
         .table = QStringLiteral("kdgiris"),
         .row9Field = QStringLiteral("Depozito"),
         .row9Caption = QStringLiteral("Depozito"),
         .priceCaption = QStringLiteral("Kirası"),
         .writeThrough = Save::RegisterAndLookups,
         .refreshOnActivate = true,
         .turkishHints = false,
         .lift = Lift::LeftColumn,
         .kindLookup = false,
         .listScreen = QStringLiteral("RentalFlatList"),
         .card = QStringLiteral("RentalFlatCard")},
        {.programName = QStringLiteral("SaleFlatEntry"),
         .caption = QStringLiteral("Satılık Daire Girişi"),
         .table = QStringLiteral("sdgiris"),
         .row9Field = QStringLiteral("Döviz"),
         .row9Caption = QStringLiteral("Döviz"),
         .priceCaption = QStringLiteral("Fiyat"),
         .writeThrough = Save::None,
         .refreshOnActivate = false,
         .turkishHints = true,
         .lift = Lift::LeftColumn,
         .kindLookup = false,
         .listScreen = QStringLiteral("SaleFlatList"),
         .card = QStringLiteral("SaleFlatCard")},
        {.programName = QStringLiteral("RentalPropertyEntry"),
         .caption = QStringLiteral("Kiralık Emlak Girişi"),
         .table = QStringLiteral("kegiris"),
         .row9Field = QStringLiteral("Depozito"),
         .row9Caption = QStringLiteral("Depozito"),
         .priceCaption = QStringLiteral("Kirası"),
         .writeThrough = Save::Register,
         .refreshOnActivate = false,
         .turkishHints = true,
         .lift = Lift::MiddleColumn,
         .kindLookup = true,
         .listScreen = QStringLiteral("RentalPropertyList"),
         .card = QStringLiteral("RentalPropertyCard")},
        // The caption reads "Girşi" on this screen, as the agency's screens always have.
        {.programName = QStringLiteral("SalePropertyEntry"),
         .caption = QStringLiteral("Satılık Emlak Girşi"),
         .table = QStringLiteral("segiris"),
         .row9Field = QStringLiteral("Döviz"),
         .row9Caption = QStringLiteral("Döviz"),
         .priceCaption = QStringLiteral("Fiyat"),
         .writeThrough = Save::Register,
         .refreshOnActivate = false,
         .turkishHints = true,
         .lift = Lift::MiddleColumn,
         .kindLookup = true,
         .listScreen = QStringLiteral("SalePropertyList"),
         .card = QStringLiteral("SalePropertyCard")},
    };
    return rows;
}

const ListingTwin* ListingEntry::twin(const QString& programName)
{
    for (const ListingTwin& row : twins())
        if (row.programName == programName)
            return &row;
    return nullptr;
}

ListingEntry::ListingEntry(Screens& screens, const ListingTwin& twin)
    : FormEntry(screens, twin.plan()), m_twin(twin)
{
    reports::installPrintButton(printAction(), m_twin.card, *cursor(), this);
    ListingCustomers::install(this, screens, QRect(565, 446, 68, 24));
    PictureStrip::attach(this, *cursor(), m_twin.card);
}

DbLookupComboBox* ListingEntry::districtLookup() const
{
    return qobject_cast<DbLookupComboBox*>(control(QStringLiteral("Semtadi")));
}

DbLookupComboBox* ListingEntry::kindLookup() const
{
    return qobject_cast<DbLookupComboBox*>(control(QStringLiteral("Emlak")));
}

ScreenMakers listingEntryScreens()
{
    ScreenMakers makers;
    for (const ListingTwin& twin : ListingEntry::twins())
        makers.append({twin.programName, [&twin](Screens& screens) { return new ListingEntry(screens, twin); }});
    return makers;
}
