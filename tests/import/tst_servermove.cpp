// evlora-server kur: an agency's store moved onto a server in one step, keys
// kept and numbering going on after them; a database that holds the tables
// already is left alone.
#include "data/backups.h"
#include "data/catalogue.h"
#include "data/listingpictures.h"
#include "platform/engine/dataset.h"
#include "platform/engine/postgresengine.h"
#include "platform/engine/table.h"
#include "paradoxfixtures.h"
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

// Makes the server's database "ajans" and sets the folder running on it,
// as evlora-server kur leaves an agency's first desk.
bool runsOnNewDatabase(TestServer& server, const QTemporaryDir& folder)
{
    server.execute(QStringLiteral("CREATE DATABASE ajans"));
    return evloraServer({QStringLiteral("kur"), server.connectionString(QStringLiteral("ajans")), folder.path()}).status
           == 0;
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

    // A row the server will not take (text in a number field, which the
    // file kept) stops the move with the table named, well after the first
    // batch of rows went out, and leaves nothing behind: once the row is
    // mended the same command moves the store.
    void aRefusedRowStopsTheMoveAndLeavesNothing()
    {
        TestServer server;
        server.execute(QStringLiteral("CREATE DATABASE ajans"));
        QTemporaryDir folder;
        {
            const std::unique_ptr<Database> local = Catalogue::openStore(folder.path());
            local->execute(QStringLiteral("INSERT INTO kdgiris (Semtadi, Fiyati) WITH RECURSIVE n(i) AS (SELECT 1 UNION "
                                          "ALL SELECT i + 1 FROM n WHERE i < 1800) SELECT 'Kadıköy', i FROM n"));
            local->execute(QStringLiteral("UPDATE kdgiris SET Fiyati = 'pazarlıklı' WHERE No = 1234"));
        }
        const QString connection = server.connectionString(QStringLiteral("ajans"));
        const Run refused = evloraServer({QStringLiteral("kur"), connection, folder.path()});
        QVERIFY(refused.status != 0);
        QVERIFY2(refused.output.contains(QStringLiteral("'kdgiris' tablosunun bir kaydını almadı")), qPrintable(refused.output));
        QVERIFY(!QFileInfo::exists(QDir(folder.path()).filePath(PostgresEngine::SettingFileName)));

        {
            const std::unique_ptr<Database> local = Catalogue::openStore(folder.path());
            local->execute(QStringLiteral("UPDATE kdgiris SET Fiyati = 1234 WHERE No = 1234"));
        }
        const Run moved = evloraServer({QStringLiteral("kur"), connection, folder.path()});
        QVERIFY2(moved.status == 0, qPrintable(moved.output));
        const std::unique_ptr<Database> served = Catalogue::openStore(folder.path());
        qint64 count = 0;
        double sum = 0;
        served->select(QStringLiteral("SELECT count(*), sum(Fiyati) FROM kdgiris"), {}, [&](const SqlStatement& row) {
            count = row.value(0).toLongLong();
            sum = row.value(1).toDouble();
        });
        QCOMPARE(count, 1800);
        QCOMPARE(sum, 1800.0 * 1801 / 2);
    }

    // The server restarted under a desk's feet: the post fails with its
    // reason, the typing waits in edit, nothing is half-written, and the next
    // post reaches the server again without the program being restarted.
    void aLostServerIsFoundAgain()
    {
        TestServer server;
        QTemporaryDir folder;
        QVERIFY(runsOnNewDatabase(server, folder));
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

    // A desk that only shows a list finds the server again by itself once
    // it is back, and hears of other desks' posts again.
    void anIdleDeskFindsTheServerAgain()
    {
        TestServer server;
        QTemporaryDir folder;
        QVERIFY(runsOnNewDatabase(server, folder));
        const std::unique_ptr<Database> idle = Catalogue::openStore(folder.path());
        Table watched(*idle, QStringLiteral("kdgiris"));
        watched.open();
        QCOMPARE(watched.recordCount(), 0);
        server.stop();
        QTest::qWait(600); // the idle desk notices the loss on its own
        server.start();
        const std::unique_ptr<Database> busy = Catalogue::openStore(folder.path());
        Table flats(*busy, QStringLiteral("kdgiris"));
        flats.open();
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        flats.post();
        QTRY_COMPARE_WITH_TIMEOUT(watched.recordCount(), 1, 10000);
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

    // "Yedekten Geri Yükle…" on a server: the state it replaces is dumped
    // aside first, the dump comes back whole (keys numbering on after it,
    // tables the dump did not have dropped), other desks are told, and a
    // damaged dump changes nothing.
    void aDumpComesBackAfterTheStateIsKeptAside()
    {
        TestServer server;
        QTemporaryDir folder;
        QVERIFY(runsOnNewDatabase(server, folder));
        const QString flatsOn = QStringLiteral("kdgiris");
        const auto post = [&](Database& store, const QString& district) {
            Table flats(store, flatsOn);
            flats.open();
            flats.append();
            flats.setText(QStringLiteral("Semtadi"), district);
            flats.post();
            return flats.integer(QStringLiteral("No"));
        };
        const QDateTime morning(QDate(2026, 12, 10), QTime(8, 0));
        QString dump;
        qint64 firstKey = 0;
        {
            Backups::Start opened = Backups::openAtStart(folder.path(), morning);
            firstKey = post(*opened.store, QStringLiteral("Kadıköy"));
            QCOMPARE(opened.outcome.get().failure, QString());
            Backups::Start again = Backups::openAtStart(folder.path(), morning.addSecs(60)); // holds Kadıköy
            QCOMPARE(again.outcome.get().failure, QString());
            dump = Backups::serverDumps(folder.path()).first();
        }
        const std::unique_ptr<Database> otherDesk = Catalogue::openStore(folder.path());
        post(*otherDesk, QStringLiteral("Şişli"));
        server.execute(QStringLiteral("CREATE TABLE sonradan (x int)"), QStringLiteral("ajans"));
        Table watched(*otherDesk, flatsOn);
        watched.open();
        QCOMPARE(watched.recordCount(), 2);

        QFile damaged(folder.filePath(QStringLiteral("yedek/evlora-20261210-090000-9.dump")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("PGDMP yarım");
        damaged.close();
        const QVector<Backups::Offer> offers = Backups::offers(folder.path());
        QCOMPARE(offers.size(), 3);
        QVERIFY(!offers.first().sound); // the newest by its number, and damaged
        QVERIFY(offers.at(1).sound);
        QVERIFY(messageOf([&] { Backups::restore(folder.path(), damaged.fileName(), morning.addSecs(120)); })
                    .startsWith(QStringLiteral("Seçilen yedek 'evlora-20261210-090000-9.dump' bozuk")));
        QVERIFY(Backups::keptAside(folder.path()).isEmpty());

        const QString aside = Backups::restore(folder.path(), dump, morning.addSecs(180));
        QCOMPARE(Backups::keptAside(folder.path()), QStringList{aside});
        QVERIFY(Backups::describe(aside).startsWith(QStringLiteral("Geri yüklemeden önce kenara alınmış hali, ")));
        QCOMPARE(rowsOnDisk(folder.filePath(Catalogue::StoreFileName), flatsOn, {}), 1);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 server.execute(QStringLiteral("SELECT * FROM sonradan"), QStringLiteral("ajans")));
        QTRY_COMPARE_WITH_TIMEOUT(watched.recordCount(), 1, 5000); // the other desk was told
        QVERIFY(post(*otherDesk, QStringLiteral("Beşiktaş")) > firstKey); // the numbering came back with the rows
        QCOMPARE(Backups::serverDumps(folder.path()).contains(aside), false); // never pruned with the dumps

        // What was set aside brings the later post back.
        Backups::restore(folder.path(), aside, morning.addSecs(240));
        QCOMPARE(rowsOnDisk(folder.filePath(Catalogue::StoreFileName), flatsOn,
                            QStringLiteral("WHERE Semtadi = 'Şişli'")),
                 1);
        QCOMPARE(Backups::keptAside(folder.path()).size(), 2);
    }

    // An agency still on its Paradox tables comes onto the server in the
    // same one step; a database holding Evlora's tables is replaced only
    // when told, and then wholly.
    void paradoxTablesMoveInAndReplaceOnlyWhenTold()
    {
        TestServer server;
        server.execute(QStringLiteral("CREATE DATABASE ajans"));
        const QString connection = server.connectionString(QStringLiteral("ajans"));
        QTemporaryDir first;
        QVERIFY(evloraServer({QStringLiteral("kur"), connection, first.path()}).status == 0); // the shipped rows only

        QTemporaryDir paradox;
        QVERIFY(Fixtures::writeCatalogueTable(paradox.path(), QStringLiteral("kdgiris"),
                                              {{{QStringLiteral("No"), 7}, {QStringLiteral("Semtadi"), QStringLiteral("Göztepe")}},
                                               {{QStringLiteral("No"), 9}, {QStringLiteral("Semtadi"), QStringLiteral("Erenköy")}}}));
        QVERIFY(Fixtures::writeCatalogueTable(paradox.path(), QStringLiteral("semtler"),
                                              {{{QStringLiteral("No"), 1}, {QStringLiteral("Semtler"), QStringLiteral("Göztepe")}}}));
        const Run refused = evloraServer({QStringLiteral("kur"), connection, paradox.path()});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.output.contains(QStringLiteral("zaten var")), qPrintable(refused.output));
        QVERIFY(!QFileInfo::exists(paradox.filePath(PostgresEngine::SettingFileName)));
        QVERIFY(!QFileInfo::exists(paradox.filePath(Catalogue::StoreFileName))); // the Paradox folder is only read

        const Run replaced = evloraServer({QStringLiteral("kur"), QStringLiteral("--replace"), connection, paradox.path()});
        QVERIFY2(replaced.status == 0, qPrintable(replaced.output));
        QVERIFY2(replaced.output.contains(QStringLiteral("Paradox tablolarından sunucuya taşındı")), qPrintable(replaced.output));
        const std::unique_ptr<Database> served = Catalogue::openStore(paradox.path());
        Table flats(*served, QStringLiteral("kdgiris"));
        flats.open();
        QCOMPARE(valuesOf(flats, QStringLiteral("Semtadi")), (QStringList{QStringLiteral("Göztepe"), QStringLiteral("Erenköy")}));
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Suadiye"));
        flats.post();
        QCOMPARE(flats.integer(QStringLiteral("No")), 10);
        Table districts(*served, QStringLiteral("semtler"));
        districts.open();
        QCOMPARE(valuesOf(districts, QStringLiteral("Semtler")), QStringList{QStringLiteral("Göztepe")});
        Table provinces(*served, QStringLiteral("il")); // not among the Paradox files: the shipped rows
        provinces.open();
        QVERIFY(provinces.recordCount() > 0);
        QCOMPARE(evloraServer({QStringLiteral("kur"), QStringLiteral("--replac"), connection}).status, 2);
    }

    // A listing's pictures come onto the server with it, under the same
    // keys, and go with it there; --replace replaces the picture table too.
    void picturesMoveWithTheirListingsAndGoWithAReplace()
    {
        TestServer server;
        server.execute(QStringLiteral("CREATE DATABASE ajans"));
        const QString connection = server.connectionString(QStringLiteral("ajans"));
        namespace P = Catalogue::Pictures;
        const QString insertPicture = QStringLiteral("INSERT INTO %1 (%2,%3,%4,%5,%6,%7) VALUES (?,?,?,?,?,?)")
                                          .arg(Database::quoted(P::Table), Database::quoted(P::Register),
                                               Database::quoted(P::ListingKey), Database::quoted(P::Order),
                                               Database::quoted(P::Caption), Database::quoted(P::Picture),
                                               Database::quoted(P::Thumbnail));
        const auto storeWith = [&](const QTemporaryDir& folder, const QString& district, int pictures) {
            const std::unique_ptr<Database> local = Catalogue::openStore(folder.path());
            Table flats(*local, QStringLiteral("kdgiris"));
            flats.open();
            flats.append();
            flats.setText(QStringLiteral("Semtadi"), district);
            flats.post();
            for (int n = 1; n <= pictures; ++n)
                local->execute(insertPicture, {QStringLiteral("kdgiris"), flats.integer(QStringLiteral("No")), n,
                                               QStringLiteral("%1 %2").arg(district).arg(n),
                                               QByteArray("\xff\xd8 resim ") + QByteArray::number(n),
                                               QByteArray("\xff\xd8 küçük")});
        };
        QTemporaryDir first;
        storeWith(first, QStringLiteral("Kadıköy"), 2);
        const Run moved = evloraServer({QStringLiteral("kur"), connection, first.path()});
        QVERIFY2(moved.status == 0, qPrintable(moved.output));
        {
            const std::unique_ptr<Database> served = Catalogue::openStore(first.path());
            const QVector<PictureStore::Stored> pictures = PictureStore::pictures(*served, QStringLiteral("kdgiris"), 1);
            QCOMPARE(pictures.size(), 2);
            QCOMPARE(pictures.at(1).caption, QStringLiteral("Kadıköy 2"));
            QCOMPARE(pictures.at(1).bytes, QByteArray("\xff\xd8 resim 2"));
            served->execute(insertPicture, {QStringLiteral("kdgiris"), 1, 3, QStringLiteral(""), QByteArray("r"),
                                            QByteArray("k")});
            QCOMPARE(PictureStore::pictures(*served, QStringLiteral("kdgiris"), 1).last().id, 3); // after the moved keys
        }

        QTemporaryDir second;
        storeWith(second, QStringLiteral("Şişli"), 1);
        const Run replaced = evloraServer({QStringLiteral("kur"), QStringLiteral("--replace"), connection, second.path()});
        QVERIFY2(replaced.status == 0, qPrintable(replaced.output));
        const std::unique_ptr<Database> served = Catalogue::openStore(second.path());
        const auto pictureRows = [&] {
            int count = -1;
            served->select(QStringLiteral("SELECT count(*) FROM %1").arg(Database::quoted(P::Table)), {},
                           [&](const SqlStatement& row) { count = int(row.integer(0)); });
            return count;
        };
        QCOMPARE(pictureRows(), 1);
        QCOMPARE(PictureStore::pictures(*served, QStringLiteral("kdgiris"), 1).first().caption, QStringLiteral("Şişli 1"));
        Table flats(*served, QStringLiteral("kdgiris"));
        flats.open();
        flats.remove(); // its picture goes with it, on the server as in the file
        QCOMPARE(pictureRows(), 0);
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
