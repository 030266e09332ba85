#pragma once

#include "data/catalogue.h"
#include "platform/engine/database.h"

#include <QTemporaryDir>
#include <memory>

// A store of the program's own catalogue in a fresh scratch folder.
struct ScratchStore {
    QTemporaryDir folder;
    std::unique_ptr<Database> db;

    ScratchStore() { db = Catalogue::openStore(folder.path()); }
    QString path() const { return folder.filePath(Catalogue::StoreFileName); }
};

// Pins the locale the tests expect, whatever the machine is set to.
void useTurkishLocale();
