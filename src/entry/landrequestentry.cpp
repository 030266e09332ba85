#include "entry/landrequestentry.h"

#include "entry/picturestrip.h"
#include "kit/screenkit.h"
#include "matching/customersaction.h"
#include "platform/engine/table.h"
#include "reports/reports.h"
#include "platform/controls/dbnavigator.h"

#include <QLabel>

namespace {

const QString SquareMetres = QStringLiteral("M²");

// --- LandEntry: 600 × 400, title band 44 px, footer from y 356 ------------------

const FormColumn LandLeft{.x = 12, .captionWidth = 80, .controlWidth = 190, .top = 86, .pitch = 24};
const FormColumn LandRight{.x = 310, .captionWidth = 96, .controlWidth = 182, .top = 86, .pitch = 24};
// Rows 8-13 of the right column with their captions: the owner panel's place.
const QRect LandOwnerColumn(LandRight.x - 6, LandRight.top - 4, 600 - LandRight.x, 6 * LandRight.pitch + 4);

// --- RequestEntry: 640 × 480, title band 44 px, footer from y 436 ---------------

const FormColumn RequestLeft{.x = 12, .captionWidth = 100, .controlWidth = 196, .top = 86, .pitch = 25};
const FormColumn RequestRight{.x = 334, .captionWidth = 90, .controlWidth = 206, .top = 86, .pitch = 25};
// The two ranges side by side below the columns, each under its heading.
constexpr int RangeHeadingTop = 244;
const FormColumn PriceRange{RequestLeft.x, RequestLeft.captionWidth, RequestLeft.controlWidth, RangeHeadingTop + 22,
                            25};
const FormColumn AreaRange{RequestRight.x, RequestRight.captionWidth, RequestRight.controlWidth,
                           RangeHeadingTop + 22, 25};

} // namespace

// --- LandEntry --------------------------------------------------------------------

const FormPlan& LandEntry::plan()
{
    static const FormPlan plan{
        .window = ScreenKit::standardWindow(QStringLiteral("LandEntry"), QStringLiteral("Arsa Ve Arazi Girişi"),
                                            QSize(600, 400)),
        .table = QStringLiteral("arsa.db"),
        .rows =
            {
                LandLeft.row(0, QStringLiteral("Semt"), QStringLiteral("Semt")),
                LandLeft.row(1, QStringLiteral("Ada"), QStringLiteral("Ada")),
                LandLeft.row(2, QStringLiteral("Parsel"), QStringLiteral("Parsel")),
                LandLeft.row(3, QStringLiteral("Pafta"), QStringLiteral("Pafta")),
                LandLeft.row(4, QStringLiteral("İmar"), QStringLiteral("Imar")),
                LandLeft.row(5, QStringLiteral("Döviz"), QStringLiteral("Doviz")),
                LandLeft.row(6, SquareMetres, QStringLiteral("Metre2")),
                LandRight.row(0, QStringLiteral("İsim"), QStringLiteral("Isim")),
                LandRight.row(1, QStringLiteral("Telefon"), QStringLiteral("Telefon")),
                LandRight.row(2, QStringLiteral("İş Telefonu"), QStringLiteral("IsTelefonu")),
                LandRight.row(3, QStringLiteral("Cep Telefonu"), QStringLiteral("CepTelefonu")),
                LandRight.row(4, QStringLiteral("Fiyatı"), QStringLiteral("Fiyati")),
                LandRight.row(5, QStringLiteral("Durum"), QStringLiteral("Durum")),
                LandLeft.memo(260, 588, 44, QStringLiteral("Notlar"), QStringLiteral("Notlar")),
                LandLeft.memo(310, 588, 40, QStringLiteral("Adres"), QStringLiteral("Adres")),
            },
        .navigator = QRect(10, 52, 580, 25),
        .navigatorHints = DbNavigator::turkishHints(),
        .listFrame = QRect(59, 366, 90, 24),
        .printFrame = QRect(163, 366, 90, 24),
        .exitFrame = QRect(267, 366, 90, 24),
        .listScreen = QStringLiteral("LandList"),
        .ownerPanel = LandOwnerColumn,
        .ownerToggleFrame = QRect(371, 366, 170, 24),
    };
    return plan;
}

LandEntry::LandEntry(Screens& screens) : FormEntry(screens, plan())
{
    reports::installPrintButton(printAction(), QStringLiteral("LandCard"), *cursor(), this);
    ListingCustomers::install(this, screens, QRect(544, 366, 54, 24));
    PictureStrip::attach(this, *cursor(), QStringLiteral("LandCard"));
}

// --- RequestEntry -----------------------------------------------------------------

const FormPlan& RequestEntry::plan()
{
    const QString priceRange = QStringLiteral("Fiyat Aralığı");
    const QString areaRange = SquareMetres + QStringLiteral(" Aralığı");
    static const FormPlan plan{
        .window = ScreenKit::standardWindow(QStringLiteral("RequestEntry"), QStringLiteral("Müşteri Talepleri Girişi"),
                                            QSize(640, 480)),
        .table = QStringLiteral("musteritalepleri.db"),
        .rows =
            {
                // The criteria the matching decides by.
                RequestLeft.row(0, QStringLiteral("Semt"), QStringLiteral("Semtadi")),
                RequestLeft.row(1, QStringLiteral("Emlak"), QStringLiteral("Emlak")),
                RequestLeft.row(2, QStringLiteral("Kat"), QStringLiteral("Kat")),
                RequestLeft.row(3, QStringLiteral("Oda"), QStringLiteral("Oda")),
                RequestLeft.row(4, QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi")),
                RequestLeft.row(5, QStringLiteral("İstenen Durum"), QStringLiteral("Istek")),
                // The customer.
                RequestRight.row(0, QStringLiteral("İsim"), QStringLiteral("Isim")),
                RequestRight.row(1, QStringLiteral("Tel"), QStringLiteral("Telefon")),
                RequestRight.row(2, QStringLiteral("İş Tel"), QStringLiteral("Istel")),
                RequestRight.row(3, QStringLiteral("Cep Tel"), QStringLiteral("Ceptel")),
                RequestRight.row(4, QStringLiteral("Durum"), QStringLiteral("Durum")),
                PriceRange.row(0, QStringLiteral("İlk Değer"), QStringLiteral("Fiyatilkdeger"), priceRange),
                PriceRange.row(1, QStringLiteral("İkinci Değer"), QStringLiteral("Ikincifiyat"), priceRange),
                AreaRange.row(0, QStringLiteral("İlk Değer"), QStringLiteral("IlkMetre2"), areaRange),
                AreaRange.row(1, QStringLiteral("İkinci Değer"), QStringLiteral("Ikincimetre2"), areaRange),
                RequestLeft.memo(322, 630, 50, QStringLiteral("Adres"), QStringLiteral("Adres")),
                RequestLeft.memo(378, 630, 50, QStringLiteral("Açıklama"), QStringLiteral("Notlar")),
                // Last in tab order, though shown under the customer: Enter from
                // "Açıklama" lands here and stamps the date.
                RequestRight.row(5, QStringLiteral("Kayıt Tarihi"), QStringLiteral("Tavanlar")),
            },
        .navigator = QRect(10, 52, 620, 25),
        .navigatorHints = DbNavigator::turkishHints(),
        .listFrame = QRect(171, 446, 90, 24),
        .printFrame = QRect(275, 446, 90, 24),
        .exitFrame = QRect(379, 446, 90, 24),
        .listScreen = QStringLiteral("RequestList"),
        .cornerIcons = true,
        .todayField = QStringLiteral("Tavanlar"),
        // Enter has no effect of the screen's own in the request's status and its date.
        .enterStops = {QStringLiteral("Durum"), QStringLiteral("Tavanlar")},
    };
    return plan;
}

RequestEntry::RequestEntry(Screens& screens) : FormEntry(screens, plan())
{
    reports::installPrintButton(printAction(), QStringLiteral("RequestCard"), *cursor(), this);
    // The headings of the two ranges; "M²" is the picture.
    ScreenKit kit(this);
    kit.caption(QStringLiteral("Fiyat Aralığı"), QRect(PriceRange.x, RangeHeadingTop, 200, 18))
        ->setObjectName(QStringLiteral("LabelFiyatAraligi"));
    kit.squareMetresCaption(QRect(AreaRange.x - 2, RangeHeadingTop + 1, 30, 16));
    kit.caption(QStringLiteral("Aralığı"), QRect(AreaRange.x + 22, RangeHeadingTop, 160, 18))
        ->setObjectName(QStringLiteral("LabelMetreAraligi"));
}

ScreenMakers landAndRequestScreens()
{
    return {{QStringLiteral("LandEntry"), [](Screens& screens) { return new LandEntry(screens); }},
            {QStringLiteral("RequestEntry"), [](Screens& screens) { return new RequestEntry(screens); }}};
}
