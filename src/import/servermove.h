#pragma once

#include <QString>

class Database;

// Bringing an agency onto a server: the schema created on an empty database
// and every row of the local store moved in, in one transaction, keys kept.
namespace ServerMove {

// Returns how many rows moved. Throws DataError; then nothing was created.
// Replacing drops the program's tables the database holds already, in the
// same transaction; otherwise such a database is refused.
qint64 moveStore(Database& local, const QString& connection, bool replacing = false);

} // namespace ServerMove
