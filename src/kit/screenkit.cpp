#include "kit/screenkit.h"

#include "kit/behaviours/keyboardaccess.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/picturemenu.h"
#include "kit/screen.h"
#include "kit/behaviours/windowbuttons.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbedit.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"

#include <QHash>
#include <QLabel>

namespace {
const QString PressedPicture = QStringLiteral(":/art/button_pressed.jpg");
const QString WidePressedPicture = QStringLiteral(":/art/button_pressed_wide.jpg");

// A style sheet costs its parse and polish: only a shown screen needs it.
void styleWhenDressed(Screen* screen, QWidget* control, const QString& sheet)
{
    screen->whenDressed(control, [control, sheet] { control->setStyleSheet(sheet); });
}

void pictureWhenDressed(Screen* screen, QLabel* label, const QString& picture)
{
    screen->whenDressed(label, [label, picture] { label->setPixmap(QPixmap(picture)); });
}

void pressedPictureWhenDressed(Screen* screen, PressButton* button, const QString& picture)
{
    screen->whenDressed(button, [button, picture] { button->createPressedPicture(QPixmap(picture)); });
}

// The stop sign scaled to a panel's size, made once for each size (every entry
// screen's panel shares one).
QPixmap stopSignFor(const QSize& size)
{
    static QHash<QSize, QPixmap> scaled;
    auto found = scaled.find(size);
    if (found != scaled.end())
        return *found;
    const QPixmap stop(QStringLiteral(":/art/owner_panel_stop.jpg"));
    const QPixmap picture = stop.isNull() ? QPixmap()
                                          : stop.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.insert(size, picture);
    return picture;
}
} // namespace

ScreenKit::ScreenKit(Screen* screen) : m_screen(screen) {}

ScreenSetup ScreenKit::standardWindow(const QString& programName, const QString& caption, const QSize& size)
{
    QString snake;
    for (const QChar c : programName) {
        if (c.isUpper() && !snake.isEmpty())
            snake += QLatin1Char('_');
        snake += c.toLower();
    }
    ScreenSetup setup;
    setup.programName = programName;
    setup.caption = caption;
    setup.clientSize = size;
    setup.background = QStringLiteral(":/art/bg_%1.jpg").arg(snake);
    setup.colour = bodyColour();
    return setup;
}

QColor ScreenKit::bodyColour()
{
    return QColor(238, 242, 247);
}

QLabel* ScreenKit::caption(const QString& text, const QRect& rect)
{
    auto* label = new QLabel(text, m_screen);
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    styleWhenDressed(m_screen, label, QStringLiteral("color: rgb(30, 40, 70); font-weight: bold;"));
    return label;
}

QLabel* ScreenKit::squareMetresCaption(const QRect& rect)
{
    auto* label = new QLabel(m_screen);
    label->setObjectName(QStringLiteral("ImageM2"));
    label->setAccessibleName(QStringLiteral("M²"));
    pictureWhenDressed(m_screen, label, QStringLiteral(":/art/caption_m2.jpg"));
    label->setGeometry(rect);
    return label;
}

DbEdit* ScreenKit::edit(const QString& name, const QString& captionText, Dataset* data, const QString& field,
                        const QRect& rect)
{
    auto* control = new DbEdit(m_screen);
    control->setObjectName(name);
    control->setAccessibleName(captionText);
    control->setGeometry(rect);
    control->bind(data, field);
    return control;
}

DbComboBox* ScreenKit::dropDown(const QString& name, const QString& captionText, Dataset* data,
                                const QString& field, const QRect& rect, const QStringList& items)
{
    auto* control = new DbComboBox(m_screen);
    control->setObjectName(name);
    control->setAccessibleName(captionText);
    control->setAccessibleDescription(captionText);
    control->setGeometry(rect);
    control->bind(data, field, items);
    return control;
}

DbLookupComboBox* ScreenKit::lookup(const QString& name, const QString& captionText, Dataset* data,
                                    const QString& field, Dataset* source, const QString& sourceField,
                                    const QRect& rect)
{
    auto* control = new DbLookupComboBox(m_screen);
    control->setObjectName(name);
    control->setAccessibleName(captionText);
    control->setAccessibleDescription(captionText);
    control->setGeometry(rect);
    control->bind(data, field);
    control->setLookup(source, sourceField);
    return control;
}

DbMemo* ScreenKit::memo(const QString& name, const QString& captionText, Dataset* data, const QString& field,
                        const QRect& rect)
{
    auto* control = new DbMemo(m_screen);
    control->setObjectName(name);
    control->setAccessibleName(captionText);
    control->setGeometry(rect);
    control->bind(data, field);
    return control;
}

DbImage* ScreenKit::picture(const QString& name, const QString& captionText, Dataset* data, const QString& field,
                           const QRect& rect)
{
    auto* control = new DbImage(m_screen);
    control->setObjectName(name);
    control->setAccessibleName(captionText);
    control->setGeometry(rect);
    control->setFrameShape(QFrame::Panel);
    control->setFrameShadow(QFrame::Sunken);
    control->setAutoFillBackground(true);
    QPalette colours = control->palette();
    colours.setColor(QPalette::Window, Qt::white);
    control->setPalette(colours);
    control->bind(data, field);
    PictureMenu::install(control);
    return control;
}

LabelButton* ScreenKit::action(const QString& name, const QString& captionText, const QRect& frame)
{
    auto* button = new LabelButton(captionText, m_screen);
    button->setObjectName(name);
    button->setGeometry(frame);
    button->setAlignment(Qt::AlignCenter);
    styleWhenDressed(m_screen, button, QStringLiteral("color: rgb(20, 30, 60); font-weight: bold;"));
    button->setPointingHand(true);
    pressedPictureWhenDressed(m_screen, button, frame.width() > 120 ? WidePressedPicture : PressedPicture);
    // "Çıkış" acts on the screen's Escape, which first ends an edit.
    const QList<QKeySequence> keys = KeyboardAccess::forCaption(captionText);
    if (keys == KeyboardAccess::Keys::close())
        KeyboardAccess::showKeys(button, keys);
    else
        KeyboardAccess::bind(button, keys);
    return button;
}

QList<QRect> ScreenKit::footerFrames(const QWidget* screen, const QList<int>& widths)
{
    constexpr int Gap = 14;
    int total = Gap * int(widths.size() - 1);
    for (const int w : widths)
        total += w;
    QList<QRect> frames;
    int x = (screen->width() - total) / 2;
    for (const int w : widths) {
        frames << QRect(x, screen->height() - 34, w, 24);
        x += w + Gap;
    }
    return frames;
}

LabelButton* ScreenKit::exitAction(const QRect& frame)
{
    LabelButton* button = action(QStringLiteral("LabelCikis"), QStringLiteral("Çıkış"), frame);
    ExitButton::install(button, m_screen);
    m_screen->setExitAction(button);
    return button;
}

QLabel* ScreenKit::ownerPanel(const QRect& rect)
{
    auto* panel = new QLabel(m_screen);
    panel->setObjectName(QStringLiteral("PanelSahibi"));
    panel->setAccessibleName(QStringLiteral("Emlak sahibi bilgileri gizli"));
    panel->setGeometry(rect);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, m_screen->setup().colour);
    panel->setPalette(colours);
    panel->setAlignment(Qt::AlignCenter);
    const QPixmap stop = stopSignFor(rect.size());
    if (!stop.isNull())
        panel->setPixmap(stop);
    panel->raise();
    return panel;
}

IconButton* ScreenKit::minimiseIcon()
{
    auto* icon = new IconButton(QStringLiteral("Simge Durumuna Küçült"), m_screen);
    icon->setObjectName(QStringLiteral("ImageMinimise"));
    pictureWhenDressed(m_screen, icon, QStringLiteral(":/art/icon_minimise.jpg"));
    icon->setGeometry(m_screen->width() - 48, 12, 18, 18);
    pressedPictureWhenDressed(m_screen, icon, QStringLiteral(":/art/icon_minimise_pressed.jpg"));
    MinimiseButton::install(icon, m_screen);
    KeyboardAccess::bind(icon, KeyboardAccess::Keys::minimise());
    return icon;
}

IconButton* ScreenKit::exitIcon()
{
    auto* icon = new IconButton(QStringLiteral("Kapat"), m_screen);
    icon->setObjectName(QStringLiteral("ImageExit"));
    pictureWhenDressed(m_screen, icon, QStringLiteral(":/art/icon_close.jpg"));
    icon->setGeometry(m_screen->width() - 26, 12, 18, 18);
    pressedPictureWhenDressed(m_screen, icon, QStringLiteral(":/art/icon_close_pressed.jpg"));
    ExitButton::install(icon, m_screen);
    KeyboardAccess::showKeys(icon, KeyboardAccess::Keys::close());
    if (!m_screen->exitAction())
        m_screen->setExitAction(icon);
    return icon;
}

ClickLabel* ScreenKit::minimisePicture()
{
    auto* picture = new ClickLabel(QString(), m_screen);
    picture->setObjectName(QStringLiteral("ImageMinimise"));
    picture->setAccessibleName(QStringLiteral("Simge Durumuna Küçült"));
    pictureWhenDressed(m_screen, picture, QStringLiteral(":/art/icon_minimise.jpg"));
    picture->setGeometry(m_screen->width() - 48, 12, 18, 18);
    MinimiseButton::install(picture, m_screen);
    KeyboardAccess::bind(picture, KeyboardAccess::Keys::minimise(), [picture] { picture->activate(); });
    return picture;
}

ClickLabel* ScreenKit::exitPicture()
{
    auto* picture = new ClickLabel(QString(), m_screen);
    picture->setObjectName(QStringLiteral("ImageExit"));
    picture->setAccessibleName(QStringLiteral("Kapat"));
    pictureWhenDressed(m_screen, picture, QStringLiteral(":/art/icon_close.jpg"));
    picture->setGeometry(m_screen->width() - 26, 12, 18, 18);
    ExitButton::install(picture, m_screen);
    KeyboardAccess::showKeys(picture, KeyboardAccess::Keys::close());
    if (!m_screen->exitAction())
        m_screen->setExitAction(picture);
    return picture;
}

DbNavigator* ScreenKit::navigator(Table* table, const QRect& rect, const QStringList& hints)
{
    auto* navigator = new DbNavigator(m_screen);
    navigator->setGeometry(rect);
    navigator->setDataset(table);
    if (!hints.isEmpty())
        navigator->setHints(hints);
    KeyboardAccess::bindNavigator(navigator);
    return navigator;
}
