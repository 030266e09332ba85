#pragma once

#include "data/catalogue.h"
#include "platform/engine/database.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class Dataset;
class QWidget;

// A store of the program's own catalogue in a fresh scratch folder.
struct ScratchStore {
    QTemporaryDir folder;
    std::unique_ptr<Database> db;

    ScratchStore() { db = Catalogue::openStore(folder.path()); }
    QString path() const { return folder.filePath(Catalogue::StoreFileName); }
};

// Pins the locale the tests expect, whatever the machine is set to.
void useTurkishLocale();

// The values of one field over every row of the dataset, in order.
QStringList valuesOf(Dataset& rows, const QString& field);

// A fingerprint of the file's bytes (empty when it cannot be read): tells
// whether a write reached the file itself.
QByteArray fileHash(const QString& path);

// Shows the window and makes it the active one, as a click on it would;
// false when the window system did not activate it in time.
bool activate(QWidget* window);

// Registers a plain window as the screen `name` (one that comes later), so
// that what shows it by name can be followed.
void registerStandInScreen(const QString& name);
