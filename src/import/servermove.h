#pragma once

#include <QString>

class Database;

// Bringing an agency onto a server: the schema created on an empty database
// and every row of the local store moved in, in one transaction, keys kept.
namespace ServerMove {

// Returns how many rows moved. Throws DataError; then nothing was created.
qint64 moveStore(Database& local, const QString& connection);

} // namespace ServerMove
