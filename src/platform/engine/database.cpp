#include "platform/engine/database.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/turkishtext.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <atomic>
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
    for (sqlite3_stmt* statement : std::as_const(m_rawStatements))
        sqlite3_finalize(statement);
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
        QSqlQuery info(m_db);
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table.name))))
            throw DataError(QStringLiteral("Veri dosyası okunamadı (%1): %2").arg(table.name, storeError(info.lastError())));
        QHash<QString, QString> columns; // name -> declared type
        while (info.next())
            columns.insert(info.value(1).toString(), info.value(2).toString());
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

void Database::select(const QString& sql, const QVariantList& values,
                      const std::function<void(sqlite3_stmt*)>& row)
{
    sqlite3_stmt* statement = m_rawStatements.value(sql);
    if (!statement) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v3(m_handle, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &statement,
                               nullptr) != SQLITE_OK)
            throw DataError(QString::fromUtf8(sqlite3_errmsg(m_handle)));
        m_rawStatements.insert(sql, statement);
    }
    struct Reset {
        sqlite3_stmt* statement;
        ~Reset()
        {
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
        }
    } reset{statement};

    for (int i = 0; i < values.size(); ++i) {
        const QVariant& value = values.at(i);
        const int at = i + 1;
        if (value.isNull()) {
            sqlite3_bind_null(statement, at);
            continue;
        }
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            sqlite3_bind_int64(statement, at, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(statement, at, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            sqlite3_bind_blob(statement, at, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QString text = value.toString();
            sqlite3_bind_text16(statement, at, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW)
        row(statement);
    if (step != SQLITE_DONE)
        throw DataError(QString::fromUtf8(sqlite3_errmsg(m_handle)));
}

QVariant Database::columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_TEXT:
        return QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_text16(statement, column)),
                                  sqlite3_column_bytes16(statement, column) / 2);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    default:
        return {};
    }
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
    QSqlQuery query(m_db);
    if (!query.exec(sql))
        throw DataError(storeError(query.lastError()));
}

void Database::inTransaction(const std::function<void()>& work)
{
    exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        work();
        exec(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery rollback(m_db);
        rollback.exec(QStringLiteral("ROLLBACK"));
        throw;
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
