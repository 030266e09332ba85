#include "kit/namelist.h"

#include "kit/behaviours/keyboardaccess.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/recordbehaviours.h"
#include "kit/screenkit.h"
#include "kit/screens.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"
#include "platform/engine/statement.h"
#include "platform/engine/table.h"

#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Statement NameList::nameSearch(const NameListPlan& plan, const QString& typed)
{
    const QString name = Database::quoted(plan.nameField);
    return Statement(plan.table)
        .where(name + QStringLiteral(" LIKE ?"), {typed + QLatin1Char('%')})
        .where(name + QStringLiteral(" <> ''"));
}

Statement NameList::wholeRegister(const NameListPlan& plan)
{
    return Statement(plan.table);
}

NameList::NameList(Screens& screens, const NameListPlan& plan) : Screen(plan.window), m_plan(plan)
{
    if (plan.gridOverEntryCursor) {
        if (auto* owner = dynamic_cast<CursorOwner*>(screens.find(plan.entryScreen)))
            m_cursor = owner->cursor();
        Q_ASSERT_X(m_cursor, "NameList", "the entry screen is made first");
    }
    if (m_cursor) {
        m_rows = m_cursor;
    } else {
        m_query = new Query(screens.database(), this);
        m_query->setObjectName(QStringLiteral("Query1"));
        m_query->setStatement(wholeRegister(plan));
        m_query->open();
        m_rows = m_query;
    }

    ScreenKit kit(this);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("Edit1"));
    m_search->setAccessibleName(plan.searchCaption.isEmpty() ? plan.nameField : plan.searchCaption);
    m_search->setGeometry(plan.searchRect);
    if (!plan.searchCaption.isEmpty() && !plan.searchCaptionRect.isEmpty())
        kit.caption(plan.searchCaption, plan.searchCaptionRect)->setBuddy(m_search);

    m_showAll = new QPushButton(QStringLiteral("Tümü"), this);
    m_showAll->setObjectName(QStringLiteral("ButtonTumu"));
    m_showAll->setAccessibleName(QStringLiteral("Tümü"));
    m_showAll->setGeometry(plan.showAllRect);
    connect(m_showAll, &QPushButton::clicked, this, &NameList::showAll);

    m_grid = new DbGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(plan.window.caption);
    m_grid->setGeometry(plan.gridRect);
    // Below the last row the grid shows the window colour: the screen's light body
    // rather than the program's dark blue.
    QPalette gridColours = m_grid->palette();
    gridColours.setColor(QPalette::Window, ScreenKit::bodyColour());
    m_grid->setPalette(gridColours);
    QList<DatasetModel::Column> columns;
    for (const QString& field : plan.gridFields)
        columns << DatasetModel::Column{field, field};
    m_grid->setDataset(m_rows, columns);
    m_grid->setEditable(m_cursor != nullptr);
    for (int column = 0; column < plan.columnWidths.size(); ++column)
        m_grid->setColumnWidth(column, plan.columnWidths.at(column));
    m_grid->horizontalHeader()->setStretchLastSection(true);
    GridOpensRecord::install(m_grid, screens, plan.entryScreen, plan.keyField);
    if (plan.refreshOnActivate)
        RefreshOnActivate::install(this, m_rows);
    else if (m_query)
        CurrentWhenShown::install(this, m_query);
    if (plan.lookUpWhileTyping)
        connect(m_search, &QLineEdit::textChanged, this, &NameList::lookUp);

    m_find = kit.action(QStringLiteral("LabelBul"), QStringLiteral("Bul"), plan.findFrame);
    connect(m_find, &PressButton::activated, this, &NameList::find);
    KeyboardAccess::searchOnEnter({m_search}, m_find);
    m_exit = kit.exitAction(plan.exitFrame);
}

void NameList::find()
{
    run(nameSearch(m_plan, m_search->text()));
}

void NameList::showAll()
{
    run(wholeRegister(m_plan));
}

void NameList::run(const Statement& statement)
{
    try {
        if (m_cursor) {
            // The entry screen keeps its record where it is among the rows.
            m_cursor->setRowFilter(statement);
            return;
        }
        m_query->close();
        m_query->setStatement(statement);
        m_query->open();
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
}

void NameList::lookUp(const QString& typed)
{
    // An emptied edit names no one: the record stays where it is.
    if (typed.isEmpty() || !m_rows)
        return;
    try {
        m_rows->locateFolded(m_plan.nameField, typed);
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
}

void NameList::hideEvent(QHideEvent* event)
{
    Screen::hideEvent(event);
    // Narrowing the entry screen's cursor lasts while the list is open: once
    // it is closed, the entry screen walks through every record again.
    if (event->spontaneous() || !m_cursor || !m_cursor->isFiltered())
        return;
    try {
        m_cursor->setRowFilter(wholeRegister(m_plan));
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
}
