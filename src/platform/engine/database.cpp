#include "platform/engine/database.h"

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
    return numeric ? Database::engineMessage(code, text) : text;
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

QString Database::findingsInTurkish(const QString& findings)
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

QString Database::damagedMessage(const QString& path, const QString& findings)
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
        return Database::quoted(term);
    return term.left(open) + QLatin1Char('(') + Database::quoted(term.mid(open + 1, term.size() - open - 2))
           + QLatin1Char(')');
}

} // namespace

QString Database::engineCause(int code, const QString& engineText, int systemError)
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

QString Database::engineMessage(int code, const QString& engineText, EngineContext context)
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

std::unique_ptr<Database> Database::open(const QString& path, const QVector<TableSchema>& catalogue,
                                         ConsistencyCheck check)
{
    std::unique_ptr<Database> db(new Database(path, catalogue));
    db->checkBeforeOpening();
    if (!QFileInfo::exists(path))
        createAside(path, catalogue);
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
        // index or the version of an older layout) is checked here first.
        if (check == ConsistencyCheck::AtOpen || db->writesAtOpen())
            db->checkConsistency();
        db->applyPragmas();
        db->ensureIndexes();
        if (db->m_storedVersion < SchemaVersion)
            db->exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
    }
    sqlite3_busy_timeout(db->m_handle, BusyWaitMs);
    return db;
}

void Database::checkBeforeOpening()
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

void Database::checkVersion()
{
    SqlStatement version(*this, QStringLiteral("PRAGMA user_version"));
    m_storedVersion = version.step() ? sqlite3_column_int(version.get(), 0) : 0;
    if (m_storedVersion > SchemaVersion)
        throw DataError(QStringLiteral("'%1' Evlora'nın daha yeni bir sürümüyle yazılmış (veri sürümü %2; bu "
                                       "program %3 sürümüne kadar okuyabilir). Dosyaya dokunulmadı; Evlora'nın "
                                       "yeni sürümünü kullanın.")
                            .arg(m_path)
                            .arg(m_storedVersion)
                            .arg(SchemaVersion));
}

void Database::checkConsistency()
{
    QStringList findings;
    try {
        SqlStatement check(*this, QStringLiteral("PRAGMA quick_check(3)"));
        while (check.step())
            findings << columnText(check.get(), 0);
    } catch (const EngineError& error) {
        findings << error.engineText();
    } catch (const DataError& error) {
        findings << error.message();
    }
    if (findings != QStringList{QStringLiteral("ok")})
        throw DamagedStoreError(damagedMessage(m_path, findings.join(QStringLiteral("; "))));
}

Database::Database(const QString& path, const QVector<TableSchema>& catalogue)
    : m_path(QFileInfo(path).absoluteFilePath())
    , m_catalogue(catalogue)
    , m_connectionName(QStringLiteral("evlora-%1").arg(++connectionCounter))
{
}

Database::~Database()
{
    *m_alive = false;
    m_alive.reset(); // leases still out see the store gone and leave their statement alone
    for (auto& [sql, slot] : m_slots)
        for (sqlite3_stmt* statement : slot->idle)
            sqlite3_finalize(statement);
    m_slots.clear();
    for (sqlite3_stmt* statement : m_lent)
        sqlite3_finalize(statement);
    m_lent.clear();
    m_statements.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Database::connect()
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

bool Database::holdsNoTables()
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

void Database::validate()
{
    for (const TableSchema& table : m_catalogue) {
        QHash<QString, QString> columns; // name -> declared type
        try {
            SqlStatement info(*this, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table.name)));
            while (info.step())
                columns.insert(columnText(info.get(), 1), columnText(info.get(), 2));
        } catch (const DataError& error) {
            throw DataError(QStringLiteral("Veri dosyası okunamadı (%1): %2").arg(table.name, error.message()));
        }
        if (columns.isEmpty())
            throw DataError(QStringLiteral("Veri dosyası bozuk: '%1' tablosu yok.").arg(table.name));
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
}

void Database::applyPragmas()
{
    exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    exec(QStringLiteral("PRAGMA synchronous = FULL"));
    // Years of listings are a few hundred megabytes: read them through the
    // operating system's page cache directly and keep the hot pages in SQLite's.
    exec(QStringLiteral("PRAGMA mmap_size = 1073741824"));
    exec(QStringLiteral("PRAGMA cache_size = -32768"));
}

void Database::create()
{
    inTransaction([this] {
        for (const TableSchema& table : m_catalogue) {
            QStringList columns;
            for (const FieldSchema& field : table.fields)
                columns << QStringList{quoted(field.name), declaredSqlType(field), columnConstraints(field)}
                               .join(QLatin1Char(' ')).trimmed();
            exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table.name), columns.join(QStringLiteral(", "))));

            if (table.seedRows.isEmpty())
                continue;
            QStringList names, marks;
            for (const QString& column : table.seedColumns) {
                names << quoted(column);
                marks << QStringLiteral("?");
            }
            QSqlQuery insert(m_db);
            insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(quoted(table.name), names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
            for (const QVariantList& row : table.seedRows)
                run(insert, row);
        }
        ensureIndexes();
        exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
    });
}

void Database::createAside(const QString& path, const QVector<TableSchema>& catalogue)
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
        std::unique_ptr<Database> db(new Database(building, catalogue));
        db->connect();
        db->exec(QStringLiteral("PRAGMA synchronous = OFF"));
        db->exec(QStringLiteral("PRAGMA journal_mode = WAL"));
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

bool Database::writesAtOpen()
{
    if (m_storedVersion < SchemaVersion)
        return true;
    QSet<QString> present;
    SqlStatement indexes(*this, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'"));
    while (indexes.step())
        present.insert(columnText(indexes.get(), 0));
    for (const TableSchema& table : m_catalogue)
        for (const IndexSchema& index : table.indexes)
            if (!present.contains(indexName(table, index)))
                return true;
    return false;
}

void Database::ensureIndexes()
{
    for (const TableSchema& table : m_catalogue) {
        for (const IndexSchema& index : table.indexes) {
            QStringList fields;
            for (const QString& field : index.fields)
                fields << indexTerm(field);
            exec(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                     .arg(quoted(indexName(table, index)), quoted(table.name), fields.join(QLatin1Char(','))));
        }
    }
}

QString Database::canonicalTableName(const QString& name)
{
    QString canonical = name.trimmed().toLower();
    if (canonical.endsWith(QLatin1String(".db")))
        canonical.chop(3);
    return canonical;
}

const TableSchema* Database::findTable(const QString& name) const
{
    const QString canonical = canonicalTableName(name);
    for (const TableSchema& table : m_catalogue)
        if (table.name == canonical)
            return &table;
    return nullptr;
}

const TableSchema& Database::table(const QString& name) const
{
    if (const TableSchema* found = findTable(name))
        return *found;
    throw DataError(QStringLiteral("Table '%1' does not exist").arg(name));
}

QSqlQuery& Database::prepared(const QString& sql)
{
    auto found = m_statements.find(sql);
    if (found != m_statements.end())
        return *found;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DataError(storeError(query.lastError()));
    return *m_statements.insert(sql, query);
}

// --- leased statements -------------------------------------------------------

SqlStatement::Slot& Database::slotFor(const QString& sql)
{
    auto found = m_slots.find(sql);
    if (found == m_slots.end()) {
        auto slot = std::make_unique<SqlStatement::Slot>();
        slot->database = this;
        slot->sql = sql.toUtf8();
        found = m_slots.emplace(sql, std::move(slot)).first;
    }
    return *found->second;
}

SqlStatement::SqlStatement(Database& database, const QString& sql) : m_slot(&database.slotFor(sql))
{
    if (!m_slot->idle.empty()) {
        m_statement = m_slot->idle.back();
        m_slot->idle.pop_back();
    } else if (sqlite3_prepare_v3(database.m_handle, m_slot->sql.constData(), int(m_slot->sql.size()),
                                  SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr)
               != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(database.m_handle);
        const QString engineText = QString::fromUtf8(sqlite3_errmsg(database.m_handle));
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_slot = nullptr;
        throw EngineError(code, engineText, Database::engineMessage(code, engineText));
    }
    database.m_lent.push_back(m_statement);
    m_storeAlive = database.m_alive;
}

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : m_slot(std::exchange(other.m_slot, nullptr))
    , m_statement(std::exchange(other.m_statement, nullptr))
    , m_storeAlive(std::move(other.m_storeAlive))
{
}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept
{
    if (this != &other) {
        release();
        m_slot = std::exchange(other.m_slot, nullptr);
        m_statement = std::exchange(other.m_statement, nullptr);
        m_storeAlive = std::move(other.m_storeAlive);
    }
    return *this;
}

void SqlStatement::release()
{
    if (!m_statement)
        return;
    if (!m_storeAlive.expired()) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        std::vector<sqlite3_stmt*>& lent = m_slot->database->m_lent;
        const auto it = std::find(lent.rbegin(), lent.rend(), m_statement);
        if (it != lent.rend())
            lent.erase(std::next(it).base());
        m_slot->idle.push_back(m_statement);
    }
    m_statement = nullptr;
    m_slot = nullptr;
}

void SqlStatement::rewind()
{
    if (!m_statement)
        return;
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

void SqlStatement::bindInteger(int at, qint64 value)
{
    sqlite3_bind_int64(m_statement, at, value);
}

void SqlStatement::bind(int at, const QVariant& value)
{
    if (value.isNull()) {
        sqlite3_bind_null(m_statement, at);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        sqlite3_bind_int64(m_statement, at, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(m_statement, at, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(m_statement, at, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(m_statement, at, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

int SqlStatement::bind(const QVariantList& values, int first)
{
    for (const QVariant& value : values)
        bind(first++, value);
    return first;
}

bool SqlStatement::step()
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
    throw EngineError(code, engineText, Database::engineMessage(code, engineText), sqlite3_system_errno(handle));
}

void Database::select(const QString& sql, const QVariantList& values,
                      const std::function<void(sqlite3_stmt*)>& row)
{
    SqlStatement statement(*this, sql);
    statement.bind(values);
    while (statement.step())
        row(statement.get());
}

QString Database::columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    if (!text)
        return QString(QLatin1String(""));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

void Database::appendColumnText(sqlite3_stmt* statement, int column, QString& out)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const qsizetype bytes = sqlite3_column_bytes(statement, column);
    if (!text || bytes == 0)
        return;
    // UTF-8 never has fewer bytes than its text has UTF-16 units.
    thread_local QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const qsizetype start = out.size();
    out.resize(start + bytes);
    QChar* end = utf8.appendToBuffer(out.data() + start, QByteArrayView(text, bytes));
    out.truncate(end - out.constData());
}

Database::ColumnView Database::columnView(sqlite3_stmt* statement, int column)
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

QVariant Database::columnValue(const ColumnView& column)
{
    switch (column.type) {
    case SQLITE_INTEGER:
        return qlonglong(column.integer);
    case SQLITE_FLOAT:
        return column.real;
    case SQLITE_TEXT:
        return column.bytes ? QString::fromUtf8(column.bytes, column.size) : QString(QLatin1String(""));
    case SQLITE_BLOB:
        return QByteArray(column.bytes, column.size);
    default:
        return {};
    }
}

QVariant Database::fieldValue(const ColumnView& column, const FieldSchema& field)
{
    if (column.type == SQLITE_NULL)
        return FieldFormat::blank(field);
    if (field.isTextual())
        return column.type == SQLITE_TEXT ? columnValue(column) : columnValue(column).toString();
    if (field.isNumeric()) {
        if (column.type == SQLITE_FLOAT || column.type == SQLITE_INTEGER)
            return column.real;
        return columnValue(column).toDouble();
    }
    return columnValue(column);
}

QVariant Database::columnValue(sqlite3_stmt* statement, int column)
{
    return columnValue(columnView(statement, column));
}

QVariant Database::fieldValue(sqlite3_stmt* statement, int column, const FieldSchema& field)
{
    return fieldValue(columnView(statement, column), field);
}

const QString& Database::columnList(const TableSchema& table)
{
    auto found = m_columnLists.find(&table);
    if (found == m_columnLists.end()) {
        QStringList columns;
        for (const FieldSchema& field : table.fields)
            columns << quoted(field.name);
        found = m_columnLists.insert(&table, columns.join(QLatin1Char(',')));
    }
    return *found;
}

void Database::run(QSqlQuery& query, const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (!query.exec())
        throw DataError(storeError(query.lastError()));
}

void Database::exec(const QString& sql)
{
    execRaw(sql.toUtf8().constData());
}

void Database::execRaw(const char* sql)
{
    const int result = sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        const QString engineText = QString::fromUtf8(sqlite3_errmsg(m_handle));
        const int code = roomAware(result, m_handle);
        throw EngineError(code, engineText, engineMessage(code, engineText), sqlite3_system_errno(m_handle));
    }
}

void Database::holdWritesUntil(std::shared_future<QString> damage)
{
    m_pendingDamageVerdict = std::move(damage);
}

void Database::inTransaction(const std::function<void()>& work)
{
    if (m_pendingDamageVerdict.valid()) {
        // Only a write in the first moment after start-up waits here.
        m_damage = m_pendingDamageVerdict.get();
        m_pendingDamageVerdict = {};
    }
    if (!m_damage.isEmpty())
        throw DamagedStoreError(m_damage);
    execRaw("BEGIN IMMEDIATE");
    try {
        work();
        execRaw("COMMIT");
    } catch (...) {
        if (!sqlite3_get_autocommit(m_handle))
            sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

bool Database::inTransaction() const
{
    return !sqlite3_get_autocommit(m_handle);
}

QString Database::consistencyOf(const QString& path)
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

void Database::backupFile(const QString& storePath, const QString& target)
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

void Database::checkpoint()
{
    sqlite3_wal_checkpoint_v2(m_handle, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

QString Database::quoted(const QString& identifier)
{
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}
