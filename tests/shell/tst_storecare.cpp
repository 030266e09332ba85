// The store's caretaker: the start-up check's verdict acted on (a damaged
// store offered the newest good backup), the clerk's own choice of a backup,
// and the restore carried out once the store is let go.
#include "shell/storecare.h"
#include "platform/engine/database.h"
#include "platform/engine/table.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QInputDialog>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QDateTime Monday(QDate(2026, 12, 7), QTime(9, 0));

std::shared_future<Backups::CheckOutcome> verdict(const QString& damage)
{
    std::promise<Backups::CheckOutcome> found;
    found.set_value({damage, {}});
    return found.get_future().share();
}

// A store in folder with a backup for each of the given days, each day's
// holding one district more ("Semt 0", "Semt 1", ...).
void storeWithBackups(const QString& folder, int days)
{
    for (int day = 0; day < days; ++day) {
        Backups::Start start = Backups::openAtStart(folder, Monday.addDays(day));
        start.outcome.wait();
        Table districts(*start.store, QStringLiteral("semtler"));
        districts.open();
        districts.append();
        districts.setText(QStringLiteral("Semtler"), QStringLiteral("Semt %1").arg(day));
        districts.post();
    }
}

QStringList districtsOf(const QString& folder)
{
    auto store = Catalogue::openStore(folder);
    Table districts(*store, QStringLiteral("semtler"));
    districts.open();
    return valuesOf(districts, QStringLiteral("Semtler"));
}

} // namespace

class StoreCareTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void aDamagedVerdictOffersTheNewestGoodBackup()
    {
        QTemporaryDir folder;
        storeWithBackups(folder.path(), 2);
        const QString newest = Backups::available(folder.path()).first();
        const QString damage = QStringLiteral("'evlora.sqlite' bozuk.");
        {
            Installed<AnsweringConfirmer> declines(false);
            StoreCare care(folder.path(), verdict(damage));
            QSignalSpy asked(&care, &StoreCare::restoreRequested);
            QTRY_COMPARE(declines.questions.size(), 1);
            QVERIFY(declines.questions.first().startsWith(damage));
            QCOMPARE(asked.size(), 0);
            QCOMPARE(care.pendingRestore(), QString());
        }
        Installed<AnsweringConfirmer> accepts(true);
        StoreCare care(folder.path(), verdict(damage));
        QSignalSpy asked(&care, &StoreCare::restoreRequested);
        QTRY_COMPARE(asked.size(), 1);
        QCOMPARE(care.pendingRestore(), newest);

        const QByteArray current = fileHash(folder.filePath(Catalogue::StoreFileName));
        const QString told = care.restorePending(Monday.addDays(5));
        QVERIFY2(told.contains(QStringLiteral("evlora-kenara-20261212-090000.sqlite")), qPrintable(told));
        QCOMPARE(fileHash(folder.filePath(QStringLiteral("evlora-kenara-20261212-090000.sqlite"))), current);
        // The newest backup was made before the second day's district.
        const QStringList restored = districtsOf(folder.path());
        QVERIFY(restored.contains(QStringLiteral("Semt 0")) && !restored.contains(QStringLiteral("Semt 1")));
    }

    void aDamagedVerdictWithoutBackupsIsReported()
    {
        QTemporaryDir folder;
        Installed<CollectingReporter> reporter;
        Installed<AnsweringConfirmer> accepts(true);
        StoreCare care(folder.path(), verdict(QStringLiteral("bozuk.")));
        QTRY_COMPARE(reporter.shown.size(), 1);
        QCOMPARE(reporter.shown.first(), QStringLiteral("bozuk.") + Backups::NoGoodBackup);
        QVERIFY(accepts.questions.isEmpty());
    }

    void aSoundVerdictSaysNothing()
    {
        QTemporaryDir folder;
        Installed<CollectingReporter> reporter;
        Installed<AnsweringConfirmer> accepts(true);
        StoreCare care(folder.path(), verdict(QString()));
        QTest::qWait(250);
        QVERIFY(reporter.shown.isEmpty());
        QVERIFY(accepts.questions.isEmpty());
    }

    // The clerk picks an older backup from the list and confirms.
    void theClerkChoosesABackup()
    {
        QTemporaryDir folder;
        storeWithBackups(folder.path(), 3);
        const QStringList backups = Backups::available(folder.path());
        Installed<AnsweringConfirmer> accepts(true);
        StoreCare care(folder.path(), verdict(QString()));
        QStringList offered;
        QTimer picker;
        picker.setInterval(20);
        connect(&picker, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
                offered = dialog->comboBoxItems();
                dialog->setTextValue(offered.value(1));
                dialog->accept();
            }
        });
        picker.start();
        care.chooseBackup(nullptr);
        QCOMPARE(offered.size(), 3);
        QVERIFY2(offered.first().startsWith(QStringLiteral("09.12.2026 09:00:00 (")), qPrintable(offered.first()));
        QCOMPARE(care.pendingRestore(), backups.at(1));
        QVERIFY(accepts.questions.first().contains(QStringLiteral("08.12.2026 09:00:00")));
    }

    void withNoBackupsTheClerkIsTold()
    {
        QTemporaryDir folder;
        Installed<CollectingReporter> reporter;
        StoreCare care(folder.path(), verdict(QString()));
        QCOMPARE(closeModalOpenedBy([&] { care.chooseBackup(nullptr); }), QString());
        QCOMPARE(reporter.shown.size(), 1);
        QVERIFY(reporter.shown.first().startsWith(QStringLiteral("Henüz bir yedek yok.")));
    }
};

QTEST_MAIN(StoreCareTest)
#include "tst_storecare.moc"
