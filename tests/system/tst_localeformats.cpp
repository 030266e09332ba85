// Formats a person reads come from the system locale (pinned to Turkish here).

#include "platform/system/localeformats.h"
#include "support/behaviourtesting.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <memory>

using namespace behaviourtest;

class LocaleFormatsTest : public QObject {
    Q_OBJECT
private slots:
    // The program makes its formats Turkish itself: this program also runs
    // under LANG=C and LANG=en_US.UTF-8 (see tests/CMakeLists.txt).
    void initTestCase() { LocaleFormats::useTurkish(); }
    void turkishWhateverTheSystemSays();

    void thousandsPattern_data();
    void thousandsPattern();
    void dateAndTime();
    void currency();
    void readingTypedNumbers();
};

void LocaleFormatsTest::turkishWhateverTheSystemSays()
{
    qInfo("system locale: %s", qPrintable(QLocale::system().name()));
    QCOMPARE(LocaleFormats::shortDate(QDate(2026, 12, 8)), QStringLiteral("8.12.2026"));
    QCOMPARE(LocaleFormats::longTime(QTime(14, 5, 9)), QStringLiteral("14:05:09"));
    QCOMPARE(LocaleFormats::currency(12500), QStringLiteral("₺12.500,00"));
    bool ok = false;
    QCOMPARE(LocaleFormats::readNumber(QStringLiteral("12,5"), &ok), 12.5);
    QVERIFY(ok);
    // Machine-readable text stays in the C locale.
    QCOMPARE(LocaleFormats::machine().toString(12.5), QStringLiteral("12.5"));

    // The toolkit's own texts: an edit's context menu speaks Turkish.
    QLineEdit edit;
    edit.setText(QStringLiteral("metin"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList entries;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            entries << action->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
    QVERIFY2(!entries.contains(QStringLiteral("Undo")) && !entries.contains(QStringLiteral("Paste")),
             qPrintable(entries.join(QStringLiteral(", "))));
    QVERIFY2(entries.contains(QStringLiteral("Yapıştır")), qPrintable(entries.join(QStringLiteral(", "))));
}

void LocaleFormatsTest::thousandsPattern_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("below a thousand") << 999.0 << QStringLiteral("999");
    QTest::newRow("one separator") << 1234.0 << QStringLiteral("1.234");
    QTest::newRow("millions") << 12345678.0 << QStringLiteral("12.345.678");
    QTest::newRow("rounds half away") << 1234.5 << QStringLiteral("1.235");
    QTest::newRow("negative") << -25000.0 << QStringLiteral("-25.000");
    QTest::newRow("zero is empty") << 0.0 << QString();
    QTest::newRow("beyond 32 bits") << 12345678901.0 << QStringLiteral("12.345.678.901");
}

void LocaleFormatsTest::thousandsPattern()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(LocaleFormats::thousands(value), text);
}

void LocaleFormatsTest::dateAndTime()
{
    QCOMPARE(LocaleFormats::shortDate(QDate(2024, 12, 8)), QStringLiteral("8.12.2024"));
    QCOMPARE(LocaleFormats::longTime(QTime(9, 5, 7)), QStringLiteral("09:05:07"));
}

void LocaleFormatsTest::currency()
{
    const QString text = LocaleFormats::currency(1234.5);
    QVERIFY2(text.contains(QStringLiteral("1.234,50")), qPrintable(text));
}

void LocaleFormatsTest::readingTypedNumbers()
{
    bool ok = false;
    QCOMPARE(LocaleFormats::readNumber(QStringLiteral(" 1234 "), &ok), 1234.0);
    QVERIFY(ok);
    QCOMPARE(LocaleFormats::readNumber(QStringLiteral("1234,5"), &ok), 1234.5);
    QVERIFY(ok);
    for (const QString& bad : {QStringLiteral("12ab"), QStringLiteral("1.234"), QString()}) {
        LocaleFormats::readNumber(bad, &ok);
        QVERIFY2(!ok, qPrintable(bad));
    }
}

QTEST_MAIN(LocaleFormatsTest)
#include "tst_localeformats.moc"
