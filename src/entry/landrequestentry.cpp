#include "entry/landrequestentry.h"

#include "app/behaviours/entertonextfield.h"
#include "app/behaviours/ownerpaneltoggle.h"
#include "app/behaviours/pressbutton.h"
#include "app/behaviours/recordbehaviours.h"
#include "app/screenkit.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbedit.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"
#include "platform/engine/table.h"

#include <QLabel>
#include <QPixmap>

namespace {

// The body colour of every standard background, so the owner panel blends in.
const QColor BodyColour(238, 242, 247);

const QString SquareMetres = QStringLiteral("M²");

// A column of captioned single-line controls: the caption at x, the control
// beside it, one line every `pitch` pixels from `top`.
struct Column {
    int x;
    int captionWidth;
    int controlWidth;
    int top;
    int pitch;
    int height = 21;

    FormRow row(int line, const QString& caption, const QString& field, const QString& heading = {}) const
    {
        const int y = top + line * pitch;
        return {caption, field, QRect(x, y, captionWidth - 4, height), QRect(x + captionWidth, y, controlWidth, height),
                heading};
    }
};

// A memo across the width, its caption at the left edge of its first line.
FormRow memoRow(const Column& captions, int top, int right, int height, const QString& caption, const QString& field)
{
    return {caption, field, QRect(captions.x, top, captions.captionWidth - 4, captions.height),
            QRect(captions.x + captions.captionWidth, top, right - captions.x - captions.captionWidth, height)};
}

ScreenSetup windowOf(const QString& programName, const QString& caption, const QSize& size, const QString& picture)
{
    ScreenSetup setup;
    setup.programName = programName;
    setup.caption = caption;
    setup.clientSize = size;
    setup.background = QStringLiteral(":/art/") + picture;
    setup.colour = BodyColour;
    return setup;
}

// --- LandEntry: 600 × 400, title band 44 px, footer from y 356 ------------------

const Column LandLeft{12, 80, 190, 86, 24};
const Column LandRight{310, 96, 182, 86, 24};
// Rows 8-13 of the right column with their captions: the owner panel's place.
const QRect LandOwnerColumn(LandRight.x - 6, LandRight.top - 4, 600 - LandRight.x, 6 * LandRight.pitch + 4);
const QRect LandOwnerToggleFrame(371, 366, 170, 24);

// --- RequestEntry: 640 × 480, title band 44 px, footer from y 436 ---------------

const Column RequestLeft{12, 100, 196, 86, 25};
const Column RequestRight{334, 90, 206, 86, 25};
// The two ranges side by side below the columns, each under its heading.
constexpr int RangeHeadingTop = 244;
const Column PriceRange{RequestLeft.x, RequestLeft.captionWidth, RequestLeft.controlWidth, RangeHeadingTop + 22, 25};
const Column AreaRange{RequestRight.x, RequestRight.captionWidth, RequestRight.controlWidth, RangeHeadingTop + 22, 25};

} // namespace

// --- FormEntry --------------------------------------------------------------------

FormEntry::FormEntry(Screens& screens, const FormPlan& plan)
    : Screen(plan.window), m_screens(screens), m_listScreen(plan.listScreen)
{
    // Opening fails with the store's message when a table is missing: start-up stops there.
    m_table = new Table(screens.database(), plan.table, this);
    m_table->setObjectName(QStringLiteral("Table1"));
    m_table->open();

    ScreenKit kit(this);
    // The navigator takes no focus, so it leaves the tab order to the fields.
    m_navigator = kit.navigator(m_table, plan.navigator, DbNavigator::turkishHints());
    for (const FormRow& row : plan.rows)
        buildRow(row);

    m_list = kit.action(QStringLiteral("LabelListe"), QStringLiteral("Liste"), plan.listFrame);
    connect(m_list, &PressButton::activated, this, &FormEntry::LabelListeRelease);
    // Previewing the record card is wired by the reports; until then it does nothing.
    m_print = kit.action(QStringLiteral("LabelYazdir"), QStringLiteral("Yazdır"), plan.printFrame);
    m_exit = kit.exitAction(plan.exitFrame);
    if (plan.cornerIcons) {
        kit.minimiseIcon();
        kit.exitIcon();
    }

    // The list screens and the matching read the register through SQL: they see a
    // posted record at once.
    SaveAfterPost::install(m_table);
}

void FormEntry::buildRow(const FormRow& row)
{
    ScreenKit kit(this);
    const FieldSchema* field = m_table->schema().field(row.field);
    Q_ASSERT_X(field, "FormEntry", qPrintable(row.field));
    const QString accessible = row.heading.isEmpty() ? row.caption : row.heading + QLatin1Char(' ') + row.caption;

    QWidget* control = nullptr;
    if (field->lookup.isSet()) {
        Table*& source = m_lookups[field->lookup.table];
        if (!source) {
            source = new Table(m_screens.database(), field->lookup.table + QStringLiteral(".db"), this);
            source->setObjectName(QStringLiteral("Table%1").arg(m_lookups.size() + 1));
            source->open();
        }
        control = kit.lookup(QStringLiteral("DBLookupComboBox") + row.field, accessible, m_table, row.field, source,
                             field->lookup.field, row.controlRect);
    } else if (!field->choices.isEmpty()) {
        control = kit.dropDown(QStringLiteral("DBComboBox") + row.field, accessible, m_table, row.field,
                               row.controlRect);
    } else if (field->type == FieldType::Memo) {
        control = kit.memo(QStringLiteral("DBMemo") + row.field, accessible, m_table, row.field, row.controlRect);
    } else {
        control = kit.edit(QStringLiteral("DBEdit") + row.field, accessible, m_table, row.field, row.controlRect);
    }

    if (row.caption == SquareMetres) {
        const QRect& r = row.captionRect;
        // The picture's glyphs start a little inside it: line them up with the captions.
        kit.squareMetresCaption(QRect(r.x() - 2, r.y() + (r.height() - 16) / 2, 30, 16));
    } else {
        QLabel* caption = kit.caption(row.caption, row.captionRect);
        caption->setObjectName(QStringLiteral("Label") + row.field);
        caption->setBuddy(control);
    }

    m_controls << control;
    m_fields << row.field;
    m_captions << row.caption;
}

QWidget* FormEntry::control(const QString& field) const
{
    const int at = int(m_fields.indexOf(field));
    return at < 0 ? nullptr : m_controls.at(at);
}

void FormEntry::LabelListeRelease()
{
    m_screens.show(m_listScreen);
}

// --- LandEntry --------------------------------------------------------------------

const FormPlan& LandEntry::plan()
{
    static const FormPlan plan{
        windowOf(QStringLiteral("LandEntry"), QStringLiteral("Arsa Ve Arazi Girişi"), QSize(600, 400),
                 QStringLiteral("bg_land_entry.jpg")),
        QStringLiteral("arsa.db"),
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
            memoRow(LandLeft, 260, 588, 44, QStringLiteral("Notlar"), QStringLiteral("Notlar")),
            memoRow(LandLeft, 310, 588, 40, QStringLiteral("Adres"), QStringLiteral("Adres")),
        },
        QRect(10, 52, 580, 25),
        QRect(59, 366, 90, 24),
        QRect(163, 366, 90, 24),
        QRect(267, 366, 90, 24),
        QStringLiteral("LandList"),
        false,
    };
    return plan;
}

LandEntry::LandEntry(Screens& screens) : FormEntry(screens, plan())
{
    // Made after the owner's controls, so it lies over them; they keep their tab order
    // and Enter still moves through them while they are covered.
    m_ownerPanel = new QLabel(this);
    m_ownerPanel->setObjectName(QStringLiteral("PanelSahibi"));
    m_ownerPanel->setAccessibleName(QStringLiteral("Emlak sahibi bilgileri gizli"));
    m_ownerPanel->setGeometry(LandOwnerColumn);
    m_ownerPanel->setAutoFillBackground(true);
    QPalette pal = m_ownerPanel->palette();
    pal.setColor(QPalette::Window, BodyColour);
    m_ownerPanel->setPalette(pal);
    m_ownerPanel->setAlignment(Qt::AlignCenter);
    const QPixmap stop(QStringLiteral(":/art/owner_panel_stop.jpg"));
    if (!stop.isNull())
        m_ownerPanel->setPixmap(stop.scaled(LandOwnerColumn.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_ownerPanel->raise();

    ScreenKit kit(this);
    m_ownerToggle = kit.action(QStringLiteral("LabelSahibi"), OwnerPanelToggle::showCaption(), LandOwnerToggleFrame);
    OwnerPanelToggle::attach(m_ownerToggle, m_ownerPanel);

    EnterToNextField::installOnChildren(this);
}

// --- RequestEntry -----------------------------------------------------------------

const FormPlan& RequestEntry::plan()
{
    const QString priceRange = QStringLiteral("Fiyat Aralığı");
    const QString areaRange = SquareMetres + QStringLiteral(" Aralığı");
    static const FormPlan plan{
        windowOf(QStringLiteral("RequestEntry"), QStringLiteral("Müşteri Talepleri Girişi"), QSize(640, 480),
                 QStringLiteral("bg_request_entry.jpg")),
        QStringLiteral("musteritalepleri.db"),
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
            memoRow(RequestLeft, 322, 630, 50, QStringLiteral("Adres"), QStringLiteral("Adres")),
            memoRow(RequestLeft, 378, 630, 50, QStringLiteral("Açıklama"), QStringLiteral("Notlar")),
            // Last in tab order, though shown under the customer: Enter from
            // "Açıklama" lands here and stamps the date.
            RequestRight.row(5, QStringLiteral("Kayıt Tarihi"), QStringLiteral("Tavanlar")),
        },
        QRect(10, 52, 620, 25),
        QRect(171, 446, 90, 24),
        QRect(275, 446, 90, 24),
        QRect(379, 446, 90, 24),
        QStringLiteral("RequestList"),
        true,
    };
    return plan;
}

RequestEntry::RequestEntry(Screens& screens) : FormEntry(screens, plan())
{
    ScreenKit kit(this);
    kit.caption(QStringLiteral("Fiyat Aralığı"), QRect(PriceRange.x, RangeHeadingTop, 200, 18))
        ->setObjectName(QStringLiteral("LabelFiyatAraligi"));
    kit.squareMetresCaption(QRect(AreaRange.x - 2, RangeHeadingTop + 1, 30, 16));
    kit.caption(QStringLiteral("Aralığı"), QRect(AreaRange.x + 22, RangeHeadingTop, 160, 18))
        ->setObjectName(QStringLiteral("LabelMetreAraligi"));

    m_registrationDate = qobject_cast<DbEdit*>(control(QStringLiteral("Tavanlar")));
    TodayOnEnter::install(m_registrationDate);

    // Enter has no effect of the screen's own in the request's status and its date.
    EnterToNextField::installOnChildren(this, {control(QStringLiteral("Durum")), m_registrationDate});
}

void registerLandAndRequestScreens()
{
    Screens::registerFactory(QStringLiteral("LandEntry"), [](Screens& screens) { return new LandEntry(screens); });
    Screens::registerFactory(QStringLiteral("RequestEntry"),
                             [](Screens& screens) { return new RequestEntry(screens); });
}
