#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>

class QWidget;

// A press of any mouse button on a screen's background picture drags the window: it
// follows the pointer until the button is released, as if its title bar had been
// grabbed. The window system's own move is used where it offers one; otherwise the
// window is moved by hand on each mouse move (Qt's implicit grab keeps sending the
// moves to the background while the button is down).
class DragByBackground : public QObject {
    Q_OBJECT
public:
    // Installs the drag on background (its parent too); beforeDrag, if given, runs first
    // on every press (the phone book re-reads its table there).
    static DragByBackground* install(QWidget* background, std::function<void()> beforeDrag = {});

    void setBeforeDrag(std::function<void()> beforeDrag) { m_beforeDrag = std::move(beforeDrag); }
    // True while a hand-made move is following the pointer.
    bool isDragging() const { return m_manual; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DragByBackground(QWidget* background, std::function<void()> beforeDrag);

    QPointer<QWidget> m_background;
    std::function<void()> m_beforeDrag;
    bool m_manual = false;
    QPoint m_grabOffset;
};
