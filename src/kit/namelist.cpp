#include "kit/namelist.h"

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

#include <QHeaderView>
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
    m_query = new Query(screens.database(), this);
    m_query->setObjectName(QStringLiteral("Query1"));
    m_query->setStatement(wholeRegister(plan));
    m_query->open();

    ScreenKit kit(this);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("Edit1"));
    m_search->setAccessibleName(plan.searchCaption.isEmpty() ? plan.nameField : plan.searchCaption);
    m_search->setGeometry(plan.searchRect);
    if (!plan.searchCaption.isEmpty())
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
    m_grid->setDataset(m_query, columns);
    for (int column = 0; column < plan.columnWidths.size(); ++column)
        m_grid->setColumnWidth(column, plan.columnWidths.at(column));
    m_grid->horizontalHeader()->setStretchLastSection(true);
    GridOpensRecord::install(m_grid, screens, plan.entryScreen, plan.keyField);
    if (plan.refreshOnActivate)
        RefreshOnActivate::install(this, m_query);

    m_find = kit.action(QStringLiteral("LabelBul"), QStringLiteral("Bul"), plan.findFrame);
    connect(m_find, &PressButton::activated, this, &NameList::find);
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
        m_query->close();
        m_query->setStatement(statement);
        m_query->open();
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
}
