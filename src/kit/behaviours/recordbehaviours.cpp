#include "kit/behaviours/recordbehaviours.h"

#include "kit/behaviours/activationwatch.h"
#include "kit/screens.h"
#include "platform/controls/dbedit.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "platform/system/clock.h"
#include "platform/system/localeformats.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>

namespace GridOpensRecord {

void open(Dataset& rows, const Screens& screens, const QString& entryScreen, const QString& keyField)
{
    if (!screens.show(entryScreen) || keyField.isEmpty())
        return;
    auto* owner = dynamic_cast<CursorOwner*>(screens.find(entryScreen));
    Table* cursor = owner ? owner->cursor() : nullptr;
    if (!cursor)
        return;
    try {
        const qint64 key = rows.isActive() && !rows.isEmpty() ? rows.integer(keyField) : 0;
        cursor->locate(keyField, key);
    } catch (const DataError& error) {
        reportDataError(screens.find(entryScreen), error.message());
    }
}

namespace {

// Enter on the grid's row opens it as a double-click does (a cell being
// edited takes its own Enter).
class OpenOnEnter final : public QObject {
public:
    OpenOnEnter(DbGrid* grid, std::function<void()> openRow) : QObject(grid), m_openRow(std::move(openRow)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        m_openRow();
        return true;
    }

private:
    std::function<void()> m_openRow;
};

} // namespace

void install(DbGrid* grid, const Screens& screens, const QString& entryScreen, const QString& keyField)
{
    auto openRow = [grid, &screens, entryScreen, keyField] {
        if (grid->dataset())
            open(*grid->dataset(), screens, entryScreen, keyField);
    };
    QObject::connect(grid, &DbGrid::recordDoubleClicked, grid, openRow);
    grid->installEventFilter(new OpenOnEnter(grid, openRow));
}

} // namespace GridOpensRecord

namespace SaveAfterPost {

void install(Table* table)
{
    // A delete is written through just as a post is.
    const auto writeThrough = [table] { table->database().checkpoint(); };
    QObject::connect(table, &Dataset::afterPost, table, writeThrough);
    QObject::connect(table, &Dataset::afterDelete, table, writeThrough);
}

} // namespace SaveAfterPost

namespace RefreshOnActivate {

void install(QWidget* screen, Dataset* dataset, std::function<void(const QString&)> onFailure)
{
    ActivationWatch::watch(screen, dataset, [screen, dataset, onFailure] {
        try {
            dataset->refresh();
        } catch (const DataError& error) {
            if (onFailure)
                onFailure(error.message());
            else
                reportDataError(screen, error.message());
        }
    });
}

} // namespace RefreshOnActivate

namespace CurrentWhenShown {

namespace {

void rerun(QWidget* screen, Dataset* dataset)
{
    if (!dataset->isActive() || dataset->isEditing())
        return;
    try {
        dataset->refresh();
    } catch (const DataError& error) {
        reportDataError(screen, error.message());
    }
}

class OnShow : public QObject {
public:
    OnShow(QWidget* screen, Dataset* dataset) : QObject(dataset), m_screen(screen), m_dataset(dataset)
    {
        screen->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Shown by the program (not restored from minimised by the system).
        if (watched == m_screen && event->type() == QEvent::Show && !event->spontaneous())
            rerun(m_screen, m_dataset);
        return false;
    }

private:
    QWidget* m_screen;
    Dataset* m_dataset;
};

} // namespace

void install(QWidget* screen, Dataset* dataset)
{
    new OnShow(screen, dataset);
    ActivationWatch::watch(screen, dataset, [screen, dataset] { rerun(screen, dataset); });
}

} // namespace CurrentWhenShown

namespace TodayOnEnter {

namespace {

class Stamp : public QObject {
public:
    explicit Stamp(DbEdit* edit) : QObject(edit), m_edit(edit) { edit->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Only the clerk entering the field stamps it: coming back from another
        // window, or from a context menu, finds the caret there but must leave
        // an old record's date alone.
        if (watched == m_edit && event->type() == QEvent::FocusIn
            && FieldLink::isEntering(static_cast<QFocusEvent*>(event)->reason()))
            m_edit->setTypedText(LocaleFormats::shortDate(systemClock().now().date()));
        return false;
    }

private:
    DbEdit* m_edit;
};

} // namespace

void install(DbEdit* edit)
{
    new Stamp(edit);
}

} // namespace TodayOnEnter
