// The banded report engine on its own: paging, print-if-empty, boxes, PDF
// output read back with pdftotext, and the preview window.

#include "platform/reporting/report.h"
#include "platform/reporting/reportdialogs.h"
#include "platform/reporting/reportpreview.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
#include "support/pdfreading.h"
#include "support/testsupport.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QFile>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <stdexcept>

using namespace reporting;
using Kind = Report::BandKind;

namespace {

const QDateTime Made(QDate(2024, 12, 8), QTime(9, 5, 7));

// A list on A4 with 10 mm margins (277 mm to fill): a 20 mm title, a 10 mm
// column header and 25 mm rows, so the first page takes 9 rows and the
// others 10; the 30 mm summary fits under 9 rows on a later page, not under 10.
ReportLayout listLayout(bool printIfEmpty = true)
{
    ReportLayout layout;
    layout.name = QStringLiteral("Deneme Listesi");
    layout.title = Band{.height = 20,
                        .items = {TextItem{.text = QStringLiteral("Deneme Listesi"),
                                           .centred = true,
                                           .centredVertically = true,
                                           .font = FontStyle{.pointSize = 18, .bold = true}}}};
    layout.columnHeader = Band{.height = 10,
                               .items = {TextItem{.text = QStringLiteral("Adı"), .left = 5, .top = 2},
                                         TextItem{.text = QStringLiteral("Fiyatı"), .left = 60, .top = 2}}};
    layout.detail = Band{
        .height = 25,
        .items = {TextItem{.source = Source::Field, .text = QStringLiteral("Ad"), .left = 5, .top = 3, .width = 50},
                  TextItem{.source = Source::Field, .text = QStringLiteral("Fiyat"), .left = 60, .top = 3}}};
    layout.summary = Band{.height = 30,
                          .items = {TextItem{.text = QStringLiteral("Saat"), .left = 80, .top = 4},
                                    TextItem{.source = Source::Time, .left = 95, .top = 4},
                                    TextItem{.text = QStringLiteral("Tarih"), .left = 120, .top = 4},
                                    TextItem{.source = Source::Date, .left = 140, .top = 4}}};
    layout.printIfEmpty = printIfEmpty;
    return layout;
}

QVector<QStringList> numberedRows(int count)
{
    QVector<QStringList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QStringLiteral("Satır%1").arg(i), QString::number(i * 100)});
    return rows;
}

std::unique_ptr<Report> listReport(int rows, bool printIfEmpty = true)
{
    return std::make_unique<Report>(
        listLayout(printIfEmpty),
        std::make_unique<ListRows>(QStringList{QStringLiteral("Ad"), QStringLiteral("Fiyat")}, numberedRows(rows)),
        Made);
}

QList<Kind> kindsOn(const Report& report, int page)
{
    QList<Kind> kinds;
    for (const Report::PlacedBand& band : report.page(page).bands)
        kinds << band.kind;
    return kinds;
}

int detailsOn(const Report& report, int page)
{
    return int(kindsOn(report, page).count(Kind::Detail));
}

// Counts how far the report has read, and can fail on a given row.
class CountingRows : public RowSource {
public:
    explicit CountingRows(int rows, int failAt = -1) : m_rows(rows), m_failAt(failAt) {}
    int stepped = 0;
    void bind(const QStringList&) override {}
    bool next() override
    {
        if (stepped == m_failAt)
            throw std::runtime_error("Okunamadı");
        return ++stepped <= m_rows;
    }
    QString text(int) const override { return QStringLiteral("x%1").arg(stepped); }

private:
    int m_rows;
    int m_failAt;
};

struct FakeDialogs : ReportDialogs {
    QString pdfPath;     // empty: the save dialog is cancelled
    QString printToFile; // a PDF file standing in for the printer; empty: cancelled
    int fromPage = 0, toPage = 0;
    int pageCountAsked = -1;
    bool choosePrinter(QPrinter& printer, int pageCount, QWidget*) override
    {
        pageCountAsked = pageCount;
        if (printToFile.isEmpty())
            return false;
        printer.setOutputFileName(printToFile);
        if (fromPage > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(fromPage, toPage);
        }
        return true;
    }
    QString choosePdfFile(const QString&, QWidget*) override { return pdfPath; }
};

} // namespace

class ReportEngineTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void pagesTakeWhatFits_data();
    void pagesTakeWhatFits();
    void emptySource();
    void groupsKeepTheirHeaderWithTheirRows();
    void laysOutOnlyThePagesAskedFor();
    void boxesCutWhatDoesNotFit();
    void numbersTooWideAreDrawnSmaller();
    void repeatedTextsPrintAsMeasuredAnew();
    void pdfShowsBandsWhereTheyAre();
    void failingSourceStopsTheReport();
    void savingKeepsTheOldFileUnlessDone();
    void previewPagesAndZooms();
    void previewKeysPageWhereverTheFocusIs();
    void previewSavesAndPrints();
    void previewCancelsALongSave();
};

void ReportEngineTest::pagesTakeWhatFits_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("detailsPerPage");
    QTest::addColumn<bool>("summaryAlone"); // the summary went to a page of its own
    QTest::newRow("one row") << 1 << QList<int>{1} << false;
    QTest::newRow("first page full, summary does not fit") << 9 << QList<int>{9} << true;
    QTest::newRow("one row on the second page") << 10 << QList<int>{9, 1} << false;
    QTest::newRow("summary fits under nine rows") << 18 << QList<int>{9, 9} << false;
    QTest::newRow("summary does not fit under ten") << 19 << QList<int>{9, 10} << true;
    QTest::newRow("three pages") << 29 << QList<int>{9, 10, 10} << true;
    QTest::newRow("summary fits on the last page") << 25 << QList<int>{9, 10, 6} << false;
}

void ReportEngineTest::pagesTakeWhatFits()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, detailsPerPage);
    QFETCH(bool, summaryAlone);

    auto report = listReport(rows);
    const int expected = report->expectedPageCount(); // worked out from the row count before laying out
    QVERIFY(report->layoutAll());
    QCOMPARE(report->pagesLaidOut(), int(detailsPerPage.size()) + (summaryAlone ? 1 : 0));
    QCOMPARE(expected, report->pagesLaidOut());

    int row = 0;
    for (int page = 0; page < report->pagesLaidOut(); ++page) {
        const QList<Kind> kinds = kindsOn(*report, page);
        QCOMPARE(kinds.count(Kind::Title), page == 0 ? 1 : 0);
        QCOMPARE(kinds.value(page == 0 ? 1 : 0), Kind::ColumnHeader); // every page, under the title on the first
        QCOMPARE(detailsOn(*report, page), page < detailsPerPage.size() ? detailsPerPage.at(page) : 0);
        QCOMPARE(kinds.count(Kind::Summary), page == report->pagesLaidOut() - 1 ? 1 : 0);
        for (const Report::PlacedBand& band : report->page(page).bands) {
            QVERIFY2(band.top + report->layout().detail.height <= 277 + 1e-6 || band.kind != Kind::Detail,
                     "a row runs past the bottom margin");
            if (band.kind == Kind::Detail)
                QCOMPARE(band.texts.first(), QStringLiteral("Satır%1").arg(++row)); // in the source's order
            if (band.kind == Kind::Summary)
                QCOMPARE(band.texts, (QStringList{QStringLiteral("Saat"), QStringLiteral("09:05"),
                                                  QStringLiteral("Tarih"), QStringLiteral("8.12.2024")}));
        }
    }
    QCOMPARE(row, rows);
}

// Rows in groups: a 15 mm group header with the group's name, before the
// first row of each group and again atop a page the group goes on to.
void ReportEngineTest::groupsKeepTheirHeaderWithTheirRows()
{
    ReportLayout layout = listLayout();
    layout.groupField = QStringLiteral("Grup");
    layout.groupHeader = Band{
        .height = 15,
        .items = {TextItem{.source = Source::Field, .text = QStringLiteral("Grup"), .left = 5, .top = 2}}};
    // A: 3 rows and B: 5 fill page 1 to 260 mm: C's header would fit under
    // them, its first row would not. C: 12 rows, over a page break; D: 1.
    QVector<QStringList> rows;
    const QList<QPair<QString, int>> groups{{QStringLiteral("A"), 3}, {QStringLiteral("B"), 5},
                                            {QStringLiteral("C"), 12}, {QStringLiteral("D"), 1}};
    for (const auto& [group, count] : groups)
        for (int i = 1; i <= count; ++i)
            rows.append({group + QString::number(i), QString::number(i), group});
    Report report(layout,
                  std::make_unique<ListRows>(QStringList{QStringLiteral("Ad"), QStringLiteral("Fiyat"),
                                                         QStringLiteral("Grup")},
                                             rows),
                  Made);
    QCOMPARE(report.expectedPageCount(), -1); // headers take room the row count does not tell
    QVERIFY(report.layoutAll());

    QStringList headers; // each header's group, page by page ("|" between pages)
    int details = 0;
    for (int page = 0; page < report.pagesLaidOut(); ++page) {
        const QVector<Report::PlacedBand>& bands = report.page(page).bands;
        QString group;
        for (int i = 0; i < bands.size(); ++i) {
            const Report::PlacedBand& band = bands.at(i);
            if (band.kind == Kind::GroupHeader) {
                group = band.texts.first();
                headers << group;
                // Never left without its first row under it.
                QVERIFY(i + 1 < bands.size());
                QCOMPARE(bands.at(i + 1).kind, Kind::Detail);
                QCOMPARE(bands.at(i + 1).top, band.top + 15);
            }
            if (band.kind == Kind::Detail) {
                ++details;
                QVERIFY2(band.top + 25 <= 277 + 1e-6, "a row runs past the bottom margin");
                QVERIFY2(band.texts.first().startsWith(group), qPrintable(band.texts.first() + " under " + group));
            }
        }
        headers << QStringLiteral("|");
    }
    QCOMPARE(details, 21);
    // Page 1: 30 mm of title and column header, A (15 + 75), B (15 + 125): 260.
    // Page 2: the column header, C (15 + 10 rows): 275. Page 3: C again, then D.
    QCOMPARE(headers.join(QLatin1Char(' ')), QStringLiteral("A B | C | C D |"));
}

void ReportEngineTest::emptySource()
{
    auto report = listReport(0);
    QVERIFY(report->layoutAll());
    QCOMPARE(report->pagesLaidOut(), 1);
    QCOMPARE(kindsOn(*report, 0), (QList<Kind>{Kind::Title, Kind::ColumnHeader, Kind::Detail, Kind::Summary}));
    QCOMPARE(report->page(0).bands.at(2).texts, (QStringList{QString(), QString()})); // one blank line

    auto silent = listReport(0, false);
    QVERIFY(silent->layoutAll());
    QCOMPARE(silent->pagesLaidOut(), 0);
    QCOMPARE(silent->expectedPageCount(), 0);
}

void ReportEngineTest::laysOutOnlyThePagesAskedFor()
{
    auto* rows = new CountingRows(100000);
    Report report(listLayout(), std::unique_ptr<RowSource>(rows), Made);
    QVERIFY(report.ensurePage(0));
    QCOMPARE(report.pagesLaidOut(), 1);
    QCOMPARE(rows->stepped, 10); // nine rows and the look at the tenth
    QVERIFY(!report.isComplete());
    QVERIFY(report.ensurePage(2));
    QCOMPARE(rows->stepped, 30);
    QCOMPARE(report.page(2).bands.at(1).texts.first(), QStringLiteral("x20"));
    QCOMPARE(report.expectedPageCount(), -1); // this source cannot tell its size
}

void ReportEngineTest::boxesCutWhatDoesNotFit()
{
    ReportLayout layout = listLayout();
    layout.detail.items[0].width = 20; // a value cut at its box
    TextItem block{.source = Source::Field,
                   .text = QStringLiteral("Not"),
                   .left = 5,
                   .top = 8,
                   .width = 60,
                   .height = 9}; // two lines of 10 pt
    layout.detail.items << block;
    const QString words = QStringLiteral("bir iki üç dört beş altı yedi sekiz dokuz on on bir on iki on üç on dört "
                                         "on beş on altı on yedi on sekiz on dokuz yirmi sonuncu");
    Report report(
        layout,
        std::make_unique<ListRows>(QStringList{QStringLiteral("Ad"), QStringLiteral("Not")},
                                   QVector<QStringList>{{QStringLiteral("Çok uzun bir semt adı ki sığmaz"), words}}),
        Made);
    QVERIFY(report.ensurePage(0));
    const QStringList texts = report.page(0).bands.at(2).texts;
    // Cut at a letter, with "…" to say so.
    QVERIFY2(texts.at(0).endsWith(QChar(0x2026)), qPrintable(texts.at(0)));
    QVERIFY2(QStringLiteral("Çok uzun bir semt adı ki sığmaz").startsWith(texts.at(0).chopped(1)),
             qPrintable(texts.at(0)));
    QVERIFY(texts.at(0).size() < 20 && texts.at(0).size() >= 8);
    const QStringList lines = texts.at(2).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.first().startsWith(QStringLiteral("bir iki üç")));
    QVERIFY2(lines.last().endsWith(QChar(0x2026)), qPrintable(lines.last())); // lines were left out
    QVERIFY(words.startsWith(lines.join(QLatin1Char(' ')).chopped(1))); // whole words, in order
    QVERIFY(!texts.at(2).contains(QStringLiteral("sonuncu")));            // the rest is cut off
}

// A source that says its second field holds amounts.
class AmountRows : public RowSource {
public:
    explicit AmountRows(QVector<QStringList> rows) : m_rows(std::move(rows)) {}
    void bind(const QStringList&) override {}
    bool next() override { return ++m_row < m_rows.size(); }
    QString text(int field) const override { return m_rows.at(m_row).value(field); }
    bool isNumber(int field) const override { return field == 1; }

private:
    QVector<QStringList> m_rows;
    int m_row = -1;
};

void ReportEngineTest::numbersTooWideAreDrawnSmaller()
{
    ReportLayout layout = listLayout();
    layout.detail.items[0].width = 22;
    layout.detail.items[1].width = 22;
    const QString amount = QStringLiteral("₺15.250.000.000,00");
    const QVector<QStringList> rows{{QStringLiteral("12.345.678.901.234"), amount},
                                    {QStringLiteral("Kısa"), QStringLiteral("₺5,00")},
                                    {QStringLiteral("Ad"), QStringLiteral("CHF 9.999.999.999,99")}};
    Report report(layout, std::make_unique<AmountRows>(rows), Made);
    QVERIFY(report.ensurePage(0));
    const Report::PlacedBand& first = report.page(0).bands.at(2);
    // Whole, and smaller: a text of digits reads as a number, the amount field is one.
    QCOMPARE(first.texts, (QStringList{QStringLiteral("12.345.678.901.234"), amount}));
    for (int item : {0, 1})
        QVERIFY2(first.pointSizeOf(item) > 4 && first.pointSizeOf(item) < 10, qPrintable(QString::number(item)));
    const Report::PlacedBand& second = report.page(0).bands.at(3);
    QCOMPARE(second.pointSizeOf(0), 0.0); // what fits keeps its size
    QCOMPARE(second.pointSizeOf(1), 0.0);
    const Report::PlacedBand& third = report.page(0).bands.at(4);
    QCOMPARE(third.texts.at(1), QStringLiteral("CHF 9.999.999.999,99")); // letters and all, from an amount field
    QVERIFY(third.pointSizeOf(1) > 0 && third.pointSizeOf(1) < 10);

    // Drawn inside its box: nothing dark right of the 22 mm column at 60 mm.
    const QImage page = report.pageImage(0, 300);
    const double dotsPerMm = 300 / 25.4;
    const int top = int((10 + 30) * dotsPerMm), bottom = int((10 + 30 + 25) * dotsPerMm);
    for (int x = int((10 + 60 + 22 + 0.3) * dotsPerMm); x < page.width(); ++x)
        for (int y = top; y < bottom; ++y)
            QVERIFY2(qGray(page.pixel(x, y)) > 128, qPrintable(QStringLiteral("ink at %1, %2").arg(x).arg(y)));
}

// The detail bands of every page, in order.
QList<Report::PlacedBand> detailBandsOf(Report& report)
{
    report.layoutAll();
    QList<Report::PlacedBand> bands;
    for (int page = 0; page < report.pagesLaidOut(); ++page)
        for (const Report::PlacedBand& band : report.page(page).bands)
            if (band.kind == Kind::Detail)
                bands << band;
    return bands;
}

void ReportEngineTest::repeatedTextsPrintAsMeasuredAnew()
{
    // The same field in a narrow box and in one to the band's edge, an amount
    // field, and a block: a text met again prints as it did when first met,
    // in each box as that box fits it.
    ReportLayout layout = listLayout();
    layout.detail.items[0].width = 20;
    layout.detail.items[1].width = 22;
    layout.detail.items << TextItem{.source = Source::Field, .text = QStringLiteral("Ad"), .left = 100, .top = 3}
                        << TextItem{.source = Source::Field,
                                    .text = QStringLiteral("Not"),
                                    .left = 5,
                                    .top = 8,
                                    .width = 40,
                                    .height = 9};
    const QVector<QStringList> distinct{
        {QStringLiteral("Çok uzun bir semt adı ki sığmaz"), QStringLiteral("₺15.250.000.000,00"),
         QStringLiteral("bir iki üç dört beş altı yedi sekiz dokuz on on bir on iki on üç")},
        {QStringLiteral("12.345.678.901.234"), QStringLiteral("₺5,00"), QStringLiteral("kısa not")},
        {QStringLiteral("Kadıköy"), QStringLiteral("CHF 9.999.999.999,99"), QString()},
        {QStringLiteral("Gaziosmanpaşa Merkez"), QStringLiteral("₺40.600,00"),
         QStringLiteral("ilk satır\nikinci satır\nüçüncü satır")},
    };
    QVector<QStringList> rows;
    for (const int pick : {0, 1, 2, 0, 3, 1, 0, 2, 3, 3, 1, 0, 2, 0})
        rows << distinct.at(pick);

    // Each row alone, measured anew; then all of them, once with nothing kept
    // and once more after that with everything kept.
    QList<Report::PlacedBand> alone;
    for (const QStringList& row : std::as_const(rows)) {
        Report::forgetMeasures();
        Report single(layout, std::make_unique<AmountRows>(QVector<QStringList>{row}), Made);
        alone << detailBandsOf(single).value(0);
    }
    Report::forgetMeasures();
    Report together(layout, std::make_unique<AmountRows>(rows), Made);
    const QList<Report::PlacedBand> bands = detailBandsOf(together);
    Report again(layout, std::make_unique<AmountRows>(rows), Made);
    const QList<Report::PlacedBand> kept = detailBandsOf(again);
    QCOMPARE(bands.size(), rows.size());
    QCOMPARE(kept.size(), rows.size());
    for (int row = 0; row < rows.size(); ++row) {
        for (const Report::PlacedBand* met : {&bands.at(row), &kept.at(row)}) {
            QCOMPARE(met->texts, alone.at(row).texts);
            for (int item = 0; item < layout.detail.items.size(); ++item)
                QCOMPARE(met->pointSizeOf(item), alone.at(row).pointSizeOf(item));
        }
    }

    // What was compared was cut, made smaller and wrapped.
    const QStringList first = bands.at(0).texts;
    QVERIFY2(first.at(0).endsWith(QChar(0x2026)), qPrintable(first.at(0)));
    QCOMPARE(first.at(2), distinct.at(0).at(0)); // whole in the wider box
    QVERIFY(first.at(3).contains(QLatin1Char('\n')) && first.at(3).endsWith(QChar(0x2026)));
    QVERIFY(bands.at(0).pointSizeOf(1) > 0);
    QVERIFY(bands.at(1).pointSizeOf(0) > 0); // digits too wide for the narrow box
    QCOMPARE(bands.at(1).pointSizeOf(2), 0.0);
}

void ReportEngineTest::pdfShowsBandsWhereTheyAre()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.pdf"));
    auto report = listReport(12);
    QCOMPARE(report->savePdf(path), Report::Outcome::Done);
    const PdfText pdf = readPdf(path);
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
    QCOMPARE(pdf.pageCount(), 2);

    // Column captions 2 mm into the header band, under the 20 mm title; the
    // first row 3 mm into its band; 10 mm margins.
    const PdfWord caption = pdf.find(QStringLiteral("Fiyatı"), 0);
    QVERIFY(std::abs(caption.left - (10 + 60)) < 0.5);
    QVERIFY(std::abs(caption.top - (10 + 20 + 2)) < 0.5);
    const PdfWord second = pdf.find(QStringLiteral("Fiyatı"), 1);
    QVERIFY(std::abs(second.top - (10 + 2)) < 0.5); // no title on page 2
    const PdfWord firstRow = pdf.find(QStringLiteral("Satır1"), 0);
    QVERIFY(std::abs(firstRow.left - (10 + 5)) < 0.5);
    QVERIFY(std::abs(firstRow.top - (10 + 30 + 3)) < 0.5);
    const PdfWord tenth = pdf.find(QStringLiteral("Satır10"), 1);
    QVERIFY(std::abs(tenth.top - (10 + 10 + 3)) < 0.5);
    QCOMPARE(pdf.findAll(QStringLiteral("Deneme Listesi")).size(), 1);
    const PdfWord title = pdf.find(QStringLiteral("Deneme Listesi"), 0);
    QVERIFY(std::abs((title.left + title.right) / 2 - 105) < 0.5); // centred on the page
    QCOMPARE(pdf.lineAt(1, pdf.find(QStringLiteral("Saat"), 1).top),
             (QStringList{QStringLiteral("Saat"), QStringLiteral("09:05"), QStringLiteral("Tarih"),
                          QStringLiteral("8.12.2024")}));
}

void ReportEngineTest::failingSourceStopsTheReport()
{
    Report report(listLayout(), std::make_unique<CountingRows>(100, 15), Made);
    QTemporaryDir folder;
    QString error;
    QCOMPARE(report.savePdf(folder.filePath(QStringLiteral("x.pdf")), &error), Report::Outcome::Failed);
    QCOMPARE(error, QStringLiteral("Okunamadı"));
    QCOMPARE(report.failure(), QStringLiteral("Okunamadı"));
    QVERIFY(report.isComplete());
    QVERIFY(report.pagesLaidOut() >= 1); // what was read stands
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("x.pdf"))));
}

void ReportEngineTest::savingKeepsTheOldFileUnlessDone()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("liste.pdf"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("eski");
    }
    auto report = listReport(40);
    int calls = 0;
    QCOMPARE(report->savePdf(path, nullptr, [&](int, int) { return ++calls < 2; }), Report::Outcome::Cancelled);
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("eski"));
    kept.close();

    QList<QPair<int, int>> seen;
    QCOMPARE(report->savePdf(path, nullptr,
                             [&](int done, int total) {
                                 seen.append({done, total});
                                 return true;
                             }),
             Report::Outcome::Done);
    QCOMPARE(readPdf(path).pageCount(), 5);
    QCOMPARE(seen.last(), qMakePair(5, 5));
    QCOMPARE(seen.first().second, 5); // the total is known from the start

    QString error;
    QCOMPARE(report->savePdf(folder.filePath(QStringLiteral("yok/liste.pdf")), &error), Report::Outcome::Failed);
    QVERIFY(error.contains(QStringLiteral("klasör bulunamadı")));

    // The disk fills while the PDF is written: the save fails, says so, and the
    // finished PDF from before is still there, whole.
    const QByteArray before = [&] {
        QFile done(path);
        return done.open(QIODevice::ReadOnly) ? done.readAll() : QByteArray();
    }();
    QVERIFY(before.size() > 2048);
    for (const rlim_t room : {rlim_t(0), rlim_t(2048)}) {
        FileSizeLimit limit(room);
        QVERIFY(limit.isSet());
        error.clear();
        QCOMPARE(report->savePdf(path, &error), Report::Outcome::Failed);
        QVERIFY2(error.startsWith(QDir::toNativeSeparators(path) + QStringLiteral(": ")), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("önceki dosya olduğu gibi duruyor")), qPrintable(error));
    }
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("liste.pdf")});
}

void ReportEngineTest::previewPagesAndZooms()
{
    auto report = listReport(200); // 21 pages
    ReportPreview preview(*report);
    QSignalSpy shown(&preview, &ReportPreview::pageShown);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QTRY_VERIFY(!shown.isEmpty());
    QCOMPARE(shown.last().first().toInt(), 0);
    QCOMPARE(report->pagesLaidOut(), 1); // only what is shown

    preview.findChild<QAction*>(QStringLiteral("NextPage"))->trigger();
    QCOMPARE(preview.currentPage(), 1);
    QTest::keyClick(&preview, Qt::Key_PageDown);
    QCOMPARE(preview.currentPage(), 2);
    QCOMPARE(report->pagesLaidOut(), 3);
    QTest::keyClick(&preview, Qt::Key_End);
    QCOMPARE(preview.currentPage(), 20);
    QVERIFY(report->isComplete());
    QVERIFY(!preview.findChild<QAction*>(QStringLiteral("NextPage"))->isEnabled());
    preview.nextPage();
    QCOMPARE(preview.currentPage(), 20); // nothing past the last page
    QTest::keyClick(&preview, Qt::Key_Home);
    QCOMPARE(preview.currentPage(), 0);
    preview.showPage(7);
    QCOMPARE(preview.currentPage(), 7);

    preview.setZoom(1.0);
    const QSize full = preview.pageView()->size();
    QVERIFY(std::abs(full.width() - qRound(210 / 25.4 * preview.pageView()->logicalDpiY())) <= 1);
    preview.zoomIn();
    QCOMPARE(preview.zoom(), 1.25);
    QVERIFY(preview.pageView()->width() > full.width());
    preview.fitWidth();
    QCOMPARE(preview.fit(), ReportPreview::Fit::Width);
    QVERIFY(preview.pageView()->width() <= preview.width());
    shown.clear();
    QTRY_VERIFY(!shown.isEmpty());
    QCOMPARE(shown.last().first().toInt(), 7);
}

// The keys reach the preview from the widget that has the focus, as a person
// presses them: at first, in the page box, in the zoom box.
void ReportEngineTest::previewKeysPageWhereverTheFocusIs()
{
    auto report = listReport(200); // 21 pages
    ReportPreview preview(*report);
    preview.show();
    QApplication::setActiveWindow(&preview);
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    auto pressHere = [](Qt::Key key) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::keyClick(focus, key);
    };

    // It opens with the focus on the page, not in a box that takes the keys.
    QWidget* opened = QApplication::focusWidget();
    QVERIFY(opened);
    QVERIFY(!qobject_cast<QAbstractSpinBox*>(opened) && !qobject_cast<QLineEdit*>(opened));
    pressHere(Qt::Key_End);
    QCOMPARE(preview.currentPage(), 20);
    pressHere(Qt::Key_Home);
    QCOMPARE(preview.currentPage(), 0);

    auto* pageBox = preview.findChild<QSpinBox*>(QStringLiteral("PageNumber"));
    QVERIFY(pageBox);
    pageBox->setFocus();
    QTRY_VERIFY(pageBox->hasFocus());
    pressHere(Qt::Key_End);
    QCOMPARE(preview.currentPage(), 20);
    pressHere(Qt::Key_PageUp);
    QCOMPARE(preview.currentPage(), 19);
    pressHere(Qt::Key_Home);
    QCOMPARE(preview.currentPage(), 0);
    pressHere(Qt::Key_PageDown);
    QCOMPARE(preview.currentPage(), 1);
    QCOMPARE(pageBox->value(), 2);

    auto* zoomBox = preview.findChild<QComboBox*>(QStringLiteral("Zoom"));
    QVERIFY(zoomBox);
    zoomBox->setFocus();
    QTRY_VERIFY(zoomBox->hasFocus());
    const int zoomItem = zoomBox->currentIndex();
    pressHere(Qt::Key_End);
    QCOMPARE(preview.currentPage(), 20);
    QCOMPARE(zoomBox->currentIndex(), zoomItem);
}

void ReportEngineTest::previewSavesAndPrints()
{
    Installed<CollectingReporter> messages;
    FakeDialogs dialogs;
    setReportDialogs(&dialogs);
    QTemporaryDir folder;
    auto report = listReport(30); // 4 pages (9, 10, 10, 1 and the summary)
    ReportPreview preview(*report);

    dialogs.pdfPath = folder.filePath(QStringLiteral("kayıt.pdf"));
    preview.findChild<QAction*>(QStringLiteral("SavePdf"))->trigger();
    QCOMPARE(readPdf(dialogs.pdfPath).pageCount(), 4);

    dialogs.printToFile = folder.filePath(QStringLiteral("yazıcı.pdf"));
    dialogs.fromPage = 2;
    dialogs.toPage = 3;
    preview.findChild<QAction*>(QStringLiteral("Print"))->trigger();
    QCOMPARE(dialogs.pageCountAsked, 4);
    const PdfText printed = readPdf(dialogs.printToFile);
    QCOMPARE(printed.pageCount(), 2);
    QVERIFY(printed.pages.at(0).contains(QStringLiteral("Satır10")));
    QVERIFY(!printed.pages.at(0).contains(QStringLiteral("Deneme Listesi")));

    dialogs.pdfPath = folder.filePath(QStringLiteral("yok/kayıt.pdf")); // a folder that is not there
    preview.savePdf();
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown.first(), QStringLiteral("PDF kaydedilemedi: %1: klasör bulunamadı; var olan bir klasör seçin.")
                                         .arg(QDir::toNativeSeparators(dialogs.pdfPath)));
    setReportDialogs(nullptr);
}

void ReportEngineTest::previewCancelsALongSave()
{
    FakeDialogs dialogs;
    setReportDialogs(&dialogs);
    QTemporaryDir folder;
    dialogs.pdfPath = folder.filePath(QStringLiteral("uzun.pdf"));
    auto report = listReport(30000);
    ReportPreview preview(*report);
    preview.show();
    QWidget* progress = preview.findChild<QWidget*>(QStringLiteral("ProgressArea"));
    bool progressSeen = false;
    QTimer::singleShot(0, &preview, [&] {
        progressSeen = progress->isVisible();
        QTest::mouseClick(preview.findChild<QWidget*>(QStringLiteral("Cancel")), Qt::LeftButton);
    });
    preview.savePdf();
    QVERIFY(progressSeen);
    QVERIFY(!progress->isVisible());
    QVERIFY(!QFile::exists(dialogs.pdfPath)); // nothing half-written
    QVERIFY(!report->isComplete());
    setReportDialogs(nullptr);
}

QTEST_MAIN(ReportEngineTest)
#include "tst_reportengine.moc"
