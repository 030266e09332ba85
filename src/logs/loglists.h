#pragma once

#include "kit/namelist.h"
#include "kit/screens.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the four lists beside the closed-deal and shown-property entry screens
// do differently. Each lists its register by person name in a two-column grid
// and opens the entry screen on the record double-clicked.
struct LogListTwin {
    QString programName;       // object name, e.g. "SoldFlatList"
    QString caption;           // window title
    QString table;             // the register, as statements name it
    QString nameField;         // searched by the start of the name
    QStringList gridFields;    // the grid's two columns
    QString entryScreen;       // shown by a double-click
    QString keyField;          // located there; empty: only shown
    bool refreshOnActivate;    // re-read each time the list is entered
    bool showsEntryCursor;     // the grid is the entry screen's own cursor, names looked up while typed

    NameListPlan plan() const;
};

namespace LogListTwins {
// The four twins, in start-up order.
const QList<LogListTwin>& all();
} // namespace LogListTwins

// The closed-deal and shown-property screens: four entry screens and their lists.
ScreenMakers logScreens();
