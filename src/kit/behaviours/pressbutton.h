#pragma once

#include <QLabel>
#include <QPointer>

// A label or small picture that stands in for a push button. A pressed picture (a
// picture label, hidden at start) is laid exactly over the button's place between
// press and release; the release hides it and then emits activated().
//
// Capture: Qt delivers a release to the widget that received the press (its implicit
// grab), wherever the pointer is by then. The left button's release therefore always
// acts; another button's release acts only with the pointer over the button, because
// such a press does not capture the mouse: released elsewhere, the control under the
// pointer gets the release instead (another press button acts, anything else does
// nothing) and the pressed picture stays shown.
class PressButton : public QLabel {
    Q_OBJECT
public:
    // Uses an existing picture label as the pressed picture. It may be shared by several
    // buttons: each press moves it to the pressed button's place. Hidden here.
    void setPressedPicture(QLabel* picture);
    // Makes a pressed picture from a pixmap, as a sibling of this button.
    QLabel* createPressedPicture(const QPixmap& pixmap);
    QLabel* pressedPicture() const { return m_picture; }
    bool isPressedLookShown() const;

    // The pointer turns into a pointing hand over the button.
    void setPointingHand(bool on);

public slots:
    // The button's action as a release runs it: hide the pressed picture, then emit.
    void activate();

signals:
    void activated();

protected:
    enum class PictureSide { UnderText, OverIcon };
    PressButton(PictureSide side, QWidget* parent);

    // Whether a press of this mouse button shows the pressed look.
    virtual bool showsPressedLookFor(Qt::MouseButton button) const = 0;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // With the focus, Space or Enter acts as a release does.
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showPressedPicture();
    PressButton* otherButtonAt(const QPoint& globalPos) const;

    PictureSide m_side;
    QPointer<QLabel> m_picture;
};

// A text label acting as a push button; any mouse button shows the pressed picture,
// which lies under the text. Its accessible name follows the caption. It takes the
// focus from Tab (after the fields it follows), shown by a dotted frame.
class LabelButton : public PressButton {
    Q_OBJECT
public:
    explicit LabelButton(const QString& caption = QString(), QWidget* parent = nullptr);

    // Sets the caption and the accessible name together. (Hides QLabel::setText so a
    // caption change through this class keeps assistive technology in step.)
    void setText(const QString& caption);

protected:
    bool showsPressedLookFor(Qt::MouseButton) const override { return true; }
};

// A small picture acting as a push button (minimise and exit icons). Only a left press
// shows the pressed picture, which lies over the icon; a release of any button on the
// icon acts.
class IconButton : public PressButton {
    Q_OBJECT
public:
    explicit IconButton(const QString& accessibleName = QString(), QWidget* parent = nullptr);

protected:
    bool showsPressedLookFor(Qt::MouseButton button) const override
    {
        return button == Qt::LeftButton;
    }
};

// A label or picture that acts on an ordinary click: a left press and a left release
// over it. No pressed picture; a press released elsewhere does nothing.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text = QString(), QWidget* parent = nullptr);

public slots:
    void activate() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Where it is given the focus (a menu panel's items), Space or Enter clicks it.
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_leftDown = false;
};
