#pragma once

// A small register built for each search test, the screens over it, and a
// stand-in entry screen for the grids to open records in.

#include "kit/behaviours/pressbutton.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/sqliteengine.h"
#include "kit/screens.h"
#include "platform/controls/dbgrid.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "search/searchscreen.h"
#include "search/searchscreens.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QWidget>
#include <functional>
#include <sqlite3.h>

namespace searchtest {

// The search tests' names for the shared fakes.
using Messages = CollectingReporter;
using Beeps = CountingBeeper;

// An entry screen reduced to its cursor: where a grid double-click lands.
class StandInEntry : public QWidget, public CursorOwner {
public:
    StandInEntry(Screens& screens, const QString& name, const QString& table)
    {
        setObjectName(name);
        m_table = new Table(screens.database(), table, this);
        m_table->open();
    }
    Table* cursor() const override { return m_table; }

private:
    Table* m_table;
};

inline ScreenMaker standInEntry(const QString& name, const QString& table)
{
    return {name, [name, table](Screens& s) { return new StandInEntry(s, name, table); }};
}

// Writes one row straight into the store; columns by name.
inline void insertRow(Database& db, const QString& table, const QVariantMap& values)
{
    QStringList names, marks;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        names << Database::quoted(it.key());
        marks << QStringLiteral("?");
    }
    try {
        db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                   values.values());
    } catch (const DataError& error) {
        qFatal("insert into %s: %s", qPrintable(table), qPrintable(error.message()));
    }
}

inline void addDistrict(Database& db, const QString& name)
{
    int present = 0;
    db.select(QStringLiteral("SELECT count(*) FROM semtler WHERE Semtler = ?"), {name},
              [&](const SqlStatement& row) { present = int(row.integer(0)); });
    if (present == 0)
        insertRow(db, QStringLiteral("semtler"), {{QStringLiteral("Semtler"), name}});
}

// The values of one field over every row of the result, in order; nothing
// when the query is closed.
inline QStringList column(Query* query, const QString& field = QStringLiteral("Isim"))
{
    return query->isActive() ? valuesOf(*query, field) : QStringList();
}

// "Bul" with an option chosen, as the user does it: select, press, release.
inline QStringList search(SearchScreen* screen, int option)
{
    screen->selectOption(option);
    QTest::mouseClick(screen->findAction(), Qt::LeftButton);
    return column(screen->query());
}

inline void doubleClickRow(DbGrid* grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// The controls that Tab visits, in order, starting from `first`.
inline QList<QWidget*> tabChain(QWidget* first, int count)
{
    QList<QWidget*> chain{first};
    QWidget* w = first;
    while (chain.size() < count) {
        w = w->nextInFocusChain();
        if (w == first)
            break;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->isHidden() && !w->focusProxy()
            && w->window() == first->window())
            chain << w;
    }
    return chain;
}

// The SQL of every statement work runs on the store, in order (a statement
// stepped again from its start counts again).
inline QStringList statementsRunBy(Database& db, const std::function<void()>& work)
{
    QStringList ran;
    sqlite3_trace_v2(
        db.sqlite()->handle(), SQLITE_TRACE_STMT,
        [](unsigned, void* into, void* statement, void*) {
            static_cast<QStringList*>(into)->append(QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(statement))));
            return 0;
        },
        &ran);
    work();
    sqlite3_trace_v2(db.sqlite()->handle(), 0, nullptr, nullptr);
    return ran;
}

// The steps of SQLite's plan for a statement that sort or read a whole table:
// none for a statement that reads in key order through an index.
inline QStringList slowPlanSteps(Database& db, const QString& sql, const QString& table)
{
    QStringList slow;
    SqlStatement plan(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    while (plan.step()) {
        const QString step = plan.text(3);
        if (step.contains(QStringLiteral("TEMP B-TREE")) || step.startsWith(QStringLiteral("SCAN ") + table))
            slow << step;
    }
    return slow;
}

// A search's first page, read once: the statements it runs, none sorting the
// result or reading the whole table.
inline void checkReadsOnceInKeyOrder(Database& db, const QString& table, const std::function<void()>& search)
{
    if (!db.sqlite()) { // the plans are the embedded store's; a server plans its own
        search();
        return;
    }
    QStringList ran = statementsRunBy(db, search);
    // The grid's first page is read once, and the first record taken from it.
    const QString from = QStringLiteral("FROM \"%1\"").arg(table);
    QCOMPARE(ran.filter(from).filter(QStringLiteral("LIMIT ? OFFSET ?")).size(), 1);
    ran.removeDuplicates();
    for (const QString& sql : std::as_const(ran))
        if (sql.startsWith(QStringLiteral("SELECT")))
            QVERIFY2(slowPlanSteps(db, sql, table).isEmpty(),
                     qPrintable(sql + QStringLiteral(" -> ") + slowPlanSteps(db, sql, table).join(QStringLiteral("; "))));
}

} // namespace searchtest
