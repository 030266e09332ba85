// A program killed at any moment loses no post that had returned and leaves
// nothing half-written: a child posts flats in a loop, telling each key once
// its post returned, and is killed with SIGKILL at random moments. Likewise a
// child bringing backups back in a loop leaves a whole store in place, and
// every store it put aside whole. EVLORA_CRASH_ROUNDS sets how many kills
// of each (a longer run: 200 or more).
#include "data/backups.h"
#include "platform/engine/table.h"
#include "support/testsupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <sqlite3.h>

namespace {

// The child: posts until killed, one line per returned post.
int postForever(const QString& folder)
{
    auto store = Catalogue::openStore(folder);
    Table flats(*store, QStringLiteral("kdgiris"));
    flats.open();
    for (int i = 0;; ++i) {
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        flats.setText(QStringLiteral("Isim"), QStringLiteral("Kayıt %1").arg(i));
        flats.setText(QStringLiteral("Notlar"), QString(60 + i % 40, QChar(u'ş')));
        flats.post();
        std::printf("%lld\n", flats.value(QStringLiteral("No")).toLongLong());
        std::fflush(stdout);
    }
}

// The child: brings the two backups back in turn until killed, one line per
// returned restore naming the district that backup holds.
int restoreForever(const QString& folder)
{
    const QStringList backups = Backups::available(folder);
    for (int i = 0;; ++i) {
        Backups::restore(folder, backups.at(i % 2), QDateTime::currentDateTime());
        std::printf("%d\n", i % 2);
        std::fflush(stdout);
    }
}

QStringList districtsIn(const QString& folder)
{
    auto store = Catalogue::openStore(folder);
    Table districts(*store, QStringLiteral("semtler"));
    districts.open();
    return valuesOf(districts, QStringLiteral("Semtler"));
}

int roundsToRun()
{
    return qEnvironmentVariableIsSet("EVLORA_CRASH_ROUNDS") ? qEnvironmentVariableIntValue("EVLORA_CRASH_ROUNDS") : 12;
}

// Starts the test program as a child doing `mode` in folder and kills it at a
// random moment once it has begun; returns the whole lines it wrote.
QList<QByteArray> killedAtRandom(const char* mode, const QString& folder, int upToMs)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode), folder});
    if (!child.waitForStarted())
        return {};
    child.waitForReadyRead(5000); // the work has begun
    QTest::qWait(int(QRandomGenerator::global()->bounded(0, upToMs)));
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished(5000);
    QByteArray told = child.readAllStandardOutput();
    told.truncate(told.lastIndexOf('\n') + 1); // whole lines only
    QList<QByteArray> lines = told.split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

QString integrityOf(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    QStringList findings;
    while (sqlite3_step(check) == SQLITE_ROW)
        findings << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
    sqlite3_finalize(check);
    sqlite3_close(db);
    return findings.join(QLatin1Char(';'));
}

} // namespace

class CrashTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void everyReturnedPostSurvivesAKill()
    {
        const int rounds = roundsToRun();
        QTemporaryDir folder;
        Catalogue::openStore(folder.path()).reset();
        QSet<qlonglong> confirmed;
        for (int round = 0; round < rounds; ++round) {
            for (const QByteArray& line : killedAtRandom("--post-forever", folder.path(), 250))
                confirmed.insert(line.toLongLong());

            QCOMPARE(integrityOf(folder.filePath(Catalogue::StoreFileName)), QStringLiteral("ok"));
        }
        QVERIFY(!confirmed.isEmpty());

        auto store = Catalogue::openStore(folder.path());
        Table flats(*store, QStringLiteral("kdgiris"));
        flats.open();
        QSet<qlonglong> stored;
        for (flats.first(); !flats.eof(); flats.next()) {
            stored.insert(flats.value(QStringLiteral("No")).toLongLong());
            // Nothing half-written: every record is whole.
            QVERIFY(flats.text(QStringLiteral("Isim")).startsWith(QStringLiteral("Kayıt ")));
            QVERIFY(flats.text(QStringLiteral("Notlar")).size() >= 60);
        }
        qInfo("%d kills, %lld posts confirmed, %lld in the store", rounds, qlonglong(confirmed.size()),
              qlonglong(stored.size()));
        for (qlonglong key : confirmed)
            QVERIFY2(stored.contains(key), qPrintable(QStringLiteral("post %1 lost").arg(key)));
    }

    void aKilledRestoreLeavesAWholeStoreInPlace()
    {
        const int rounds = roundsToRun();
        QTemporaryDir folder;
        const QDateTime monday(QDate(2026, 12, 7), QTime(9, 0));
        // Two backups: the older holds "Eski Semt", the newer "Yeni Semt" as well.
        for (const QString& district : {QStringLiteral("Eski Semt"), QStringLiteral("Yeni Semt")}) {
            Backups::Start start = Backups::openAtStart(folder.path(), monday);
            start.outcome.wait();
            Table districts(*start.store, QStringLiteral("semtler"));
            districts.open();
            districts.append();
            districts.setText(QStringLiteral("Semtler"), district);
            districts.post();
        }
        Backups::openAtStart(folder.path(), monday.addDays(1)).outcome.wait();
        QCOMPARE(Backups::available(folder.path()).size(), 3);
        // The two restored in turn: the newest and the one before it.
        const QString store = folder.filePath(Catalogue::StoreFileName);
        int restores = 0;
        for (int round = 0; round < rounds; ++round) {
            restores += int(killedAtRandom("--restore-forever", folder.path(), 300).size());
            QVERIFY2(QFile::exists(store), "no store in place after a kill");
            QCOMPARE(integrityOf(store), QStringLiteral("ok"));
            QVERIFY(districtsIn(folder.path()).contains(QStringLiteral("Eski Semt")));
        }
        for (const QString& aside : Backups::keptAside(folder.path()))
            QCOMPARE(integrityOf(aside), QStringLiteral("ok"));
        Backups::openAtStart(folder.path(), monday.addDays(2)).outcome.wait();
        QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("*.geliyor*")}, QDir::Files), QStringList());
        qInfo("%d kills during restores, %d restores confirmed, %lld stores kept aside, every one whole", rounds,
              restores, qlonglong(Backups::keptAside(folder.path()).size()));
        QVERIFY(restores > 0);
    }
};

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--post-forever") == 0) {
        QCoreApplication app(argc, argv);
        useTurkishLocale();
        return postForever(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 3 && qstrcmp(argv[1], "--restore-forever") == 0) {
        QCoreApplication app(argc, argv);
        useTurkishLocale();
        return restoreForever(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    CrashTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
