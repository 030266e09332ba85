#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <future>
#include <memory>

class Database;

// The store's backups: a checked copy made at each start on which the store
// has changed, into the "yedek" folder beside the store; the stores a restore
// kept aside; and bringing either back.
namespace Backups {

inline const QString FolderName = QStringLiteral("yedek");
// What is kept: the newest copy of each of the last KeptDays days with a
// backup, and the last KeptStarts copies whatever their days.
constexpr int KeptDays = 7;
constexpr int KeptStarts = 3;

// Copies the store file at storePath into the backup folder beside it,
// checks the copy and drops the copies beyond what is kept (never the one
// just made). Returns the new backup's path. Safe on another thread: it
// reads the store through a connection of its own. Throws DamagedStoreError
// when the copy shows the store damaged (no backup is kept then), DataError
// for any other failure.
QString make(const QString& storePath, const QDateTime& now);
// The newest backup when the store at storePath has not changed since that
// backup was made from it (no copy is needed then), else empty.
QString unchangedSince(const QString& storePath);

// The backups beside the store in storeFolder, the last made first (their
// names carry the order they were made in, so a clock set back does not
// reorder them).
QStringList available(const QString& storeFolder);
// On a server store: the dumps of its database in storeFolder's backup
// folder, the last made first.
QStringList serverDumps(const QString& storeFolder);
// Dumps the server's database (pg_dump, custom format) into storeFolder's
// backup folder, reads the dump's table of contents back (pg_restore
// --list), and drops the dumps beyond what is kept, as for the file's
// copies. Returns the new dump's path; throws DataError, no dump kept.
QString dumpServer(const QString& storeFolder, const QString& connection, const QDateTime& now);

// The stores that restores put aside in storeFolder, newest first; on a
// server, the dumps of its state that restores made first, in the backup
// folder.
QStringList keptAside(const QString& storeFolder);
// The newest backup that passes the consistency check, or empty.
QString newestGood(const QString& storeFolder);
// How a backup is offered to the clerk: "09.12.2026 08:30:00 (12,4 MB)";
// a kept-aside store says so.
QString describe(const QString& backup);

// Every copy a clerk may bring back, as the restore list shows it: backups
// first (last made first), then the kept-aside stores. A copy that fails
// its check is listed but cannot be brought back.
struct Offer {
    QString path;
    QString label;
    bool sound = false;
};
QVector<Offer> offers(const QString& storeFolder);

// Brings a backup (or a kept-aside store) back as the store of storeFolder,
// which no program may have open. The copy is first written beside the
// store under a temporary name, synced and checked, and only then renamed
// over the store, so a crash at any moment leaves either store whole in
// place. The current store is kept aside, never deleted. Returns where it
// was put (empty when there was none). Throws DataError, the store left as it
// was.
// On a server the backup is a dump: the database's state is first dumped
// aside into the backup folder, then the dump is replayed in one
// transaction that replaces every table of the agency's schema, and every
// desk is told that every table changed. Other desks may stay open.
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

// Start-up. Removes what an interrupted backup or restore left, then opens
// the store of folder at once and makes the day's backup on a worker thread;
// checking the copy, which reads every page, is the store's damage check, so
// start-up does not wait for it. Until its verdict the store's writes wait,
// and a damaged store takes none. A store unchanged since its last backup is
// not copied again. A store too damaged to open at all is offered the newest
// good backup on the spot (confirmer()); a missing or empty store beside
// copies holding data is offered the newest sound one, or starting empty by
// an explicit choice. Throws DataError when there is no usable store.
Start openAtStart(const QString& folder, const QDateTime& now);

// Tells the clerk the store is damaged and offers backup in its place
// (confirmer()); true when they accept.
bool offerRestore(const QString& backup, const QString& damage);
// Added to the damage message when no backup could take the store's place.
inline const QString NoGoodBackup = QStringLiteral(" Sağlam bir yedek bulunamadı.");

} // namespace Backups
