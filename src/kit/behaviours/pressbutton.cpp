#include "kit/behaviours/pressbutton.h"

#include "kit/behaviours/keyboardaccess.h"
#include "kit/screen.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {

// Screen readers see press buttons and click labels as buttons with a press action.
class PressableAccessible final : public QAccessibleWidget {
public:
    explicit PressableAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        QString value = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && value.isEmpty()) {
            if (auto* label = qobject_cast<QLabel*>(widget()))
                value = label->text();
            if (value.isEmpty())
                value = widget()->toolTip();
        }
        if (t == QAccessible::Accelerator && value.isEmpty()) {
            QStringList keys;
            for (const QKeySequence& key : KeyboardAccess::keysOf(widget()))
                keys << key.toString(QKeySequence::NativeText);
            value = keys.join(QStringLiteral(", "));
        }
        return value;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            QMetaObject::invokeMethod(widget(), "activate");
        else
            QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface* pressableFactory(const QString&, QObject* object)
{
    if (qobject_cast<PressButton*>(object) || qobject_cast<ClickLabel*>(object))
        return new PressableAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

bool activatesByKey(const QKeyEvent* event)
{
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    return plain && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter);
}

// The focus shows as the style's dotted frame just inside the control.
void paintFocus(QLabel* label)
{
    if (!label->hasFocus())
        return;
    QPainter painter(label);
    QStyleOptionFocusRect option;
    option.initFrom(label);
    option.rect = label->rect().adjusted(1, 1, -1, -1);
    label->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, label);
}

void ensureAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(pressableFactory);
        return true;
    }();
    (void)installed;
}

} // namespace

PressButton::PressButton(PictureSide side, QWidget* parent)
    : QLabel(parent), m_side(side)
{
    ensureAccessibleFactory();
}

void PressButton::setPressedPicture(QLabel* picture)
{
    m_picture = picture;
    if (!picture)
        return;
    // The picture only shows the look; the button underneath or above keeps the mouse.
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    picture->hide();
}

QLabel* PressButton::createPressedPicture(const QPixmap& pixmap)
{
    auto* picture = new QLabel(parentWidget());
    picture->setPixmap(pixmap);
    picture->setScaledContents(true);
    picture->setGeometry(geometry());
    setPressedPicture(picture);
    return picture;
}

bool PressButton::isPressedLookShown() const
{
    return m_picture && m_picture->isVisibleTo(m_picture->parentWidget());
}

void PressButton::setPointingHand(bool on)
{
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void PressButton::activate()
{
    if (m_picture)
        m_picture->hide();
    emit activated();
}

void PressButton::showPressedPicture()
{
    if (!m_picture)
        return;
    // A shared picture is moved to the place of the button being pressed.
    QWidget* holder = m_picture->parentWidget();
    QPoint topLeft = pos();
    if (holder != parentWidget())
        topLeft = holder ? holder->mapFromGlobal(mapToGlobal(QPoint())) : mapToGlobal(QPoint());
    m_picture->setGeometry(QRect(topLeft, size()));
    if (m_picture->parentWidget() == parentWidget()) {
        if (m_side == PictureSide::UnderText)
            m_picture->stackUnder(this);
        else
            m_picture->raise();
    }
    m_picture->show();
}

PressButton* PressButton::otherButtonAt(const QPoint& globalPos) const
{
    QWidget* top = window();
    QWidget* hit = top->childAt(top->mapFromGlobal(globalPos));
    while (hit && hit != top) {
        if (auto* button = qobject_cast<PressButton*>(hit))
            return button == this ? nullptr : button;
        hit = hit->parentWidget();
    }
    return nullptr;
}

void PressButton::mousePressEvent(QMouseEvent* event)
{
    if (showsPressedLookFor(event->button()))
        showPressedPicture();
    event->accept();
}

void PressButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton || rect().contains(event->position().toPoint())) {
        activate();
        return;
    }
    if (PressButton* other = otherButtonAt(event->globalPosition().toPoint()))
        other->activate();
}

void PressButton::keyPressEvent(QKeyEvent* event)
{
    if (!activatesByKey(event))
        return QLabel::keyPressEvent(event);
    event->accept();
    activate();
}

void PressButton::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    paintFocus(this);
}

LabelButton::LabelButton(const QString& caption, QWidget* parent)
    : PressButton(PictureSide::UnderText, parent)
{
    // A label that takes the focus draws its caption through a text document of
    // its own, which is costly to make: set while the label takes no focus, the
    // caption waits for its document until the screen is shown.
    setText(caption);
    setFocusPolicy(Qt::TabFocus);
    Screen::dressWithScreen(this, [this] {
        const QString shown = text();
        QLabel::setText(QString());
        QLabel::setText(shown);
    });
}

void LabelButton::setText(const QString& caption)
{
    QLabel::setText(caption);
    setAccessibleName(caption);
}

IconButton::IconButton(const QString& accessibleName, QWidget* parent)
    : PressButton(PictureSide::OverIcon, parent)
{
    setAccessibleName(accessibleName);
}

ClickLabel::ClickLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    ensureAccessibleFactory();
}

void ClickLabel::keyPressEvent(QKeyEvent* event)
{
    if (!activatesByKey(event))
        return QLabel::keyPressEvent(event);
    event->accept();
    emit clicked();
}

void ClickLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    paintFocus(this);
}

void ClickLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool wasDown = m_leftDown;
    m_leftDown = false;
    if (wasDown && rect().contains(event->position().toPoint()))
        emit clicked();
}
