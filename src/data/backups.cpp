#include "data/backups.h"

#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/system/confirmer.h"
#include "platform/system/errorreporter.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace Backups {

namespace {

QString stamp(const QDateTime& now)
{
    return QLocale::c().toString(now, QStringLiteral("yyyyMMdd-HHmmss"));
}

QDir folderBeside(const QString& storeFolder)
{
    return QDir(QDir(storeFolder).filePath(FolderName));
}

} // namespace

QString make(const QString& storePath, const QDateTime& now)
{
    const QString storeFolder = QFileInfo(storePath).absolutePath();
    QDir folder = folderBeside(storeFolder);
    if (!folder.exists() && !QDir(storeFolder).mkdir(FolderName))
        throw DataError(QStringLiteral("Yedek klasörü '%1' oluşturulamadı.").arg(folder.path()));
    // Names sort in time order; a second start within the same second
    // replaces that second's copy.
    const QString target = folder.filePath(QStringLiteral("evlora-%1.sqlite").arg(stamp(now)));
    Database::backupFile(storePath, target);
    const QStringList all = available(storeFolder);
    for (int i = Kept; i < all.size(); ++i)
        QFile::remove(all.at(i));
    return target;
}

QStringList available(const QString& storeFolder)
{
    const QDir folder = folderBeside(storeFolder);
    QStringList paths;
    const QStringList names =
        folder.entryList({QStringLiteral("evlora-*.sqlite")}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString& name : names)
        paths << folder.filePath(name);
    return paths;
}

QString newestGood(const QString& storeFolder)
{
    for (const QString& path : available(storeFolder))
        if (Database::consistencyOf(path) == QLatin1String("ok"))
            return path;
    return {};
}

QString restore(const QString& storeFolder, const QString& backup, const QDateTime& now)
{
    const QDir folder(storeFolder);
    const QString store = folder.filePath(Catalogue::StoreFileName);
    QString aside;
    if (QFile::exists(store)) {
        aside = folder.filePath(QStringLiteral("evlora-kenara-%1.sqlite").arg(stamp(now)));
        if (!QFile::rename(store, aside))
            throw DataError(QStringLiteral("'%1' kenara alınamadı; yedek geri yüklenmedi.").arg(store));
        // The log and index of the old store belong with it.
        for (const char* suffix : {"-wal", "-shm"})
            if (QFile::exists(store + QLatin1String(suffix)))
                QFile::rename(store + QLatin1String(suffix), aside + QLatin1String(suffix));
    }
    if (!QFile::copy(backup, store)) {
        if (!aside.isEmpty())
            QFile::rename(aside, store);
        throw DataError(QStringLiteral("'%1' geri yüklenemedi.").arg(backup));
    }
    QFile::setPermissions(store, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    return aside;
}

QString describe(const QString& backup)
{
    const QFileInfo file(backup);
    const QDateTime made = QLocale::c().toDateTime(file.completeBaseName().section(QLatin1Char('-'), 1),
                                                   QStringLiteral("yyyyMMdd-HHmmss"));
    const QString when = made.isValid() ? QLocale().toString(made, QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                                        : file.fileName();
    return QStringLiteral("%1 (%2)").arg(when, QLocale().formattedDataSize(file.size()));
}

namespace {

CheckOutcome backUpAndCheck(const QString& storePath, const QDateTime& now)
{
    CheckOutcome outcome;
    try {
        make(storePath, now);
    } catch (const DamagedStoreError& error) {
        outcome.damage = error.message();
    } catch (const DataError& error) {
        // No copy was checked, so the store is checked where it lies.
        outcome.failure = error.message();
        const QString verdict = Database::consistencyOf(storePath);
        if (verdict != QLatin1String("ok"))
            outcome.damage = Database::damagedMessage(storePath, verdict);
    }
    return outcome;
}

} // namespace

Start openAtStart(const QString& folder, const QDateTime& now)
{
    QString damage;
    try {
        Start start;
        start.store = Catalogue::openStore(folder, Database::ConsistencyCheck::ByCaller);
        // The store's connection stays on this thread; the backup reads
        // through its own.
        start.outcome = std::async(std::launch::async, backUpAndCheck, start.store->path(), now).share();
        std::shared_future<CheckOutcome> outcome = start.outcome;
        start.store->holdWritesUntil(std::async(std::launch::deferred, [outcome] {
                                         return outcome.get().damage;
                                     }).share());
        return start;
    } catch (const DamagedStoreError& error) {
        damage = error.message(); // the store is closed by now
    }
    const QString backup = newestGood(folder);
    if (backup.isEmpty())
        throw DataError(damage + NoGoodBackup);
    if (!offerRestore(backup, damage))
        throw DataError(damage);
    restore(folder, backup, now);
    Start start;
    start.store = Catalogue::openStore(folder);
    std::promise<CheckOutcome> sound; // the backup just brought back was checked
    sound.set_value({});
    start.outcome = sound.get_future().share();
    return start;
}

bool offerRestore(const QString& backup, const QString& damage)
{
    return confirmer().confirm(nullptr,
                               damage
                                   + QStringLiteral("\n\nGeri yüklenecek en yeni sağlam yedek: %1.\nGeri yüklensin "
                                                    "mi? Bozuk dosya silinmez, aynı klasörde kenara alınır.")
                                         .arg(describe(backup)));
}

} // namespace Backups
