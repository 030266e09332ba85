#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <future>
#include <memory>

class Database;

// The store's backups: a checked copy made at each start into the "yedek"
// folder beside the store, the newest seven kept; and bringing one back.
namespace Backups {

inline const QString FolderName = QStringLiteral("yedek");
constexpr int Kept = 7;

// Copies the store file at storePath into the backup folder beside it,
// checks the copy and drops the oldest beyond Kept. Returns the new backup's
// path. Safe on another thread: it reads the store through a connection of
// its own. Throws DamagedStoreError when the copy shows the store damaged (no
// backup is kept then), DataError for any other failure.
QString make(const QString& storePath, const QDateTime& now);

// The backups beside the store in storeFolder, newest first.
QStringList available(const QString& storeFolder);
// The newest backup that passes the consistency check, or empty.
QString newestGood(const QString& storeFolder);
// How a backup is offered to the clerk: "09.12.2026 08:30:00 (12,4 MB)".
QString describe(const QString& backup);

// Brings backup back as the store of storeFolder (which no program may have
// open). The current store is kept aside, renamed, never deleted. Returns
// where it was put (empty when there was none). Throws DataError.
QString restore(const QString& storeFolder, const QString& backup, const QDateTime& now);

// What the start-up check found, once the day's backup is made.
struct CheckOutcome {
    QString damage;  // the store is damaged: what the check found; empty when sound
    QString failure; // no backup could be made, and why; empty when one was
};

struct Start {
    std::unique_ptr<Database> store;
    std::shared_future<CheckOutcome> outcome;
};

// Start-up. Opens the store of folder at once and makes the day's backup on
// a worker thread; checking the copy, which reads every page, is the store's
// damage check, so start-up does not wait for it. Until its verdict the
// store's writes wait, and a damaged store takes none. A store too damaged to
// open at all is offered the newest good backup on the spot (confirmer()).
// Throws DataError when there is no usable store.
Start openAtStart(const QString& folder, const QDateTime& now);

// Tells the clerk the store is damaged and offers backup in its place
// (confirmer()); true when they accept.
bool offerRestore(const QString& backup, const QString& damage);
// Added to the damage message when no backup could take the store's place.
inline const QString NoGoodBackup = QStringLiteral(" Sağlam bir yedek bulunamadı.");

} // namespace Backups
