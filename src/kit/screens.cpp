#include "kit/screens.h"

#include "kit/screen.h"

#include <QCoreApplication>
#include <QEvent>

Screens::Screens(Database& database) : m_database(database) {}

Screens::~Screens()
{
    // Screens die in the reverse order of their making; the main window last.
    for (auto it = m_created.crbegin(); it != m_created.crend(); ++it)
        delete m_screens.value(*it).data();
}

void Screens::createAll(const ScreenMakers& makers)
{
    for (const ScreenMaker& maker : makers) {
        if (m_screens.contains(maker.name))
            continue;
        QWidget* screen = maker.make(*this);
        screen->hide();
        Screen::nameInnerParts(screen);
        m_screens.insert(maker.name, screen);
        m_created << maker.name;
    }
    // Each widget made posts a request to be polished; a screen is polished with
    // all its controls when it is shown, so the requests of the screens just made
    // would only style thousands of controls nobody sees yet.
    QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
}

QWidget* Screens::find(const QString& name) const
{
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
