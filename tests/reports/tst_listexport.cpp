// Lists to a spreadsheet: the result lists and the whole-register prints
// written as .xlsx workbooks (read back with unzip: numbers as numbers in
// Turkish formats, the captions as a bold frozen header, widths that fit) and
// as CSV files (UTF-8, ';' between fields), from the report preview through
// the save dialog; a write that fails or is cancelled leaves the file that
// was there and reports no success.

#include "platform/engine/query.h"
#include "platform/reporting/reportpreview.h"
#include "platform/spreadsheet/sheet.h"
#include "reports/reports.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
#include "support/searchtesting.h"
#include "support/testsupport.h"
#include "support/workbookreading.h"

#include <QAction>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using spreadsheet::Format;
using spreadsheet::Outcome;

namespace {

QString rowText(const Workbook& book, int row)
{
    QStringList cells;
    for (const WorkbookCell& cell : book.rows.value(row))
        cells << (cell.isEmpty ? QStringLiteral("·") : cell.text);
    return cells.join(QLatin1Char('|'));
}

// Stops an export at its first report of progress.
const spreadsheet::Progress stopAtOnce = [](int, int) { return false; };

} // namespace

class ListExportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    QTemporaryDir m_folder;
    Installed<CollectingReporter> m_messages;
    Installed<AnsweringSheetDialogs> m_dialogs;

    Database& db() { return *m_store->db; }
    QString file(const QString& name) const { return m_folder.filePath(name); }

    // Three sale flats: one in lira with a fraction, one in dollars whose
    // texts need quoting in CSV, one with neither price nor area.
    void insertSaleFlats()
    {
        db().inTransaction([&] {
            searchtest::insertRow(db(), QStringLiteral("sdgiris"),
                                  {{"Semtadi", QStringLiteral("Kadıköy")}, {"Fiyati", 1250000.5}, {"Döviz", ""},
                                   {"Metre2", 120.0}, {"Kat", "3"}, {"Oda", "3+1"}, {"Isisistemi", QStringLiteral("Doğal Gaz")}});
            searchtest::insertRow(db(), QStringLiteral("sdgiris"),
                                  {{"Semtadi", QStringLiteral("Şişli; Merkez")}, {"Fiyati", 250000.0}, {"Döviz", "USD"},
                                   {"Metre2", 85.5}, {"Kat", "12"}, {"Oda", "2+1"}, {"Isisistemi", "Kombi \"yeni\""}});
            searchtest::insertRow(db(), QStringLiteral("sdgiris"), {{"Semtadi", QStringLiteral("Moda")}});
        });
    }

private slots:
    void initTestCase() { useTurkishLocale(); }
    void init()
    {
        m_store = std::make_unique<ScratchStore>();
        m_messages.shown.clear();
        static_cast<AnsweringSheetDialogs&>(m_dialogs) = AnsweringSheetDialogs();
    }
    void cleanup() { m_store.reset(); }

    void workbookHoldsTheResultWithNumbersAsNumbers()
    {
        insertSaleFlats();
        Query query(db());
        query.setStatement(Statement(QStringLiteral("sdgiris")));
        query.open();
        query.moveTo(1);
        const std::optional<spreadsheet::Source> source = reports::listSheet(QStringLiteral("SaleFlatListReport"), query);
        QVERIFY(source);
        QString error;
        QCOMPARE(spreadsheet::save(Format::Xlsx, file("liste.xlsx"), source->sheet, *source->rows(), &error), Outcome::Done);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(query.position(), 1); // the grid stays on the clerk's row

        const Workbook book = readWorkbook(file("liste.xlsx"));
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QCOMPARE(book.title, QStringLiteral("İstenilen Özellikteki Satılık Daire Listesi"));
        QCOMPARE(book.sheetName, QStringLiteral("İstenilen Özellikteki Satılık D")); // a sheet's name holds 31 letters
        QCOMPARE(book.rows.size(), 4);
        QCOMPARE(rowText(book, 0), QStringLiteral("Semt Adı|Fiyatı|Metre Karesi|Kat|Oda|Isı Sistemi"));
        for (int column = 0; column < 6; ++column)
            QVERIFY(book.at(0, column).bold && !book.at(0, column).isNumber);
        QCOMPARE(book.frozenRows, 1);

        // Prices and areas are numbers, in the format of the record's currency.
        QVERIFY(book.at(1, 1).isNumber);
        QCOMPARE(book.at(1, 1).number(), 1250000.5);
        QCOMPARE(book.at(1, 1).format, QStringLiteral("\"₺\"#,##0.00"));
        QVERIFY(book.at(2, 1).isNumber);
        QCOMPARE(book.at(2, 1).number(), 250000.0);
        QCOMPARE(book.at(2, 1).format, QStringLiteral("\"$\"#,##0.00"));
        QVERIFY(book.at(1, 2).isNumber && book.at(2, 2).isNumber);
        QCOMPARE(book.at(1, 2).format, QStringLiteral("#,##0"));
        QCOMPARE(book.at(2, 2).number(), 85.5);
        QCOMPARE(book.at(2, 2).format, QStringLiteral("#,##0.##"));
        // Texts as stored, digits included; nothing where the record has nothing.
        QCOMPARE(rowText(book, 1), QStringLiteral("Kadıköy|1250000.5|120|3|3+1|Doğal Gaz"));
        QVERIFY(!book.at(1, 3).isNumber);
        QCOMPARE(rowText(book, 2), QStringLiteral("Şişli; Merkez|250000|85.5|12|2+1|Kombi \"yeni\""));
        QVERIFY(book.at(3, 1).isEmpty && book.at(3, 2).isEmpty);

        // Every column is as wide as its longest text, with room to spare.
        QCOMPARE(book.widths.size(), 6);
        QVERIFY2(book.widths.at(0) >= QStringLiteral("Şişli; Merkez").size() && book.widths.at(0) < 20,
                 qPrintable(QString::number(book.widths.at(0))));
        QVERIFY(book.widths.at(1) >= QStringLiteral("₺1.250.000,50").size());
        QVERIFY(book.widths.at(2) >= QStringLiteral("Metre Karesi").size());
    }

    void csvIsUtf8WithSemicolons()
    {
        insertSaleFlats();
        Query query(db());
        query.setStatement(Statement(QStringLiteral("sdgiris")));
        query.open();
        const std::optional<spreadsheet::Source> source = reports::listSheet(QStringLiteral("SaleFlatListReport"), query);
        QVERIFY(source);
        QCOMPARE(spreadsheet::save(Format::Csv, file("liste.csv"), source->sheet, *source->rows()), Outcome::Done);
        QFile csv(file("liste.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray bytes = csv.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines, (QStringList{
                            QStringLiteral("Semt Adı;Fiyatı;Metre Karesi;Kat;Oda;Isı Sistemi"),
                            QStringLiteral("Kadıköy;1250000,5;120;3;3+1;Doğal Gaz"),
                            // An amount in another currency keeps its sign; quotes are doubled.
                            QStringLiteral("\"Şişli; Merkez\";$250.000,00;85,5;12;2+1;\"Kombi \"\"yeni\"\"\""),
                            QStringLiteral("Moda;;;;;"),
                            QString()}));
    }

    // The main window's land print: its own statement over the whole
    // register; the area, text on land, is written as the number it reads as
    // when it reads as one.
    void wholeRegisterWithLandAreasAsNumbers()
    {
        db().inTransaction([&] {
            searchtest::insertRow(db(), QStringLiteral("arsa"),
                                  {{"Semt", QStringLiteral("Çayyolu")}, {"Fiyati", 3500000.0}, {"Metre2", "1.250"}, {"Ada", "112"}});
            searchtest::insertRow(db(), QStringLiteral("arsa"),
                                  {{"Semt", QStringLiteral("Gölbaşı")}, {"Metre2", QStringLiteral("yaklaşık 500")}});
            // Nothing printed at all: a row with no cells, as the last.
            searchtest::insertRow(db(), QStringLiteral("arsa"), {{"Ada", ""}});
        });
        const std::optional<spreadsheet::Source> source = reports::registerSheet(QStringLiteral("LandListPrint"), db());
        QVERIFY(source);
        QVERIFY(!reports::registerSheet(QStringLiteral("LandListReport"), db()));
        QCOMPARE(spreadsheet::save(Format::Xlsx, file("arsa.xlsx"), source->sheet, *source->rows()), Outcome::Done);
        const Workbook book = readWorkbook(file("arsa.xlsx"));
        QVERIFY2(book.error.isEmpty(), qPrintable(book.error));
        QCOMPARE(rowText(book, 0), QStringLiteral("Semt Adı|Fiyatı|Metre Karesi|Ada|Parsel|Pafta|İmar"));
        QVERIFY(book.at(1, 1).isNumber && book.at(1, 2).isNumber);
        QCOMPARE(book.at(1, 2).number(), 1250.0);
        QVERIFY(!book.at(1, 3).isNumber); // "Ada" is text, digits or not
        QCOMPARE(book.at(2, 2).text, QStringLiteral("yaklaşık 500"));
        QVERIFY(!book.at(2, 2).isNumber);
        QCOMPARE(book.rows.size(), 3);
    }

    void aFailedOrCancelledExportLeavesTheFileThatWasThere_data()
    {
        QTest::addColumn<Format>("format");
        QTest::newRow("xlsx") << Format::Xlsx;
        QTest::newRow("csv") << Format::Csv;
    }
    void aFailedOrCancelledExportLeavesTheFileThatWasThere()
    {
        QFETCH(Format, format);
        const spreadsheet::Sheet sheet{QStringLiteral("Uzun"), {{QStringLiteral("Ad")}, {QStringLiteral("Tutar"), spreadsheet::Kind::Amount}}};
        // Texts that do not pack small: the workbook is a zip.
        QRandomGenerator letters(25);
        QVector<QStringList> many;
        for (int i = 0; i < 3000; ++i) {
            QString text = QStringLiteral("Satır %1 ").arg(i);
            for (int j = 0; j < 200; ++j)
                text += QChar(u'a' + letters.bounded(26));
            many.append({text, QString::number(i)});
        }
        const QTemporaryDir folder;
        const QString target = folder.filePath("eski." + spreadsheet::suffix(format));
        {
            QFile before(target);
            QVERIFY(before.open(QIODevice::WriteOnly) && before.write("önceki dosya") > 0);
        }
        const QByteArray before = fileHash(target);

        QString error;
        spreadsheet::TextRows cancelled(many);
        QCOMPARE(spreadsheet::save(format, target, sheet, cancelled, &error, stopAtOnce), Outcome::Cancelled);
        QCOMPARE(fileHash(target), before);

        {
            FileSizeLimit limit(64 * 1024); // a disk that fills under the export
            QVERIFY(limit.isSet());
            spreadsheet::TextRows rows(many);
            QCOMPARE(spreadsheet::save(format, target, sheet, rows, &error), Outcome::Failed);
        }
        QVERIFY2(error.contains(target), qPrintable(error));
        QCOMPARE(fileHash(target), before);

        spreadsheet::TextRows rows(many);
        QCOMPARE(spreadsheet::save(format, folder.filePath("yok/liste." + spreadsheet::suffix(format)), sheet, rows, &error),
                 Outcome::Failed);
        QVERIFY2(error.contains(QStringLiteral("yok/liste")), qPrintable(error));
        // No half-written file is left beside the target either.
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QFileInfo(target).fileName()});
    }

    // "Excel'e Aktar" and "CSV olarak kaydet" in the preview of a list, not
    // of a card: through the save dialog, offering the list's title; success
    // is told only when the file is written.
    void previewExportsThroughTheSaveDialog()
    {
        insertSaleFlats();
        Query query(db());
        query.setStatement(Statement(QStringLiteral("sdgiris")));
        query.open();
        std::unique_ptr<reporting::Report> report = reports::makeReport(QStringLiteral("SaleFlatListReport"), query);
        reporting::ReportPreview preview(*report, nullptr,
                                         reports::listSheet(QStringLiteral("SaleFlatListReport"), query));
        const auto action = [&](const char* name) { return preview.findChild<QAction*>(QLatin1String(name)); };
        QVERIFY(action("ExportXlsx") && action("ExportCsv"));
        QCOMPARE(action("ExportXlsx")->text(), QStringLiteral("Excel'e Aktar"));
        QCOMPARE(action("ExportCsv")->text(), QStringLiteral("CSV olarak kaydet"));

        m_dialogs.saveAs = file("sonuç.xlsx");
        action("ExportXlsx")->trigger();
        QCOMPARE(m_dialogs.asked, QList<Format>{Format::Xlsx});
        QCOMPARE(m_dialogs.offered, QStringLiteral("İstenilen Özellikteki Satılık Daire Listesi.xlsx"));
        QCOMPARE(m_dialogs.told, QStringList{QStringLiteral("Liste kaydedildi: ") + file("sonuç.xlsx")});
        QCOMPARE(readWorkbook(file("sonuç.xlsx")).rows.size(), 4);
        QVERIFY(m_messages.shown.isEmpty());

        m_dialogs.told.clear();
        m_dialogs.saveAs = file("yok/sonuç.csv");
        action("ExportCsv")->trigger();
        QVERIFY(m_dialogs.told.isEmpty());
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY2(m_messages.shown.first().startsWith(QStringLiteral("Liste kaydedilemedi: ")) &&
                     m_messages.shown.first().contains(QStringLiteral("yok/sonuç.csv")),
                 qPrintable(m_messages.shown.first()));

        m_messages.shown.clear();
        m_dialogs.saveAs.clear(); // the clerk cancels
        action("ExportCsv")->trigger();
        QVERIFY(m_dialogs.told.isEmpty() && m_messages.shown.isEmpty());

        // Cards have no rows to export.
        std::unique_ptr<reporting::Report> card = reports::makeReport(QStringLiteral("SaleFlatCard"), query);
        reporting::ReportPreview cardPreview(*card, nullptr, reports::listSheet(QStringLiteral("SaleFlatCard"), query));
        QVERIFY(!cardPreview.findChild<QAction*>(QStringLiteral("ExportXlsx")));
    }
};

QTEST_MAIN(ListExportTest)
#include "tst_listexport.moc"
