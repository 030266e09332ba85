// The backups made at start: checked copies beside the store, seven kept, and
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
            auto store = Backups::openAtStart(folder.path(), Monday.addDays(day));
            addDistrict(*store, QStringLiteral("Semt %1").arg(day));
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

    void aDamagedStoreIsOfferedTheNewestGoodBackupAndKeptAside()
    {
        Installed<CollectingReporter> reporter;
        QTemporaryDir folder;
        {
            auto store = Backups::openAtStart(folder.path(), Monday);
            for (int i = 0; i < 300; ++i)
                addDistrict(*store, QStringLiteral("Semt %1").arg(i));
        }
        Backups::openAtStart(folder.path(), Monday.addDays(1)).reset();
        const QString path = folder.filePath(Catalogue::StoreFileName);
        damage(path);
        const QByteArray damaged = fileHash(path);

        {
            Installed<AnsweringConfirmer> declines(false);
            const QString message = messageOf([&] { Backups::openAtStart(folder.path(), Monday.addDays(2)); });
            QVERIFY2(message.contains(QStringLiteral("bozuk")), qPrintable(message));
            QCOMPARE(declines.questions.size(), 1);
            QVERIFY(declines.questions.first().contains(QStringLiteral("evlora-20261208-090000.sqlite")));
            QCOMPARE(fileHash(path), damaged);
        }

        Installed<AnsweringConfirmer> accepts(true);
        auto store = Backups::openAtStart(folder.path(), Monday.addDays(2));
        QVERIFY(districtsIn(*store).contains(QStringLiteral("Semt 299")));
        const QString aside = folder.filePath(QStringLiteral("evlora-kenara-20261209-090000.sqlite"));
        QCOMPARE(fileHash(aside), damaged);
    }
};

QTEST_MAIN(BackupsTest)
#include "tst_backups.moc"
