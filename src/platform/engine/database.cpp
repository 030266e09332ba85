#include "platform/engine/database.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/turkishtext.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <atomic>
#include <utility>
#include <sqlite3.h>

namespace {

std::atomic<int> connectionCounter{0};

QString storeError(const QSqlError& error)
{
    const QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

QString indexName(const TableSchema& table, const IndexSchema& index)
{
    return table.name + QLatin1Char('_') + index.fields.join(QLatin1Char('_'));
}

} // namespace

std::unique_ptr<Database> Database::open(const QString& path, const QVector<TableSchema>& catalogue)
{
    std::unique_ptr<Database> db(new Database(path, catalogue));
    db->connect();
    if (db->holdsNoTables()) {
        db->applyPragmas();
        db->create();
    } else {
        db->validate(); // before anything is written to a file we did not make
        db->applyPragmas();
        db->ensureIndexes();
    }
    return db;
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
    if (!m_db.open())
        throw DataError(QStringLiteral("'%1' açılamadı: %2").arg(m_path, storeError(m_db.lastError())));

    const QVariant handle = m_db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_handle = *static_cast<sqlite3* const*>(handle.constData());
    if (!m_handle)
        throw DataError(QStringLiteral("The SQLite driver gave no connection handle"));
    TurkishText::installOn(m_handle);
    sqlite3_busy_timeout(m_handle, 5000);
}

bool Database::holdsNoTables()
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")) || !query.next())
        throw DataError(QStringLiteral("'%1' bir Evlora veri dosyası değil: %2")
                            .arg(m_path, storeError(query.lastError())));
    return query.value(0).toInt() == 0;
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
    });
}

void Database::ensureIndexes()
{
    for (const TableSchema& table : m_catalogue) {
        for (const IndexSchema& index : table.indexes) {
            QStringList fields;
            for (const QString& field : index.fields)
                fields << quoted(field);
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
        const QString message = QString::fromUtf8(sqlite3_errmsg(database.m_handle));
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_slot = nullptr;
        throw DataError(message);
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
    const QString message = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_statement)));
    sqlite3_reset(m_statement);
    throw DataError(message);
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

QVariant Database::columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_TEXT:
        return columnText(statement, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    default:
        return {};
    }
}

QVariant Database::fieldValue(sqlite3_stmt* statement, int column, const FieldSchema& field)
{
    const int type = sqlite3_column_type(statement, column);
    if (type == SQLITE_NULL)
        return FieldFormat::blank(field);
    if (field.isTextual()) {
        if (type == SQLITE_TEXT)
            return columnText(statement, column);
        return columnValue(statement, column).toString();
    }
    if (field.isNumeric()) {
        if (type == SQLITE_FLOAT || type == SQLITE_INTEGER)
            return sqlite3_column_double(statement, column);
        return columnValue(statement, column).toDouble();
    }
    return columnValue(statement, column);
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
    if (sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw DataError(QString::fromUtf8(sqlite3_errmsg(m_handle)));
}

void Database::inTransaction(const std::function<void()>& work)
{
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
