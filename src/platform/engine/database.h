#pragma once

#include "platform/engine/schema.h"
#include "platform/engine/storeengine.h"
#include "platform/engine/storenotices.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <functional>
#include <future>
#include <memory>
#include <unordered_map>
#include <vector>

class Database;
class EngineError;
class SqliteEngine;
class PostgresEngine;

// A prepared statement lent by the store for one use: bound, stepped, and
// reset and handed back when the lease ends, so the next user of the same SQL
// text finds it prepared. Two leases of one text at once get two statements.
class SqlStatement {
public:
    SqlStatement() = default;
    SqlStatement(Database& database, const QString& sql); // throws DataError with the store's message
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&& other) noexcept;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;
    ~SqlStatement() { release(); }

    // Binds values in order from position `first` (1-based); returns the next free position.
    int bind(const QVariantList& values, int first = 1);
    void bind(int at, const QVariant& value);
    void bindInteger(int at, qint64 value) { m_statement->bindInteger(at, value); }
    // True while rows come; throws DataError with the store's message.
    bool step() { return m_statement->step(); }
    // Resets the statement and hands it back; the lease is empty afterwards.
    void release();
    // Resets the statement and clears its values but keeps the lease, for
    // running it again with other values (no read is left open).
    void rewind();

    bool isValid() const { return m_statement != nullptr; }

    // The current row's columns, counted from 0.
    int columnCount() const { return m_statement->columnCount(); }
    ColumnView column(int at) const { return m_statement->column(at); }
    qint64 integer(int at) const { return m_statement->integer(at); }
    QString text(int at) const;
    QVariant value(int at) const;
    // A column converted to what a field of this kind holds.
    QVariant fieldValue(int at, const FieldSchema& field) const;

private:
    friend class Database;
    struct Slot {
        Database* database;
        QByteArray sql;
        std::vector<std::unique_ptr<EngineStatement>> idle;
    };
    Slot* m_slot = nullptr;
    EngineStatement* m_statement = nullptr;
    std::weak_ptr<bool> m_storeAlive;
};

// The one store of the program, holding every table of the catalogue: today
// the embedded SQLite file (SqliteEngine). Every change goes through a
// transaction that is on disk when it commits, so a posted record survives a
// power cut.
struct DatasetTexts;

class Database {
public:
    using ConsistencyCheck = ::ConsistencyCheck;
    // Throws DataError with a message that names the broken table. The added
    // tables stand beside the catalogue's: made when a store lacks them,
    // never a reason to refuse it (see SqliteEngine, ServerSchema).
    static std::unique_ptr<Database> open(const QString& path, const QVector<TableSchema>& catalogue,
                                          ConsistencyCheck check = ConsistencyCheck::AtOpen,
                                          const QVector<TableSchema>& added = {});
    ~Database();

    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return m_path; }
    const QVector<TableSchema>& catalogue() const { return m_catalogue; }
    const QVector<TableSchema>& addedTables() const { return m_added; }

    // Table names resolve in any letter case, with or without ".db"
    // ("semtler.db", "kiralanandaireler.dB", "KDGIRIS"), added tables too.
    // Throws when unknown.
    const TableSchema& table(const QString& name) const;
    const TableSchema* findTable(const QString& name) const;
    static QString canonicalTableName(const QString& name);

    // Runs a statement that returns no rows with the values bound in order;
    // returns how many rows it changed. Throws DataError with the store's
    // message.
    qint64 execute(const QString& sql, const QVariantList& values = {});

    // Reading rows is the hot path of every grid and report: a statement
    // prepared once per SQL text, bound with the values in order. The
    // callback sees each row; the statement is reset afterwards whatever
    // happens.
    void select(const QString& sql, const QVariantList& values, const std::function<void(const SqlStatement&)>& row);

    // A column as the engine gave it, converted: text as text, numbers as
    // numbers, bytes as bytes, NULL as an invalid value.
    using ColumnView = ::ColumnView;
    static QVariant columnValue(const ColumnView& column);
    // A column converted to what a field of this kind holds (a number for
    // numeric fields, text for text fields, the field's blank for NULL).
    static QVariant fieldValue(const ColumnView& column, const FieldSchema& field);
    // Appends the column's text to out, decoded in place.
    static void appendText(const ColumnView& column, QString& out);

    // The quoted column list of a table, in declaration order, made once.
    const QString& columnList(const TableSchema& table);
    // The statements shared by every dataset on table under condition; an
    // empty pointer until the first such dataset has made them.
    std::shared_ptr<DatasetTexts>& datasetTexts(const TableSchema& table, const QString& condition)
    {
        return m_datasetTexts[qMakePair(&table, condition)];
    }

    // Runs work inside one write transaction: committed (and durable) when it
    // returns, rolled back entirely when it throws. Every write of the
    // program goes through here.
    void inTransaction(const std::function<void()>& work);
    // Writes wait for the verdict of a consistency check made elsewhere: an
    // empty verdict lets them through, a damage message refuses every write
    // from then on (DamagedStoreError), so a damaged store is never written to.
    void holdWritesUntil(std::shared_future<QString> damage);
    bool inTransaction() const { return m_engine->inTransaction(); }

    // The engine's word on the last write, for the table that made it.
    qint64 lastInsertKey() const { return m_engine->lastInsertKey(); }
    qint64 lastChanges() const { return m_engine->lastChanges(); }
    // Grows with every change written through this store.
    qint64 changeCount() const { return m_engine->changeCount(); }
    // Changes other desks commit, as they land (a server store's).
    StoreNotices& notices() { return m_notices; }
    // Whether other desks write to this store while this one works.
    bool sharedByDesks() const { return m_engine->sharedByDesks(); }
    // Rows were written into table with their keys given: records posted
    // later are numbered after the highest.
    void keysGivenIn(const TableSchema& table) { m_engine->keysGivenIn(table); }
    // What the clerk is told when a post fails with this error.
    QString postFailureMessage(const EngineError& error) const;

    // Copies what the embedded store's write-ahead log holds into the file
    // itself; posted records are durable without it.
    void checkpoint();

    // The embedded store's engine, for what only it has (its file's backup,
    // the statement trace of the benchmarks); null on another engine.
    SqliteEngine* sqlite() const { return m_sqlite; }
    // The server store's engine, for what only it has; null on another engine.
    PostgresEngine* server() const { return m_server; }

    static QString quoted(const QString& identifier) { return quotedIdentifier(identifier); }

private:
    friend class SqlStatement;
    struct SqlHash {
        size_t operator()(const QString& sql) const noexcept { return qHash(sql); }
    };
    SqlStatement::Slot& slotFor(const QString& sql);

    Database(const QString& path, const QVector<TableSchema>& catalogue, const QVector<TableSchema>& added,
             std::unique_ptr<StoreEngine> engine);

    QString m_path;
    QVector<TableSchema> m_catalogue;
    QVector<TableSchema> m_added;
    std::unique_ptr<StoreEngine> m_engine; // outlives the statements below
    SqliteEngine* m_sqlite = nullptr;
    PostgresEngine* m_server = nullptr;
    // Prepared statements by SQL text: the idle ones wait in their slot.
    std::unordered_map<QString, std::unique_ptr<SqlStatement::Slot>, SqlHash> m_slots;
    // Leased now; destroyed with the store if never returned.
    std::vector<std::unique_ptr<EngineStatement>> m_lent;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    QHash<const TableSchema*, QString> m_columnLists;
    QHash<QPair<const TableSchema*, QString>, std::shared_ptr<DatasetTexts>> m_datasetTexts;
    StoreNotices m_notices;
    std::shared_future<QString> m_pendingDamageVerdict;
    QString m_damage; // non-empty once a check found the store damaged
};
