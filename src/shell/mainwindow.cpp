#include "shell/mainwindow.h"

#include "kit/behaviours/keyboardaccess.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/printbutton.h"
#include "kit/behaviours/recordbehaviours.h"
#include "kit/behaviours/windowbuttons.h"
#include "shell/menupanel.h"
#include "kit/screens.h"
#include "platform/controls/dbgrid.h"
#include "platform/engine/table.h"
#include "platform/system/clock.h"
#include "platform/system/localeformats.h"
#include "platform/reporting/reportwindow.h"
#include "reports/reports.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QTimer>

namespace {

const QColor Lime(0, 255, 0);
const QColor WindowBlue(0, 0, 192);

struct PanelItem {
    const char* caption;
    const char* screen;      // shown on click; empty where a report prints instead
    const char* print = "";  // the whole-register print a click makes, each time a new one
};

struct PanelRow {
    const char* menuCaption; // the main item that opens it
    const char* title;
    const char* picture;
    QList<PanelItem> items;
};

// The seven panels, in the order of their main items.
const QList<PanelRow>& panelRows()
{
    static const QList<PanelRow> rows{
        {"Kiralık Daireler", "Kiralık Daireler", "panel_kiralik_daireler.jpg",
         {{"Kiralık Daire Girişi", "RentalFlatEntry"},
          {"Kiralanan Daire Girişi", "RentedFlatEntry"},
          {"Gösterilen Kiralık Daire", "ShownRentalEntry"}}},
        {"Satılık Daireler", "Satılık Daireler", "panel_satilik_daireler.jpg",
         {{"Satılık Daire Girişi", "SaleFlatEntry"},
          {"Satılan Dairelerin Girişi", "SoldFlatEntry"},
          {"Gösterilen Emlak Girişi", "ShownSaleEntry"}}},
        {"Kiralık Emlakların Girişi", "Kiralık Emlakların Girişi", "panel_kiralik_emlaklar.jpg",
         {{"Emlak Girişi", "RentalPropertyEntry"}, {"Emlak Listesi", "", "RentalPropertyListPrint"}}},
        {"Satılık Emlakların Girişi", "Satılık Emlakların Girişi", "panel_satilik_emlaklar.jpg",
         {{"Emlakların Girişi", "SalePropertyEntry"}, {"Emlakların Listesi", "", "SalePropertyListPrint"}}},
        {"Müşteri Talepleri", "Müşteri Talepleri", "panel_musteri_talepleri.jpg",
         {{"Talep Girişi", "RequestEntry"}, {"Talep Karşılaştırma", "RequestList"}}},
        {"Arsa ve Arazi", "Arsa Ve Arazi", "panel_arsa_arazi.jpg",
         {{"Arsa Ve Arazi Girişi", "LandEntry"}, {"Arsa Ve Arazi Listesi", "", "LandListPrint"}}},
        {"Sabit Tanımları", "Sabit Tanımları", "panel_sabit_tanimlari.jpg",
         {{"Program Hakkında", "AboutBox"},
          {"SemtTanımları", "DistrictEntry"},
          {"Emlak Tanımları", "PropertyTypeEntry"}}},
    };
    return rows;
}

struct MainItem {
    const char* caption;
    int panel;      // the panel it opens, or -1 for the phone book
    Qt::Key letter; // with Alt, from the keyboard
};

// The eight main items top to bottom. Each letter starts a word of the caption
// where no item above has taken it.
const QList<MainItem>& mainItems()
{
    static const QList<MainItem> items{
        {"Kiralık Daireler", 0, Qt::Key_K},          {"Satılık Daireler", 1, Qt::Key_S},
        {"Kiralık Emlakların Girişi", 2, Qt::Key_E}, {"Satılık Emlakların Girişi", 3, Qt::Key_G},
        {"Müşteri Talepleri", 4, Qt::Key_M},         {"Telefon Defteri", -1, Qt::Key_T},
        {"Arsa ve Arazi", 5, Qt::Key_A},             {"Sabit Tanımları", 6, Qt::Key_B},
    };
    return items;
}

ScreenSetup mainWindowSetup()
{
    ScreenSetup setup;
    setup.programName = QStringLiteral("MainWindow");
    setup.caption = QStringLiteral("Evlora");
    setup.clientSize = QSize(640, 480);
    setup.background = QStringLiteral(":/art/bg_main_window.jpg");
    setup.colour = WindowBlue;
    return setup;
}

} // namespace

MainWindow::MainWindow(Screens& screens) : Screen(mainWindowSetup()), m_screens(screens)
{
    setEndsProgramOnClose(true);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Lime);
    setPalette(pal);

    buildMenu();

    m_date = new QLabel(QStringLiteral("Tarih"), this);
    m_date->setObjectName(QStringLiteral("LabelTarih"));
    m_date->setGeometry(432, 94, 190, 20);
    m_time = new QLabel(QStringLiteral("Saat"), this);
    m_time->setObjectName(QStringLiteral("LabelSaat"));
    m_time->setGeometry(432, 120, 190, 20);
    for (QLabel* label : {m_date, m_time}) {
        label->setStyleSheet(QStringLiteral("color: rgb(0, 255, 0); font-weight: bold;"));
        label->setAccessibleName(label->text());
    }
    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("Timer1"));
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &MainWindow::tick);
    m_clock->start();

    buildContactGrid();

    // Bringing a backup back is rare and weighty: it sits on the right-click
    // menu of the window, out of the way of the everyday menu.
    m_restore = new QAction(QStringLiteral("Yedekten Geri Yükle…"), this);
    m_restore->setObjectName(QStringLiteral("RestoreBackup"));
    addAction(m_restore);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    backgroundLabel()->setMouseTracking(true);
    backgroundLabel()->installEventFilter(this);
}

void MainWindow::buildMenu()
{
    auto* pressed = new QLabel(this);
    pressed->setObjectName(QStringLiteral("MenuPressed"));
    pressed->setPixmap(QPixmap(QStringLiteral(":/art/main_menu_pressed.jpg")));
    pressed->resize(200, 24);

    for (int i = 0; i < mainItems().size(); ++i) {
        const auto& [caption, panel, letter] = mainItems().at(i);
        auto* item = new LabelButton(QString::fromUtf8(caption), this);
        item->setObjectName(QStringLiteral("MenuItem%1").arg(i + 1));
        item->setGeometry(22, 92 + 30 * i, 200, 24);
        item->setIndent(10);
        item->setStyleSheet(QStringLiteral("color: rgb(0, 255, 0); font-weight: bold;"));
        item->setPressedPicture(pressed);
        item->setPointingHand(true);
        const int panelNumber = panel;
        connect(item, &PressButton::activated, this, [this, panelNumber] {
            showPanel(panelNumber);
            if (panelNumber < 0)
                m_screens.show(QStringLiteral("PhoneBook"));
        });
        m_menuItems << item;
    }
    // Alt and the item's letter open its panel with the focus on the panel's
    // first item; the arrows, Enter and Escape go on from there.
    for (int i = 0; i < mainItems().size(); ++i) {
        LabelButton* item = m_menuItems.at(i);
        const int panelNumber = mainItems().at(i).panel;
        KeyboardAccess::bind(item, {QKeySequence(Qt::ALT | mainItems().at(i).letter)}, [this, item, panelNumber] {
            item->activate();
            if (panelNumber >= 0 && !m_panels.at(panelNumber)->items().isEmpty())
                m_panels.at(panelNumber)->items().first()->setFocus(Qt::ShortcutFocusReason);
        });
    }

    for (const PanelRow& row : panelRows()) {
        auto* panel = new MenuPanel(QString::fromUtf8(row.title),
                                    QStringLiteral(":/art/") + QString::fromLatin1(row.picture), this);
        panel->setObjectName(QStringLiteral("MenuPanel%1").arg(m_panels.size() + 1)); // before its items
        panel->move(230, 176);
        panel->hide();
        for (const PanelItem& entry : row.items) {
            ClickLabel* item = panel->addItem(QString::fromUtf8(entry.caption));
            const QString screen = QString::fromLatin1(entry.screen);
            const QString print = QString::fromLatin1(entry.print);
            if (!screen.isEmpty())
                connect(item, &ClickLabel::clicked, this, [this, screen] { m_screens.show(screen); });
            else if (!print.isEmpty())
                connect(item, &ClickLabel::clicked, this, [this, print] {
                    PrintButton::print([this, print] { return reports::registerPrint(print, m_screens.database(), this); });
                });
        }
        m_panels << panel;
    }

    auto* minimise = new LabelButton(QString(), this);
    minimise->setObjectName(QStringLiteral("LabelSimge"));
    minimise->setAccessibleName(QStringLiteral("Simge"));
    minimise->setToolTip(QStringLiteral("Simge"));
    minimise->setGeometry(8, 450, 28, 24);
    minimise->createPressedPicture(QPixmap(QStringLiteral(":/art/main_minimise_pressed.jpg")));
    MinimiseButton::installForApplication(minimise);
    KeyboardAccess::bind(minimise, KeyboardAccess::Keys::minimise());

    auto* exit = new LabelButton(QString(), this);
    exit->setObjectName(QStringLiteral("LabelCikis"));
    exit->setAccessibleName(QStringLiteral("Çıkış"));
    exit->setToolTip(QStringLiteral("Çıkış"));
    exit->setGeometry(604, 450, 28, 24);
    exit->createPressedPicture(QPixmap(QStringLiteral(":/art/main_exit_pressed.jpg")));
    ExitButton::install(exit, this);
    // Not Escape: a stray Escape never ends the program.
    KeyboardAccess::bind(exit, KeyboardAccess::Keys::quit());
}

void MainWindow::escape()
{
    // Escape folds the open panel back, with the focus on its main item.
    MenuPanel* open = visiblePanel();
    if (!open)
        return;
    const int number = int(m_panels.indexOf(open));
    showPanel(-1);
    for (int i = 0; i < mainItems().size(); ++i)
        if (mainItems().at(i).panel == number)
            m_menuItems.at(i)->setFocus(Qt::OtherFocusReason);
}

void MainWindow::buildContactGrid()
{
    m_contacts = new Table(m_screens.database(), QStringLiteral("tel.db"), this);
    m_contacts->setObjectName(QStringLiteral("Table1"));
    m_contacts->open();

    m_grid = new DbGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(QStringLiteral("Telefon Rehberi"));
    m_grid->setGeometry(8, 358, 624, 84);
    m_grid->setDataset(m_contacts, {{QStringLiteral("Ad")},
                                    {QStringLiteral("Soyad")},
                                    {QStringLiteral("Telefon")},
                                    {QStringLiteral("Ceptel")}});
    m_grid->setCtrlDeleteDeletes(true);
    m_grid->setFrameShape(QFrame::NoFrame);
    m_grid->setShowGrid(false);
    m_grid->setStyleSheet(QStringLiteral(
        "QTableView { background: rgb(0, 0, 192); color: rgb(0, 255, 0); border: none;"
        "  selection-background-color: rgb(0, 160, 0); selection-color: white; }"
        "QHeaderView::section { background: rgb(0, 0, 192); color: rgb(0, 255, 0); font-weight: bold;"
        "  border: none; border-bottom: 1px solid rgb(0, 140, 0); padding: 1px 4px; }"
        "QHeaderView::section:vertical { border: none; border-right: 1px solid rgb(0, 140, 0); padding: 0; }"
        "QHeaderView { background: rgb(0, 0, 192); border: none; }"
        "QTableCornerButton::section { background: rgb(0, 0, 192); border: none; }"));
    m_grid->horizontalHeader()->setStretchLastSection(true);
    for (int column = 0; column < 3; ++column)
        m_grid->setColumnWidth(column, 150);
    GridOpensRecord::install(m_grid, m_screens, QStringLiteral("PhoneEntry"), QStringLiteral("No"));
    // Contacts added in the phone book show when the user comes back here;
    // a store that cannot be read any more ends the program.
    RefreshOnActivate::install(this, m_contacts, [this](const QString&) { close(); });
}

MenuPanel* MainWindow::visiblePanel() const
{
    for (MenuPanel* panel : m_panels)
        if (!panel->isHidden())
            return panel;
    return nullptr;
}

ClickLabel* MainWindow::panelItem(const QString& caption) const
{
    for (MenuPanel* panel : m_panels)
        for (ClickLabel* item : panel->items())
            if (item->text() == caption)
                return item;
    return nullptr;
}

void MainWindow::showPanel(int panel)
{
    for (int i = 0; i < m_panels.size(); ++i)
        m_panels.at(i)->setVisible(i == panel);
    if (panel >= 0)
        m_panels.at(panel)->raise();
}

void MainWindow::tick()
{
    const QDateTime now = systemClock().now();
    m_date->setText(QStringLiteral("Tarih ") + LocaleFormats::shortDate(now.date()));
    m_time->setText(QStringLiteral("Saat ") + LocaleFormats::longTime(now.time()));
    // A screen reader reads the date and time themselves, not the caption.
    m_date->setAccessibleName(m_date->text());
    m_time->setAccessibleName(m_time->text());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The pointer over the window's own picture: no panel item is under it.
    if (watched == backgroundLabel() && event->type() == QEvent::MouseMove)
        for (MenuPanel* panel : m_panels)
            panel->hideHoverBar();
    return Screen::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event)
{
    Screen::showEvent(event);
    m_grid->setFocus();
}

bool MainWindow::mayClose()
{
    return m_screens.settlePendingEdits();
}
