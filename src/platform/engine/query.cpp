#include "platform/engine/query.h"

#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"

Query::Query(Database& database, QObject* parent) : Dataset(database, parent) {}

void Query::setStatement(const Statement& statement)
{
    if (isActive())
        throw DataError(QStringLiteral("Cannot perform this operation on an open dataset"));
    const TableSchema* table = statement.table().isEmpty() ? nullptr : &database().table(statement.table());
    Statement resolved = statement;
    setSource(table, resolved);
}

void Query::open()
{
    if (isActive())
        return;
    if (source().isFailed())
        throw DataError(source().failure());
    Dataset::open();
}
