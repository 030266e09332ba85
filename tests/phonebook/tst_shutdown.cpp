// The phone book's timed shut-down, always against the stand-in: arming with
// "Tamam", the status line, "İptal", firing once when the clock reaches or
// passes the time (a skipped second, another time format, the window closed),
// never when disarmed. And that nothing but the program's start-up can make
// the real request.
#include "kit/behaviours/pressbutton.h"
#include "phonebook/phonebook.h"
#include "phonebook/phonebookscreens.h"
#include "platform/engine/dataset.h"
#include "platform/controls/dbgrid.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const QDate Today(2026, 3, 2);

QDateTime at(const QString& time, const QDate& day = Today)
{
    return QDateTime(day, QTime::fromString(time, QStringLiteral("HH:mm:ss")));
}

} // namespace

class ShutdownTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    std::unique_ptr<Screens> m_screens;
    PhoneBook* m_book = nullptr;
    Installed<CollectingReporter> m_messages;

    // "Bilgisayarı Kapama", the time typed digit by digit, "Tamam".
    void arm(const QString& digits)
    {
        clickCentre(m_book->menuItem(QStringLiteral("Bilgisayarı Kapama")));
        m_book->shutdownTime()->clear();
        typeText(m_book->shutdownTime(), digits);
        m_book->okButton()->click();
    }
    void tickAt(FixedClock& clock, const QString& time, const QDate& day = Today)
    {
        clock.at = at(time, day);
        m_book->shutdownTick();
    }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
    }

    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        m_screens = std::make_unique<Screens>(*m_store->db);
        m_screens->createAll(phoneBookScreens());
        m_book = m_screens->get<PhoneBook>(QStringLiteral("PhoneBook"));
        m_book->show();
    }

    void cleanup()
    {
        m_screens.reset();
        m_store.reset();
        m_messages.shown.clear();
        useTurkishLocale();
    }

    void armingShowsTheTimeAndCancelDisarms()
    {
        Installed<FixedClock> clock(at("17:00:00"));
        Installed<CountingShutdown> shutdown;
        QVERIFY(m_book->statusLabel()->isHidden());
        QVERIFY(m_book->shutdownPanel()->isHidden());
        QVERIFY(!m_book->shutdownTimer()->isActive());

        clickCentre(m_book->menuItem(QStringLiteral("Bilgisayarı Kapama")));
        QVERIFY(m_book->grid()->isHidden());
        QVERIFY(!m_book->shutdownPanel()->isHidden());
        typeText(m_book->shutdownTime(), QStringLiteral("183005"));
        m_book->okButton()->click();
        QVERIFY(m_book->shutdownPanel()->isHidden());
        QVERIFY(!m_book->grid()->isHidden());
        QVERIFY(!m_book->statusLabel()->isHidden());
        QCOMPARE(m_book->statusLabel()->text(), QStringLiteral("Kapanma Saati =18:30:05"));
        QVERIFY(m_book->shutdownTimer()->isActive());
        QCOMPARE(m_book->schedule().moment(), at("18:30:05"));

        clickCentre(m_book->menuItem(QStringLiteral("Bilgisayarı Kapama")));
        m_book->cancelButton()->click();
        QVERIFY(m_book->statusLabel()->isHidden());
        QVERIFY(m_book->shutdownPanel()->isHidden());
        QVERIFY(!m_book->grid()->isHidden());
        QVERIFY(!m_book->shutdownTimer()->isActive());
        QVERIFY(!m_book->schedule().isArmed());
        QCOMPARE(m_book->shutdownTime()->text(), QStringLiteral("::"));
        QCOMPARE(shutdown.requests, 0);
    }

    void firesOnceWhenTheClockPassesTheTime_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("Turkish time") << QLocale(QLocale::Turkish, QLocale::Turkey);
        QTest::newRow("a 12-hour clock") << QLocale(QLocale::English, QLocale::UnitedStates);
    }

    void firesOnceWhenTheClockPassesTheTime()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        Installed<FixedClock> clock(at("17:59:57"));
        Installed<CountingShutdown> shutdown;
        arm(QStringLiteral("180000"));
        m_book->close(); // the timer stays armed with the window closed

        tickAt(clock, "17:58:58");
        tickAt(clock, "17:59:59");
        QCOMPARE(shutdown.requests, 0);
        // A busy second: the tick after 17:59:59 comes at 18:00:01.
        tickAt(clock, "18:00:01");
        QCOMPARE(shutdown.requests, 1);
        tickAt(clock, "18:00:02");
        tickAt(clock, "18:00:00", Today.addDays(1));
        QCOMPARE(shutdown.requests, 1);
        QVERIFY(!m_book->shutdownTimer()->isActive());
        QVERIFY(m_messages.shown.isEmpty());
    }

    void aTimeGoneByWaitsForTomorrow()
    {
        Installed<FixedClock> clock(at("18:00:05"));
        Installed<CountingShutdown> shutdown;
        arm(QStringLiteral("180000"));
        tickAt(clock, "18:00:06");
        tickAt(clock, "23:59:59");
        QCOMPARE(shutdown.requests, 0);
        tickAt(clock, "17:59:59", Today.addDays(1));
        QCOMPARE(shutdown.requests, 0);
        tickAt(clock, "18:00:00", Today.addDays(1));
        QCOMPARE(shutdown.requests, 1);
    }

    void neverFiresDisarmed()
    {
        Installed<FixedClock> clock(at("08:00:00"));
        Installed<CountingShutdown> shutdown;
        tickAt(clock, "09:00:00"); // never armed
        arm(QStringLiteral("090000"));
        clickCentre(m_book->menuItem(QStringLiteral("Bilgisayarı Kapama")));
        m_book->cancelButton()->click();
        for (const char* time : {"08:59:59", "09:00:00", "09:00:01", "12:00:00"})
            tickAt(clock, QString::fromLatin1(time));
        QCOMPARE(shutdown.requests, 0);
    }

    void anIncompleteOrImpossibleTimeIsNotArmed_data()
    {
        QTest::addColumn<QString>("digits");
        QTest::newRow("nothing") << QString();
        QTest::newRow("hours only") << QStringLiteral("18");
        QTest::newRow("hour 24") << QStringLiteral("240000");
        QTest::newRow("minute 60") << QStringLiteral("126000");
    }

    void anIncompleteOrImpossibleTimeIsNotArmed()
    {
        QFETCH(QString, digits);
        Installed<FixedClock> clock(at("10:00:00"));
        Installed<CountingShutdown> shutdown;
        arm(digits);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(!m_book->shutdownPanel()->isHidden()); // still there to correct
        QVERIFY(m_book->statusLabel()->isHidden());
        QVERIFY(!m_book->shutdownTimer()->isActive());
        tickAt(clock, "23:59:59");
        QCOMPARE(shutdown.requests, 0);
    }

    void aRefusedRequestIsToldAndDisarms()
    {
        Installed<FixedClock> clock(at("10:00:00"));
        Installed<CountingShutdown> shutdown;
        shutdown.accepted = false;
        arm(QStringLiteral("100001"));
        tickAt(clock, "10:00:01");
        QCOMPARE(shutdown.requests, 1);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_book->statusLabel()->isHidden());
        tickAt(clock, "10:00:02");
        QCOMPARE(shutdown.requests, 1);
    }

    void theClockTickTurnsTheLineAndShowsTheTime()
    {
        Installed<FixedClock> clock(at("09:05:07"));
        QCOMPARE(m_book->currentTime()->text(), QStringLiteral("Saat"));
        QVERIFY(m_book->clockTimer()->isActive());
        const QString line = m_book->marquee()->text();
        m_book->tick();
        QCOMPARE(m_book->marquee()->text(), line.mid(1) + line.at(0));
        QCOMPARE(m_book->currentTime()->text(), QStringLiteral("09:05:07"));
        for (int i = 1; i < line.size(); ++i)
            m_book->tick();
        QCOMPARE(m_book->marquee()->text(), line);
    }

    void withoutAStandInNothingIsAsked()
    {
        setShutdownRequest(nullptr);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no shut-down request")));
        QVERIFY(!shutdownRequest().request());

        QString written;
        QTextStream out(&written);
        PrintedShutdown printed(out);
        QVERIFY(printed.request());
        QVERIFY(written.contains(systemShutdownCommand().text()));
    }

    void onlyTheStartUpMakesTheRealRequest()
    {
        // The real request's header may be included by the start-up alone.
        const QString root = qEnvironmentVariable("EVLORA_SOURCE_DIR");
        QVERIFY(!root.isEmpty());
        const QStringList allowed{QStringLiteral("src/platform/system/systemshutdown.cpp"),
                                  QStringLiteral("src/shell/main.cpp")};
        // Spelt in two pieces so that this file does not count itself.
        const QByteArray needle = QByteArray("#include \"platform/system/") + "systemshutdown.h\"";
        QStringList including;
        for (const char* folder : {"src", "tests", "bench", "tools"}) {
            QDirIterator files(root + QLatin1Char('/') + QLatin1String(folder), {"*.cpp", "*.h"}, QDir::Files,
                               QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QString path = files.next();
                QFile file(path);
                QVERIFY(file.open(QIODevice::ReadOnly));
                if (file.readAll().contains(needle))
                    including << QDir(root).relativeFilePath(path);
            }
        }
        including.sort();
        QCOMPARE(including, allowed);
    }
};

QTEST_MAIN(ShutdownTest)
#include "tst_shutdown.moc"
