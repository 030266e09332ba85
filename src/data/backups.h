#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

class Database;

// The store's backups: a checked copy made at each start into the "yedek"
// folder beside the store, the newest seven kept; and bringing one back.
namespace Backups {

inline const QString FolderName = QStringLiteral("yedek");
constexpr int Kept = 7;

// Copies the open store into the backup folder beside it, checks the copy and
// drops the oldest beyond Kept. Returns the new backup's path. Throws
// DamagedStoreError when the copy shows the store damaged (no backup is
// kept then), DataError for any other failure.
QString makeAtStart(Database& store, const QDateTime& now);

// The backups beside the store in storeFolder, newest first.
QStringList available(const QString& storeFolder);
// The newest backup that passes the consistency check, or empty.
QString newestGood(const QString& storeFolder);

// Brings backup back as the store of storeFolder (which no program may have
// open). The current store is kept aside, renamed, never deleted. Returns
// where it was put (empty when there was none). Throws DataError.
QString restore(const QString& storeFolder, const QString& backup, const QDateTime& now);

// Start-up: opens the store of folder and makes the day's backup, which also
// checks every page. A damaged store is not written to: the clerk is told and
// offered the newest good backup (confirmer()); when they accept, it is
// restored and opened, the damaged file kept aside. A backup that cannot be
// made for any other reason is reported (errorReporter()) and the program
// goes on. Throws DataError when there is no usable store.
std::unique_ptr<Database> openAtStart(const QString& folder, const QDateTime& now);

} // namespace Backups
