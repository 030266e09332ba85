#pragma once

#include "platform/engine/schema.h"
#include "platform/engine/storeengine.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The embedded store: one SQLite file holding every table of the catalogue,
// for one program at a time. Opening a path that holds no store creates it
// with all tables and their shipped rows; opening an existing store first
// checks that every table and field is there and changes nothing if one is
// not. Commits are on disk when they return (write-ahead log, full sync).
//
// Tables added after the first layout (`added`) stand beside the catalogue's:
// an older store that lacks one gets it at open, after the store's check, and
// its version raised; one it has is checked like the others.
class SqliteEngine final : public StoreEngine {
public:
    // Throws DataError with a message that names the broken table.
    static std::unique_ptr<SqliteEngine> open(const QString& path, const QVector<TableSchema>& catalogue,
                                              ConsistencyCheck check, const QVector<TableSchema>& added = {});
    ~SqliteEngine() override;

    std::unique_ptr<EngineStatement> prepare(const QByteArray& sql) override;
    void execute(const char* sql) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    bool inTransaction() const override;
    qint64 lastInsertKey() const override;
    qint64 lastChanges() const override;
    qint64 changeCount() const override;
    QString postFailureMessage(const EngineError& error) const override;

    sqlite3* handle() const { return m_handle; }
    // A column of a statement's current row as this engine gives it.
    static ColumnView columnView(sqlite3_stmt* statement, int column);
    QSqlDatabase& connection() { return m_db; }

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

    // The layout this program writes, kept in the store; a store written by a
    // later layout is refused untouched.
    // 1: the fourteen tables; 2: the listings' pictures beside them;
    // 3: the showings' listings and the call sheets' trail.
    static constexpr int SchemaVersion = 3;

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
    SqliteEngine(const QString& path, const QVector<TableSchema>& catalogue, const QVector<TableSchema>& added);
    void checkBeforeOpening();
    void connect();
    bool holdsNoTables();
    void checkVersion();
    void checkConsistency();
    bool writesAtOpen();
    void validate();
    void validate(const TableSchema& table, const QHash<QString, QString>& columns);
    QHash<QString, QString> columnsOf(const TableSchema& table); // name -> declared type; empty when absent
    void create();
    void createTable(const TableSchema& table);
    // The added tables a store lacks, and the triggers that delete owned rows.
    QVector<TableSchema> missingAddedTables();
    bool lacksOwnership();
    void addMissingTables();
    void ensureOwnership();
    // Makes a store that does not exist yet at path, whole, or nothing.
    static void createAside(const QString& path, const QVector<TableSchema>& catalogue,
                            const QVector<TableSchema>& added);
    void applyPragmas();
    void ensureIndexes();
    void execute(const QString& sql) { execute(sql.toUtf8().constData()); }
    QStringList textColumn(const QString& sql, int column);

    QString m_path;
    QVector<TableSchema> m_catalogue;
    QVector<TableSchema> m_added;
    int m_storedVersion = 0;
    QString m_connectionName;
    QSqlDatabase m_db;
    sqlite3* m_handle = nullptr;
};
