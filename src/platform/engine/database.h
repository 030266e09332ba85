#pragma once

#include "platform/engine/schema.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVector>
#include <functional>
#include <future>
#include <memory>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class Database;

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
    void bindInteger(int at, qint64 value);
    // True while rows come; throws DataError with the store's message.
    bool step();
    // Resets the statement and hands it back; the lease is empty afterwards.
    void release();
    // Resets the statement and clears its values but keeps the lease, for
    // running it again with other values (no read is left open).
    void rewind();

    bool isValid() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }

private:
    friend class Database;
    struct Slot {
        Database* database;
        QByteArray sql;
        std::vector<sqlite3_stmt*> idle;
    };
    Slot* m_slot = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    std::weak_ptr<bool> m_storeAlive;
};

// The one store of the program: a single SQLite file holding every table of
// the catalogue. Opening a path that holds no store creates it with all
// tables and their shipped rows; opening an existing store first checks that
// every table and field is there and changes nothing if one is not.
//
// Every change goes through a transaction that is on disk when it commits
// (write-ahead log, full sync), so a posted record survives a power cut.
struct DatasetTexts;

class Database {
public:
    // Whether opening reads every page for damage, or leaves that to a check
    // the caller runs (the start-up backup reads every page anyway).
    enum class ConsistencyCheck { AtOpen, ByCaller };
    // Throws DataError with a message that names the broken table.
    static std::unique_ptr<Database> open(const QString& path, const QVector<TableSchema>& catalogue,
                                          ConsistencyCheck check = ConsistencyCheck::AtOpen);
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
    // A column as SQLite holds it; text is read as UTF-8 and converted once.
    static QVariant columnValue(sqlite3_stmt* statement, int column);
    static QString columnText(sqlite3_stmt* statement, int column);
    // Appends the column's text to out, decoded in place.
    static void appendColumnText(sqlite3_stmt* statement, int column, QString& out);
    // A column converted to what a field of this kind holds (a number for
    // numeric fields, text for text fields, the field's blank for NULL).
    static QVariant fieldValue(sqlite3_stmt* statement, int column, const FieldSchema& field);

    // A column as SQLite gave it, not yet converted: what a grid's page keeps
    // of its rows, so that only the cells shown become values. Text and blob
    // bytes belong to whoever made the view.
    struct ColumnView {
        int type = 5; // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL (5)
        qint64 integer = 0;
        double real = 0;
        const char* bytes = nullptr;
        int size = 0;
    };
    static ColumnView columnView(sqlite3_stmt* statement, int column);
    static QVariant columnValue(const ColumnView& column);
    static QVariant fieldValue(const ColumnView& column, const FieldSchema& field);

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
    bool inTransaction() const;

    // Copies what the write-ahead log holds into the store file itself, as far
    // as no reader stands in the way. Posted records are durable without it.
    void checkpoint();

    // Writes a consistent copy of the store file at storePath to target
    // through SQLite's online backup on a connection of its own (so it may run
    // on another thread while the program works), then checks the copy; a copy
    // that fails its check is removed and the store named damaged
    // (DamagedStoreError). target appears only whole.
    static void backupFile(const QString& storePath, const QString& target);
    // "ok", or the first findings of the consistency check of the file at path.
    static QString consistencyOf(const QString& path);
    // What the clerk is told of a store the check found damaged.
    static QString damagedMessage(const QString& path, const QString& findings);

    sqlite3* handle() const { return m_handle; }
    QSqlDatabase& connection() { return m_db; }

    static QString quoted(const QString& identifier);

    // The layout this program writes, kept in the store; a store written by a
    // later layout is refused untouched.
    static constexpr int SchemaVersion = 1;
    // What the clerk is told when the engine fails with this result code: the
    // cause and what to do, in Turkish, the advice fitting what was being
    // done (only a failed post has changes waiting on the screen). Other
    // failures keep the engine's text.
    enum class EngineContext { Other, Post };
    static QString engineMessage(int code, const QString& engineText, EngineContext context = EngineContext::Other);
    // What went wrong, as a short Turkish clause for a message of the
    // caller's own ("'X' kopyalanamadı: diskte yer kalmadı.").
    static QString engineCause(int code, const QString& engineText, int systemError = 0);
    // The consistency check's English findings said in Turkish: what is wrong
    // with the file, with a count of damaged places instead of the raw lines.
    static QString findingsInTurkish(const QString& findings);

private:
    friend class SqlStatement;
    struct SqlHash {
        size_t operator()(const QString& sql) const noexcept { return qHash(sql); }
    };
    SqlStatement::Slot& slotFor(const QString& sql);
    void execRaw(const char* sql);

    Database(const QString& path, const QVector<TableSchema>& catalogue);
    void checkBeforeOpening();
    void connect();
    bool holdsNoTables();
    void checkVersion();
    void checkConsistency();
    bool writesAtOpen();
    void validate();
    void create();
    // Makes a store that does not exist yet at path, whole, or nothing.
    static void createAside(const QString& path, const QVector<TableSchema>& catalogue);
    void applyPragmas();
    void ensureIndexes();
    void exec(const QString& sql);

    QString m_path;
    int m_storedVersion = 0;
    QVector<TableSchema> m_catalogue;
    QString m_connectionName;
    QSqlDatabase m_db;
    sqlite3* m_handle = nullptr;
    QHash<QString, QSqlQuery> m_statements;
    // Prepared statements by SQL text: the idle ones wait in their slot.
    std::unordered_map<QString, std::unique_ptr<SqlStatement::Slot>, SqlHash> m_slots;
    std::vector<sqlite3_stmt*> m_lent; // leased now, finalized with the store if never returned
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    QHash<const TableSchema*, QString> m_columnLists;
    QHash<QPair<const TableSchema*, QString>, std::shared_ptr<DatasetTexts>> m_datasetTexts;
    std::shared_future<QString> m_pendingDamageVerdict;
    QString m_damage; // non-empty once a check found the store damaged
};
