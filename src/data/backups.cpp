#include "data/backups.h"

#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/postgresengine.h"
#include "platform/engine/sqliteengine.h"
#include "platform/system/confirmer.h"

#include <QDir>
#include <QProcess>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <optional>
#include <utility>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Backups {

namespace {

const QString AsidePrefix = QStringLiteral("evlora-kenara-");
// Where a restore writes the copy before it takes the store's place.
const QString IncomingSuffix = QStringLiteral(".geliyor");
// What a copy is written as until it is whole and checked.
const QString PartialSuffix = QStringLiteral(".yaziliyor");
// The store as it was when the last backup was made from it.
const QString FingerprintName = QStringLiteral("son-yedek.txt");

QString stamp(const QDateTime& now)
{
    return QLocale::c().toString(now, QStringLiteral("yyyyMMdd-HHmmss"));
}

QDir folderBeside(const QString& storeFolder)
{
    return QDir(QDir(storeFolder).filePath(FolderName));
}

// "evlora-20261209-083000-12.sqlite" was the 12th backup made; names of
// the older form, without the number, count as made before any of those.
int sequenceOf(const QString& path)
{
    static const QRegularExpression numbered(QStringLiteral("^evlora-\\d{8}-\\d{6}-(\\d+)\\.(sqlite|dump)$"));
    const QRegularExpressionMatch match = numbered.match(QFileInfo(path).fileName());
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString stampOf(const QString& path)
{
    static const QRegularExpression when(QStringLiteral("(\\d{8}-\\d{6})"));
    return when.match(QFileInfo(path).fileName()).captured(1);
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// What changes whenever SQLite writes the file: its identity, size and time.
QString fingerprintOf(const QString& storePath)
{
    struct stat info {};
    if (::stat(QFile::encodeName(storePath).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1 %2 %3.%4")
        .arg(qulonglong(info.st_ino))
        .arg(qlonglong(info.st_size))
        .arg(qlonglong(info.st_mtim.tv_sec))
        .arg(qlonglong(info.st_mtim.tv_nsec));
}

void noteFingerprint(const QDir& folder, const QString& backup, const QString& fingerprint)
{
    QSaveFile note(folder.filePath(FingerprintName));
    if (note.open(QIODevice::WriteOnly)) {
        note.write((QFileInfo(backup).fileName() + QLatin1Char('\n') + fingerprint + QLatin1Char('\n')).toUtf8());
        note.commit(); // a note that did not reach the disk only costs a copy at the next start
    }
}

// Partial copies of a backup or restore that was interrupted; never a
// finished backup.
void removeLeftovers(const QString& storeFolder)
{
    const QDir store(storeFolder);
    for (const QString& name : store.entryList({Catalogue::StoreFileName + IncomingSuffix + QLatin1Char('*')},
                                               QDir::Files))
        QFile::remove(store.filePath(name));
    const QDir backups = folderBeside(storeFolder);
    for (const QString& name : backups.entryList({QLatin1Char('*') + PartialSuffix,
                                                  QLatin1Char('*') + PartialSuffix + QStringLiteral("-*")},
                                                 QDir::Files))
        QFile::remove(backups.filePath(name));
}

// The backups of one kind ("sqlite" copies of the file, "dump"s of a
// server's database) in storeFolder's backup folder, the last made first.
QStringList backupsOfKind(const QString& storeFolder, const QString& kind)
{
    const QDir folder = folderBeside(storeFolder);
    QStringList paths;
    for (const QString& name : folder.entryList({QStringLiteral("evlora-*.") + kind}, QDir::Files))
        if (!name.startsWith(AsidePrefix)) // a server's state kept aside by a restore is never pruned
            paths << folder.filePath(name);
    std::sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        const int made[2] = {sequenceOf(a), sequenceOf(b)};
        return made[0] != made[1] ? made[0] > made[1] : a > b;
    });
    return paths;
}

// Keeps the last KeptStarts copies, the newest copy of each of the last
// KeptDays days, and always the one just made.
void prune(const QString& storeFolder, const QString& justMade)
{
    QSet<QString> days;
    int index = 0;
    for (const QString& path : backupsOfKind(storeFolder, QFileInfo(justMade).suffix())) {
        const QString day = stampOf(path).left(8);
        const bool newestOfItsDay = !days.contains(day) && days.size() < KeptDays;
        days.insert(day);
        if (path != justMade && index >= KeptStarts && !newestOfItsDay)
            QFile::remove(path);
        ++index;
    }
}

// A name in folder not yet taken: "base.sqlite", else "base-2.sqlite", ...
QString freeName(const QDir& folder, const QString& base, const QString& suffix = QStringLiteral(".sqlite"))
{
    QString name = base + suffix;
    for (int n = 2; QFile::exists(folder.filePath(name)); ++n)
        name = QStringLiteral("%1-%2%3").arg(base).arg(n).arg(suffix);
    return folder.filePath(name);
}

// Keeps the store at path (and its log) under the name aside as well,
// without a moment in which neither name holds it.
void keepAside(const QString& path, const QString& aside)
{
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) != 0
        && !QFile::copy(path, aside))
        throw DataError(QStringLiteral("'%1' kenara alınamadı; yedek geri yüklenmedi, veri dosyanız olduğu gibi duruyor.")
                            .arg(path));
    const QString log = path + QStringLiteral("-wal");
    if (QFile::exists(log) && QFileInfo(log).size() > 0)
        if (::link(QFile::encodeName(log).constData(), QFile::encodeName(aside + QStringLiteral("-wal")).constData()) != 0)
            QFile::copy(log, aside + QStringLiteral("-wal"));
}

// Runs one of the server's own tools to its end; false with what it said
// (or why it did not start) in output.
bool runTool(const QString& tool, const QStringList& arguments, QString* output)
{
    QProcess process;
    process.start(tool, arguments);
    const bool ran = process.waitForStarted() && process.waitForFinished(-1)
                     && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    *output = QString::fromLocal8Bit(ran ? process.readAllStandardOutput() : process.readAllStandardError())
                  .simplified();
    if (!ran && output->isEmpty())
        *output = process.errorString();
    return ran;
}

// A dump is sound when the server's own reader lists its table of contents
// and the tables' rows are in it.
bool dumpIsSound(const QString& dump, QString* said)
{
    return runTool(QStringLiteral("pg_restore"), {QStringLiteral("--list"), dump}, said)
           && said->contains(QStringLiteral("TABLE DATA"));
}

// Dumps the server's database into target: written under a passing name,
// read back, synced, and only then given its name.
void dumpInto(const QString& target, const QString& connection)
{
    const QString partial = target + PartialSuffix;
    QString said;
    // The server's own tools: a consistent picture of the database even while
    // other desks write, then its table of contents read back.
    if (!runTool(QStringLiteral("pg_dump"), {QStringLiteral("--format=custom"), QStringLiteral("--file=") + partial,
                                             QStringLiteral("--dbname=") + connection},
                 &said)) {
        QFile::remove(partial);
        throw DataError(QStringLiteral("Sunucunun yedeği alınamadı (pg_dump: %1).").arg(said));
    }
    if (!dumpIsSound(partial, &said)) {
        QFile::remove(partial);
        throw DataError(QStringLiteral("Sunucunun yedeği denetimden geçmedi (pg_restore: %1).").arg(said));
    }
    QFile written(partial);
    const bool synced = written.open(QIODevice::ReadWrite) && ::fsync(written.handle()) == 0;
    written.close();
    if (!synced || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        throw DataError(QStringLiteral("Sunucunun yedeği '%1' diske yazılamadı.").arg(target));
    }
    syncFolder(QFileInfo(target).absolutePath());
}

QDir backupFolderMade(const QString& storeFolder)
{
    QDir folder = folderBeside(storeFolder);
    if (!folder.exists() && !QDir(storeFolder).mkdir(FolderName))
        throw DataError(QStringLiteral("Yedek klasörü '%1' oluşturulamadı.").arg(folder.path()));
    return folder;
}

// The text of a value inside the server's SQL, quotes doubled.
QString sqlLiteral(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

// Brings a dump back into the server's database in one transaction: every
// table and function of the agency's schema dropped (tables the dump does not
// know, too), the dump replayed, and every desk told that every table
// changed. A desk in the middle of a write is waited for only so long; any
// failure leaves the server as it was.
void replayIntoServer(const QString& connection, const QString& dump)
{
    QString said;
    if (!runTool(QStringLiteral("psql"), {QStringLiteral("--no-psqlrc"), QStringLiteral("--tuples-only"),
                                          QStringLiteral("--no-align"), QStringLiteral("--dbname=") + connection,
                                          QStringLiteral("--command=SELECT current_schema()")},
                 &said)
        || said.isEmpty())
        throw DataError(QStringLiteral("Sunucuya ulaşılamadı (psql: %1); yedek geri yüklenmedi.").arg(said));
    const QString schema = sqlLiteral(said);
    const QString clear =
        QStringLiteral("SET lock_timeout = '20s'; "
                       "DO $$ DECLARE r record; BEGIN "
                       "FOR r IN SELECT tablename FROM pg_tables WHERE schemaname = %1 LOOP "
                       "EXECUTE format('DROP TABLE IF EXISTS %I.%I CASCADE', %1, r.tablename); END LOOP; "
                       "FOR r IN SELECT p.oid::regprocedure AS f FROM pg_proc p JOIN pg_namespace n "
                       "ON n.oid = p.pronamespace WHERE n.nspname = %1 LOOP "
                       "EXECUTE 'DROP FUNCTION IF EXISTS ' || r.f || ' CASCADE'; END LOOP; END $$")
            .arg(schema);
    // Told at the commit, and only if there is one.
    const QString announce = QStringLiteral("SELECT pg_catalog.pg_notify('evlora_' || %1, tablename) "
                                            "FROM pg_catalog.pg_tables WHERE schemaname = %1")
                                 .arg(schema);
    QProcess reader;
    QProcess writer;
    reader.setStandardOutputProcess(&writer);
    reader.start(QStringLiteral("pg_restore"),
                 {QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"), QStringLiteral("--file=-"), dump});
    writer.start(QStringLiteral("psql"),
                 {QStringLiteral("--no-psqlrc"), QStringLiteral("--quiet"), QStringLiteral("--single-transaction"),
                  QStringLiteral("--set=ON_ERROR_STOP=1"), QStringLiteral("--dbname=") + connection,
                  QStringLiteral("--command=") + clear, QStringLiteral("--file=-"),
                  QStringLiteral("--command=") + announce});
    const bool written = writer.waitForStarted() && writer.waitForFinished(-1)
                         && writer.exitStatus() == QProcess::NormalExit && writer.exitCode() == 0;
    const bool read = reader.waitForFinished(-1) && reader.exitStatus() == QProcess::NormalExit
                      && reader.exitCode() == 0;
    if (written && read)
        return;
    QString why = QString::fromLocal8Bit(writer.readAllStandardError() + reader.readAllStandardError()).simplified();
    if (why.isEmpty())
        why = writer.error() == QProcess::FailedToStart ? writer.errorString() : reader.errorString();
    throw DataError(QStringLiteral("Yedek sunucuya geri yüklenemedi (%1). Sunucudaki veri olduğu gibi duruyor.").arg(why));
}

} // namespace

QString make(const QString& storePath, const QDateTime& now)
{
    const QString storeFolder = QFileInfo(storePath).absolutePath();
    const QDir folder = backupFolderMade(storeFolder);
    const QStringList earlier = available(storeFolder);
    const int sequence = (earlier.isEmpty() ? 0 : sequenceOf(earlier.first())) + 1;
    const QString target = folder.filePath(QStringLiteral("evlora-%1-%2.sqlite").arg(stamp(now)).arg(sequence));
    // Taken before the copy: writes wait for the copy, so this is the store it copies.
    const QString fingerprint = fingerprintOf(storePath);
    SqliteEngine::backupFile(storePath, target);
    syncFolder(folder.path());
    noteFingerprint(folder, target, fingerprint);
    prune(storeFolder, target);
    return target;
}

QString unchangedSince(const QString& storePath)
{
    const QString storeFolder = QFileInfo(storePath).absolutePath();
    const QDir folder = folderBeside(storeFolder);
    QFile note(folder.filePath(FingerprintName));
    if (!note.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(note.readAll()).split(QLatin1Char('\n'));
    const QStringList backups = available(storeFolder);
    // A log with records in it holds changes the file itself does not show.
    const QFileInfo log(storePath + QStringLiteral("-wal"));
    if (lines.size() < 2 || backups.isEmpty() || QFileInfo(backups.first()).fileName() != lines.at(0)
        || lines.at(1) != fingerprintOf(storePath) || (log.exists() && log.size() > 0))
        return {};
    return backups.first();
}

QStringList available(const QString& storeFolder)
{
    return backupsOfKind(storeFolder, QStringLiteral("sqlite"));
}

QStringList serverDumps(const QString& storeFolder)
{
    return backupsOfKind(storeFolder, QStringLiteral("dump"));
}

QString dumpServer(const QString& storeFolder, const QString& connection, const QDateTime& now)
{
    const QDir folder = backupFolderMade(storeFolder);
    const QStringList earlier = serverDumps(storeFolder);
    const int sequence = (earlier.isEmpty() ? 0 : sequenceOf(earlier.first())) + 1;
    const QString target = folder.filePath(QStringLiteral("evlora-%1-%2.dump").arg(stamp(now)).arg(sequence));
    dumpInto(target, connection);
    prune(storeFolder, target);
    return target;
}

QStringList keptAside(const QString& storeFolder)
{
    QStringList paths;
    // Stores beside the file; a server's states in the backup folder.
    for (const auto& [folder, kind] : {std::pair{QDir(storeFolder), QStringLiteral("*.sqlite")},
                                       std::pair{folderBeside(storeFolder), QStringLiteral("*.dump")}})
        for (const QString& name : folder.entryList({AsidePrefix + kind}, QDir::Files, QDir::Name | QDir::Reversed))
            paths << folder.filePath(name);
    return paths;
}

QString newestGood(const QString& storeFolder)
{
    for (const QString& path : available(storeFolder))
        if (SqliteEngine::consistencyOf(path) == QLatin1String("ok"))
            return path;
    return {};
}

QString describe(const QString& backup)
{
    const QFileInfo file(backup);
    const QDateTime made = QLocale::c().toDateTime(stampOf(backup), QStringLiteral("yyyyMMdd-HHmmss"));
    const QString when = made.isValid() ? QLocale().toString(made, QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                                        : file.fileName();
    const QString described = QStringLiteral("%1 (%2)").arg(when, QLocale().formattedDataSize(file.size()));
    if (!file.fileName().startsWith(AsidePrefix))
        return described;
    return (file.suffix() == QLatin1String("dump") ? QStringLiteral("Geri yüklemeden önce kenara alınmış hali, ")
                                                    : QStringLiteral("Kenara alınmış veri dosyası, "))
           + described;
}

QVector<Offer> offers(const QString& storeFolder)
{
    const bool onServer = PostgresEngine::settingIn(storeFolder).has_value();
    QVector<Offer> all;
    for (const QString& path : (onServer ? serverDumps(storeFolder) : available(storeFolder)) + keptAside(storeFolder)) {
        if (onServer != path.endsWith(QLatin1String(".dump")))
            continue; // a copy of the other store's kind cannot take this one's place
        QString said;
        const bool sound = onServer ? dumpIsSound(path, &said)
                                    : SqliteEngine::consistencyOf(path) == QLatin1String("ok");
        all.append({path, describe(path) + (sound ? QString() : QStringLiteral(" — bozuk, geri yüklenemez")), sound});
    }
    return all;
}

QString restore(const QString& storeFolder, const QString& backup, const QDateTime& now)
{
    if (const std::optional<QString> server = PostgresEngine::settingIn(storeFolder)) {
        QString said;
        if (!dumpIsSound(backup, &said))
            throw DataError(QStringLiteral("Seçilen yedek '%1' bozuk çıktı; geri yüklenmedi. Sunucudaki veri olduğu "
                                           "gibi duruyor.")
                                .arg(QFileInfo(backup).fileName()));
        // The state it replaces is dumped aside first; without that, nothing happens.
        const QString aside = freeName(backupFolderMade(storeFolder), AsidePrefix + stamp(now), QStringLiteral(".dump"));
        try {
            dumpInto(aside, *server);
        } catch (const DataError& error) {
            throw DataError(error.message()
                            + QStringLiteral(" Şu anki hali kenara alınamadığı için yedek geri yüklenmedi; sunucudaki "
                                             "veri olduğu gibi duruyor."));
        }
        replayIntoServer(*server, backup);
        return aside;
    }
    const QDir folder(storeFolder);
    const QString store = folder.filePath(Catalogue::StoreFileName);
    const QString incoming = store + IncomingSuffix;
    // The copy is whole, synced and checked before anything else is touched.
    try {
        SqliteEngine::backupFile(backup, incoming);
    } catch (const DamagedStoreError&) {
        QFile::remove(incoming);
        throw DataError(QStringLiteral("Seçilen kopya '%1' bozuk çıktı; geri yüklenmedi. Veri dosyanız olduğu gibi "
                                       "duruyor.")
                            .arg(QFileInfo(backup).fileName()));
    } catch (const EngineError& error) {
        QFile::remove(incoming);
        throw DataError(QStringLiteral("'%1' geri yüklenemedi: %2. Veri dosyanız olduğu gibi duruyor.")
                            .arg(QFileInfo(backup).fileName(), SqliteEngine::engineCause(error.code(), error.engineText(), error.systemError())));
    } catch (const DataError& error) {
        QFile::remove(incoming);
        throw DataError(QStringLiteral("'%1' geri yüklenemedi; veri dosyanız olduğu gibi duruyor. %2")
                            .arg(QFileInfo(backup).fileName(), error.message()));
    }
    QString aside;
    if (QFile::exists(store)) {
        aside = freeName(folder, AsidePrefix + stamp(now));
        try {
            keepAside(store, aside);
        } catch (const DataError&) {
            QFile::remove(incoming);
            throw;
        }
        syncFolder(storeFolder);
    }
    // The old store's log and index must not be read as the new store's.
    QFile::remove(store + QStringLiteral("-wal"));
    QFile::remove(store + QStringLiteral("-shm"));
    if (::rename(QFile::encodeName(incoming).constData(), QFile::encodeName(store).constData()) != 0) {
        QFile::remove(incoming);
        throw DataError(QStringLiteral("'%1' yerine konamadı; yedek geri yüklenmedi, veri dosyanız olduğu gibi duruyor.")
                            .arg(store));
    }
    syncFolder(storeFolder);
    QFile::setPermissions(store, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    return aside;
}

namespace {

// How much the backup's thread yields to the rest of the program (nice).
constexpr int BackupNiceness = 10;

CheckOutcome backUpAndCheck(const QString& storePath, const QDateTime& now)
{
    // The day's copy is background work: the clerk's screens come first.
    ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), BackupNiceness);
    CheckOutcome outcome;
    // Its content was checked when that backup was made from it.
    if (!unchangedSince(storePath).isEmpty())
        return outcome;
    try {
        make(storePath, now);
    } catch (const DamagedStoreError& error) {
        outcome.damage = error.message();
    } catch (const DataError& error) {
        // No copy was checked, so the store is checked where it lies.
        outcome.failure = error.message()
                          + QStringLiteral(" Veri dosyanız yerinde; sorun giderilince bir sonraki açılışta yedek alınır.");
        const QString verdict = SqliteEngine::consistencyOf(storePath);
        if (verdict != QLatin1String("ok"))
            outcome.damage = SqliteEngine::damagedMessage(storePath, verdict);
    }
    return outcome;
}

// The newest copy that holds the agency's data, among the backups and the
// stores kept aside: the one written last.
QString newestSoundCopy(const QString& folder, bool* anyCopy)
{
    QStringList copies = available(folder) + keptAside(folder);
    *anyCopy = !copies.isEmpty();
    std::stable_sort(copies.begin(), copies.end(), [](const QString& a, const QString& b) {
        return QFileInfo(a).lastModified() > QFileInfo(b).lastModified();
    });
    for (const QString& path : copies)
        if (SqliteEngine::consistencyOf(path) == QLatin1String("ok"))
            return path;
    return {};
}

// A store that is gone or empty while copies of it exist is not silently
// replaced by an empty one: the clerk chooses.
void askWhenTheStoreIsMissing(const QString& folder, const QDateTime& now)
{
    const QFileInfo store(QDir(folder).filePath(Catalogue::StoreFileName));
    if (store.exists() && store.size() > 0)
        return;
    bool anyCopy = false;
    const QString copy = newestSoundCopy(folder, &anyCopy);
    if (!anyCopy)
        return; // a first start
    const QString what = store.exists()
                             ? QStringLiteral("Veri dosyası '%1' boş (0 bayt).").arg(Catalogue::StoreFileName)
                             : QStringLiteral("Veri dosyası '%1' bu klasörde yok.").arg(Catalogue::StoreFileName);
    if (!copy.isEmpty()
        && confirmer().confirm(nullptr, what + QStringLiteral("\n\nKayıtlarınızın en yeni sağlam kopyası: %1.\nBu "
                                                              "kopya geri yüklensin mi?")
                                                   .arg(describe(copy)))) {
        restore(folder, copy, now);
        return;
    }
    const QString empty = what
                          + (copy.isEmpty() ? QStringLiteral(" Kopyalarının hiçbiri sağlam değil.") : QString())
                          + QStringLiteral("\n\nEvlora boş bir veri dosyasıyla başlasın mı? Yedekler ve kenara "
                                           "alınmış dosyalar silinmez; sonra \"Yedekten Geri Yükle…\" ile geri "
                                           "getirilebilir.");
    if (!confirmer().confirm(nullptr, empty))
        throw DataError(what + QStringLiteral(" Evlora açılmadı; kopyalar '%1' klasöründe duruyor.").arg(FolderName));
}

} // namespace

Start openAtStart(const QString& folder, const QDateTime& now)
{
    if (const std::optional<QString> server = PostgresEngine::settingIn(folder)) {
        // The store is on a server: the day's backup is a dump of its
        // database into this desk's backup folder, made beside the work.
        removeLeftovers(folder);
        Start start;
        start.store = Catalogue::openStore(folder);
        start.outcome = std::async(std::launch::async, [folder, connection = *server, now] {
                            ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), BackupNiceness);
                            CheckOutcome outcome;
                            try {
                                dumpServer(folder, connection, now);
                            } catch (const DataError& error) {
                                outcome.failure = error.message() + QStringLiteral(
                                                      " Sunucudaki veriye dokunulmadı; bir sonraki açılışta yeniden denenir.");
                            }
                            return outcome;
                        }).share();
        return start;
    }
    removeLeftovers(folder);
    askWhenTheStoreIsMissing(folder, now);
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
