// The suite's own PostgreSQL server: started in a scratch folder, reached
// only through its socket there, durable across a restart, and gone with
// its owner, whoever runs the tests (root on CI).
#include "support/testserver.h"

#include <QtTest>
#include <libpq-fe.h>

#include <memory>

namespace {

using Connection = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

Connection connectTo(const TestServer& server)
{
    return Connection(PQconnectdb(server.connectionString().toUtf8().constData()), &PQfinish);
}

Result exec(PGconn* db, const char* sql, const QList<QByteArray>& values = {})
{
    std::vector<const char*> bound;
    for (const QByteArray& value : values)
        bound.push_back(value.constData());
    return Result(PQexecParams(db, sql, int(bound.size()), nullptr, bound.data(), nullptr, nullptr, 0), &PQclear);
}

} // namespace

class TestServerTest : public QObject {
    Q_OBJECT
private slots:
    void aPrivateServerKeepsWhatWasCommittedAcrossARestart()
    {
        TestServer server;
        {
            const Connection db = connectTo(server);
            QCOMPARE(PQstatus(db.get()), CONNECTION_OK);
            QCOMPARE(PQresultStatus(exec(db.get(), "CREATE TABLE semtler (ad text)").get()), PGRES_COMMAND_OK);
            // A quote in a bound value is just a quote.
            const QByteArray name = QStringLiteral("Kadıköy O'Brien").toUtf8();
            QCOMPARE(PQresultStatus(exec(db.get(), "INSERT INTO semtler VALUES ($1)", {name}).get()), PGRES_COMMAND_OK);
        }
        server.stop();
        QVERIFY(!server.isRunning());
        server.start();
        const Connection db = connectTo(server);
        const Result rows = exec(db.get(), "SELECT ad FROM semtler");
        QCOMPARE(PQntuples(rows.get()), 1);
        QCOMPARE(QString::fromUtf8(PQgetvalue(rows.get(), 0, 0)), QStringLiteral("Kadıköy O'Brien"));
    }

    void theServerIsGoneWithItsOwner()
    {
        QString connection;
        {
            TestServer server;
            connection = server.connectionString();
            QCOMPARE(PQstatus(Connection(PQconnectdb(connection.toUtf8().constData()), &PQfinish).get()),
                     CONNECTION_OK);
        }
        // No socket, no folder: nothing listens there any more.
        const Connection db(PQconnectdb(connection.toUtf8().constData()), &PQfinish);
        QCOMPARE(PQstatus(db.get()), CONNECTION_BAD);
    }
};

QTEST_GUILESS_MAIN(TestServerTest)
#include "tst_testserver.moc"
