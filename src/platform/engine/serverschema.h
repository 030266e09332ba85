#pragma once

#include "platform/engine/schema.h"

#include <QString>
#include <QVector>
#include <functional>

struct pg_conn;

// The catalogue's tables as the server holds them: the same fields, types and
// sizes as the embedded store (text in code-point order, currency exact to
// four decimals, keys as identity columns that an import may set), a rowid
// column for tables without a key field, and the server-side functions the
// program's statements call: trfold(x) and trkey(x), the Turkish folding of
// look-ups and searches, and asnumber(x), a land area read as a number.
namespace ServerSchema {

// The layout version stored in the database; 0 when it holds no Evlora schema.
int storedVersion(pg_conn* connection);

// Throws DataError naming the first missing table or field, or a field of
// another kind.
void validate(pg_conn* connection, const QVector<TableSchema>& catalogue);

// What create() does with a database that already holds one of the tables:
// refuses it, or drops this program's tables and functions there first, in
// the same transaction.
enum class Existing { Refuse, Replace };

// Creates everything in one transaction, or nothing. Refuses a database that
// already holds one of the tables, unless told to replace them. Without rows, the tables get their shipped
// rows; with rows, rows(table, write) calls write once per row it moves in
// (values in the table's field order, after the rowid of a table without a
// key field) and the keys continue after the highest moved.
using RowWriter = std::function<void(const QVariantList& values)>;
using RowSource = std::function<void(const TableSchema& table, const RowWriter& write)>;
// The added tables are made beside the catalogue's (and moved too, with
// rows); replacing drops them too.
void create(pg_conn* connection, const QVector<TableSchema>& catalogue, int version, const RowSource& rows = {},
            const QVector<TableSchema>& added = {}, Existing existing = Existing::Refuse);

// Sets the table's numbering to go on after its highest key (or rowid).
QString keysContinue(const TableSchema& table);

// The statements create() runs, in order: for reading and for tests.
QStringList creationStatements(const QVector<TableSchema>& catalogue, int version,
                               const QVector<TableSchema>& added = {});

// Brings a schema of an older version up to this one: the added tables it
// lacks are made (with the triggers deleting their owned rows) and its
// version raised, in one transaction; desks opening at once do it once.
// Throws DataError when an added table that is there is not whole.
void addMissing(pg_conn* connection, const QVector<TableSchema>& catalogue, const QVector<TableSchema>& added,
                int version);

} // namespace ServerSchema
