// evlora-server kur: an agency's store moved onto a server in one step, keys
// kept and numbering going on after them; a database that holds the tables
// already is left alone.
#include "data/backups.h"
#include "data/catalogue.h"
#include "platform/engine/dataset.h"
#include "platform/engine/postgresengine.h"
#include "platform/engine/table.h"
#include "support/testserver.h"
#include "support/testsupport.h"

#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int status;
    QString output;
};

Run evloraServer(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(EVLORA_SERVER), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

} // namespace

class ServerMoveTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void aStoreMovesWholeWithItsKeys()
    {
        TestServer server;
        server.execute(QStringLiteral("CREATE DATABASE ajans"));
        QTemporaryDir folder;
        const QByteArray picture("\x00\xff\x01JPEG'\"", 10);
        {
            const std::unique_ptr<Database> local = Catalogue::openStore(folder.path());
            Table flats(*local, QStringLiteral("kdgiris"));
            flats.open();
            for (const char* district : {"Kadıköy", "Şişli", "Beşiktaş"}) {
                flats.append();
                flats.setText(QStringLiteral("Semtadi"), QString::fromUtf8(district));
                flats.setText(QStringLiteral("Fiyati"), QStringLiteral("15000,5"));
                flats.post();
            }
            flats.first();
            flats.remove(); // a gap in the keys, kept on the server
            local->execute(QStringLiteral("INSERT INTO tel (Ad, Resim) VALUES (?, ?)"),
                           {QStringLiteral("O'Neil"), picture});
        }
        const QString connection = server.connectionString(QStringLiteral("ajans"));
        const Run moved = evloraServer({QStringLiteral("kur"), connection, folder.path()});
        QVERIFY2(moved.status == 0, qPrintable(moved.output));
        QVERIFY(moved.output.contains(QStringLiteral("sunucuya taşındı")));

        // The folder now runs on the server: the same rows under the same keys.
        const std::unique_ptr<Database> served = Catalogue::openStore(folder.path());
        QVERIFY(!served->sqlite());
        Table flats(*served, QStringLiteral("kdgiris"));
        flats.open();
        QCOMPARE(valuesOf(flats, QStringLiteral("Semtadi")), (QStringList{QStringLiteral("Şişli"), QStringLiteral("Beşiktaş")}));
        flats.first();
        QCOMPARE(flats.integer(QStringLiteral("No")), 2);
        QCOMPARE(flats.value(QStringLiteral("Fiyati")).toDouble(), 15000.5);
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Üsküdar"));
        flats.post();
        QCOMPARE(flats.integer(QStringLiteral("No")), 4); // after the highest moved, never a collision
        Table contacts(*served, QStringLiteral("tel"));
        contacts.open();
        QCOMPARE(contacts.text(QStringLiteral("Ad")), QStringLiteral("O'Neil"));
        QCOMPARE(contacts.value(QStringLiteral("Resim")).toByteArray(), picture);
        QCOMPARE(rowsOnDisk(folder.filePath(Catalogue::StoreFileName), QStringLiteral("semtler")),
                 int(Catalogue::table(QStringLiteral("semtler")).seedRows.size()));

        // Once more onto the same database: refused, nothing changed.
        QTemporaryDir other;
        const Run again = evloraServer({QStringLiteral("kur"), connection, other.path()});
        QCOMPARE(again.status, 1);
        QVERIFY2(again.output.contains(QStringLiteral("zaten var")), qPrintable(again.output));
        QVERIFY(!QFileInfo::exists(other.filePath(PostgresEngine::SettingFileName)));
        QCOMPARE(rowsOnDisk(folder.filePath(Catalogue::StoreFileName), QStringLiteral("kdgiris")), 3);
    }

    // The server restarted under a desk's feet: the post fails with its
    // reason, the typing waits in edit, nothing is half-written, and the next
    // post reaches the server again without the program being restarted.
    void aLostServerIsFoundAgain()
    {
        TestServer server;
        server.execute(QStringLiteral("CREATE DATABASE ajans"));
        QTemporaryDir folder;
        QVERIFY(evloraServer({QStringLiteral("kur"), server.connectionString(QStringLiteral("ajans")), folder.path()})
                    .status
                == 0);
        const std::unique_ptr<Database> store = Catalogue::openStore(folder.path());
        Table flats(*store, QStringLiteral("kdgiris"));
        flats.open();
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        flats.post();
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Şişli"));
        server.stop();
        QCOMPARE(messageOf([&] { flats.post(); }),
                 QStringLiteral("Sunucuyla bağlantı koptu; kayıt yazılamadı. Değişiklikleriniz ekranda duruyor: "
                                "bağlantı dönünce yeniden onaylayın."));
        QCOMPARE(flats.state(), DatasetState::Insert);
        QCOMPARE(flats.text(QStringLiteral("Semtadi")), QStringLiteral("Şişli"));
        server.start();
        flats.post();
        QCOMPARE(flats.state(), DatasetState::Browse);
        QCOMPARE(valuesOf(flats, QStringLiteral("Semtadi")), (QStringList{QStringLiteral("Kadıköy"), QStringLiteral("Şişli")}));
    }

    // Each start on a server dumps its database into the desk's backup
    // folder, checked, as many kept as of the file's copies; a dump brings
    // the data back on another database.
    void eachStartDumpsTheServer()
    {
        TestServer server;
        server.execute(QStringLiteral("CREATE DATABASE ajans"));
        server.execute(QStringLiteral("CREATE DATABASE geri"));
        QTemporaryDir folder;
        QVERIFY(evloraServer({QStringLiteral("kur"), server.connectionString(QStringLiteral("ajans")), folder.path()})
                    .status
                == 0);
        const QDateTime morning(QDate(2026, 12, 10), QTime(8, 0));
        for (int start = 0; start < Backups::KeptStarts + 2; ++start) {
            Backups::Start opened = Backups::openAtStart(folder.path(), morning.addSecs(60 * start));
            if (start == 0) {
                Table flats(*opened.store, QStringLiteral("kdgiris"));
                flats.open();
                flats.append();
                flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
                flats.post();
            }
            QCOMPARE(opened.outcome.get().failure, QString());
        }
        const QStringList dumps = Backups::serverDumps(folder.path());
        QCOMPARE(dumps.size(), Backups::KeptStarts);
        QVERIFY(dumps.first().endsWith(QStringLiteral("-5.dump")));

        QProcess restore;
        restore.start(QStringLiteral("pg_restore"),
                      {QStringLiteral("--dbname=") + server.connectionString(QStringLiteral("geri")), dumps.first()});
        QVERIFY(restore.waitForFinished(60000));
        QCOMPARE(restore.exitCode(), 0);
        QTemporaryDir other;
        QFile setting(other.filePath(PostgresEngine::SettingFileName));
        QVERIFY(setting.open(QIODevice::WriteOnly));
        setting.write(server.connectionString(QStringLiteral("geri")).toUtf8());
        setting.close();
        QCOMPARE(rowsOnDisk(other.filePath(Catalogue::StoreFileName), QStringLiteral("kdgiris"), QStringLiteral("WHERE Semtadi = 'Kadıköy'")), 1);
    }

    void itsCommandLineTouchesNothingUntilItIsRight()
    {
        QTemporaryDir folder;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
        const Run version = evloraServer({QStringLiteral("--version")});
        QCOMPARE(version.status, 0);
        QVERIFY(version.output.startsWith(QStringLiteral("evlora-server ")));
        QCOMPARE(evloraServer({QStringLiteral("--help")}).status, 0);
        const Run wrong = evloraServer({QStringLiteral("kurr"), QStringLiteral("host=/yok")});
        QCOMPARE(wrong.status, 2);
        QVERIFY(wrong.output.startsWith(QStringLiteral("Kullanım: evlora-server kur")));
        const Run unreachable = evloraServer({QStringLiteral("kur"), QStringLiteral("host=/yok/boyle/bir/yer")});
        QCOMPARE(unreachable.status, 1);
        QVERIFY2(unreachable.output.startsWith(QStringLiteral("Sunucuya ulaşılamadı")), qPrintable(unreachable.output));
        QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void theClerkIsToldWhatIsWrongWithTheServer()
    {
        TestServer server;
        server.execute(QStringLiteral("CREATE DATABASE bos"));
        QTemporaryDir folder;
        QFile setting(folder.filePath(PostgresEngine::SettingFileName));
        QVERIFY(setting.open(QIODevice::WriteOnly));
        setting.write(server.connectionString(QStringLiteral("bos")).toUtf8());
        setting.close();
        QVERIFY(messageOf([&] { Catalogue::openStore(folder.path()); })
                    .startsWith(QStringLiteral("Sunucudaki 'bos' veritabanında Evlora'nın tabloları yok.")));
        server.stop();
        QVERIFY(messageOf([&] { Catalogue::openStore(folder.path()); }).startsWith(QStringLiteral("Sunucuya ulaşılamadı")));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{PostgresEngine::SettingFileName});
    }
};

QTEST_GUILESS_MAIN(ServerMoveTest)
#include "tst_servermove.moc"
