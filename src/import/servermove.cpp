#include "import/servermove.h"

#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/postgresengine.h"

namespace ServerMove {

qint64 moveStore(Database& local, const QString& connection, bool replacing)
{
    qint64 moved = 0;
    PostgresEngine::createSchema(
        connection, Catalogue::tables(),
        [&](const TableSchema& table, const std::function<void(const QVariantList&)>& write) {
            // A table without a key field keeps its rowid: its rows stay in their order.
            const int first = table.keyIndex() < 0 ? 0 : 1;
            local.select(QStringLiteral("SELECT rowid,%1 FROM %2 ORDER BY rowid")
                             .arg(local.columnList(table), Database::quoted(table.name)),
                         {}, [&](const SqlStatement& row) {
                             QVariantList values;
                             for (int c = first; c < row.columnCount(); ++c)
                                 values << row.value(c);
                             write(values);
                             ++moved;
                         });
        },
        Catalogue::addedTables(), replacing);
    return moved;
}

} // namespace ServerMove
