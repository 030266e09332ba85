#include "kit/behaviours/dragbybackground.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

DragByBackground::DragByBackground(QWidget* background, std::function<void()> beforeDrag)
    : QObject(background), m_background(background), m_beforeDrag(std::move(beforeDrag))
{
    background->installEventFilter(this);
}

DragByBackground* DragByBackground::install(QWidget* background, std::function<void()> beforeDrag)
{
    if (!background)
        return nullptr;
    return new DragByBackground(background, std::move(beforeDrag));
}

bool DragByBackground::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_background)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_beforeDrag)
            m_beforeDrag();
        QWidget* window = m_background->window();
        QWindow* handle = window->windowHandle();
        if (handle && handle->startSystemMove()) {
            m_manual = false;
        } else {
            m_manual = true;
            m_grabOffset = mouse->globalPosition().toPoint() - window->pos();
        }
        return true;
    }
    case QEvent::MouseMove:
        if (!m_manual)
            return false;
        m_background->window()->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint()
                                     - m_grabOffset);
        return true;
    case QEvent::MouseButtonRelease:
        if (m_manual && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
            m_manual = false;
        return true;
    default:
        return false;
    }
}
