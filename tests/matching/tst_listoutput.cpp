// The comparison list leaving the program: the RTF document read back by an
// independent reader (unrtf) with every Turkish letter, and the printed list
// rendered to PDF and read back with pdftotext, page by page.

#include "matching/listoutput.h"
#include "support/filesizelimit.h"
#include "support/matchingtesting.h"

#include <QFile>
#include <QFontMetrics>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace matchingtest;

namespace {

const QString Turkish = QStringLiteral("çÇğĞıİöÖşŞüÜ");

QFont listFont()
{
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// The text of each page of a PDF, as pdftotext reads it.
QStringList pdfPages(const QString& path, bool* ok)
{
    const QString text = readWith(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}, ok);
    if (!*ok)
        return {text};
    QStringList pages = text.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QStringList wordsOf(const QString& page)
{
    return page.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

} // namespace

class ListOutputTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void initTestCase() { useTurkishLocale(); }

    void rtfReadByAnotherProgram()
    {
        const QStringList lines{QString(), QStringLiteral("    İsim : Işıl Çelik    Telefon : (216) 333-44-55"),
                                QString(), Turkish, QStringLiteral("braces {x} and \\ backslash"),
                                QStringLiteral("Semt Adı :Şişli   Metre2 :85,5   Fiyatı : 1250000  Emlak : Arsa ve Arazi"),
                                QStringLiteral("€ and “quotes” – Ğ")};
        const QString path = m_folder.filePath(QStringLiteral("karşılaştırma.rtf"));
        QCOMPARE(ListOutput::saveRtf(path, lines, listFont()), QString());

        // 7-bit ASCII throughout, in the Turkish code page, in the list's font.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray document = file.readAll();
        QVERIFY(std::all_of(document.begin(), document.end(), [](char c) { return uchar(c) < 0x80; }));
        QVERIFY(document.startsWith("{\\rtf1\\ansi\\ansicpg1254"));
        QVERIFY(document.contains("Courier New;"));
        QCOMPARE(document.count("\\par"), lines.size() + 1); // "\pard" once, "\par" per line

        // The blanks are written as they stand (unrtf reads a run of them as one).
        QVERIFY(document.contains("\\par\n    \\u304\\'ddsim : I\\u351\\'fe\\u305\\'fdl \\u199\\'c7elik    Telefon"));

        bool ok = false;
        const QStringList read = rtfReadBack(path, &ok);
        QVERIFY2(ok, qPrintable(read.join('\n')));
        QCOMPARE(read, withSingleBlanks(lines));

        // A reader that knows only the code page (no \u): the fallback bytes carry the Turkish letters.
        static const QRegularExpression unicodeValue(QStringLiteral("\\\\u-?[0-9]+"));
        const QString stripped = QString::fromLatin1(document).remove(QStringLiteral("\\uc1")).remove(unicodeValue);
        const QString oldPath = m_folder.filePath(QStringLiteral("codepage.rtf"));
        QFile old(oldPath);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(stripped.toLatin1());
        old.close();
        const QStringList readOld = rtfReadBack(oldPath, &ok);
        QVERIFY(ok);
        QCOMPARE(readOld.at(3), Turkish);
        QCOMPARE(readOld.at(1), withSingleBlanks(lines).at(1));
    }

    void rtfSaveReplacesTheFile()
    {
        const QString path = m_folder.filePath(QStringLiteral("twice.rtf"));
        QCOMPARE(ListOutput::saveRtf(path, {QStringLiteral("ilk")}, listFont()), QString());
        QCOMPARE(ListOutput::saveRtf(path, {QStringLiteral("ikinci")}, listFont()), QString());
        bool ok = false;
        QCOMPARE(rtfReadBack(path, &ok), QStringList{QStringLiteral("ikinci")});

        // On a full disk the save fails with the file's name, and the list saved before stays.
        FileSizeLimit limit(100);
        QVERIFY(limit.isSet());
        const QString failure = ListOutput::saveRtf(path, {QStringLiteral("üçüncü")}, listFont());
        QVERIFY2(failure.startsWith(QDir::toNativeSeparators(path) + QStringLiteral(": ")), qPrintable(failure));
        QCOMPARE(rtfReadBack(path, &ok), QStringList{QStringLiteral("ikinci")});
    }

    // A list longer than a page goes on at the top of the next one, every line once and in order.
    void printedOnTwoPages()
    {
        const QString path = m_folder.filePath(QStringLiteral("liste.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        const int perPage = printer.height() / QFontMetrics(listFont(), &printer).height();
        QVERIFY(perPage > 10);
        QStringList lines;
        for (int i = 1; i <= perPage + 5; ++i)
            lines << QStringLiteral("Satır%1 Işıl Çelik").arg(i);
        QCOMPARE(ListOutput::printLines(printer, lines, listFont()), 2);

        bool ok = false;
        const QStringList pages = pdfPages(path, &ok);
        QVERIFY2(ok, qPrintable(pages.join('\n')));
        QCOMPARE(pages.size(), 2);
        QStringList first = wordsOf(pages.at(0)), second = wordsOf(pages.at(1));
        QCOMPARE(first.first(), QStringLiteral("Satır1"));
        QCOMPARE(first.size(), 3 * perPage);
        QCOMPARE(first.at(first.size() - 3), QStringLiteral("Satır%1").arg(perPage));
        QCOMPARE(second.first(), QStringLiteral("Satır%1").arg(perPage + 1));
        QCOMPARE(second.size(), 3 * 5);
        QCOMPARE(second.at(1), QStringLiteral("Işıl"));
        QCOMPARE(second.at(2), QStringLiteral("Çelik"));
    }

    void emptyListPrintsNothing()
    {
        const QString path = m_folder.filePath(QStringLiteral("bos.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        QCOMPARE(ListOutput::printLines(printer, {}, listFont()), 0);
        bool ok = false;
        const QStringList pages = pdfPages(path, &ok);
        QVERIFY(ok);
        QVERIFY(pages.join(QString()).trimmed().isEmpty());
    }
};

QTEST_MAIN(ListOutputTest)
#include "tst_listoutput.moc"
