#pragma once

#include "platform/engine/schema.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The one store of the program: a single SQLite file holding every table of
// the catalogue. Opening a path that holds no store creates it with all
// tables and their shipped rows; opening an existing store first checks that
// every table and field is there and changes nothing if one is not.
//
// Every change goes through a transaction that is on disk when it commits
// (write-ahead log, full sync), so a posted record survives a power cut.
class Database {
public:
    // Throws DataError with a message that names the broken table.
    static std::unique_ptr<Database> open(const QString& path, const QVector<TableSchema>& catalogue);
    ~Database();

    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return m_path; }
    const QVector<TableSchema>& catalogue() const { return m_catalogue; }

    // Table names resolve in any letter case, with or without ".db"
    // ("semtler.db", "kiralanandaireler.dB", "KDGIRIS"). Throws when unknown.
    const TableSchema& table(const QString& name) const;
    const TableSchema* findTable(const QString& name) const;
    static QString canonicalTableName(const QString& name);

    // A prepared statement, prepared once per SQL text and reused.
    QSqlQuery& prepared(const QString& sql);
    // Binds the values in order, runs the statement; throws DataError with the
    // store's own message on failure.
    void run(QSqlQuery& query, const QVariantList& values = {});

    // Reading rows is the hot path of every grid and report, so it goes
    // straight to SQLite: a statement prepared once per SQL text, bound with
    // the values in order. The callback sees each row; the statement is reset
    // afterwards whatever happens.
    void select(const QString& sql, const QVariantList& values, const std::function<void(sqlite3_stmt*)>& row);
    static QVariant columnValue(sqlite3_stmt* statement, int column);

    // Runs work inside one write transaction: committed (and durable) when it
    // returns, rolled back entirely when it throws.
    void inTransaction(const std::function<void()>& work);

    // Copies what the write-ahead log holds into the store file itself, as far
    // as no reader stands in the way. Posted records are durable without it.
    void checkpoint();

    sqlite3* handle() const { return m_handle; }
    QSqlDatabase& connection() { return m_db; }

    static QString quoted(const QString& identifier);

private:
    Database(const QString& path, const QVector<TableSchema>& catalogue);
    void connect();
    bool holdsNoTables();
    void validate();
    void create();
    void applyPragmas();
    void ensureIndexes();
    void exec(const QString& sql);

    QString m_path;
    QVector<TableSchema> m_catalogue;
    QString m_connectionName;
    QSqlDatabase m_db;
    sqlite3* m_handle = nullptr;
    QHash<QString, QSqlQuery> m_statements;
    QHash<QString, sqlite3_stmt*> m_rawStatements;
};
