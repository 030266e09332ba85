// Every input kept under fuzz/cases/<check>/, the seeds and whatever ever
// broke a check under the fuzzer, run through the same check again.
#include "fuzz/checks/fuzzchecks.h"
#include "support/testsupport.h"

#include <QDir>
#include <QtTest>

class FuzzCasesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void keptCases_data()
    {
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("path");
        const QDir cases(qEnvironmentVariable("EVLORA_SOURCE_DIR") + QStringLiteral("/fuzz/cases"));
        QVERIFY2(cases.exists(), qPrintable(cases.path()));
        for (const QString& check : cases.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            for (const QFileInfo& file : QDir(cases.filePath(check)).entryInfoList(QDir::Files, QDir::Name))
                QTest::addRow("%s/%s", qPrintable(check), qPrintable(file.fileName())) << check << file.filePath();
    }
    void keptCases()
    {
        QFETCH(QString, check);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        // A check that finds a fault ends the process, failing this test.
        if (check == QLatin1String("clip"))
            FuzzChecks::clipReader(bytes);
        else if (check == QLatin1String("rtf"))
            FuzzChecks::rtfRoundTrip(bytes);
        else if (check == QLatin1String("criteria"))
            FuzzChecks::searchCriteria(bytes);
        else
            QFAIL(qPrintable(QStringLiteral("no check named '%1'").arg(check)));
    }
};

QTEST_MAIN(FuzzCasesTest)
#include "tst_fuzzcases.moc"
