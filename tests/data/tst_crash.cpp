// A program killed at any moment loses no post that had returned and leaves
// nothing half-written: a child posts flats in a loop, telling each key once
// its post returned, and is killed with SIGKILL at random moments.
// EVLORA_CRASH_ROUNDS sets how many kills (a longer run: 200 or more).
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
        const int rounds = qEnvironmentVariableIsSet("EVLORA_CRASH_ROUNDS")
                               ? qEnvironmentVariableIntValue("EVLORA_CRASH_ROUNDS")
                               : 12;
        QTemporaryDir folder;
        Catalogue::openStore(folder.path()).reset();
        QSet<qlonglong> confirmed;
        for (int round = 0; round < rounds; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--post-forever"), folder.path()});
            QVERIFY(child.waitForStarted());
            child.waitForReadyRead(5000); // posting has begun
            QTest::qWait(int(QRandomGenerator::global()->bounded(20, 250)));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            QByteArray told = child.readAllStandardOutput();
            told.truncate(told.lastIndexOf('\n') + 1); // whole lines only
            for (const QByteArray& line : told.split('\n'))
                if (!line.isEmpty())
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
};

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--post-forever") == 0) {
        QCoreApplication app(argc, argv);
        useTurkishLocale();
        return postForever(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    CrashTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
