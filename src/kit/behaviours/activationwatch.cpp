#include "kit/behaviours/activationwatch.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QList>
#include <QWidget>

class ActivationTracker : public QObject {
public:
    static ActivationTracker& instance()
    {
        static auto* tracker = [] {
            auto* t = new ActivationTracker(qApp);
            qApp->installEventFilter(t);
            return t;
        }();
        return *tracker;
    }

    void add(ActivationWatch* watch) { m_watches.append(watch); }
    QWidget* active() const { return m_active; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::WindowActivate && type != QEvent::Hide)
            return false;
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || !widget->isWindow())
            return false;
        if (type == QEvent::Hide) {
            // Closed by the program (not minimised by the user): showing it again is
            // entering it again.
            if (widget == m_active && !event->spontaneous())
                m_active = nullptr;
            return false;
        }
        if (qobject_cast<QDialog*>(widget) || widget == m_active)
            return false;
        m_active = widget;
        notify(widget);
        return false;
    }

private:
    using QObject::QObject;

    void notify(QWidget* window)
    {
        m_watches.removeAll(nullptr);
        const QList<QPointer<ActivationWatch>> watches = m_watches;
        for (const QPointer<ActivationWatch>& watch : watches) {
            if (watch && watch->m_window == window && watch->m_handler)
                watch->m_handler();
        }
    }

    QPointer<QWidget> m_active;
    QList<QPointer<ActivationWatch>> m_watches;
};

ActivationWatch::ActivationWatch(QWidget* window, QObject* context, std::function<void()> handler)
    : QObject(context), m_window(window), m_handler(std::move(handler))
{
}

void ActivationWatch::watch(QWidget* window, QObject* context, std::function<void()> handler)
{
    if (!window || !context)
        return;
    ActivationTracker::instance().add(new ActivationWatch(window, context, std::move(handler)));
}

QWidget* ActivationWatch::programActiveWindow()
{
    return ActivationTracker::instance().active();
}
