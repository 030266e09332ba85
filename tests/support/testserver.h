#pragma once

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of the test's own: a new cluster in a scratch folder,
// listening only on a Unix socket inside it (no TCP), stopped and removed
// when the object goes, a failed test included. Run as root (as CI runs),
// the server runs as the unprivileged user "nobody", since PostgreSQL
// refuses to run as root.
class TestServer {
public:
    TestServer(); // throws std::runtime_error with the server's own words
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // A libpq connection string for a database on this server.
    QString connectionString(const QString& database = QStringLiteral("postgres")) const;
    QString socketFolder() const { return m_folder.path(); }
    // Runs SQL that returns no rows as the server's owner; throws
    // std::runtime_error with the server's words.
    void execute(const QString& sql, const QString& database = QStringLiteral("postgres")) const;

    void stop();
    void start();
    bool isRunning() const { return m_running; }

private:
    void run(const QString& program, const QStringList& arguments) const;

    QTemporaryDir m_folder;
    QString m_bin;
    bool m_running = false;
};
