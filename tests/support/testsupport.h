#pragma once

#include "data/catalogue.h"
#include "kit/screens.h"
#include "platform/engine/database.h"

#include <QByteArray>
#include <Qt>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class Dataset;
class QWidget;

// Whether this run puts its stores on the suite's own PostgreSQL server
// (EVLORA_TEST_STORE=server, as the suite's "_server" runs set it) rather
// than in embedded files.
bool storesOnServer();

// Makes the folder one whose store is new and empty: on the server, a schema
// of its own with the catalogue created in it, named by the folder's server
// setting; otherwise nothing, as the store file is made when first opened.
void prepareStoreFolder(const QString& folder);

// A store of the program's own catalogue in a fresh scratch folder.
struct ScratchStore {
    QTemporaryDir folder;
    std::unique_ptr<Database> db;

    ScratchStore()
    {
        prepareStoreFolder(folder.path());
        db = Catalogue::openStore(folder.path());
    }
    QString path() const { return folder.filePath(Catalogue::StoreFileName); }
};

// How many rows of the table (under an optional "WHERE …") the store at
// path holds, counted through a connection of its own: only what reached the
// disk, or the server, counts. -1 when the store cannot be read.
int rowsOnDisk(const QString& path, const QString& table, const QString& where = {});

// Pins the locale the tests expect, whatever the machine is set to.
void useTurkishLocale();

// The same texts in plain code-point order: for comparing which names a
// list holds, whatever order it shows them in.
QStringList sortedCopy(QStringList texts);

// The values of one field over every row of the dataset, in order.
QStringList valuesOf(Dataset& rows, const QString& field);

// The message of the data-layer error the action raises, or "<no error>".
QString messageOf(const std::function<void()>& action);

// A fingerprint of the file's bytes (empty when it cannot be read): tells
// whether a write reached the file itself.
QByteArray fileHash(const QString& path);

// Shows the window and makes it the active one, as a click on it would;
// false when the window system did not activate it in time.
bool activate(QWidget* window);

// Input as a clerk gives it.
// Moves the focus to the control as Tab or Enter would, then lets it settle.
bool focusOn(QWidget* control);
// True while the control, or a part of it, holds the keyboard focus.
bool holdsFocus(QWidget* control);
// Types into whatever has the focus, one key at a time as the keyboard
// delivers it: any character, Turkish letters included (QTest's own helper
// takes only Latin-1).
void type(const QString& text);
// The same, straight into one widget, wherever the focus is.
void typeText(QWidget* widget, const QString& text);
// focusOn(control), then type(text).
void typeInto(QWidget* control, const QString& text);
// A press and release in the middle of the widget.
void clickCentre(QWidget* widget, Qt::MouseButton button = Qt::LeftButton);

// Runs the action, closing the first modal window it opens (a report's
// preview, a dialog) as soon as it shows; returns that window's title, or a
// null string when none opened.
QString closeModalOpenedBy(const std::function<void()>& action);

// A plain window standing in as the screen `name` (one that comes later), so
// that what shows it by name can be followed.
ScreenMaker standInScreen(const QString& name);
