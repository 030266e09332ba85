#pragma once

#include <QObject>
#include <QString>

// What a store tells the program of work done elsewhere: on a server, a
// change another desk committed, by table, within a moment of its commit.
class StoreNotices : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // Another desk changed rows of this table (its catalogue name).
    void changedElsewhere(const QString& table);
};
