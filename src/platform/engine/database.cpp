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
            const QString expected = declaredSqlType(field);
            if (found->compare(expected, Qt::CaseInsensitive) != 0)
                throw DataError(QStringLiteral("Veri dosyası bozuk: '%1' tablosunun '%2' alanı %3 olmalı, %4 bulundu.")
                                    .arg(table.name, field.name, expected, *found));
        }
    }
}

void Database::applyPragmas()
{
    exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    exec(QStringLiteral("PRAGMA synchronous = FULL"));
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
