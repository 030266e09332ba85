#include "platform/engine/sqliteengine.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/turkishtext.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <atomic>
#include <utility>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

std::atomic<int> connectionCounter{0};

// A disk that has run out of room reaches the engine as a plain write
// error; the clerk is told it is full.
int roomAware(int result, sqlite3* handle)
{
    const int systemError = sqlite3_system_errno(handle);
    return (result & 0xff) == SQLITE_IOERR && (systemError == ENOSPC || systemError == EDQUOT) ? SQLITE_FULL : result;
}

QString storeError(const QSqlError& error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    return numeric ? SqliteEngine::engineMessage(code, text) : text;
}

// How long a statement waits for another program's lock before giving up:
// long enough to ride out a moment's write, short enough that no screen
// seems to hang.
constexpr int BusyWaitMs = 250;

bool writable(const QString& path)
{
    // The owner's write bit counts even for a user whom the system would let
    // write anyway: a clerk who made the file read-only meant it.
    const QFile::Permissions permissions = QFile::permissions(path);
    if (!(permissions & QFile::WriteOwner))
        return false;
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

QString readOnlyMessage(const QString& path)
{
    return QStringLiteral("'%1' salt okunur: Evlora bu klasöre ya da dosyaya yazamıyor. Dosyaya dokunulmadı; "
                          "klasöre ve dosyaya yazma izni verip Evlora'yı yeniden başlatın.")
        .arg(path);
}

QString notAStoreMessage(const QString& path)
{
    return QStringLiteral("'%1' bir Evlora veri dosyası değil. Dosyaya dokunulmadı; silmeden önce doğru klasörde "
                          "olduğunuzu denetleyin.")
        .arg(path);
}

QString lockedMessage(const QString& path)
{
    return QStringLiteral("'%1' başka bir program tarafından kilitlenmiş. Dosyaya dokunulmadı; o programı kapatıp "
                          "Evlora'yı yeniden başlatın.")
        .arg(path);
}

} // namespace

namespace {

// The result code behind the engine's English for a failure, when the text
// reached us under another code (a trigger's, a check's finding); 0 when the
// text is none of these.
int codeOfEngineText(const QString& text)
{
    struct Known {
        const char* phrase;
        int code;
    };
    static const Known known[] = {
        {"disk I/O error", SQLITE_IOERR},
        {"database or disk is full", SQLITE_FULL},
        {"file is not a database", SQLITE_NOTADB},
        {"unable to open database file", SQLITE_CANTOPEN},
        {"database is locked", SQLITE_BUSY},
        {"database table is locked", SQLITE_LOCKED},
        {"attempt to write a readonly database", SQLITE_READONLY},
        {"out of memory", SQLITE_NOMEM},
        {"malformed", SQLITE_CORRUPT},
    };
    for (const Known& entry : known)
        if (text.contains(QLatin1String(entry.phrase), Qt::CaseInsensitive))
            return entry.code;
    return 0;
}

} // namespace

QString SqliteEngine::findingsInTurkish(const QString& findings)
{
    // The check's findings come as "; "-separated rows, a row possibly several
    // lines ("*** in database main ***\nPage 5: ..."); every line but the
    // heading is one problem in the store's pages, unless the engine could
    // not read the file at all.
    QStringList said;
    int pageProblems = 0;
    for (const QString& row : findings.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        for (const QString& rawLine : row.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString line = rawLine.trimmed();
            if (line.isEmpty() || line == QLatin1String("ok") || line.startsWith(QLatin1String("***")))
                continue;
            const int code = codeOfEngineText(line);
            if (code == 0 || code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
                ++pageProblems;
            else if (const QString cause = engineCause(code, line); !said.contains(cause))
                said << cause;
        }
    }
    if (pageProblems > 0)
        said.prepend(pageProblems == 1
                         ? QStringLiteral("veri dosyasının bir sayfası bozuk")
                         : QStringLiteral("veri dosyasının bazı sayfaları bozuk (denetimde %1 sorun görüldü)")
                               .arg(pageProblems));
    if (said.isEmpty())
        said << QStringLiteral("veri dosyasının bazı sayfaları bozuk");
    return said.join(QStringLiteral("; "));
}

QString SqliteEngine::damagedMessage(const QString& path, const QString& findings)
{
    return QStringLiteral("'%1' bozuk: %2. Dosyaya yazılmadı; bir yedeği geri yükleyin.")
        .arg(path, findingsInTurkish(findings));
}

namespace {

QString indexName(const TableSchema& table, const IndexSchema& index)
{
    return table.name + QLatin1Char('_') + index.fields.join(QLatin1Char('_'));
}

// A term of an index as SQL: a quoted field, or function("field").
QString indexTerm(const QString& term)
{
    const qsizetype open = term.indexOf(QLatin1Char('('));
    if (open < 0 || !term.endsWith(QLatin1Char(')')))
        return quotedIdentifier(term);
    return term.left(open) + QLatin1Char('(') + quotedIdentifier(term.mid(open + 1, term.size() - open - 2))
           + QLatin1Char(')');
}

} // namespace

QString SqliteEngine::engineCause(int code, const QString& engineText, int systemError)
{
    // A write refused for room reaches the engine as a plain disk error.
    if (systemError == ENOSPC || systemError == EDQUOT)
        return QStringLiteral("diskte yer kalmadı");
    if (systemError == EFBIG)
        return QStringLiteral("dosya, sistemin izin verdiği boyu aşıyor");
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("dosya başka bir program tarafından kullanılıyor");
    case SQLITE_FULL:
        return QStringLiteral("diskte yer kalmadı");
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return QStringLiteral("dosya ya da klasörü salt okunur");
    case SQLITE_CANTOPEN:
        return QStringLiteral("dosya açılamadı (klasörü yok ya da yazma izni yok)");
    case SQLITE_IOERR:
        return QStringLiteral("disk okunurken ya da yazılırken hata oldu");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("dosyanın bazı sayfaları bozuk");
    case SQLITE_NOMEM:
        return QStringLiteral("bellek yetmedi");
    default: {
        const int known = codeOfEngineText(engineText);
        return known != 0 ? engineCause(known, engineText) : engineText;
    }
    }
}

QString SqliteEngine::engineMessage(int code, const QString& engineText, EngineContext context)
{
    const bool posting = context == EngineContext::Post;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return posting ? QStringLiteral("Veri dosyası şu anda başka bir program tarafından kullanılıyor; kayıt "
                                        "yazılamadı. Değişiklikleriniz ekranda duruyor: biraz sonra yeniden onaylayın.")
                       : QStringLiteral("Veri dosyası şu anda başka bir program tarafından kullanılıyor. Biraz sonra "
                                        "yeniden deneyin.");
    case SQLITE_FULL:
        return posting ? QStringLiteral("Diskte yer kalmadı; kayıt yazılamadı. Değişiklikleriniz ekranda duruyor: "
                                        "diskte yer açıp yeniden onaylayın.")
                       : QStringLiteral("Diskte yer kalmadı; yer açıp yeniden deneyin.");
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return posting ? QStringLiteral("Veri dosyası salt okunur; kayıt yazılamadı. Değişiklikleriniz ekranda "
                                        "duruyor: dosyaya yazma izni verip yeniden onaylayın.")
                       : QStringLiteral("Veri dosyası ya da klasörü salt okunur; yazma izni verip yeniden deneyin.");
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return posting ? QStringLiteral("Disk okunurken ya da yazılırken hata oldu; kayıt yazılamadı. "
                                        "Değişiklikleriniz ekranda duruyor: diski denetleyip yeniden onaylayın.")
                       : QStringLiteral("Disk okunurken ya da yazılırken hata oldu; diski denetleyip yeniden deneyin.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("Veri dosyasının bazı sayfaları bozuk; işlem yapılamadı. Evlora'yı kapatıp bir yedeği "
                              "geri yükleyin.");
    case SQLITE_NOMEM:
        return QStringLiteral("Bellek yetmedi; başka programları kapatıp yeniden deneyin.");
    default: {
        const int known = codeOfEngineText(engineText);
        return known != 0 ? engineMessage(known, engineText, context) : engineText;
    }
    }
}

std::unique_ptr<SqliteEngine> SqliteEngine::open(const QString& path, const QVector<TableSchema>& catalogue,
                                                 ConsistencyCheck check, const QVector<TableSchema>& added)
{
    std::unique_ptr<SqliteEngine> db(new SqliteEngine(path, catalogue, added));
    db->checkBeforeOpening();
    if (!QFileInfo::exists(path))
        createAside(path, catalogue, added);
    db->connect();
    if (db->holdsNoTables()) {
        db->applyPragmas();
        db->create();
    } else {
        // Everything that can refuse the store comes before anything is
        // written to a file we did not make.
        db->checkVersion();
        db->validate();
        // A store that needs writing before the caller's check has run (an
        // index, an added table or the version of an older layout) is
        // checked here first.
        if (check == ConsistencyCheck::AtOpen || db->writesAtOpen())
            db->checkConsistency();
        db->applyPragmas();
        db->addMissingTables();
        db->ensureIndexes();
        if (db->m_storedVersion < SchemaVersion)
            db->execute(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
    }
    sqlite3_busy_timeout(db->m_handle, BusyWaitMs);
    return db;
}

void SqliteEngine::checkBeforeOpening()
{
    const QFileInfo file(m_path);
    const QString folder = file.absolutePath();
    if (!file.exists()) {
        if (QFileInfo(folder).isDir() && !writable(folder))
            throw DataError(readOnlyMessage(folder));
        return; // a new store, or a folder that cannot be: opening says which
    }
    QFile bytes(m_path);
    if (!bytes.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("'%1' okunamıyor: %2. Dosyaya dokunulmadı; dosyanın okuma iznini "
                                       "denetleyin.")
                            .arg(m_path, bytes.errorString()));
    const QByteArray header = bytes.read(16);
    bytes.close();
    if (!header.isEmpty() && header != QByteArray("SQLite format 3\0", 16))
        throw DataError(notAStoreMessage(m_path));
    if (!writable(m_path))
        throw DataError(readOnlyMessage(m_path));
    if (!writable(folder)) // the write-ahead log lives beside the store
        throw DataError(readOnlyMessage(folder));
}

void SqliteEngine::checkVersion()
{
    const QStringList version = textColumn(QStringLiteral("PRAGMA user_version"), 0);
    m_storedVersion = version.isEmpty() ? 0 : version.first().toInt();
    if (m_storedVersion > SchemaVersion)
        throw DataError(QStringLiteral("'%1' Evlora'nın daha yeni bir sürümüyle yazılmış (veri sürümü %2; bu "
                                       "program %3 sürümüne kadar okuyabilir). Dosyaya dokunulmadı; Evlora'nın "
                                       "yeni sürümünü kullanın.")
                            .arg(m_path)
                            .arg(m_storedVersion)
                            .arg(SchemaVersion));
}

void SqliteEngine::checkConsistency()
{
    QStringList findings;
    try {
        findings = textColumn(QStringLiteral("PRAGMA quick_check(3)"), 0);
    } catch (const EngineError& error) {
        findings << error.engineText();
    } catch (const DataError& error) {
        findings << error.message();
    }
    if (findings != QStringList{QStringLiteral("ok")})
        throw DamagedStoreError(damagedMessage(m_path, findings.join(QStringLiteral("; "))));
}

SqliteEngine::SqliteEngine(const QString& path, const QVector<TableSchema>& catalogue,
                           const QVector<TableSchema>& added)
    : m_path(QFileInfo(path).absoluteFilePath())
    , m_catalogue(catalogue)
    , m_added(added)
    , m_connectionName(QStringLiteral("evlora-%1").arg(++connectionCounter))
{
}

SqliteEngine::~SqliteEngine()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void SqliteEngine::connect()
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!m_db.isValid())
        throw DataError(QStringLiteral("QSQLITE driver not loaded"));
    m_db.setDatabaseName(m_path);
    if (!m_db.open()) {
        if (!QFileInfo(QFileInfo(m_path).absolutePath()).isDir())
            throw DataError(QStringLiteral("'%1' açılamadı: klasör yok. Evlora'yı var olan bir veri klasöründe "
                                           "başlatın.")
                                .arg(m_path));
        throw DataError(QStringLiteral("'%1' açılamadı: %2").arg(m_path, storeError(m_db.lastError())));
    }

    const QVariant handle = m_db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_handle = *static_cast<sqlite3* const*>(handle.constData());
    if (!m_handle)
        throw DataError(QStringLiteral("The SQLite driver gave no connection handle"));
    TurkishText::installOn(m_handle);
    sqlite3_extended_result_codes(m_handle, 1);
    sqlite3_busy_timeout(m_handle, BusyWaitMs);
}

bool SqliteEngine::holdsNoTables()
{
    sqlite3_stmt* statement = nullptr;
    int result = sqlite3_prepare_v2(m_handle, "SELECT count(*) FROM sqlite_master WHERE type = 'table'", -1,
                                    &statement, nullptr);
    if (result == SQLITE_OK)
        result = sqlite3_step(statement);
    const int tables = result == SQLITE_ROW ? sqlite3_column_int(statement, 0) : 0;
    const QString engineText = QString::fromUtf8(sqlite3_errmsg(m_handle));
    sqlite3_finalize(statement);
    if (result == SQLITE_ROW)
        return tables == 0;
    switch (result & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw DataError(lockedMessage(m_path));
    case SQLITE_NOTADB:
        throw DataError(notAStoreMessage(m_path));
    case SQLITE_CORRUPT:
        throw DamagedStoreError(damagedMessage(m_path, engineText));
    case SQLITE_READONLY:
    case SQLITE_PERM:
        throw DataError(readOnlyMessage(m_path));
    default:
        throw DataError(QStringLiteral("'%1' açılamadı: %2").arg(m_path, engineMessage(result, engineText)));
    }
}

QHash<QString, QString> SqliteEngine::columnsOf(const TableSchema& table)
{
    QHash<QString, QString> columns;
    try {
        const QString info = QStringLiteral("PRAGMA table_info(%1)").arg(quotedIdentifier(table.name));
        const QStringList names = textColumn(info, 1);
        const QStringList types = textColumn(info, 2);
        for (qsizetype i = 0; i < names.size() && i < types.size(); ++i)
            columns.insert(names.at(i), types.at(i));
    } catch (const DataError& error) {
        throw DataError(QStringLiteral("Veri dosyası okunamadı (%1): %2").arg(table.name, error.message()));
    }
    return columns;
}

void SqliteEngine::validate()
{
    for (const TableSchema& table : m_catalogue) {
        const QHash<QString, QString> columns = columnsOf(table);
        if (columns.isEmpty())
            throw DataError(QStringLiteral("Veri dosyası bozuk: '%1' tablosu yok.").arg(table.name));
        validate(table, columns);
    }
    // An added table may be missing (an older store: it is made at open), but
    // one that is there must be whole.
    for (const TableSchema& table : m_added) {
        const QHash<QString, QString> columns = columnsOf(table);
        if (!columns.isEmpty())
            validate(table, columns);
    }
}

void SqliteEngine::validate(const TableSchema& table, const QHash<QString, QString>& columns)
{
    for (const FieldSchema& field : table.fields) {
        const auto found = columns.constFind(field.name);
        if (found == columns.cend())
            throw DataError(QStringLiteral("Veri dosyası bozuk: '%1' tablosunda '%2' alanı yok.")
                                .arg(table.name, field.name));
        // The kind must match; a text's declared width may differ, since
        // the engine, not the store, holds texts to their size (a field
        // widened in a later version keeps working on older files).
        const QString expected = declaredSqlType(field);
        const auto kind = [](const QString& type) { return type.section(QLatin1Char('('), 0, 0).trimmed(); };
        if (kind(*found).compare(kind(expected), Qt::CaseInsensitive) != 0)
            throw DataError(QStringLiteral("Veri dosyası bozuk: '%1' tablosunun '%2' alanı %3 olmalı, %4 bulundu.")
                                .arg(table.name, field.name, expected, *found));
    }
}

void SqliteEngine::applyPragmas()
{
    execute("PRAGMA journal_mode = WAL");
    execute("PRAGMA synchronous = FULL");
    // Years of listings are a few hundred megabytes: read them through the
    // operating system's page cache directly and keep the hot pages in SQLite's.
    execute("PRAGMA mmap_size = 1073741824");
    execute("PRAGMA cache_size = -32768");
}

void SqliteEngine::create()
{
    begin();
    try {
        for (const TableSchema& table : m_catalogue)
            createTable(table);
        for (const TableSchema& table : m_added)
            createTable(table);
        ensureIndexes();
        ensureOwnership();
        execute(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
        commit();
    } catch (...) {
        rollback();
        throw;
    }
}

void SqliteEngine::createTable(const TableSchema& table)
{
    QStringList columns;
    for (const FieldSchema& field : table.fields)
        columns << QStringList{quotedIdentifier(field.name), declaredSqlType(field), columnConstraints(field)}
                       .join(QLatin1Char(' ')).trimmed();
    execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(quotedIdentifier(table.name), columns.join(QStringLiteral(", "))));

    if (table.seedRows.isEmpty())
        return;
    QStringList names, marks;
    for (const QString& column : table.seedColumns) {
        names << quotedIdentifier(column);
        marks << QStringLiteral("?");
    }
    const std::unique_ptr<EngineStatement> insert =
        prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(quotedIdentifier(table.name), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                    .toUtf8());
    for (const QVariantList& row : table.seedRows) {
        for (int i = 0; i < row.size(); ++i)
            bindValue(*insert, i + 1, row.at(i));
        insert->step();
        insert->reset();
    }
}

QVector<TableSchema> SqliteEngine::missingAddedTables()
{
    QVector<TableSchema> missing;
    for (const TableSchema& table : m_added)
        if (columnsOf(table).isEmpty())
            missing << table;
    return missing;
}

namespace {

QString ownershipTriggerName(const TableSchema& table, const QString& owner)
{
    return table.name + QLatin1Char('_') + owner + QStringLiteral("_silinince");
}

} // namespace

bool SqliteEngine::lacksOwnership()
{
    QSet<QString> present;
    for (const QString& name : textColumn(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'"), 0))
        present.insert(name);
    for (const TableSchema& table : m_added)
        for (const QString& owner : table.ownedBy.owners)
            if (!present.contains(ownershipTriggerName(table, owner)))
                return true;
    return false;
}

void SqliteEngine::addMissingTables()
{
    const QVector<TableSchema> missing = missingAddedTables();
    if (missing.isEmpty() && !lacksOwnership())
        return;
    begin();
    try {
        for (const TableSchema& table : missing)
            createTable(table);
        ensureOwnership();
        commit();
    } catch (...) {
        rollback();
        throw;
    }
}

void SqliteEngine::ensureOwnership()
{
    // A trigger, so that rows go with their record whoever deletes it (the
    // entry screen, an import replacing a register, a tool).
    for (const TableSchema& table : m_added) {
        for (const QString& owner : table.ownedBy.owners) {
            const auto ownerTable = std::find_if(m_catalogue.cbegin(), m_catalogue.cend(),
                                                 [&](const TableSchema& t) { return t.name == owner; });
            if (ownerTable == m_catalogue.cend())
                continue;
            const int key = ownerTable->keyIndex();
            const QString ownerKey = key < 0 ? QStringLiteral("rowid") : quotedIdentifier(ownerTable->fields.at(key).name);
            execute(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER DELETE ON %2 BEGIN DELETE FROM %3 WHERE "
                                   "%4 = '%5' AND %6 = old.%7; END")
                        .arg(quotedIdentifier(ownershipTriggerName(table, owner)), quotedIdentifier(owner),
                             quotedIdentifier(table.name), quotedIdentifier(table.ownedBy.ownerField), owner,
                             quotedIdentifier(table.ownedBy.keyField), ownerKey));
        }
    }
}

void SqliteEngine::createAside(const QString& path, const QVector<TableSchema>& catalogue,
                               const QVector<TableSchema>& added)
{
    // Built under a passing name with no wait for the disk at each step (the
    // waits took most of a first start), then synced once and renamed into
    // place: a crash meanwhile leaves no store at all, only this leftover,
    // which the next attempt removes.
    const QString building = path + QStringLiteral(".yeni");
    const auto removeBuilding = [&building] {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(building + QLatin1String(suffix));
    };
    const auto syncPath = [](const QString& name, int flags) {
        const int fd = ::open(QFile::encodeName(name).constData(), flags | O_CLOEXEC);
        const bool synced = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        return synced;
    };
    removeBuilding();
    try {
        std::unique_ptr<SqliteEngine> db(new SqliteEngine(building, catalogue, added));
        db->connect();
        db->execute("PRAGMA synchronous = OFF");
        db->execute("PRAGMA journal_mode = WAL");
        db->create();
    } catch (const DataError&) {
        removeBuilding();
        throw;
    } // the connection's close writes its log into the file and removes it
    if (QFileInfo::exists(building + QStringLiteral("-wal")) || !syncPath(building, O_RDONLY)
        || ::rename(QFile::encodeName(building).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString cause = QString::fromLocal8Bit(std::strerror(errno));
        removeBuilding();
        throw DataError(QStringLiteral("'%1' oluşturulamadı: %2").arg(path, cause));
    }
    syncPath(QFileInfo(path).absolutePath(), O_RDONLY | O_DIRECTORY);
}

bool SqliteEngine::writesAtOpen()
{
    if (m_storedVersion < SchemaVersion || !missingAddedTables().isEmpty() || lacksOwnership())
        return true;
    QSet<QString> present;
    for (const QString& name : textColumn(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'"), 0))
        present.insert(name);
    for (const QVector<TableSchema>* tables : {&m_catalogue, &m_added})
        for (const TableSchema& table : *tables)
            for (const IndexSchema& index : table.indexes)
                if (!present.contains(indexName(table, index)))
                    return true;
    return false;
}

void SqliteEngine::ensureIndexes()
{
    QVector<TableSchema> all = m_catalogue;
    all += m_added;
    for (const TableSchema& table : std::as_const(all)) {
        for (const IndexSchema& index : table.indexes) {
            QStringList fields;
            for (const QString& field : index.fields)
                fields << indexTerm(field);
            execute(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                        .arg(quotedIdentifier(indexName(table, index)), quotedIdentifier(table.name),
                             fields.join(QLatin1Char(','))));
        }
    }
}

// --- statements --------------------------------------------------------------

namespace {

class SqliteStatement final : public EngineStatement {
public:
    explicit SqliteStatement(sqlite3_stmt* statement) : m_statement(statement) {}
    ~SqliteStatement() override { sqlite3_finalize(m_statement); }

    void bindNull(int at) override { sqlite3_bind_null(m_statement, at); }
    void bindInteger(int at, qint64 value) override { sqlite3_bind_int64(m_statement, at, value); }
    void bindReal(int at, double value) override { sqlite3_bind_double(m_statement, at, value); }
    void bindText(int at, QByteArrayView utf8) override
    {
        sqlite3_bind_text(m_statement, at, utf8.data(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindBlob(int at, QByteArrayView bytes) override
    {
        sqlite3_bind_blob(m_statement, at, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
    }

    bool step() override
    {
        const int result = sqlite3_step(m_statement);
        if (result == SQLITE_ROW)
            return true;
        if (result == SQLITE_DONE)
            return false;
        sqlite3* handle = sqlite3_db_handle(m_statement);
        const QString engineText = QString::fromUtf8(sqlite3_errmsg(handle));
        const int code = roomAware(result, handle);
        sqlite3_reset(m_statement);
        throw EngineError(code, engineText, SqliteEngine::engineMessage(code, engineText),
                          sqlite3_system_errno(handle));
    }

    void reset() override
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }

    int columnCount() const override { return sqlite3_column_count(m_statement); }
    ColumnView column(int at) const override { return SqliteEngine::columnView(m_statement, at); }

    qint64 integer(int at) const override { return sqlite3_column_int64(m_statement, at); }

private:
    sqlite3_stmt* m_statement;
};

// The engine's type codes are SQLite's own, so a view is SQLite's word for word.
static_assert(ColumnView::Integer == SQLITE_INTEGER && ColumnView::Real == SQLITE_FLOAT
              && ColumnView::Text == SQLITE_TEXT && ColumnView::Blob == SQLITE_BLOB && ColumnView::Null == SQLITE_NULL);

} // namespace

ColumnView SqliteEngine::columnView(sqlite3_stmt* statement, int column)
{
    ColumnView view;
    view.type = sqlite3_column_type(statement, column);
    switch (view.type) {
    case SQLITE_INTEGER:
        view.integer = sqlite3_column_int64(statement, column);
        view.real = double(view.integer);
        break;
    case SQLITE_FLOAT:
        view.real = sqlite3_column_double(statement, column);
        break;
    case SQLITE_TEXT:
        view.bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        view.size = sqlite3_column_bytes(statement, column);
        break;
    case SQLITE_BLOB:
        view.bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
        view.size = sqlite3_column_bytes(statement, column);
        break;
    default:
        break;
    }
    return view;
}

std::unique_ptr<EngineStatement> SqliteEngine::prepare(const QByteArray& sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(m_handle, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &statement, nullptr)
        != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(m_handle);
        const QString engineText = QString::fromUtf8(sqlite3_errmsg(m_handle));
        sqlite3_finalize(statement);
        throw EngineError(code, engineText, engineMessage(code, engineText));
    }
    return std::make_unique<SqliteStatement>(statement);
}

void SqliteEngine::execute(const char* sql)
{
    const int result = sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        const QString engineText = QString::fromUtf8(sqlite3_errmsg(m_handle));
        const int code = roomAware(result, m_handle);
        throw EngineError(code, engineText, engineMessage(code, engineText), sqlite3_system_errno(m_handle));
    }
}

void SqliteEngine::begin()
{
    execute("BEGIN IMMEDIATE");
}

void SqliteEngine::commit()
{
    execute("COMMIT");
}

void SqliteEngine::rollback() noexcept
{
    if (!sqlite3_get_autocommit(m_handle))
        sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool SqliteEngine::inTransaction() const
{
    return !sqlite3_get_autocommit(m_handle);
}

qint64 SqliteEngine::lastInsertKey() const
{
    return sqlite3_last_insert_rowid(m_handle);
}

qint64 SqliteEngine::lastChanges() const
{
    return sqlite3_changes64(m_handle);
}

qint64 SqliteEngine::changeCount() const
{
    return sqlite3_total_changes64(m_handle);
}

QString SqliteEngine::postFailureMessage(const EngineError& error) const
{
    return engineMessage(error.code(), error.engineText(), EngineContext::Post);
}

QStringList SqliteEngine::textColumn(const QString& sql, int column)
{
    const std::unique_ptr<EngineStatement> statement = prepare(sql.toUtf8());
    QStringList texts;
    while (statement->step()) {
        const ColumnView view = statement->column(column);
        texts << (view.type == ColumnView::Text ? QString::fromUtf8(view.bytes, view.size)
                                                : QString::number(view.integer));
    }
    return texts;
}

QString SqliteEngine::consistencyOf(const QString& path)
{
    sqlite3* copy = nullptr;
    QString verdict;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &copy, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        verdict = QString::fromUtf8(sqlite3_errmsg(copy));
    } else {
        sqlite3_stmt* check = nullptr;
        QStringList findings;
        int result = sqlite3_prepare_v2(copy, "PRAGMA quick_check(3)", -1, &check, nullptr);
        while (result == SQLITE_OK && (result = sqlite3_step(check)) == SQLITE_ROW) {
            findings << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
            result = SQLITE_OK;
        }
        if (result != SQLITE_DONE)
            findings << QString::fromUtf8(sqlite3_errmsg(copy));
        sqlite3_finalize(check);
        verdict = findings.join(QStringLiteral("; "));
    }
    sqlite3_close(copy);
    return verdict;
}

namespace {

// A copy that did not finish leaves no file of its own behind.
void removeWithJournal(const QString& path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

} // namespace

void SqliteEngine::backupFile(const QString& storePath, const QString& target)
{
    const QString partial = target + QStringLiteral(".yaziliyor");
    QFile::remove(partial);
    sqlite3* source = nullptr;
    sqlite3* copy = nullptr;
    int result = sqlite3_open_v2(QFile::encodeName(storePath).constData(), &source, SQLITE_OPEN_READWRITE, nullptr);
    if (result == SQLITE_OK) {
        sqlite3_busy_timeout(source, BusyWaitMs);
        result = sqlite3_open_v2(QFile::encodeName(partial).constData(), &copy,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    }
    QString engineText;
    int systemError = 0;
    if (result == SQLITE_OK) {
        // One step copies every page as one consistent picture of the store
        // (a read transaction; the program's own posts go on beside it).
        sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main");
        if (!backup) {
            result = sqlite3_extended_errcode(copy);
            engineText = QString::fromUtf8(sqlite3_errmsg(copy));
        } else {
            sqlite3_backup_step(backup, -1);
            result = sqlite3_backup_finish(backup);
            engineText = QString::fromUtf8(sqlite3_errmsg(copy));
            systemError = sqlite3_system_errno(copy);
        }
    } else {
        engineText = QString::fromUtf8(sqlite3_errmsg(copy ? copy : source));
    }
    if (result == SQLITE_OK)
        sqlite3_exec(copy, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr); // one self-contained file
    sqlite3_close(copy);
    sqlite3_close(source);
    if ((result & 0xff) == SQLITE_CORRUPT || (result & 0xff) == SQLITE_NOTADB) {
        removeWithJournal(partial);
        throw DamagedStoreError(damagedMessage(storePath, engineText));
    }
    if (result != SQLITE_OK) {
        removeWithJournal(partial);
        throw EngineError(result, engineText,
                          QStringLiteral("'%1' kopyalanamadı: %2.")
                              .arg(target, engineCause(result, engineText, systemError)),
                          systemError);
    }
    const QString verdict = consistencyOf(partial);
    if (verdict != QLatin1String("ok")) {
        removeWithJournal(partial);
        throw DamagedStoreError(damagedMessage(storePath, verdict));
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target)) {
        removeWithJournal(partial);
        throw DataError(QStringLiteral("'%1' kopyalanamadı: kopya bu ada taşınamadı.").arg(target));
    }
}

void SqliteEngine::checkpoint()
{
    sqlite3_wal_checkpoint_v2(m_handle, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

