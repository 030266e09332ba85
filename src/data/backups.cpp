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

QString makeAtStart(Database& store, const QDateTime& now)
{
    const QString storeFolder = QFileInfo(store.path()).absolutePath();
    QDir folder = folderBeside(storeFolder);
    if (!folder.exists() && !QDir(storeFolder).mkdir(FolderName))
        throw DataError(QStringLiteral("Yedek klasörü '%1' oluşturulamadı.").arg(folder.path()));
    // Names sort in time order; a second start within the same second
    // replaces that second's copy.
    const QString target = folder.filePath(QStringLiteral("evlora-%1.sqlite").arg(stamp(now)));
    store.backupTo(target);
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

std::unique_ptr<Database> openAtStart(const QString& folder, const QDateTime& now)
{
    QString damage;
    try {
        std::unique_ptr<Database> store = Catalogue::openStore(folder);
        try {
            makeAtStart(*store, now);
        } catch (const DamagedStoreError&) {
            throw;
        } catch (const DataError& error) {
            errorReporter().report(nullptr, error.message());
        }
        return store;
    } catch (const DamagedStoreError& error) {
        damage = error.message(); // the store is closed by now
    }
    const QString backup = newestGood(folder);
    if (backup.isEmpty())
        throw DataError(damage + QStringLiteral(" Sağlam bir yedek bulunamadı."));
    const QString question =
        damage + QStringLiteral("\n\nEn yeni sağlam yedek (%1) geri yüklensin mi? Bozuk dosya silinmez, aynı "
                                "klasörde kenara alınır.")
                     .arg(QFileInfo(backup).fileName());
    if (!confirmer().confirm(nullptr, question))
        throw DataError(damage);
    restore(folder, backup, now);
    return Catalogue::openStore(folder);
}

} // namespace Backups
