#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

class Database;
class Table;

class Screens;

// How one screen is made: its program name and the function that makes it.
struct ScreenMaker {
    QString name;
    std::function<QWidget*(Screens&)> make;
};
using ScreenMakers = QList<ScreenMaker>;

// The one registry of the program's screens: each created once, hidden, in
// the order it is given, and then only shown and hidden until the program
// ends. Screens reach one another through it by their program names.
class Screens {
public:

    explicit Screens(Database& database);
    ~Screens();

    Database& database() const { return m_database; }

    // Creates the screens, hidden, in the order given; a name already created
    // is left alone. A screen whose tables cannot be opened stops this with
    // the store's message.
    void createAll(const ScreenMakers& makers);
    // Creates the screens in the order given, one per turn of the event loop,
    // starting once `first` has painted (or half a second from now, if it never
    // does): the program answers the clerk while its hidden screens are made.
    // A screen asked for before its turn is made at once, with every screen
    // before it. A screen whose tables cannot be opened stops the rest, and its
    // message goes to `failed`.
    void createInTurns(const ScreenMakers& makers, QWidget* first,
                       std::function<void(const QString& message)> failed);
    // Whether screens given to createInTurns are still to be made.
    bool creating() const { return !m_waiting.isEmpty(); }
    // The screens actually created, in the order they were created.
    const QStringList& created() const { return m_created; }

    QWidget* find(const QString& name) const;
    template <class T> T* get(const QString& name) const { return qobject_cast<T*>(find(name)); }
    // Shows an already created screen and brings it to the front; false when
    // the program has no such screen.
    bool show(const QString& name) const;

    // Before the program ends: every screen's pending edit is settled as the
    // screen's own close would (Screen::settlePendingEdits), in the order the
    // screens were created. When the user stays, or a post is refused, that
    // screen is shown and false is returned.
    bool settlePendingEdits() const;

private:
    void create(const ScreenMaker& maker) const;
    // Makes the waiting screens up to and including `name` (all of them when
    // `name` is empty); false when one failed.
    bool createWaitingThrough(const QString& name) const;

    Database& m_database;
    // Screens are made on first demand too, from const look-ups.
    mutable QHash<QString, QPointer<QWidget>> m_screens;
    mutable QStringList m_created;
    mutable ScreenMakers m_waiting;
    mutable QTimer m_turns;
    std::function<void(const QString&)> m_failed;
};

// A screen editing one register through a table cursor (entry screens):
// grids elsewhere open their records in it.
class CursorOwner {
public:
    virtual ~CursorOwner() = default;
    virtual Table* cursor() const = 0;
};
