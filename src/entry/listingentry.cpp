#include "entry/listingentry.h"

#include "app/behaviours/entertonextfield.h"
#include "app/behaviours/ownerpaneltoggle.h"
#include "app/behaviours/pressbutton.h"
#include "app/behaviours/recordbehaviours.h"
#include "app/screenkit.h"
#include "data/catalogue.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbedit.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"
#include "platform/engine/table.h"

#include <QLabel>
#include <QPixmap>

namespace {

using Lift = ListingTwin::Lift;
using Save = ListingTwin::SaveAfterPost;

// How a row's field is entered.
enum class Input { District, Kind, Edit, DropDown, Status, Memo };

struct FieldRow {
    QString caption; // empty: the M² picture stands in for it
    QString field;
    Input input;
};

// Layout on the 640 × 480 background: title band 44 px, footer from y 436.
constexpr int RowTop = 84;
constexpr int RowPitch = 24;
constexpr int RowHeight = 21;
constexpr int RowsPerColumn = 9;

struct ColumnGeometry {
    int x;
    int captionWidth;
    int controlWidth;
};

// Left, middle (wider: "Doğal Gaz Kaloriferli", "Kayıt Tarihi"), right (the owner's).
constexpr ColumnGeometry Columns[3] = {{10, 66, 126}, {216, 82, 148}, {460, 54, 116}};

// The owner's column as one block, the stop-sign panel's size and place.
const QRect OwnerColumn(452, RowTop - 4, 178, RowsPerColumn * RowPitch + 4);

const QRect NavigatorRect(10, 52, 620, 25);
constexpr int MemoTop = 306;
constexpr int MemoLeft = Columns[0].x + Columns[0].captionWidth;
constexpr int MemoRight = 630;
const int MemoHeights[2] = {56, 60};

// The footer frames drawn in the background.
const QRect ListFrame(79, 446, 90, 24);
const QRect PrintFrame(183, 446, 90, 24);
const QRect ExitFrame(287, 446, 90, 24);
const QRect OwnerToggleFrame(391, 446, 170, 24);

// The body colour of every standard background, so the panel blends in.
const QColor BodyColour(238, 242, 247);

// The rows of the three columns in tab order, as the twin lays them out.
QList<QList<FieldRow>> columnsOf(const ListingTwin& twin, const TableSchema& register_)
{
    const FieldRow lift{QStringLiteral("Asansör"), QStringLiteral("Asansor"), Input::DropDown};

    QList<FieldRow> left{{QStringLiteral("Semt"), QStringLiteral("Semtadi"), Input::District}};
    if (twin.kindLookup)
        left << FieldRow{QStringLiteral("Emlak"), QStringLiteral("Emlak"), Input::Kind};
    left << FieldRow{QString(), QStringLiteral("Metre2"), Input::Edit};
    if (twin.lift == Lift::LeftColumn)
        left << lift;
    left << FieldRow{QStringLiteral("Hidrofor"), QStringLiteral("Hidrofor"), Input::DropDown}
         << FieldRow{QStringLiteral("Zeminler"), QStringLiteral("Zeminler"), Input::Edit}
         << FieldRow{QStringLiteral("Kapılar"), QStringLiteral("Kapilar"), Input::Edit}
         << FieldRow{QStringLiteral("Mutfak"), QStringLiteral("Mutfak"), Input::Edit}
         << FieldRow{QStringLiteral("Kat"), QStringLiteral("Kat"), Input::Edit}
         << FieldRow{twin.row9Caption, twin.row9Field, Input::Edit};

    QList<FieldRow> middle{{twin.priceCaption, QStringLiteral("Fiyati"), Input::Edit},
                           {QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi"), Input::DropDown},
                           {QStringLiteral("Otopark"), QStringLiteral("Otopark"), Input::DropDown},
                           {QStringLiteral("Duvarlar"), QStringLiteral("Duvarlar"), Input::Edit},
                           {QStringLiteral("Tavan"), QStringLiteral("Tavanlar"), Input::Edit},
                           {QStringLiteral("Banyo"), QStringLiteral("Banyo"), Input::Edit}};
    // Only the flat registers record the year of construction.
    if (register_.indexOf(QStringLiteral("Yil")) >= 0)
        middle << FieldRow{QStringLiteral("Yıl"), QStringLiteral("Yil"), Input::Edit};
    if (twin.lift == Lift::MiddleColumn)
        middle << lift;
    middle << FieldRow{QStringLiteral("Kayıt Tarihi"), QStringLiteral("Satis"), Input::Edit}
           << FieldRow{QStringLiteral("Oda"), QStringLiteral("Oda"), Input::Edit};

    const QList<FieldRow> right{{QStringLiteral("İsim"), QStringLiteral("Isim"), Input::Edit},
                                {QStringLiteral("Tel"), QStringLiteral("Telefon"), Input::Edit},
                                {QStringLiteral("İş Tel"), QStringLiteral("Istel"), Input::Edit},
                                {QStringLiteral("Cep Tel"), QStringLiteral("Ceptel"), Input::Edit},
                                {QStringLiteral("Anahtar"), QStringLiteral("Anahtar"), Input::Edit},
                                {QStringLiteral("Durum"), QStringLiteral("Durum"), Input::Status}};

    const QList<FieldRow> memos{{QStringLiteral("Adres"), QStringLiteral("Adres"), Input::Memo},
                                {QStringLiteral("Açıklama"), QStringLiteral("Notlar"), Input::Memo}};
    return {left, middle, right, memos};
}

// bg_ + the program name in snake case: "RentalFlatEntry" -> "bg_rental_flat_entry.jpg".
QString backgroundOf(const QString& programName)
{
    QString snake;
    for (const QChar c : programName) {
        if (c.isUpper() && !snake.isEmpty())
            snake += QLatin1Char('_');
        snake += c.toLower();
    }
    return QStringLiteral(":/art/bg_%1.jpg").arg(snake);
}

ScreenSetup setupOf(const ListingTwin& twin)
{
    ScreenSetup setup;
    setup.programName = twin.programName;
    setup.caption = twin.caption;
    setup.clientSize = QSize(640, 480);
    setup.background = backgroundOf(twin.programName);
    setup.colour = BodyColour;
    return setup;
}

} // namespace

const QList<ListingTwin>& ListingEntry::twins()
{
    static const QList<ListingTwin> rows{
        {QStringLiteral("RentalFlatEntry"), QStringLiteral("Kiralık Daire Girişi"), QStringLiteral("kdgiris"),
         QStringLiteral("Depozito"), QStringLiteral("Depozito"), QStringLiteral("Kirası"),
         &Catalogue::Lists::RentStatus, Save::RegisterAndDistricts, true, false, Lift::LeftColumn, false,
         QStringLiteral("RentalFlatList"), QStringLiteral("RentalFlatCard")},
        {QStringLiteral("SaleFlatEntry"), QStringLiteral("Satılık Daire Girişi"), QStringLiteral("sdgiris"),
         QStringLiteral("Döviz"), QStringLiteral("Döviz"), QStringLiteral("Fiyat"), &Catalogue::Lists::SaleStatus,
         Save::None, false, true, Lift::LeftColumn, false, QStringLiteral("SaleFlatList"),
         QStringLiteral("SaleFlatCard")},
        {QStringLiteral("RentalPropertyEntry"), QStringLiteral("Kiralık Emlak Girişi"), QStringLiteral("kegiris"),
         QStringLiteral("Depozito"), QStringLiteral("Depozito"), QStringLiteral("Kirası"),
         &Catalogue::Lists::RentStatus, Save::Register, false, true, Lift::MiddleColumn, true,
         QStringLiteral("RentalPropertyList"), QStringLiteral("RentalPropertyCard")},
        // The caption reads "Girşi" on this screen, as the agency's screens always have.
        {QStringLiteral("SalePropertyEntry"), QStringLiteral("Satılık Emlak Girşi"), QStringLiteral("segiris"),
         QStringLiteral("Döviz"), QStringLiteral("Döviz"), QStringLiteral("Fiyat"), &Catalogue::Lists::SaleStatus,
         Save::Register, false, true, Lift::MiddleColumn, true, QStringLiteral("SalePropertyList"),
         QStringLiteral("SalePropertyCard")},
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
    : Screen(setupOf(twin)), m_screens(screens), m_twin(twin)
{
    Database& db = screens.database();
    // Opening fails with the store's message when a table is missing: start-up stops there.
    m_table = new Table(db, twin.table, this);
    m_table->setObjectName(QStringLiteral("Table1"));
    m_table->open();
    m_districts = new Table(db, QStringLiteral("semtler.db"), this);
    m_districts->setObjectName(QStringLiteral("Table2"));
    m_districts->open();
    if (twin.kindLookup) {
        m_kinds = new Table(db, QStringLiteral("emlaktanimlama.db"), this);
        m_kinds->setObjectName(QStringLiteral("Table3"));
        m_kinds->open();
    }

    ScreenKit kit(this);
    // The navigator takes no focus, so creating it first leaves the tab order to the fields.
    m_navigator = kit.navigator(m_table, NavigatorRect,
                                twin.turkishHints ? DbNavigator::turkishHints() : DbNavigator::defaultHints());
    buildFields();
    buildOwnerPanel();
    buildActions();
    kit.minimiseIcon();
    kit.exitIcon();

    EnterToNextField::installOnChildren(this);
    TodayOnEnter::install(m_registrationDate);

    if (twin.saveAfterPost != Save::None)
        SaveAfterPost::install(m_table);
    if (twin.saveAfterPost == Save::RegisterAndDistricts)
        SaveAfterPost::install(m_districts);
    if (twin.refreshOnActivate)
        RefreshOnActivate::install(this, m_table);
}

void ListingEntry::buildFields()
{
    ScreenKit kit(this);
    const auto columns = columnsOf(m_twin, m_table->schema());

    // Creation order is tab order: down the left column, then the middle, the right, the memos.
    for (int c = 0; c < columns.size(); ++c) {
        const bool memo = c == 3;
        int top = memo ? MemoTop : RowTop;
        for (int r = 0; r < columns.at(c).size(); ++r) {
            const FieldRow& row = columns.at(c).at(r);
            const ColumnGeometry& column = Columns[memo ? 0 : c];
            const int height = memo ? MemoHeights[r] : RowHeight;
            const QRect captionRect(column.x, top, column.captionWidth - 4, memo ? RowHeight : height);
            const QRect controlRect = memo ? QRect(MemoLeft, top, MemoRight - MemoLeft, height)
                                           : QRect(column.x + column.captionWidth, top, column.controlWidth, height);
            top += memo ? height + 6 : RowPitch;

            if (row.caption.isEmpty())
                kit.squareMetresCaption(QRect(captionRect.x(), captionRect.y() + 2, 30, 16));
            else
                kit.caption(row.caption, captionRect)->setObjectName(QStringLiteral("Label") + row.field);

            const QString accessible = row.caption.isEmpty() ? QStringLiteral("M²") : row.caption;
            QWidget* control = nullptr;
            switch (row.input) {
            case Input::District:
                control = m_districtLookup =
                    kit.lookup(QStringLiteral("DBLookupComboBox") + row.field, accessible, m_table, row.field,
                               m_districts, Catalogue::District.field, controlRect);
                break;
            case Input::Kind:
                control = m_kindLookup = kit.lookup(QStringLiteral("DBLookupComboBox") + row.field, accessible,
                                                    m_table, row.field, m_kinds, Catalogue::PropertyKind.field,
                                                    controlRect);
                break;
            case Input::Edit:
                control = kit.edit(QStringLiteral("DBEdit") + row.field, accessible, m_table, row.field, controlRect);
                break;
            case Input::DropDown: // the catalogue's list for the field
                control = kit.dropDown(QStringLiteral("DBComboBox") + row.field, accessible, m_table, row.field,
                                       controlRect);
                break;
            case Input::Status:
                control = kit.dropDown(QStringLiteral("DBComboBox") + row.field, accessible, m_table, row.field,
                                       controlRect, *m_twin.statusItems);
                break;
            case Input::Memo:
                control = kit.memo(QStringLiteral("DBMemo") + row.field, accessible, m_table, row.field, controlRect);
                break;
            }
            if (row.field == QLatin1String("Satis"))
                m_registrationDate = static_cast<DbEdit*>(control);
            m_controls << control;
            m_captions << row.caption;
            m_fields << row.field;
        }
    }
}

void ListingEntry::buildOwnerPanel()
{
    // Made after the owner's controls, so it lies over them; they keep their tab order.
    m_ownerPanel = new QLabel(this);
    m_ownerPanel->setObjectName(QStringLiteral("PanelSahibi"));
    m_ownerPanel->setAccessibleName(QStringLiteral("Emlak sahibi bilgileri gizli"));
    m_ownerPanel->setGeometry(OwnerColumn);
    m_ownerPanel->setAutoFillBackground(true);
    QPalette pal = m_ownerPanel->palette();
    pal.setColor(QPalette::Window, BodyColour);
    m_ownerPanel->setPalette(pal);
    m_ownerPanel->setAlignment(Qt::AlignCenter);
    const QPixmap stop(QStringLiteral(":/art/owner_panel_stop.jpg"));
    if (!stop.isNull())
        m_ownerPanel->setPixmap(
            stop.scaled(OwnerColumn.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_ownerPanel->raise();
}

void ListingEntry::buildActions()
{
    ScreenKit kit(this);
    m_list = kit.action(QStringLiteral("LabelListe"), QStringLiteral("Liste"), ListFrame);
    connect(m_list, &PressButton::activated, this, &ListingEntry::LabelListeRelease);
    // Previewing the record card is wired by the reports; until then it does nothing.
    m_print = kit.action(QStringLiteral("LabelYazdir"), QStringLiteral("Yazdır"), PrintFrame);
    m_exit = kit.exitAction(ExitFrame);
    m_ownerToggle =
        kit.action(QStringLiteral("LabelSahibi"), OwnerPanelToggle::showCaption(), OwnerToggleFrame);
    OwnerPanelToggle::attach(m_ownerToggle, m_ownerPanel);
}

void ListingEntry::LabelListeRelease()
{
    m_screens.show(m_twin.listScreen);
}

QWidget* ListingEntry::control(const QString& field) const
{
    const int at = m_fields.indexOf(field);
    return at < 0 ? nullptr : m_controls.at(at);
}

void registerListingEntryScreens()
{
    for (const ListingTwin& twin : ListingEntry::twins()) {
        Screens::registerFactory(twin.programName,
                                 [&twin](Screens& screens) { return new ListingEntry(screens, twin); });
    }
}
