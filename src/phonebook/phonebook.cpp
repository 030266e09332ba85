#include "phonebook/phonebook.h"

#include "kit/behaviours/dragbybackground.h"
#include "kit/behaviours/keyboardaccess.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/recordbehaviours.h"
#include "kit/behaviours/windowbuttons.h"
#include "kit/screens.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "platform/system/clock.h"
#include "platform/system/errorreporter.h"
#include "platform/system/localeformats.h"
#include "platform/system/shutdownrequest.h"

#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainterPath>
#include <QPushButton>
#include <QRegion>
#include <QTimer>

namespace {

const QColor Lime(0, 255, 0);
const QColor Body(4, 10, 150); // the picture's own body colour
const QString LimeText = QStringLiteral("color: rgb(0, 255, 0);");

// Where the picture (597 × 397) has room for each piece.
constexpr QSize WindowSize(597, 397);
constexpr int MenuLeft = 28;
constexpr int MenuTop = 78;
constexpr int MenuPitch = 40;
constexpr QSize MenuItemSize(180, 30);
const QRect MinimiseSpot(500, 20, 22, 22);
const QRect CloseSpot(528, 20, 22, 22);
const QRect GridZone(226, 70, 340, 252);
const QRect MarqueeZone(44, 334, 509, 24);
const QRect StatusZone(226, 362, 300, 18);

const QString ShutdownCaption = QStringLiteral("Bilgisayarı Kapama");
const QString TimeMask = QStringLiteral("00\\:00\\:00;1;_");

ScreenSetup phoneBookWindow()
{
    return ScreenSetup{.programName = QStringLiteral("PhoneBook"),
                       .caption = QStringLiteral("Telefon defteri"),
                       .clientSize = WindowSize,
                       .background = QStringLiteral(":/art/bg_phone_book.jpg"),
                       .colour = Body};
}

// The outline: a rounded rectangle whose corners are quarter ellipses of 100 × 100.
QRegion roundedOutline(const QSize& size)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), size), 50, 50);
    return QRegion(path.toFillPolygon().toPolygon());
}

// Style sheets and pictures cost their parse, polish and decoding: they wait
// for the phone book's first show.
void styleWhenDressed(QWidget* control, const QString& sheet)
{
    Screen::dressWithScreen(control, [control, sheet] { control->setStyleSheet(sheet); });
}

QLabel* panelText(QWidget* panel, const QString& text, const QRect& rect, int pointSize = 11)
{
    auto* label = new QLabel(text, panel);
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignCenter);
    styleWhenDressed(label, LimeText + QStringLiteral("font-weight: bold; font-size: %1pt;").arg(pointSize));
    return label;
}

} // namespace

const QStringList& PhoneBook::menuCaptions()
{
    static const QStringList captions{QStringLiteral("Yeni Kayıt"), QStringLiteral("Listeleme"),
                                      QStringLiteral("Düzeltme"),   ShutdownCaption,
                                      QStringLiteral("Yardım"),     QStringLiteral("Çıkış")};
    return captions;
}

const QString& PhoneBook::marqueeText()
{
    static const QString line = QStringLiteral(
        "Evlora emlak programı  •  Kiralık ve satılık daireler, emlaklar, arsa ve araziler, müşteri talepleri "
        "ve telefon defteri bir arada  •  Talvoren Bilgisayar  •  ");
    return line;
}

PhoneBook::PhoneBook(Screens& screens) : Screen(phoneBookWindow()), m_screens(screens), m_timeMask(TimeMask)
{
    setMask(roundedOutline(size()));

    m_contacts = new Table(screens.database(), QStringLiteral("tel.db"), this);
    m_contacts->setObjectName(QStringLiteral("Table1"));
    m_contacts->open();
    CurrentWhenShown::install(this, m_contacts);
    // A press on the picture shows contacts added elsewhere, then drags.
    backgroundDrag()->setBeforeDrag([this] { rereadContacts(); });

    buildMenu();
    buildGrid();
    buildShutdownPanel();

    m_marquee = new QLabel(marqueeText(), this);
    m_marquee->setObjectName(QStringLiteral("LabelKayan"));
    m_marquee->setAccessibleName(QStringLiteral("Kayan yazı"));
    m_marquee->setGeometry(MarqueeZone.adjusted(8, 0, -8, 0));
    styleWhenDressed(m_marquee, LimeText + QStringLiteral("font-weight: bold;"));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("LabelKapanma"));
    m_status->setGeometry(StatusZone);
    styleWhenDressed(m_status, LimeText + QStringLiteral("font-weight: bold;"));
    m_status->hide();

    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("Timer1"));
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &PhoneBook::tick);
    m_clock->start();

    m_shutdownTimer = new QTimer(this);
    m_shutdownTimer->setObjectName(QStringLiteral("Timer2"));
    m_shutdownTimer->setInterval(1000);
    connect(m_shutdownTimer, &QTimer::timeout, this, &PhoneBook::shutdownTick);
}

void PhoneBook::buildMenu()
{
    // Made before the items, so it lies behind them; it starts behind "Çıkış".
    m_highlight = new QLabel(this);
    m_highlight->setObjectName(QStringLiteral("ImageSecili"));
    Screen::dressWithScreen(m_highlight, [highlight = m_highlight] {
        highlight->setPixmap(QPixmap(QStringLiteral(":/art/phonebook_highlight.jpg")));
    });
    m_highlight->resize(MenuItemSize);

    QFont font(QStringLiteral("Arial Black"), 10, QFont::Black);
    for (int i = 0; i < menuCaptions().size(); ++i) {
        const QString& caption = menuCaptions().at(i);
        auto* item = new ClickLabel(caption, this);
        item->setObjectName(QStringLiteral("LabelMenu%1").arg(i + 1));
        item->setAccessibleName(caption);
        item->setGeometry(QRect(QPoint(MenuLeft, MenuTop + i * MenuPitch), MenuItemSize));
        item->setIndent(12);
        item->setFont(font);
        styleWhenDressed(item, LimeText);
        item->setCursor(Qt::PointingHandCursor);
        item->installEventFilter(this);
        m_items << item;
    }
    menuItem(ShutdownCaption)->setToolTip(QStringLiteral("Bilgisayarın İstendiği Zaman Kapatılması"));
    moveHighlightBehind(m_items.last());

    const auto show = [this](const QString& screen) { return [this, screen] { m_screens.show(screen); }; };
    connect(m_items.at(0), &ClickLabel::clicked, this, show(QStringLiteral("PhoneEntry")));
    connect(m_items.at(1), &ClickLabel::clicked, this, show(QStringLiteral("PhoneSearch")));
    connect(m_items.at(2), &ClickLabel::clicked, this, show(QStringLiteral("PhoneEdit")));
    connect(m_items.at(3), &ClickLabel::clicked, this, &PhoneBook::showShutdownPanel);
    connect(m_items.at(4), &ClickLabel::clicked, this, show(QStringLiteral("AboutBox")));
    ExitButton::install(m_items.at(5), this);

    // From the keyboard: Alt with the first letter of each item ("Yardım" is
    // F1, its Y being taken); "Çıkış" is the screen's Escape. Each item also
    // takes the focus, where Space or Enter clicks it.
    const QList<QList<QKeySequence>> keys{{Qt::ALT | Qt::Key_Y}, {Qt::ALT | Qt::Key_L}, {Qt::ALT | Qt::Key_D},
                                          {Qt::ALT | Qt::Key_B}, {Qt::Key_F1}};
    for (int i = 0; i < keys.size(); ++i) {
        ClickLabel* item = m_items.at(i);
        item->setFocusPolicy(Qt::StrongFocus);
        KeyboardAccess::bind(item, keys.at(i), [item] { item->activate(); });
    }
    m_items.at(5)->setFocusPolicy(Qt::StrongFocus);
    KeyboardAccess::showKeys(m_items.at(5), KeyboardAccess::Keys::close());

    // Invisible areas over the icons the picture draws in its corner.
    m_closeArea = new ClickLabel(QString(), this);
    m_closeArea->setObjectName(QStringLiteral("LabelKapat"));
    m_closeArea->setAccessibleName(QStringLiteral("Kapat"));
    m_closeArea->setGeometry(CloseSpot);
    ExitButton::install(m_closeArea, this);
    m_minimiseArea = new ClickLabel(QString(), this);
    m_minimiseArea->setObjectName(QStringLiteral("LabelSimge"));
    m_minimiseArea->setAccessibleName(QStringLiteral("Ana Pencereyi Simge Durumuna Küçült"));
    m_minimiseArea->setGeometry(MinimiseSpot);
    // The main window goes down, not the phone book.
    connect(m_minimiseArea, &ClickLabel::clicked, this,
            [this] { MinimiseButton::minimiseWindow(m_screens.find(QStringLiteral("MainWindow"))); });
}

void PhoneBook::buildGrid()
{
    m_grid = new DbGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(QStringLiteral("Telefon Rehberi"));
    m_grid->setGeometry(GridZone);
    m_grid->setDataset(m_contacts,
                       {{QStringLiteral("Ad")}, {QStringLiteral("Soyad")}, {QStringLiteral("Telefon")}});
    m_grid->setIndicatorVisible(false);
    m_grid->setShowGrid(false);
    m_grid->setFrameShape(QFrame::NoFrame);
    // Lime on dark blue rows, navy fixed cells; the selection stays shown without the focus.
    styleWhenDressed(m_grid, QStringLiteral(
        "QTableView { background: rgb(1, 5, 163); color: rgb(0, 255, 0); border: none;"
        "  selection-background-color: rgb(0, 160, 0); selection-color: white; }"
        "QHeaderView::section { background: rgb(0, 0, 128); color: rgb(0, 255, 0); font-weight: bold;"
        "  border: none; border-right: 1px solid rgb(0, 0, 90); border-bottom: 1px solid rgb(0, 0, 90);"
        "  padding: 1px 4px; }"
        "QHeaderView { background: rgb(0, 0, 128); border: none; }"
        "QTableCornerButton::section { background: rgb(0, 0, 128); border: none; }"));
    m_grid->setColumnWidth(0, 100);
    m_grid->setColumnWidth(1, 100);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    GridOpensRecord::install(m_grid, m_screens, QStringLiteral("PhoneEntry"), QStringLiteral("No"));
}

void PhoneBook::buildShutdownPanel()
{
    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("PanelKapama"));
    m_panel->setAccessibleName(ShutdownCaption);
    m_panel->setGeometry(GridZone);
    m_panel->setAutoFillBackground(true);
    QPalette colours = m_panel->palette();
    colours.setColor(QPalette::Window, QColor(1, 5, 163));
    m_panel->setPalette(colours);
    m_panel->hide();

    const int w = GridZone.width();
    panelText(m_panel, QStringLiteral("Bilgisayarın Kapanmasını"), QRect(0, 24, w, 24), 12);
    panelText(m_panel, QStringLiteral("İstediğiniz Saati Yazın"), QRect(0, 50, w, 24), 12);

    m_time = new QLineEdit(m_panel);
    m_time->setObjectName(QStringLiteral("MaskEdit1"));
    m_time->setAccessibleName(QStringLiteral("Kapanma Saati"));
    m_time->setInputMask(m_timeMask.inputMask());
    m_time->setGeometry((w - 120) / 2, 88, 120, 28);
    m_time->setAlignment(Qt::AlignCenter);
    QFont big = m_time->font();
    big.setPointSize(14);
    big.setBold(true);
    m_time->setFont(big);

    panelText(m_panel, QStringLiteral("Şu an Saat"), QRect(40, 134, 120, 22));
    m_now = panelText(m_panel, QStringLiteral("Saat"), QRect(160, 134, 140, 22));
    m_now->setObjectName(QStringLiteral("LabelSaat"));
    m_now->setAccessibleName(QStringLiteral("Şu an Saat"));
    m_now->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_ok = new QPushButton(QStringLiteral("Tamam"), m_panel);
    m_ok->setObjectName(QStringLiteral("ButtonTamam"));
    m_ok->setAccessibleName(QStringLiteral("Tamam"));
    m_ok->setGeometry(w / 2 - 110, 184, 100, 30);
    connect(m_ok, &QPushButton::clicked, this, &PhoneBook::armShutdown);
    m_cancel = new QPushButton(QStringLiteral("İptal"), m_panel);
    m_cancel->setObjectName(QStringLiteral("ButtonIptal"));
    m_cancel->setAccessibleName(QStringLiteral("İptal"));
    m_cancel->setGeometry(w / 2 + 10, 184, 100, 30);
    connect(m_cancel, &QPushButton::clicked, this, &PhoneBook::disarmShutdown);
}

ClickLabel* PhoneBook::menuItem(const QString& caption) const
{
    for (ClickLabel* item : m_items)
        if (item->text() == caption)
            return item;
    return nullptr;
}

void PhoneBook::moveHighlightBehind(QWidget* item)
{
    m_highlight->move(item->pos());
}

bool PhoneBook::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (auto* item = qobject_cast<ClickLabel*>(watched); item && m_items.contains(item))
            moveHighlightBehind(item);
    }
    return Screen::eventFilter(watched, event);
}

void PhoneBook::rereadContacts()
{
    try {
        m_contacts->refresh();
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
}

void PhoneBook::tick()
{
    const QString text = m_marquee->text();
    if (!text.isEmpty())
        m_marquee->setText(text.mid(1) + text.at(0));
    m_now->setText(LocaleFormats::longTime(systemClock().now().time()));
}

void PhoneBook::showPanel(bool shutdown)
{
    m_grid->setVisible(!shutdown);
    m_panel->setVisible(shutdown);
}

void PhoneBook::showShutdownPanel()
{
    showPanel(true);
    m_time->setFocus();
    m_time->setCursorPosition(0);
}

void PhoneBook::armShutdown()
{
    const QString typed = m_timeMask.stored(m_time->displayText());
    const std::optional<QTime> at = m_timeMask.fill(m_time->displayText()) == EditMask::Fill::Complete
                                        ? ShutdownSchedule::readTime(typed)
                                        : std::nullopt;
    if (!at) {
        errorReporter().report(this, QStringLiteral("Lütfen kapanma saatini saat:dakika:saniye olarak, "
                                                    "00:00:00 ile 23:59:59 arasında yazın."));
        m_time->setFocus();
        return;
    }
    m_schedule.arm(*at, systemClock().now());
    m_shutdownTimer->start();
    showPanel(false);
    m_status->setText(QStringLiteral("Kapanma Saati =") + typed);
    m_status->setAccessibleName(m_status->text());
    m_status->show();
}

void PhoneBook::disarmShutdown()
{
    m_time->clear();
    m_schedule.disarm();
    m_shutdownTimer->stop();
    showPanel(false);
    m_status->hide();
}

void PhoneBook::shutdownTick()
{
    if (!m_schedule.due(systemClock().now()))
        return;
    m_shutdownTimer->stop();
    if (!shutdownRequest().request()) {
        m_status->hide();
        errorReporter().report(this, QStringLiteral("Bilgisayar kapatılamadı: işletim sistemi kapatma isteğini "
                                                    "kabul etmedi."));
    }
}
