#include "logs/showingentry.h"

#include "kit/screenkit.h"
#include "logs/showingplaces.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"

namespace {

// Layout on the 400 × 500 background: title band 44 px; the upper box at
// (10, 84, 380 × 224) with the "Liste" and "Çıkış" frames at its right; the
// lower box "Gösterilen Yerler" at (10, 322, 380 × 168), its title in the top 24 px.
const FormColumn Customer{.x = 22, .captionWidth = 96, .controlWidth = 160, .top = 98, .pitch = 30};
constexpr int PlacesTop = 352;
constexpr int PlacePitch = 34;
const QString PlacesHeading = QStringLiteral("Gösterilen Yerler");

QString placeField(int number)
{
    return QStringLiteral("G%1").arg(number);
}

} // namespace

FormPlan ShowingTwin::plan() const
{
    QList<FormRow> rows{
        Customer.row(0, QStringLiteral("Adı Soyadı"), QStringLiteral("AdiSoyadi")),
        Customer.row(1, QStringLiteral("Tarih"), QStringLiteral("Tarih")),
        Customer.row(2, QStringLiteral("Ev Telefonu"), QStringLiteral("Ev Tel")),
        Customer.row(3, QStringLiteral("İş Telefonu"), QStringLiteral("IsTel")),
        Customer.row(4, QStringLiteral("Cep Telefonu"), QStringLiteral("Ceptel")),
        Customer.memo(Customer.top + 5 * Customer.pitch, 378, 48, QStringLiteral("Adres"), QStringLiteral("Adres")),
    };
    // The places have no caption of their own: the box's title stands over them.
    for (int number = 1; number <= ShowingEntry::PlaceCount; ++number) {
        rows << FormRow{.caption = QString::number(number),
                        .field = placeField(number),
                        .captionRect = QRect(),
                        .controlRect = QRect(22, PlacesTop + (number - 1) * PlacePitch, 356, 26),
                        .heading = PlacesHeading};
    }
    return FormPlan{
        .window = ScreenKit::standardWindow(programName, caption, QSize(400, 500)),
        .table = table,
        .rows = rows,
        .navigator = QRect(10, 52, 380, 25),
        .navigatorHints = turkishHints ? DbNavigator::turkishHints() : DbNavigator::defaultHints(),
        .listFrame = QRect(290, 100, 90, 24),
        .exitFrame = QRect(290, 136, 90, 24),
        .listScreen = listScreen,
        .rereadBeforeList = rereadBeforeList,
        .listOnExit = listOnExit,
        .writeThrough = WriteThrough::Register,
        .refreshOnActivate = refreshOnActivate,
    };
}

const QList<ShowingTwin>& ShowingEntry::twins()
{
    static const QList<ShowingTwin> rows{
        // Its list re-reads itself whenever it is entered: "Çıkış" closes the
        // list first, so it is never entered on the way out.
        {.programName = QStringLiteral("ShownRentalEntry"),
         .caption = QStringLiteral("Gösterilen Kiralık Emlaklar"),
         .table = QStringLiteral("gosterilenkd.db"),
         .listScreen = QStringLiteral("ShownRentalList"),
         .rereadBeforeList = true,
         .listOnExit = ListOnExit::ClosedBefore,
         .refreshOnActivate = true,
         .turkishHints = true},
        {.programName = QStringLiteral("ShownSaleEntry"),
         .caption = QStringLiteral("Gösterilen Satılık Emlaklar"),
         .table = QStringLiteral("gosterilensd.db"),
         .listScreen = QStringLiteral("ShownSaleList"),
         .rereadBeforeList = false,
         .listOnExit = ListOnExit::Stays,
         .refreshOnActivate = false,
         .turkishHints = false},
    };
    return rows;
}

ShowingEntry::ShowingEntry(Screens& screens, const ShowingTwin& twin)
    : FormEntry(screens, twin.plan()), m_twin(twin)
{
    // One line each: Enter moves on, and a long entry scrolls sideways.
    for (int number = 1; number <= PlaceCount; ++number) {
        DbMemo* memo = place(number);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    // A place may also be filled by picking a listing from the registers.
    ShowingPlaces::install(this, screens);
}

DbMemo* ShowingEntry::place(int number) const
{
    return qobject_cast<DbMemo*>(control(placeField(number)));
}
