// The record cards and list reports over the program's registers, rendered
// to PDF and read back: captions and values where the layouts put them, in
// millimetres from the paper's corner, within half a millimetre.

#include "kit/behaviours/printbutton.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "platform/reporting/report.h"
#include "platform/reporting/reportpreview.h"
#include "reports/reportplans.h"
#include "reports/reports.h"
#include "support/fakes.h"
#include "support/pdfreading.h"
#include "support/searchtesting.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

using namespace reports;

namespace {

const QDateTime Made(QDate(2024, 12, 8), QTime(9, 5, 7));
constexpr double Margin = 10;
constexpr double Tolerance = 0.5;

// Writes rows straight into the store, in one transaction.
void insertRows(Database& db, const QString& table, const QList<QVariantMap>& rows)
{
    db.inTransaction([&] {
        for (const QVariantMap& values : rows)
            searchtest::insertRow(db, table, values);
    });
}

// A record with a value of its own in every field: a word made of the
// field's name and the row's number; numbers for the numeric fields, the
// first 1000.5 × row + 10000.25, the next 10000 more, and so on.
QVariantMap recordFor(const TableSchema& table, int row)
{
    QVariantMap values;
    double number = 1000.5 * row + 0.25;
    for (const FieldSchema& field : table.fields) {
        if (field.isKey() || field.type == FieldType::Graphic)
            continue;
        if (field.isNumeric())
            values.insert(field.name, number += 10000);
        else
            values.insert(field.name, QStringLiteral("%1%2").arg(field.name.left(8)).arg(row));
    }
    return values;
}

// Where the texts of a report landed: the report saved as a PDF and read back.
PdfText render(reporting::Report& report, const QString& name)
{
    static QTemporaryDir folder;
    const QString keep = qEnvironmentVariable("EVLORA_KEEP_REPORTS"); // to look at them
    const QString path = QDir(keep.isEmpty() ? folder.path() : keep).filePath(name + QStringLiteral(".pdf"));
    QString error;
    if (report.savePdf(path, &error) != reporting::Report::Outcome::Done)
        return PdfText{.error = error};
    return readPdf(path);
}

bool near(double actual, double expected)
{
    return std::abs(actual - expected) < Tolerance;
}

QString where(const PdfWord& word)
{
    return QStringLiteral("'%1' on page %2 at %3, %4 mm")
        .arg(word.text)
        .arg(word.page + 1)
        .arg(word.left)
        .arg(word.top);
}

#define VERIFY_AT(word, x, y)                                                                                          \
    QVERIFY2((word).page >= 0 && near((word).left, (x)) && near((word).top, (y)),                                      \
             qPrintable(where(word) + QStringLiteral(", expected %1, %2").arg(x).arg(y)))

// The documented columns of each card design.
struct CardColumnsCase {
    double leftCaption, leftValue, rightCaption, rightValue, pitch;
};

} // namespace

class ReportsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }
    void init() { m_store = std::make_unique<ScratchStore>(); }
    void cleanup() { m_store.reset(); }

    void cardsPrintTheCurrentRecord_data();
    void cardsPrintTheCurrentRecord();
    void cardOfAnEmptyTable();
    void notesLongerThanTheirBlock();
    void listsPrintColumnsUnderCaptions_data();
    void listsPrintColumnsUnderCaptions();
    void emptyResult();
    void resultLongerThanAPage();
    void printingLeavesTheCurrentRow();
    void registerPrintsReadTheWholeRegister();
    void valuesTooWideAreNeverMisread();
    void amountsPrintInTheirRecordsCurrency();

private:
    Database& db() { return *m_store->db; }
    std::unique_ptr<ScratchStore> m_store;
    Installed<FixedClock> m_clock{Made};
};

void ReportsTest::cardsPrintTheCurrentRecord_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<CardColumnsCase>("columns");
    const CardColumnsCase listing{14.6, 39.7, 95.3, 115.9, 6.35};
    QTest::newRow("RentalFlatCard") << QStringLiteral("RentalFlatCard") << listing;
    QTest::newRow("SaleFlatCard") << QStringLiteral("SaleFlatCard") << listing;
    QTest::newRow("RentalPropertyCard") << QStringLiteral("RentalPropertyCard") << listing;
    QTest::newRow("SalePropertyCard") << QStringLiteral("SalePropertyCard") << listing;
    QTest::newRow("LandCard") << QStringLiteral("LandCard") << CardColumnsCase{14.6, 39.7, 95.3, 111.7, 8.5};
    QTest::newRow("RequestCard") << QStringLiteral("RequestCard") << CardColumnsCase{14.6, 50.3, 97.1, 124.4, 8.5};
}

void ReportsTest::cardsPrintTheCurrentRecord()
{
    QFETCH(QString, card);
    QFETCH(CardColumnsCase, columns);
    const CardPlan* plan = cardPlan(card);
    QVERIFY(plan);
    const TableSchema& schema = db().table(plan->table);
    insertRows(db(), plan->table, {recordFor(schema, 1), recordFor(schema, 2), recordFor(schema, 3)});
    Table table(db(), plan->table);
    table.open();
    table.next(); // the second record is the one on screen

    auto report = makeReport(card, table);
    const PdfText pdf = render(*report, card);
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
    QCOMPARE(pdf.pageCount(), 1);
    const PdfWord title = pdf.find(plan->title);
    QVERIFY2(title.page == 0 && near((title.left + title.right) / 2, 105), qPrintable(where(title)));

    const double detailTop = Margin + 24.1;
    auto valueOf = [&](const QString& field) { return table.displayText(field); };
    for (int line = 0; line < plan->lines.size(); ++line) {
        const CardLine& pair = plan->lines.at(line);
        const double top = detailTop + 14.8 + line * columns.pitch;
        VERIFY_AT(pdf.find(pair.leftCaption), Margin + columns.leftCaption, top);
        // Looked for on its line: an amount's value shows its currency's name as well.
        VERIFY_AT(pdf.find(valueOf(pair.leftField), 0, top), Margin + columns.leftValue, top);
        if (pair.rightCaption.isEmpty())
            continue;
        VERIFY_AT(pdf.find(pair.rightCaption), Margin + columns.rightCaption, top);
        VERIFY_AT(pdf.find(valueOf(pair.rightField), 0, top), Margin + columns.rightValue, top);
    }
    QVERIFY(pdf.pages.first().contains(QStringLiteral("Notlar2")));
    // Numbers as a person reads them in Turkish: currency grouped, areas in general format.
    QVERIFY2(pdf.pages.first().contains(QStringLiteral("12.001,25")), qPrintable(pdf.pages.first()));
    const FieldSchema* area = schema.field(QStringLiteral("Metre2"));
    if (area && area->isNumeric())
        QVERIFY2(pdf.pages.first().contains(QStringLiteral(" 22001,25 ")), qPrintable(pdf.pages.first()));
    // Only the record on screen, and nothing that names the owner or customer.
    for (const QString& hidden : {QStringLiteral("Semtadi1"), QStringLiteral("Semt3"), QStringLiteral("Isim2"),
                                  QStringLiteral("Telefon2"), QStringLiteral("Adres2"), QStringLiteral("Istek2")})
        QVERIFY2(!pdf.pages.first().contains(hidden), qPrintable(hidden));
    const PdfWord date = pdf.find(QStringLiteral("Tarih 8.12.2024 Saat 09:05"));
    VERIFY_AT(date, Margin + 101.6, detailTop + 203.5 + 4.2);
}

void ReportsTest::cardOfAnEmptyTable()
{
    Table table(db(), QStringLiteral("kdgiris"));
    table.open();
    auto report = makeReport(QStringLiteral("RentalFlatCard"), table);
    const PdfText pdf = render(*report, QStringLiteral("empty-card"));
    QCOMPARE(pdf.pageCount(), 1);
    QCOMPARE(pdf.lineAt(0, pdf.find(QStringLiteral("Semt")).top),
             (QStringList{QStringLiteral("Semt"), QStringLiteral("Kapılar")})); // captions, no values
    QVERIFY(pdf.find(QStringLiteral("Kiralık Daire")).page == 0);
    QVERIFY(pdf.find(QStringLiteral("Depozito")).page == 0);
    QVERIFY(pdf.find(QStringLiteral("Açıklama")).page == 0);
    QVERIFY(pdf.find(QStringLiteral("Tarih 8.12.2024 Saat 09:05")).page == 0);
    QVERIFY(!pdf.pages.first().contains(QStringLiteral("₺")));
}

void ReportsTest::notesLongerThanTheirBlock()
{
    QStringList words;
    for (int i = 1; i <= 80; ++i)
        words << QStringLiteral("not%1").arg(i, 2, 10, QLatin1Char('0'));
    QVariantMap record = recordFor(db().table(QStringLiteral("kdgiris")), 1);
    record.insert(QStringLiteral("Notlar"), words.join(QLatin1Char(' ')));
    insertRows(db(), QStringLiteral("kdgiris"), {record});
    Table table(db(), QStringLiteral("kdgiris"));
    table.open();
    const PdfText pdf = render(*makeReport(QStringLiteral("RentalFlatCard"), table), QStringLiteral("notes"));

    // The 13 mm block under "Açıklama" takes three lines of 10 pt; the rest is cut off.
    const PdfWord caption = pdf.find(QStringLiteral("Açıklama"));
    const PdfWord first = pdf.find(QStringLiteral("not01"));
    QVERIFY2(first.left > caption.left + 3 && first.left < caption.left + 8, qPrintable(where(first)));
    const double blockBottom = Margin + 24.1 + 14.8 + 10 * 6.35 + 4.2 + 6.35 + 13;
    QStringList printed;
    for (const PdfWord& word : pdf.words)
        if (word.text.startsWith(QStringLiteral("not"))) {
            printed << word.text;
            QVERIFY2(word.bottom <= blockBottom + Tolerance, qPrintable(where(word)));
            QVERIFY(word.right <= first.left + 118.8 + Tolerance);
        }
    QVERIFY2(printed.size() > 20 && printed.size() < 40, qPrintable(printed.join(QLatin1Char(' '))));
    // Whole lines from the start, the last one ending in "…" for what is left out.
    QVERIFY2(printed.last().endsWith(QChar(0x2026)), qPrintable(printed.last()));
    QVERIFY(words.at(printed.size() - 1).startsWith(printed.last().chopped(1)));
    QCOMPARE(printed.mid(0, printed.size() - 1), words.mid(0, printed.size() - 1));
}

void ReportsTest::listsPrintColumnsUnderCaptions_data()
{
    QTest::addColumn<QString>("report");
    for (const ListPlan& plan : listPlans())
        QTest::newRow(qPrintable(plan.name)) << plan.name;
}

void ReportsTest::listsPrintColumnsUnderCaptions()
{
    QFETCH(QString, report);
    const ListPlan* plan = listPlan(report);
    const TableSchema& schema = db().table(plan->table);
    insertRows(db(), plan->table, {recordFor(schema, 1), recordFor(schema, 2), recordFor(schema, 3)});
    Query query(db());
    query.setStatement(Statement(plan->table));
    query.open();
    const PdfText pdf = render(*makeReport(report, query), report);
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
    QCOMPARE(pdf.pageCount(), 1);
    QVERIFY(pdf.find(plan->title).page == 0);

    const double captions = Margin + 10.6 + 4.2;
    for (const ListColumn& column : plan->columns) {
        VERIFY_AT(pdf.find(column.caption, 0, captions), Margin + column.left, captions);
        for (int row = 0; row < 3; ++row) {
            const QString value = query.displayTextAt(row, schema.indexOf(column.field));
            VERIFY_AT(pdf.find(value), Margin + column.valueAt(), Margin + 21.2 + row * 17.7 + 4.2);
        }
    }
    const PdfWord summary = pdf.find(QStringLiteral("Saat 09:05 Tarih 8.12.2024"));
    VERIFY_AT(summary, Margin + 88.9, Margin + 21.2 + 3 * 17.7 + 3.7);
    VERIFY_AT(pdf.find(QStringLiteral("Tarih")), Margin + 124.9, summary.top);
    VERIFY_AT(pdf.find(QStringLiteral("8.12.2024")), Margin + 146.0, summary.top);
}

void ReportsTest::emptyResult()
{
    insertRows(db(), QStringLiteral("kdgiris"), {recordFor(db().table(QStringLiteral("kdgiris")), 1)});
    Query query(db());
    query.setStatement(
        Statement(QStringLiteral("kdgiris")).where(QStringLiteral("Semtadi = ?"), {QStringLiteral("Yok")}));
    query.open();
    const PdfText pdf =
        render(*makeReport(QStringLiteral("RentalFlatListReport"), query), QStringLiteral("empty-list"));
    QCOMPARE(pdf.pageCount(), 1);
    QVERIFY(pdf.find(QStringLiteral("İstenilen Özellikteki Kiralık Listesi")).page == 0);
    const PdfWord caption = pdf.find(QStringLiteral("Semt Adı"));
    QCOMPARE(pdf.lineAt(0, caption.top).join(QLatin1Char(' ')),
             QStringLiteral("Semt Adı Kirası Metre Karesi Isı Sistemi Kat Oda"));
    // One blank line, then time and date where the summary stands under one row.
    VERIFY_AT(pdf.find(QStringLiteral("Saat")), Margin + 88.9, Margin + 21.2 + 17.7 + 3.7);
    QCOMPARE(pdf.words.size(), 4 + 9 + 4); // title, captions, "Saat 09:05 Tarih 8.12.2024"

    // A query that a failed search left closed prints the same page.
    Query closed(db());
    closed.setStatement(Statement(QStringLiteral("kdgiris")));
    QCOMPARE(render(*makeReport(QStringLiteral("RentalFlatListReport"), closed), QStringLiteral("closed")).pages,
             pdf.pages);
}

void ReportsTest::resultLongerThanAPage()
{
    // 29 rows: 14 under the title and captions, 15 on the next page, which
    // they fill; the summary goes to a third page.
    const TableSchema& schema = db().table(QStringLiteral("kdgiris"));
    QList<QVariantMap> rows;
    for (int i = 1; i <= 29; ++i) {
        QVariantMap row = recordFor(schema, i);
        row.insert(QStringLiteral("Semtadi"), QStringLiteral("Semt%1").arg(i, 2, 10, QLatin1Char('0')));
        rows << row;
    }
    insertRows(db(), QStringLiteral("kdgiris"), rows);
    Query query(db());
    query.setStatement(Statement(QStringLiteral("kdgiris")));
    query.open();
    const PdfText pdf = render(*makeReport(QStringLiteral("RentalFlatListReport"), query), QStringLiteral("long"));
    QCOMPARE(pdf.pageCount(), 3);
    QCOMPARE(pdf.findAll(QStringLiteral("İstenilen Özellikteki Kiralık Listesi")).size(), 1);
    QVERIFY(pdf.find(QStringLiteral("İstenilen Özellikteki Kiralık Listesi"), 0).page == 0);
    VERIFY_AT(pdf.find(QStringLiteral("Semt Adı"), 0), Margin + 8.5, Margin + 10.6 + 4.2);
    VERIFY_AT(pdf.find(QStringLiteral("Semt Adı"), 1), Margin + 8.5, Margin + 4.2);
    VERIFY_AT(pdf.find(QStringLiteral("Semt Adı"), 2), Margin + 8.5, Margin + 4.2);
    QStringList order;
    QList<int> perPage{0, 0, 0};
    for (const PdfWord& word : pdf.words)
        if (word.text.startsWith(QStringLiteral("Semt")) && word.text.size() == 6) {
            order << word.text;
            ++perPage[word.page];
        }
    QCOMPARE(perPage, (QList<int>{14, 15, 0}));
    QCOMPARE(order.first(), QStringLiteral("Semt01"));
    QCOMPARE(order.last(), QStringLiteral("Semt29"));
    VERIFY_AT(pdf.find(QStringLiteral("Semt15"), 1), Margin + 8.5, Margin + 10.6 + 4.2);
    VERIFY_AT(pdf.find(QStringLiteral("Saat"), 2), Margin + 88.9, Margin + 10.6 + 3.7);
}

void ReportsTest::printingLeavesTheCurrentRow()
{
    const TableSchema& requests = db().table(QStringLiteral("musteritalepleri"));
    QList<QVariantMap> rows;
    for (int i = 1; i <= 40; ++i)
        rows << recordFor(requests, i);
    insertRows(db(), QStringLiteral("musteritalepleri"), rows);
    Query query(db());
    query.setStatement(Statement(QStringLiteral("musteritalepleri")));
    query.open();
    query.moveTo(6); // the request the clerk selected
    const qint64 selected = query.integer(QStringLiteral("No"));
    QSignalSpy moves(&query, &Dataset::afterScroll);

    // "Yazdır" as the request list does it: a new report, its preview modal.
    bool previewed = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<reporting::ReportPreview*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        previewed = true;
        preview->lastPage(); // every row read
        QVERIFY(preview->report().isComplete());
        preview->reject();
    });
    PrintButton::print([&] { return forScreen(QStringLiteral("RequestListReport"), query); });
    QVERIFY(previewed);
    QCOMPARE(query.position(), 6);
    QCOMPARE(query.integer(QStringLiteral("No")), selected);
    QCOMPARE(moves.count(), 0);

    // A card reads the record and moves nothing either.
    Table table(db(), QStringLiteral("musteritalepleri"));
    table.open();
    table.moveTo(3);
    table.edit();
    table.setValue(QStringLiteral("Semtadi"), QStringLiteral("Yazılıyor"));
    const PdfText card = render(*makeReport(QStringLiteral("RequestCard"), table), QStringLiteral("editing"));
    QVERIFY(card.find(QStringLiteral("Yazılıyor")).page == 0); // the record as it is being edited
    QCOMPARE(table.position(), 3);
    QCOMPARE(table.state(), DatasetState::Edit);
}

void ReportsTest::registerPrintsReadTheWholeRegister()
{
    const TableSchema& land = db().table(QStringLiteral("arsa"));
    insertRows(db(), QStringLiteral("arsa"), {recordFor(land, 1), recordFor(land, 2)});
    std::unique_ptr<ReportWindow> window = registerPrint(QStringLiteral("LandListPrint"), db());
    auto* preview = dynamic_cast<reporting::PreviewWindow*>(window.get());
    QVERIFY(preview);
    const PdfText pdf = render(preview->report(), QStringLiteral("LandListPrint-whole"));
    QVERIFY(pdf.find(QStringLiteral("Arsa Ve Arazi Listesi")).page == 0);
    QVERIFY(pdf.find(QStringLiteral("Semt1")).page == 0);
    QVERIFY(pdf.find(QStringLiteral("Semt2")).page == 0);
    // Each click makes its own report; names of other kinds make none.
    QVERIFY(registerPrint(QStringLiteral("LandListPrint"), db()).get() != window.get());
    QVERIFY(!registerPrint(QStringLiteral("LandListReport"), db()));
    QVERIFY(!registerPrint(QStringLiteral("LandCard"), db()));
    Table table(db(), QStringLiteral("arsa"));
    QVERIFY(!forScreen(QStringLiteral("Yok"), table));
    QCOMPARE(cardNames().size() + listReportNames().size() + registerPrintNames().size(), 15);
}

// "Fiyatı" on the sale-flat list has 24.4 mm before "Metre Karesi": a long
// price is printed whole in a smaller size, a heating type cut at its
// column says so with "…".
void ReportsTest::valuesTooWideAreNeverMisread()
{
    const TableSchema& schema = db().table(QStringLiteral("sdgiris"));
    QVariantMap record = recordFor(schema, 1);
    record.insert(QStringLiteral("Fiyati"), 15250000.0);
    record.insert(QStringLiteral("Döviz"), QStringLiteral(""));
    record.insert(QStringLiteral("Isisistemi"), QStringLiteral("Doğal Gaz Kaloriferli"));
    QVariantMap dollars = recordFor(schema, 2);
    dollars.insert(QStringLiteral("Fiyati"), 1250000000.0);
    dollars.insert(QStringLiteral("Döviz"), QStringLiteral("CHF"));
    insertRows(db(), QStringLiteral("sdgiris"), {record, dollars});
    Query query(db());
    query.setStatement(Statement(QStringLiteral("sdgiris")));
    query.open();
    const ListPlan* plan = listPlan(QStringLiteral("SaleFlatListReport"));
    const PdfText pdf = render(*makeReport(plan->name, query), QStringLiteral("too-wide"));
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));

    const double priceLeft = Margin + 40.2, priceEnd = Margin + 65.6;
    const double firstRow = Margin + 21.2 + 4.2;
    const PdfWord price = pdf.find(QStringLiteral("₺15.250.000,00"));
    QVERIFY2(price.page == 0 && near(price.left, priceLeft) && price.right <= priceEnd, qPrintable(where(price)));
    QVERIFY2(price.bottom < firstRow + 4.5, qPrintable(where(price))); // on its line
    // An amount in a currency of letters is an amount all the same.
    const PdfWord code = pdf.find(QStringLiteral("CHF 1.250.000.000,00"));
    QVERIFY2(code.page == 0 && near(code.left, priceLeft) && code.right <= priceEnd, qPrintable(where(code)));

    // On the rental-property list "Isı Sistemi" has 27 mm, from 163.0 mm to the band's edge.
    const TableSchema& properties = db().table(QStringLiteral("kegiris"));
    QVariantMap heated = recordFor(properties, 1);
    heated.insert(QStringLiteral("Isisistemi"), QStringLiteral("Doğal Gaz Kaloriferli"));
    insertRows(db(), QStringLiteral("kegiris"), {heated});
    Query rentals(db());
    rentals.setStatement(Statement(QStringLiteral("kegiris")));
    rentals.open();
    const PdfText cut = render(*makeReport(QStringLiteral("RentalPropertyListReport"), rentals), QStringLiteral("cut"));
    const PdfWord heating = cut.find(QStringLiteral("Doğal Gaz"));
    const QString line = cut.lineAt(0, heating.top).join(QLatin1Char(' '));
    QVERIFY2(line.endsWith(QChar(0x2026)) && !line.contains(QStringLiteral("Kaloriferli")), qPrintable(line));
    for (const PdfText* page : {&pdf, &cut})
        for (const PdfWord& word : page->words)
            QVERIFY2(word.right <= Margin + 190 + Tolerance, qPrintable(where(word)));
}

// A sale flat priced in dollars shows "$" on its card and in the lists, the
// search result's and the whole register's; the stored number is unchanged.
void ReportsTest::amountsPrintInTheirRecordsCurrency()
{
    const TableSchema& flats = db().table(QStringLiteral("sdgiris"));
    QVariantMap dollar = recordFor(flats, 1);
    dollar.insert(QStringLiteral("Fiyati"), 250000.0);
    dollar.insert(QStringLiteral("Döviz"), QStringLiteral("USD"));
    QVariantMap lira = recordFor(flats, 2);
    lira.insert(QStringLiteral("Fiyati"), 1750000.0);
    lira.insert(QStringLiteral("Döviz"), QStringLiteral("TL"));
    insertRows(db(), QStringLiteral("sdgiris"), {dollar, lira});
    Table table(db(), QStringLiteral("sdgiris"));
    table.open();
    QCOMPARE(table.number(QStringLiteral("Fiyati")), 250000.0);
    const PdfText card = render(*makeReport(QStringLiteral("SaleFlatCard"), table), QStringLiteral("dollar-card"));
    VERIFY_AT(card.find(QStringLiteral("$250.000,00")), Margin + 39.7, Margin + 24.1 + 14.8 + 6.35);
    QVERIFY(!card.pages.first().contains(QStringLiteral("₺")));

    Query query(db());
    query.setStatement(Statement(QStringLiteral("sdgiris")));
    query.open();
    const PdfText list = render(*makeReport(QStringLiteral("SaleFlatListReport"), query), QStringLiteral("dollars"));
    QVERIFY(list.find(QStringLiteral("$250.000,00")).page == 0);
    QVERIFY(list.find(QStringLiteral("₺1.750.000,00")).page == 0);

    // The whole-register print reads "Döviz" though it does not print it.
    const TableSchema& properties = db().table(QStringLiteral("segiris"));
    QVariantMap euro = recordFor(properties, 1);
    euro.insert(QStringLiteral("Fiyati"), 98000.0);
    euro.insert(QStringLiteral("Döviz"), QStringLiteral("Avro"));
    insertRows(db(), QStringLiteral("segiris"), {euro});
    std::unique_ptr<ReportWindow> window = registerPrint(QStringLiteral("SalePropertyListPrint"), db());
    auto* preview = dynamic_cast<reporting::PreviewWindow*>(window.get());
    QVERIFY(preview);
    QVERIFY(render(preview->report(), QStringLiteral("euros")).find(QStringLiteral("€98.000,00")).page == 0);
}

QTEST_MAIN(ReportsTest)
#include "tst_reports.moc"
