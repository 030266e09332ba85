#pragma once

#include "platform/engine/schema.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The program writes its statements once, in the embedded store's SQL; the
// server store runs them through this translation (made once per statement
// text, as statements are prepared once):
//   ?                      $1, $2, … in order
//   "Field"                "field": the server keeps names in lower case, as
//                          it folds unquoted ones
//   rowid                  the table's key field, or its own rowid column
//                          when it has no key field
//   a LIKE b [ESCAPE e]    trkey(a) LIKE trkey(b) ESCAPE e (or ESCAPE ''):
//                          Turkish-folded and without marks, as the embedded
//                          store's LIKE compares, and no escape unless asked
//   INDEXED BY name        dropped: the server's planner picks its index
//   INSERT …               … RETURNING the new row's key
// String literals are left as they stand.
namespace ServerSql {

struct Translated {
    QByteArray text;
    int parameters = 0;
    bool returnsKey = false; // an INSERT that returns its key as its one row
    // A LIKE against a bound pattern is planned with the pattern at every
    // run: only then does the server see that 'kad%' is a prefix its folded
    // name index can seek, where a plan made once must read every row.
    bool plannedEachRun = false;
};

Translated translate(const QString& sql, const QVector<TableSchema>& catalogue);

// The name the server gives a field or table: ASCII letters lowered.
QString serverName(const QString& name);

// The column that keys rows of this table on the server.
QString keyColumn(const TableSchema& table);

} // namespace ServerSql
