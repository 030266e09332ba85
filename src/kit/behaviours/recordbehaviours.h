#pragma once

#include <QString>
#include <functional>

class Dataset;
class DbEdit;
class DbGrid;
class Screens;
class Table;
class QWidget;

// The shared behaviours that work on a screen's datasets.

// A double-click on a result grid shows the entry screen `entryScreen` and
// moves its cursor to the record whose `keyField` equals the key of the
// grid's current row (exact). No such record, or an empty grid: the entry
// screen stays on its record. An empty keyField only shows the screen.
// Enter on the grid opens the row as the double-click does.
namespace GridOpensRecord {
void install(DbGrid* grid, const Screens& screens, const QString& entryScreen, const QString& keyField);
void open(Dataset& rows, const Screens& screens, const QString& entryScreen, const QString& keyField);
} // namespace GridOpensRecord

// After every post and every delete on the table, the change is also copied
// from the log into the store file at once (the commit itself is already
// durable).
namespace SaveAfterPost {
void install(Table* table);
}

// Each time the screen becomes the program's active window, its dataset is
// re-read; a pending edit is posted when changed and cancelled when not. A
// failure is reported (by default) and the dataset stays in edit state.
namespace RefreshOnActivate {
void install(QWidget* screen, Dataset* dataset, std::function<void(const QString&)> onFailure = {});
}

// A list is current whenever the user looks at it: each time the screen is
// shown or becomes the program's active window, the dataset re-runs the
// statement it holds, so rows entered on other screens since are there. The
// statement (and so the criteria it was built from) stays; the current row
// stays on its key while that row is still in the result. A closed dataset (a
// search the store refused) and one being edited are left as they are. A
// failure is reported.
namespace CurrentWhenShown {
void install(QWidget* screen, Dataset* dataset);
}

// Each time the registration-date edit receives the focus, the table is put
// into edit state and the edit shows today's date in the short date format,
// replacing what it held; the record takes it when the edit is written.
namespace TodayOnEnter {
void install(DbEdit* edit);
}
