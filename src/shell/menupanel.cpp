#include "shell/menupanel.h"

#include "kit/behaviours/pressbutton.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <utility>

namespace {
constexpr int FirstItemTop = 46;
constexpr int ItemSpacing = 30;
constexpr int HoverBarAbove = 8; // the bar's top lies this far above the item's

const QString ItemStyle = QStringLiteral("color: rgb(0, 255, 0); font-weight: bold;");
} // namespace

MenuPanel::MenuPanel(const QString& title, const QString& picture, QWidget* parent)
    : QLabel(parent), m_picture(picture)
{
    setAccessibleName(title);
    setFixedSize(180, 140);
    setMouseTracking(true);
    m_hoverBar = new QLabel(this);
    m_hoverBar->setObjectName(QStringLiteral("HoverBar"));
    m_hoverBar->setGeometry(5, 0, 170, 30);
    m_hoverBar->hide();
}

ClickLabel* MenuPanel::addItem(const QString& caption)
{
    auto* item = new ClickLabel(caption, this);
    item->setObjectName(QStringLiteral("%1Item%2").arg(objectName()).arg(m_items.size() + 1));
    item->setAccessibleName(caption);
    item->setGeometry(16, FirstItemTop + int(m_items.size()) * ItemSpacing, 156, 16);
    if (m_dressed)
        item->setStyleSheet(ItemStyle);
    item->setCursor(Qt::PointingHandCursor);
    item->setMouseTracking(true);
    // Tab, the arrows, Enter and Space reach the items of an open panel.
    item->setFocusPolicy(Qt::TabFocus);
    item->installEventFilter(this);
    item->raise();
    m_items << item;
    return item;
}

void MenuPanel::dress()
{
    m_dressed = true;
    setPixmap(QPixmap(m_picture));
    m_hoverBar->setPixmap(QPixmap(QStringLiteral(":/art/panel_hover_bar.jpg")));
    for (ClickLabel* item : std::as_const(m_items))
        item->setStyleSheet(ItemStyle);
}

void MenuPanel::showEvent(QShowEvent* event)
{
    if (!m_dressed)
        dress();
    QLabel::showEvent(event);
}

void MenuPanel::hideHoverBar()
{
    m_hoverBar->hide();
}

bool MenuPanel::eventFilter(QObject* watched, QEvent* event)
{
    auto* item = qobject_cast<ClickLabel*>(watched);
    if (item && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int at = int(m_items.indexOf(item));
        const int step = key == Qt::Key_Down ? 1 : key == Qt::Key_Up ? -1 : 0;
        if (step != 0 && at >= 0) {
            m_items.at((at + step + int(m_items.size())) % int(m_items.size()))->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    // The hover bar follows the focus as it follows the pointer.
    if (item && (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove
                 || event->type() == QEvent::FocusIn)) {
        m_hoverBar->move(m_hoverBar->x(), item->y() - HoverBarAbove);
        m_hoverBar->show();
        m_hoverBar->stackUnder(item);
    }
    return QLabel::eventFilter(watched, event);
}

void MenuPanel::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over an item reach the panel too (the item passes them on); only
    // the panel's own picture hides the bar.
    if (!qobject_cast<ClickLabel*>(childAt(event->position().toPoint())))
        m_hoverBar->hide();
    QLabel::mouseMoveEvent(event);
}
