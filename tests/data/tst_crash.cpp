// A program killed at any moment loses no post that had returned and leaves
// nothing half-written: a child posts flats in a loop, telling each key once
// its post returned, and is killed with SIGKILL at random moments. Likewise a
// child bringing backups back in a loop leaves a whole store in place, and
// every store it put aside whole. EVLORA_CRASH_ROUNDS sets how many kills
// of each (a longer run: 200 or more).
#include "data/backups.h"
#include "data/listingpictures.h"
#include "kit/picturemenu.h"
#include "kit/screens.h"
#include "phonebook/phonebook.h"
#include "phonebook/phoneentry.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"
#include "platform/engine/table.h"
#include "platform/engine/turkishtext.h"
#include "shell/programscreens.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHash>
#include <QImage>
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

// The child: posts flats with three pictures each until killed, one line per
// returned post.
int postPicturesForever(const QString& folder)
{
    auto store = Catalogue::openStore(folder);
    Table flats(*store, QStringLiteral("kdgiris"));
    flats.open();
    ListingPictures pictures(*store, flats);
    QImage image(900, 600, QImage::Format_RGB32);
    for (int i = 0;; ++i) {
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        for (int n = 0; n < 3; ++n) {
            image.fill(QColor::fromHsv((i * 3 + n) % 360, 200, 200));
            pictures.addImage(image);
            pictures.setCaption(n, QStringLiteral("Resim %1").arg(n + 1));
        }
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

// The child: the clerk's afternoon on "Kayıt Girişi" with every screen of
// the program made: three contacts, a photograph loaded and posted on the
// last, the phone book's grid shown, then the middle one deleted (and the
// question answered yes). Tells the deleted key once the delete returned,
// then idles as the program does until killed.
int deleteThenIdle(const QString& folder, const QString& photograph)
{
    auto store = Catalogue::openStore(folder);
    Installed<AnsweringConfirmer> yes{true};
    Installed<CollectingReporter> messages;
    Screens screens(*store);
    screens.createAll(programScreens());
    auto* entry = screens.get<PhoneEntry>(QStringLiteral("PhoneEntry"));
    screens.show(QStringLiteral("PhoneEntry"));
    Table* contacts = entry->cursor();
    for (const QString& name : {QStringLiteral("Ayşe"), QStringLiteral("Barış"), QStringLiteral("Cem")}) {
        entry->navigator()->press(DbNavigator::Insert);
        contacts->setText(QStringLiteral("Ad"), name);
        entry->navigator()->press(DbNavigator::Post);
    }
    if (!PictureMenu::loadFile(entry->picture(), photograph))
        return 2;
    entry->navigator()->press(DbNavigator::Post);
    screens.show(QStringLiteral("PhoneBook"));
    screens.show(QStringLiteral("PhoneEntry"));
    entry->navigator()->press(DbNavigator::Prior);
    const qlonglong key = contacts->integer(QStringLiteral("No"));
    entry->navigator()->press(DbNavigator::Delete);
    if (!messages.shown.isEmpty() || contacts->recordCount() != 2)
        return 3;
    std::printf("%lld\n", key);
    std::fflush(stdout);
    for (;;)
        QTest::qWait(50);
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
    // The land's area index reads the program's own function: the check needs it.
    TurkishText::installOn(db);
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

    // A delete that returned is in the store, whatever the session did before
    // it (a photograph loaded and posted): a kill right after it loses nothing.
    void aConfirmedDeleteSurvivesAKill()
    {
        QTemporaryDir folder;
        const QString photograph = folder.filePath(QStringLiteral("foto.png"));
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(QColor(40, 120, 200));
        QVERIFY(picture.save(photograph, "png"));
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--delete-then-idle"), folder.path(), photograph});
        QVERIFY(child.waitForStarted());
        QByteArray told;
        while (!told.contains('\n') && child.waitForReadyRead(20000))
            told += child.readAllStandardOutput();
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished(5000);
        QVERIFY2(told.contains('\n'), qPrintable(QString::fromLocal8Bit(told + child.readAllStandardError())));
        const qlonglong deleted = told.trimmed().toLongLong();

        // The store file by itself already holds the delete, as it holds every
        // post: a copy of evlora.sqlite alone (without its log) shows it gone.
        QTemporaryDir alone;
        QVERIFY(QFile::copy(folder.filePath(Catalogue::StoreFileName), alone.filePath(Catalogue::StoreFileName)));
        for (const QString& where : {alone.path(), folder.path()}) {
            QCOMPARE(integrityOf(QDir(where).filePath(Catalogue::StoreFileName)), QStringLiteral("ok"));
            auto store = Catalogue::openStore(where);
            Table contacts(*store, QStringLiteral("tel"));
            contacts.open();
            QCOMPARE(valuesOf(contacts, QStringLiteral("Ad")),
                     (QStringList{QStringLiteral("Ayşe"), QStringLiteral("Cem")}));
            QVERIFY(!contacts.locate(QStringLiteral("No"), deleted));
        }
    }

    // A flat and its pictures are written in one transaction: after any kill
    // every flat has its three pictures, whole, and no picture is without its flat.
    void aKillDuringAPostWithPicturesLeavesFlatsWithAllTheirPicturesOrNone()
    {
        const int rounds = roundsToRun();
        QTemporaryDir folder;
        Catalogue::openStore(folder.path()).reset();
        QSet<qlonglong> confirmed;
        for (int round = 0; round < rounds; ++round) {
            for (const QByteArray& line : killedAtRandom("--post-pictures-forever", folder.path(), 400))
                confirmed.insert(line.toLongLong());
            QCOMPARE(integrityOf(folder.filePath(Catalogue::StoreFileName)), QStringLiteral("ok"));
        }
        QVERIFY(!confirmed.isEmpty());
        auto store = Catalogue::openStore(folder.path());
        QHash<qlonglong, int> perFlat;
        int orphans = -1;
        store->select(QStringLiteral("SELECT f.\"No\", count(p.\"No\") FROM \"kdgiris\" f LEFT JOIN \"ilanresimleri\" p "
                                     "ON p.\"Kayit\" = 'kdgiris' AND p.\"IlanNo\" = f.\"No\" GROUP BY f.\"No\""),
                      {}, [&](const SqlStatement& row) { perFlat.insert(row.integer(0), int(row.integer(1))); });
        store->select(QStringLiteral("SELECT count(*) FROM \"ilanresimleri\" p WHERE NOT EXISTS (SELECT 1 FROM "
                                     "\"kdgiris\" f WHERE f.\"No\" = p.\"IlanNo\")"),
                      {}, [&](const SqlStatement& row) { orphans = int(row.integer(0)); });
        QCOMPARE(orphans, 0);
        for (auto it = perFlat.cbegin(); it != perFlat.cend(); ++it)
            QVERIFY2(it.value() == 3, qPrintable(QStringLiteral("flat %1 has %2 pictures").arg(it.key()).arg(it.value())));
        for (qlonglong key : confirmed)
            QVERIFY2(perFlat.contains(key), qPrintable(QStringLiteral("post %1 lost").arg(key)));
        // Each picture reads back whole.
        Table flats(*store, QStringLiteral("kdgiris"));
        flats.open();
        flats.last();
        ListingPictures pictures(*store, flats);
        pictures.loadNow();
        QCOMPARE(pictures.count(), 3);
        QCOMPARE(pictures.pictureImage(2).size(), QSize(900, 600));
        qInfo("%d kills, %lld posts with pictures confirmed, %lld flats in the store", rounds,
              qlonglong(confirmed.size()), qlonglong(perFlat.size()));
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
    if (argc == 3 && qstrcmp(argv[1], "--post-pictures-forever") == 0) {
        QCoreApplication app(argc, argv);
        useTurkishLocale();
        return postPicturesForever(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 3 && qstrcmp(argv[1], "--restore-forever") == 0) {
        QCoreApplication app(argc, argv);
        useTurkishLocale();
        return restoreForever(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && qstrcmp(argv[1], "--delete-then-idle") == 0) {
        QApplication app(argc, argv);
        useTurkishLocale();
        return deleteThenIdle(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    CrashTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
