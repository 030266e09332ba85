// The backups made at start: checked copies beside the store, kept by the
// order they were made in and by day; none of an unchanged store; the copy's
// check as the store's damage check, holding writes until it is done; a
// damaged, missing or emptied store brought back from the newest good copy,
// the store it replaces kept aside.
#include "data/backups.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
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

// Answers the questions in turn with the answers given, noting each.
struct ScriptedConfirmer : Confirmer {
    explicit ScriptedConfirmer(QList<bool> answers) : answers(std::move(answers)) {}
    QList<bool> answers;
    QStringList questions;
    bool confirm(QWidget*, const QString& question) override
    {
        questions << question;
        return !answers.isEmpty() && answers.takeFirst();
    }
};

// A store in a folder of its own whose backups hold "Moda", made on Monday.
void storeWithABackup(const QString& folder)
{
    Backups::Start start = Backups::openAtStart(folder, Monday);
    addDistrict(*start.store, QStringLiteral("Moda"));
    start.store.reset();
    Backups::openAtStart(folder, Monday.addDays(1)).outcome.wait();
}

QStringList fileNames(const QStringList& paths)
{
    QStringList names;
    for (const QString& path : paths)
        names << QFileInfo(path).fileName();
    return names;
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
        QCOMPARE(kept.size(), Backups::KeptDays);
        QVERIFY(kept.first().endsWith(QStringLiteral("yedek/evlora-20261215-090000-9.sqlite")));
        QVERIFY(kept.last().endsWith(QStringLiteral("yedek/evlora-20261209-090000-3.sqlite")));
        for (const QString& path : kept)
            QCOMPARE(SqliteEngine::consistencyOf(path), QStringLiteral("ok"));

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
        QVERIFY(backup.endsWith(QStringLiteral("evlora-20261208-090000-2.sqlite")));
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
    // A clock set back a year, and eight starts on one day: the copy just
    // made is always kept, yesterday's too, and the order is the making's.
    void keptCopiesFollowTheirMakingNotTheClock()
    {
        Installed<CollectingReporter> reporter;
        QTemporaryDir folder;
        auto startAndPost = [&](const QDateTime& at, int n) {
            Backups::Start start = Backups::openAtStart(folder.path(), at);
            addDistrict(*start.store, QStringLiteral("Semt %1").arg(n));
            QCOMPARE(start.outcome.get().failure, QString());
        };
        for (int day = 0; day < 8; ++day)
            startAndPost(Monday.addDays(day), day);
        const QDateTime reset(QDate(2025, 1, 1), QTime(0, 0));
        for (int n = 0; n < 8; ++n)
            startAndPost(reset.addSecs(60 * n), 100 + n);
        const QStringList kept = fileNames(Backups::available(folder.path()));
        // The last three starts, then the newest of each earlier day, last made first.
        QCOMPARE(kept, (QStringList{
                           QStringLiteral("evlora-20250101-000700-16.sqlite"),
                           QStringLiteral("evlora-20250101-000600-15.sqlite"),
                           QStringLiteral("evlora-20250101-000500-14.sqlite"),
                           QStringLiteral("evlora-20261214-090000-8.sqlite"),
                           QStringLiteral("evlora-20261213-090000-7.sqlite"),
                           QStringLiteral("evlora-20261212-090000-6.sqlite"),
                           QStringLiteral("evlora-20261211-090000-5.sqlite"),
                           QStringLiteral("evlora-20261210-090000-4.sqlite"),
                           QStringLiteral("evlora-20261209-090000-3.sqlite"),
                       }));
        QVERIFY(reporter.shown.isEmpty());
    }

    // Opening and closing changes nothing, so the next start copies nothing;
    // a post makes the next start copy again.
    void anUnchangedStoreIsNotCopiedAgain()
    {
        QTemporaryDir folder;
        storeWithABackup(folder.path());
        const QStringList before = Backups::available(folder.path());
        for (int day = 2; day < 5; ++day) {
            Backups::Start start = Backups::openAtStart(folder.path(), Monday.addDays(day));
            QCOMPARE(start.outcome.get().damage, QString());
            QVERIFY(districtsIn(*start.store).contains(QStringLiteral("Moda")));
        }
        QCOMPARE(Backups::available(folder.path()), before);
        {
            Backups::Start start = Backups::openAtStart(folder.path(), Monday.addDays(5));
            addDistrict(*start.store, QStringLiteral("Fenerbahçe"));
        }
        Backups::openAtStart(folder.path(), Monday.addDays(6)).outcome.wait();
        QCOMPARE(Backups::available(folder.path()).size(), before.size() + 1);
    }

    void partialCopiesAreRemovedAtTheNextStart()
    {
        QTemporaryDir folder;
        storeWithABackup(folder.path());
        const QStringList finished = Backups::available(folder.path());
        const QStringList leftovers = {
            QStringLiteral("yedek/evlora-20261209-090000-3.sqlite.yaziliyor"),
            QStringLiteral("yedek/evlora-20261209-090000-3.sqlite.yaziliyor-journal"),
            QStringLiteral("evlora.sqlite.geliyor"),
            QStringLiteral("evlora.sqlite.geliyor.yaziliyor"),
        };
        for (const QString& name : leftovers) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(8192, 'x'));
        }
        Backups::openAtStart(folder.path(), Monday.addDays(2)).outcome.wait();
        for (const QString& name : leftovers)
            QVERIFY2(!QFile::exists(folder.filePath(name)), qPrintable(name));
        QCOMPARE(Backups::available(folder.path()), finished);
    }

    // Deleted or emptied: the clerk is told and offered the newest copy; a
    // refusal starts nothing unless starting empty is chosen as such.
    void aMissingOrEmptyStoreIsNeverReplacedSilently()
    {
        for (const bool emptied : {false, true}) {
            QTemporaryDir folder;
            storeWithABackup(folder.path());
            const QString path = folder.filePath(Catalogue::StoreFileName);
            QVERIFY(QFile::remove(path));
            if (emptied)
                QFile(path).open(QIODevice::WriteOnly);
            {
                Installed<ScriptedConfirmer> refuses(QList<bool>{false, false});
                const QString message = messageOf([&] { Backups::openAtStart(folder.path(), Monday.addDays(2)); });
                QVERIFY2(message.contains(emptied ? QStringLiteral("boş (0 bayt)") : QStringLiteral("yok")),
                         qPrintable(message));
                QCOMPARE(refuses.questions.size(), 2);
                QVERIFY(refuses.questions.at(0).contains(QStringLiteral("08.12.2026 09:00:00")));
                QCOMPARE(QFile::exists(path), emptied);
            }
            {
                Installed<ScriptedConfirmer> restores(QList<bool>{true});
                Backups::Start start = Backups::openAtStart(folder.path(), Monday.addDays(2));
                QVERIFY(districtsIn(*start.store).contains(QStringLiteral("Moda")));
            }
        }
        QTemporaryDir folder;
        storeWithABackup(folder.path());
        QVERIFY(QFile::remove(folder.filePath(Catalogue::StoreFileName)));
        Installed<ScriptedConfirmer> startsEmpty(QList<bool>{false, true});
        Backups::Start start = Backups::openAtStart(folder.path(), Monday.addDays(2));
        QVERIFY(!districtsIn(*start.store).contains(QStringLiteral("Moda")));
        QCOMPARE(startsEmpty.questions.size(), 2);
    }

    // The restore list shows kept-aside stores as such and damaged copies
    // as damaged; a damaged copy is refused and the store stays as it was.
    void onlySoundCopiesCanBeBroughtBack()
    {
        QTemporaryDir folder;
        {
            Backups::Start start = Backups::openAtStart(folder.path(), Monday);
            for (int i = 0; i < 300; ++i)
                addDistrict(*start.store, QStringLiteral("Semt %1").arg(i));
        }
        Backups::openAtStart(folder.path(), Monday.addDays(1)).outcome.wait();
        const QString good = Backups::available(folder.path()).first();
        const QString older = Backups::available(folder.path()).last();
        Backups::restore(folder.path(), older, Monday.addDays(1));
        damage(good);
        const QVector<Backups::Offer> offers = Backups::offers(folder.path());
        QCOMPARE(offers.size(), 3);
        QVERIFY(!offers.at(0).sound);
        QVERIFY2(offers.at(0).label.endsWith(QStringLiteral("bozuk, geri yüklenemez")), qPrintable(offers.at(0).label));
        QVERIFY(offers.at(1).sound);
        QVERIFY(offers.at(2).sound);
        QVERIFY2(offers.at(2).label.startsWith(QStringLiteral("Kenara alınmış veri dosyası, 08.12.2026 09:00:00")),
                 qPrintable(offers.at(2).label));

        const QString store = folder.filePath(Catalogue::StoreFileName);
        const QByteArray before = fileHash(store);
        const QString message = messageOf([&] { Backups::restore(folder.path(), good, Monday.addDays(2)); });
        QVERIFY2(message.contains(QStringLiteral("bozuk")), qPrintable(message));
        QCOMPARE(fileHash(store), before);
        QCOMPARE(Backups::keptAside(folder.path()).size(), 1);
        QVERIFY(!QFile::exists(store + QStringLiteral(".geliyor")));
    }
    // On a disk with no room left (here: past the file-size limit), neither a backup nor a restore leaves a
    // partial copy or touches what is there, and each says why in Turkish,
    // with no advice about changes waiting on a screen.
    void aFullDiskStopsBackupAndRestoreAndSaysWhy()
    {
        QTemporaryDir folder;
        {
            Backups::Start start = Backups::openAtStart(folder.path(), Monday);
            for (int i = 0; i < 300; ++i)
                addDistrict(*start.store, QStringLiteral("Semt %1").arg(i));
        }
        Backups::openAtStart(folder.path(), Monday.addDays(1)).outcome.wait();
        const QStringList backups = Backups::available(folder.path());
        const QString store = folder.filePath(Catalogue::StoreFileName);
        const QByteArray storeBefore = fileHash(store);
        const QByteArray newestBefore = fileHash(backups.first());

        QString backupMessage, restoreMessage;
        {
            FileSizeLimit limit(8192); // smaller than the store
            QVERIFY(limit.isSet());
            backupMessage = messageOf([&] { Backups::make(store, Monday.addDays(2)); });
            restoreMessage = messageOf([&] { Backups::restore(folder.path(), backups.last(), Monday.addDays(2)); });
        }
        for (const QString& message : {backupMessage, restoreMessage}) {
            QVERIFY2(message.contains(QStringLiteral(": dosya, sistemin izin verdiği boyu aşıyor.")), qPrintable(message));
            QVERIFY2(!message.contains(QStringLiteral("ekranda duruyor")), qPrintable(message));
            for (const char* english : {"error", "full", "database", "I/O", "large"})
                QVERIFY2(!message.contains(QLatin1String(english), Qt::CaseInsensitive), qPrintable(message));
        }
        QVERIFY2(restoreMessage.contains(QStringLiteral("Veri dosyanız olduğu gibi duruyor")), qPrintable(restoreMessage));
        QCOMPARE(Backups::available(folder.path()), backups);
        QCOMPARE(fileHash(backups.first()), newestBefore);
        QCOMPARE(fileHash(store), storeBefore);
        QVERIFY(Backups::keptAside(folder.path()).isEmpty());
        const QStringList left = QDir(folder.path()).entryList(QDir::Files) + QDir(folder.filePath(QStringLiteral("yedek"))).entryList(QDir::Files);
        for (const QString& name : left)
            QVERIFY2(!name.contains(QStringLiteral("yaziliyor")) && !name.contains(QStringLiteral("geliyor")),
                     qPrintable(name));
    }
};

QTEST_MAIN(BackupsTest)
#include "tst_backups.moc"
