#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class Database;
class Table;

// The one registry of the program's screens: each created once, hidden, in
// the fixed start-up order, and then only shown and hidden until the program
// ends. Screens reach one another through it by their program names.
class Screens {
public:
    using Factory = std::function<QWidget*(Screens&)>;

    explicit Screens(Database& database);
    ~Screens();

    Database& database() const { return m_database; }

    // The fixed start-up order of every screen of the program.
    static const QStringList& startUpOrder();
    // Creates every screen that has a factory, in the start-up order. A screen
    // whose tables cannot be opened stops this with the store's message.
    void createAll();
    // The screens actually created, in the order they were created.
    const QStringList& created() const { return m_created; }

    QWidget* find(const QString& name) const;
    template <class T> T* get(const QString& name) const { return qobject_cast<T*>(find(name)); }
    // Shows an already created screen and brings it to the front; false when
    // the program has no such screen.
    bool show(const QString& name) const;

    // Screens join the program by registering how they are made.
    static void registerFactory(const QString& name, Factory factory);

private:
    Database& m_database;
    QHash<QString, QPointer<QWidget>> m_screens;
    QStringList m_created;
};

// A screen editing one register through a table cursor (entry screens):
// grids elsewhere open their records in it.
class CursorOwner {
public:
    virtual ~CursorOwner() = default;
    virtual Table* cursor() const = 0;
};
