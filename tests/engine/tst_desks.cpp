// Three desks, three programs, one server: each posts records of its own,
// counts on one record all share, and deletes some of what it posted, all at
// once. Afterwards every post a desk saw confirmed is there (unless it saw
// its delete confirmed), no key was given twice, and the shared count holds
// every increment a desk saw confirmed: no update was lost.
//
// The test program is also the desk: run as "tst_desks --desk FOLDER NAME
// ROUNDS" it works on the store of FOLDER and prints what was confirmed.
#include "data/catalogue.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/postgresengine.h"
#include "platform/engine/table.h"
#include "support/testserver.h"
#include "support/testsupport.h"

#include <QProcess>
#include <QTextStream>
#include <QtTest>

namespace {

constexpr int Desks = 3;
constexpr int Rounds = 40;
const QString SharedName = QStringLiteral("ortak");
constexpr qint64 SharedKey = 1; // the first record of the store

int workAsDesk(const QString& folder, const QString& name, int rounds)
{
    useTurkishLocale();
    QTextStream out(stdout);
    try {
        const std::unique_ptr<Database> store = Catalogue::openStore(folder);
        Table mine(*store, QStringLiteral("kdgiris"));
        Table shared(*store, QStringLiteral("kdgiris"));
        mine.open();
        shared.open();
        QList<qint64> posted;
        for (int round = 0; round < rounds; ++round) {
            mine.append();
            mine.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
            mine.setText(QStringLiteral("Isim"), QStringLiteral("%1-%2").arg(name).arg(round));
            mine.post();
            posted << mine.integer(QStringLiteral("No"));
            out << "posted " << posted.last() << Qt::endl;

            // The count on the record every desk shares: read, add one, post;
            // refused when another desk counted first, then read again.
            for (int attempt = 0;; ++attempt) {
                shared.refresh();
                if (!shared.locate(QStringLiteral("No"), SharedKey))
                    throw DataError(QStringLiteral("the shared record is gone"));
                shared.edit();
                const double count = shared.value(QStringLiteral("Fiyati")).toDouble();
                shared.setText(QStringLiteral("Fiyati"), QString::number(qint64(count) + 1));
                try {
                    shared.post();
                    out << "counted" << Qt::endl;
                    break;
                } catch (const DataError& error) {
                    shared.cancel();
                    out << "refused" << Qt::endl;
                    if (!error.message().contains(QStringLiteral("başka bir masa değiştirdi")) || attempt > 200)
                        throw;
                }
            }

            if (round % 3 == 2) { // one of its own, posted earlier, goes
                const qint64 key = posted.takeFirst();
                if (mine.locate(QStringLiteral("No"), key)) {
                    mine.remove();
                    out << "deleted " << key << Qt::endl;
                }
            }
        }
    } catch (const DataError& error) {
        out << "failed " << error.message() << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace

class DesksTest : public QObject {
    Q_OBJECT
private slots:
    void threeDesksAtOnceLoseNothing()
    {
        TestServer server;
        server.execute(QStringLiteral("CREATE DATABASE ajans"));
        const QString connection = server.connectionString(QStringLiteral("ajans"));
        PostgresEngine::createSchema(connection, Catalogue::tables());
        QList<std::shared_ptr<QTemporaryDir>> folders;
        for (int d = 0; d < Desks; ++d) {
            folders << std::make_shared<QTemporaryDir>();
            QFile setting(folders.last()->filePath(PostgresEngine::SettingFileName));
            QVERIFY(setting.open(QIODevice::WriteOnly));
            setting.write(connection.toUtf8());
        }
        {
            const std::unique_ptr<Database> store = Catalogue::openStore(folders.first()->path());
            Table shared(*store, QStringLiteral("kdgiris"));
            shared.open();
            shared.append();
            shared.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
            shared.setText(QStringLiteral("Isim"), SharedName);
            shared.setText(QStringLiteral("Fiyati"), QStringLiteral("0"));
            shared.post();
            QCOMPARE(shared.integer(QStringLiteral("No")), SharedKey);
        }

        std::vector<std::unique_ptr<QProcess>> desks;
        for (int d = 0; d < Desks; ++d) {
            desks.push_back(std::make_unique<QProcess>());
            desks.back()->setProcessChannelMode(QProcess::MergedChannels);
            desks.back()->start(QCoreApplication::applicationFilePath(),
                                {QStringLiteral("--desk"), folders.at(d)->path(), QStringLiteral("masa%1").arg(d),
                                 QString::number(Rounds)});
        }
        QSet<qint64> present, gone;
        int counted = 0, refused = 0;
        for (auto& desk : desks) {
            QVERIFY(desk->waitForFinished(240000));
            const QString output = QString::fromUtf8(desk->readAll());
            QVERIFY2(desk->exitCode() == 0, qPrintable(output));
            for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                const QStringList words = line.split(QLatin1Char(' '));
                if (words.first() == QLatin1String("posted")) {
                    QVERIFY2(!present.contains(words.at(1).toLongLong()), "a key given twice");
                    present.insert(words.at(1).toLongLong());
                } else if (words.first() == QLatin1String("deleted")) {
                    gone.insert(words.at(1).toLongLong());
                } else if (words.first() == QLatin1String("counted")) {
                    ++counted;
                } else if (words.first() == QLatin1String("refused")) {
                    ++refused;
                }
            }
        }
        QCOMPARE(counted, Desks * Rounds);
        qInfo("%d counts refused for another desk's and made again", refused);

        const std::unique_ptr<Database> store = Catalogue::openStore(folders.first()->path());
        QSet<qint64> stored;
        double count = -1;
        store->select(QStringLiteral("SELECT No, Isim, Fiyati FROM kdgiris"), {}, [&](const SqlStatement& row) {
            if (row.text(1) == SharedName)
                count = row.column(2).real;
            else
                stored.insert(row.integer(0));
        });
        QCOMPARE(stored, present - gone);
        QCOMPARE(count, double(Desks * Rounds));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--desk") == 0)
        return workAsDesk(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]));
    DesksTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desks.moc"
