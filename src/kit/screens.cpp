#include "kit/screens.h"

#include "kit/screen.h"
#include "platform/engine/dataerror.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>

namespace {

// Runs `then` once, after the watched window's first paint has been handled.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget* window, std::function<void()> then) : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            m_then();
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

// How long the screens wait for the first window's paint at most: a window
// shown minimised, or on a display that never exposes it, paints late.
constexpr int LongestWaitForPaintMs = 500;

} // namespace

Screens::Screens(Database& database) : m_database(database)
{
    m_turns.setInterval(0);
    QObject::connect(&m_turns, &QTimer::timeout, [this] {
        if (m_waiting.isEmpty() || !createWaitingThrough(m_waiting.first().name) || m_waiting.isEmpty())
            m_turns.stop();
    });
}

Screens::~Screens()
{
    // Screens die in the reverse order of their making; the main window last.
    for (auto it = m_created.crbegin(); it != m_created.crend(); ++it)
        delete m_screens.value(*it).data();
}

void Screens::createAll(const ScreenMakers& makers)
{
    for (const ScreenMaker& maker : makers)
        create(maker);
}

void Screens::create(const ScreenMaker& maker) const
{
    if (m_screens.contains(maker.name))
        return;
    QWidget* screen = maker.make(const_cast<Screens&>(*this));
    screen->hide();
    Screen::nameInnerParts(screen);
    m_screens.insert(maker.name, screen);
    m_created << maker.name;
    // Each widget made posts a request to be polished; a screen is polished with
    // all its controls when it is shown, so the requests of the screen just made
    // would only style controls nobody sees yet.
    QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
}

void Screens::createInTurns(const ScreenMakers& makers, QWidget* first,
                            std::function<void(const QString& message)> failed)
{
    m_waiting << makers;
    m_failed = std::move(failed);
    if (!first) {
        m_turns.start();
        return;
    }
    new FirstPaintWatch(first, [this] { m_turns.start(); });
    QTimer::singleShot(LongestWaitForPaintMs, first, [this] {
        if (!m_waiting.isEmpty())
            m_turns.start();
    });
}

bool Screens::createWaitingThrough(const QString& name) const
{
    while (!m_waiting.isEmpty()) {
        const ScreenMaker maker = m_waiting.takeFirst();
        try {
            create(maker);
        } catch (const DataError& error) {
            m_waiting.clear();
            if (m_failed)
                m_failed(error.message());
            return false;
        }
        if (maker.name == name)
            break;
    }
    return true;
}

QWidget* Screens::find(const QString& name) const
{
    if (!m_screens.contains(name)) {
        const bool waiting = std::any_of(m_waiting.cbegin(), m_waiting.cend(),
                                         [&name](const ScreenMaker& maker) { return maker.name == name; });
        if (waiting && !createWaitingThrough(name))
            return nullptr;
    }
    return m_screens.value(name).data();
}

bool Screens::show(const QString& name) const
{
    QWidget* screen = find(name);
    if (!screen)
        return false;
    screen->show();
    screen->raise();
    screen->activateWindow();
    return true;
}

bool Screens::settlePendingEdits() const
{
    for (const QString& name : m_created) {
        auto* screen = qobject_cast<Screen*>(find(name));
        if (!screen || screen->settlePendingEdits())
            continue;
        if (!screen->isVisible())
            show(name);
        else
            screen->raise();
        return false;
    }
    return true;
}
