#pragma once

#include "platform/engine/schema.h"
#include "platform/engine/storeengine.h"

#include <QElapsedTimer>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;
class QTimer;

// The store on a PostgreSQL server, for an agency with several desks: every
// desk's program connects to one database through libpq. Statements are the
// program's own, translated once (ServerSql) and prepared on the server,
// every value bound. A commit returns once the server has it on disk.
//
// A data folder runs on a server when it holds the server setting
// (SettingFileName) beside where the embedded store's file would be: a libpq
// connection string or "service=name". Passwords never appear in it; libpq
// reads them from ~/.pgpass or the service file.
class PostgresEngine final : public StoreEngine {
public:
    static inline const QString SettingFileName = QStringLiteral("evlora-sunucu.conf");
    // The connection the setting in folder names; nothing when the folder
    // holds no setting. Throws DataError when the setting cannot be read or
    // names nothing.
    static std::optional<QString> settingIn(const QString& folder);

    // Connects and checks that the database holds this program's tables,
    // changing nothing. Throws DataError with what the clerk is told: the
    // server unreachable, the login refused, no schema, a newer schema.
    // An older schema gets the added tables it lacks, and its version raised.
    static std::unique_ptr<PostgresEngine> open(const QString& connection, const QVector<TableSchema>& catalogue,
                                                const QVector<TableSchema>& added = {});

    // Creates the schema (tables, the Turkish folding and the area-as-number
    // functions, indexes, shipped rows) in one transaction on a database that
    // holds none of the tables; refuses one that does unless replacing, when
    // this program's tables there are dropped first in the same transaction.
    // With rows, the tables are filled from them instead of the shipped rows,
    // in the same transaction (see ServerSchema::create).
    // The added tables are made beside the catalogue's (filled from rows
    // too when given, dropped too when replacing).
    static void createSchema(const QString& connection, const QVector<TableSchema>& catalogue,
                             const std::function<void(const TableSchema&, const std::function<void(const QVariantList&)>&)>&
                                 rows = {},
                             const QVector<TableSchema>& added = {}, bool replacing = false);

    ~PostgresEngine() override;

    std::unique_ptr<EngineStatement> prepare(const QByteArray& sql) override;
    void execute(const char* sql) override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    bool inTransaction() const override;
    qint64 lastInsertKey() const override { return m_lastKey; }
    qint64 lastChanges() const override { return m_lastChanges; }
    qint64 changeCount() const override { return m_changes; }
    QString postFailureMessage(const EngineError& error) const override;
    bool sharedByDesks() const override { return true; }
    void keysGivenIn(const TableSchema& table) override;
    void watchOtherDesks(std::function<void(const QString& table)> changed) override;

    // A statement as it went to the server, for the benchmarks' bare twin:
    // prepared ones with their values, the rest (BEGIN, COMMIT) as plain text.
    struct Sent {
        QByteArray sql;
        bool prepared = false;
        bool plannedEachRun = false; // sent with its values and planned anew (PQexecParams)
        std::vector<QByteArray> values;
        std::vector<bool> bound;
        std::vector<int> formats;
    };
    void traceInto(std::function<void(const Sent&)> trace) { m_trace = std::move(trace); }

    // The layout this program writes on a server. 1: the fourteen tables;
    // 2: the listings' pictures beside them; 3: the showings' listings and
    // the call sheets' trail.
    static constexpr int SchemaVersion = 3;
    // EngineError's code when the server could not be reached mid-work.
    static constexpr int ConnectionLost = -1;

private:
    friend class PostgresStatement;
    PostgresEngine(const QString& connection, const QVector<TableSchema>& catalogue);
    void connect();
    void checkSchema(const QVector<TableSchema>& added);
    // The connection, made again if it was lost (statements prepare anew).
    pg_conn* live();
    // Notes what a statement that ran has changed.
    void ran(qint64 changes, std::optional<qint64> key);

    // Hands on what other desks committed (LISTEN), a few times a second.
    void takeNotices();
    void listen();
    // A lost server is looked for between the clerk's actions, so lists
    // learn of other desks again without the clerk doing anything.
    void findServerAgain();
    // A new session: statements prepare anew, notices are asked for again,
    // and every list reads afresh.
    void reconnected();

    std::function<void(const QString&)> m_changedElsewhere;
    std::function<void(const Sent&)> m_trace;
    std::unique_ptr<QTimer> m_noticeTimer;
    QString m_connection;
    QVector<TableSchema> m_catalogue;
    pg_conn* m_conn = nullptr;
    int m_generation = 0; // grows with every new connection
    bool m_reconnecting = false; // a connection started by findServerAgain is on its way
    QElapsedTimer m_lastAttempt;
    int m_statementNames = 0;
    qint64 m_lastKey = 0;
    qint64 m_lastChanges = 0;
    qint64 m_changes = 0;
};
