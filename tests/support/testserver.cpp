#include "support/testserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <libpq-fe.h>

#include <algorithm>
#include <stdexcept>
#include <unistd.h>

namespace {

// The newest server Debian installed (/usr/lib/postgresql/<version>/bin).
QString serverBinaries()
{
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    for (auto it = found.crbegin(); it != found.crend(); ++it) {
        const QString bin = versions.filePath(*it + QStringLiteral("/bin"));
        if (QFileInfo::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    throw std::runtime_error("no PostgreSQL server found under /usr/lib/postgresql (bash scripts/setup.sh installs it)");
}

} // namespace

TestServer::TestServer() : m_bin(serverBinaries())
{
    if (!m_folder.isValid())
        throw std::runtime_error("no scratch folder for the test server");
    if (geteuid() == 0) {
        // Run as root: the folder becomes nobody's, who runs the server.
        run(QStringLiteral("chown"), {QStringLiteral("nobody:nogroup"), m_folder.path()});
    }
    run(m_bin + QStringLiteral("/initdb"),
        {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")), QStringLiteral("-U"), QStringLiteral("evlora"),
         QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
         QStringLiteral("--no-instructions")});
    start();
}

TestServer::~TestServer()
{
    try {
        stop();
    } catch (const std::exception&) {
        // The folder goes all the same; a server left behind loses its socket and data.
    }
}

void TestServer::run(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (geteuid() == 0 && program != QLatin1String("chown")) {
        process.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                                             QStringLiteral("--clear-groups"), QStringLiteral("--")}
                                                     + QStringList{program} + arguments);
    } else {
        process.start(program, arguments);
    }
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error(QStringLiteral("%1 failed: %2")
                                     .arg(program, QString::fromLocal8Bit(process.readAll()))
                                     .toStdString());
}

void TestServer::start()
{
    if (m_running)
        return;
    run(m_bin + QStringLiteral("/pg_ctl"),
        {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")), QStringLiteral("-l"),
         m_folder.filePath(QStringLiteral("server.log")), QStringLiteral("-w"), QStringLiteral("-o"),
         QStringLiteral("-k %1 -c listen_addresses='' -c fsync=on").arg(m_folder.path()), QStringLiteral("start")});
    m_running = true;
    // A test that crashes never reaches the destructor: a watcher stops the
    // server within a second of this process ending, however it ends.
    const QString stop = QStringLiteral("%1/pg_ctl -D '%2' -m immediate stop >/dev/null 2>&1")
                             .arg(m_bin, m_folder.filePath(QStringLiteral("data")));
    const QString watch = QStringLiteral("while [ -d /proc/%1 ]; do sleep 1; done; %2")
                              .arg(QCoreApplication::applicationPid())
                              .arg(stop);
    if (geteuid() == 0)
        QProcess::startDetached(QStringLiteral("setpriv"), {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                                           QStringLiteral("--clear-groups"), QStringLiteral("--"),
                                                           QStringLiteral("sh"), QStringLiteral("-c"), watch});
    else
        QProcess::startDetached(QStringLiteral("sh"), {QStringLiteral("-c"), watch});
}

void TestServer::stop()
{
    if (!m_running)
        return;
    m_running = false;
    run(m_bin + QStringLiteral("/pg_ctl"), {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")),
                                            QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                                            QStringLiteral("stop")});
}

QString TestServer::connectionString(const QString& database) const
{
    return QStringLiteral("host=%1 user=evlora dbname=%2").arg(m_folder.path(), database);
}

void TestServer::execute(const QString& sql, const QString& database) const
{
    PGconn* connection = PQconnectdb(connectionString(database).toUtf8().constData());
    PGresult* result = PQstatus(connection) == CONNECTION_OK ? PQexec(connection, sql.toUtf8().constData()) : nullptr;
    const bool done = result && PQresultStatus(result) == PGRES_COMMAND_OK;
    const std::string words = PQerrorMessage(connection);
    PQclear(result);
    PQfinish(connection);
    if (!done)
        throw std::runtime_error(sql.toStdString() + ": " + words);
}
