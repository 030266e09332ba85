// The backups made at start: checked copies beside the store, seven kept; the
// copy's check as the store's damage check, holding writes until it is done;
// a damaged store brought back from the newest good one, kept aside itself.
#include "data/backups.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

const QDateTime Monday(QDate(2026, 12, 7), QTime(9, 0));

void addDistrict(Database& db, const QString& name)
{
    Table districts(db, QStringLiteral("semtler"));
    districts.open();
    districts.append();
    districts.setText(QStringLiteral("Semtler"), name);
    districts.post();
}

QStringList districtsIn(Database& db)
{
    Table districts(db, QStringLiteral("semtler"));
    districts.open();
    return valuesOf(districts, QStringLiteral("Semtler"));
}

void damage(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.seek(file.size() - 2 * 4096 + 10);
    file.write(QByteArray(3000, '\x5a'));
}

} // namespace

class BackupsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void eachStartLeavesACheckedCopyAndTheLastSevenStay()
    {
        Installed<CollectingReporter> reporter;
        QTemporaryDir folder;
        for (int day = 0; day < 9; ++day) {
            Backups::Start start = Backups::openAtStart(folder.path(), Monday.addDays(day));
            // Posted at once: the write waits for the check, so it is not in that day's copy.
            addDistrict(*start.store, QStringLiteral("Semt %1").arg(day));
            const Backups::CheckOutcome outcome = start.outcome.get();
            QCOMPARE(outcome.damage, QString());
            QCOMPARE(outcome.failure, QString());
        }
        QVERIFY2(reporter.shown.isEmpty(), qPrintable(reporter.shown.join(QLatin1Char('\n'))));
        const QStringList kept = Backups::available(folder.path());
        QCOMPARE(kept.size(), Backups::Kept);
        QVERIFY(kept.first().endsWith(QStringLiteral("yedek/evlora-20261215-090000.sqlite")));
        QVERIFY(kept.last().endsWith(QStringLiteral("yedek/evlora-20261209-090000.sqlite")));
        for (const QString& path : kept)
            QCOMPARE(Database::consistencyOf(path), QStringLiteral("ok"));

        // The newest copy holds what was posted before that start.
        QTemporaryDir other;
        QVERIFY(QFile::copy(kept.first(), other.filePath(Catalogue::StoreFileName)));
        auto copy = Catalogue::openStore(other.path());
        QVERIFY(districtsIn(*copy).contains(QStringLiteral("Semt 7")));
        QVERIFY(!districtsIn(*copy).contains(QStringLiteral("Semt 8")));
    }

    // Damage inside the tables: the store opens, the check of the day's copy
    // finds it, no write reaches the file, and the newest good backup is
    // offered; brought back, the damaged file is kept aside.
    void aDamagedStoreTakesNoWriteAndIsOfferedTheNewestGoodBackup()
    {
        Installed<CollectingReporter> reporter;
        QTemporaryDir folder;
        {
            Backups::Start start = Backups::openAtStart(folder.path(), Monday);
            for (int i = 0; i < 300; ++i)
                addDistrict(*start.store, QStringLiteral("Semt %1").arg(i));
        }
        Backups::openAtStart(folder.path(), Monday.addDays(1)).outcome.wait();
        const QString path = folder.filePath(Catalogue::StoreFileName);
        damage(path);
        const QByteArray damaged = fileHash(path);

        Backups::Start start = Backups::openAtStart(folder.path(), Monday.addDays(2));
        const Backups::CheckOutcome outcome = start.outcome.get();
        QVERIFY2(outcome.damage.contains(QStringLiteral("bozuk")), qPrintable(outcome.damage));
        QCOMPARE(Backups::available(folder.path()).size(), 2); // no copy of a damaged store
        bool refused = false;
        try {
            addDistrict(*start.store, QStringLiteral("Yeni"));
        } catch (const DamagedStoreError& error) {
            refused = error.message() == outcome.damage;
        }
        QVERIFY(refused);
        start.store.reset();
        QCOMPARE(fileHash(path), damaged);

        const QString backup = Backups::newestGood(folder.path());
        QVERIFY(backup.endsWith(QStringLiteral("evlora-20261208-090000.sqlite")));
        {
            Installed<AnsweringConfirmer> declines(false);
            QVERIFY(!Backups::offerRestore(backup, outcome.damage));
            QVERIFY(declines.questions.first().startsWith(outcome.damage));
            QVERIFY(declines.questions.first().contains(QStringLiteral("08.12.2026 09:00:00")));
        }
        const QString aside = Backups::restore(folder.path(), backup, Monday.addDays(2));
        QCOMPARE(aside, folder.filePath(QStringLiteral("evlora-kenara-20261209-090000.sqlite")));
        QCOMPARE(fileHash(aside), damaged);
        Backups::Start restored = Backups::openAtStart(folder.path(), Monday.addDays(3));
        QVERIFY(districtsIn(*restored.store).contains(QStringLiteral("Semt 299")));
        QCOMPARE(restored.outcome.get().damage, QString());
    }

    // A store of an older layout is written to at open (its version, its
    // indexes), so it is checked before that rather than by the backup.
    void anOlderDamagedStoreIsCheckedBeforeItIsWritten()
    {
        QTemporaryDir folder;
        {
            Backups::Start start = Backups::openAtStart(folder.path(), Monday);
            for (int i = 0; i < 300; ++i)
                addDistrict(*start.store, QStringLiteral("Semt %1").arg(i));
            start.outcome.wait();
            SqlStatement older(*start.store, QStringLiteral("PRAGMA user_version = 0"));
            older.step();
        }
        QDir(folder.filePath(Backups::FolderName)).removeRecursively();
        const QString path = folder.filePath(Catalogue::StoreFileName);
        damage(path);
        const QByteArray damaged = fileHash(path);
        const QString message = messageOf([&] { Backups::openAtStart(folder.path(), Monday.addDays(1)); });
        QVERIFY2(message.contains(QStringLiteral("bozuk")) && message.endsWith(Backups::NoGoodBackup), qPrintable(message));
        QCOMPARE(fileHash(path), damaged);
    }

    // Damage in the tables' list itself: the store cannot even open, so the
    // newest good backup is offered before any screen exists.
    void aStoreTooDamagedToOpenIsOfferedABackupAtOnce()
    {
        Installed<CollectingReporter> reporter;
        QTemporaryDir folder;
        {
            Backups::Start start = Backups::openAtStart(folder.path(), Monday);
            addDistrict(*start.store, QStringLiteral("Moda"));
        }
        Backups::openAtStart(folder.path(), Monday.addDays(1)).outcome.wait();
        const QString path = folder.filePath(Catalogue::StoreFileName);
        {
            QFile file(path); // the first page's table list after the header
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(100);
            file.write(QByteArray(400, '\x5a'));
        }
        const QByteArray damaged = fileHash(path);
        {
            Installed<AnsweringConfirmer> declines(false);
            const QString message = messageOf([&] { Backups::openAtStart(folder.path(), Monday.addDays(2)); });
            QVERIFY2(message.contains(QStringLiteral("bozuk")), qPrintable(message));
            QCOMPARE(declines.questions.size(), 1);
            QCOMPARE(fileHash(path), damaged);
        }
        Installed<AnsweringConfirmer> accepts(true);
        Backups::Start start = Backups::openAtStart(folder.path(), Monday.addDays(2));
        QVERIFY(districtsIn(*start.store).contains(QStringLiteral("Moda")));
        QCOMPARE(fileHash(folder.filePath(QStringLiteral("evlora-kenara-20261209-090000.sqlite"))), damaged);
    }
};

QTEST_MAIN(BackupsTest)
#include "tst_backups.moc"
