// The program's command line: it takes no arguments but --help and
// --version, answers those without opening a window or touching the folder
// it is started in, and refuses anything else before it makes a file.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out, err;
};

Run start(const QString& folder, const QStringList& arguments)
{
    QProcess program;
    program.setWorkingDirectory(folder);
    // No display at all: answering must not need one.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(EVLORA_PROGRAM), arguments);
    if (!program.waitForFinished(30000)) {
        program.kill();
        program.waitForFinished();
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromUtf8(program.readAllStandardOutput()), QString::fromUtf8(program.readAllStandardError())};
}

bool isEmpty(const QString& folder)
{
    return QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void answersAndTouchesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("printed");
        QTest::newRow("--version") << QStringList{"--version"} << "evlora " EVLORA_VERSION "\n";
        QTest::newRow("-V") << QStringList{"-V"} << "evlora " EVLORA_VERSION "\n";
        QTest::newRow("--help") << QStringList{"--help"} << "Kullanım: evlora [--help | --version]";
        QTest::newRow("-h then --version") << QStringList{"-h", "--version"} << "Kullanım: evlora";
    }
    void answersAndTouchesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, printed);
        QTemporaryDir folder;
        const Run run = start(folder.path(), arguments);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(printed), qPrintable(run.out));
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QVERIFY(isEmpty(folder.path()));
    }

    void refusesAnythingElseBeforeMakingAFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("told");
        QTest::newRow("unknown option") << QStringList{"--veri=/tmp"} << "'--veri=/tmp' seçeneği tanınmıyor";
        QTest::newRow("a toolkit option") << QStringList{"-platform", "offscreen"} << "'-platform' seçeneği tanınmıyor";
        QTest::newRow("a file name") << QStringList{"evlora.sqlite"} << "'evlora.sqlite' anlaşılmadı";
        QTest::newRow("after --version") << QStringList{"--version", "--x"} << "'--x' seçeneği tanınmıyor";
    }
    void refusesAnythingElseBeforeMakingAFile()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, told);
        QTemporaryDir folder;
        const Run run = start(folder.path(), arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(told) && run.err.contains(QStringLiteral("Kullanım: evlora")), qPrintable(run.err));
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        QVERIFY(isEmpty(folder.path()));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
