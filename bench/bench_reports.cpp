// Times the list reports on the benchmark store of bench_engine (100,000
// listings per register).
//
// Where a bare twin means something, it is the report's reading and text
// formatting done without the report engine: bare SQLite runs the very
// statements the engine ran (recorded on the engine's connection through
// SQLite's trace, with their values), each prepared once, and writes the
// printed fields of the printed rows to the same texts (Database::fieldValue
// and FieldFormat::displayText, as the report's rows do); nothing is measured,
// wrapped, laid out or drawn. So the ratio is what the report engine's layout
// costs on top of reading and formatting:
//
//  - from "Yazdır" to the first page laid out, for a rental-flat result of 10
//    rows and for one of all 100,000 (the search screen's query already
//    open, as it is when the clerk presses "Yazdır");
//  - the main window's whole-register print laid out to its last page, its
//    own statement run through the streaming reader.
//
// What has no such twin (drawing the page, the preview window, the PDF
// export) is held to a limit in milliseconds or printed as "(no twin)".
//
//   bench_reports [data-folder]     (default: ./bench-data)
//
// A missing store is made first by running bench_engine from the same folder.

#include "benchsupport.h"
#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/query.h"
#include "platform/reporting/report.h"
#include "platform/reporting/reportpreview.h"
#include "reports/reports.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <functional>
#include <limits>
#include <memory>

namespace {

constexpr int Runs = 15;
constexpr int WholeRuns = 3;
constexpr double ScreenDpi = 96;
// What a clerk waits for without noticing, from "Yazdır" (ms).
constexpr double FirstPageDrawnLimit = 100;
constexpr double PreviewLimit = 300;
// The first page of 100,000 rows against that of a result that just fills
// one page: the same rows printed, so what the rest of the result costs.
constexpr double FewToManyTarget = 1.5;

QStringList notes;

std::unique_ptr<Query> openQuery(Database& db, const Statement& statement)
{
    auto query = std::make_unique<Query>(db);
    query->setStatement(statement);
    query->open();
    return query;
}

reporting::Report& reportOf(ReportWindow& window)
{
    return static_cast<reporting::PreviewWindow&>(window).report();
}

// The preview window: made, shown, and its first page painted.
void firstPageOnScreen(reporting::Report& report)
{
    reporting::ReportPreview preview(report);
    QEventLoop wait;
    QObject::connect(&preview, &reporting::ReportPreview::pageShown, &wait, &QEventLoop::quit);
    preview.show();
    wait.exec();
    bench::checksum += preview.currentPage();
}

// --- the bare side's formatting ----------------------------------------------------------

// The printed fields of a report's detail band, and the texts the bare side
// writes for them: per row read by a statement that selects them all, the
// field's value as the engine converts it and its display text (an amount in
// the currency its row names), up to `rows` rows.
class BareTexts {
public:
    BareTexts(const reporting::Report& report, const TableSchema& table, int rows) : m_table(table), m_rows(rows)
    {
        for (const reporting::TextItem& item : report.layout().detail.items)
            if (item.source == reporting::Source::Field)
                m_fields << table.field(item.text);
    }

    void reset()
    {
        m_done = 0;
        m_texts.clear();
    }
    // Keeps the texts written (for the check) or only their lengths.
    void keepTexts(bool keep) { m_keep = keep; }
    const QList<QStringList>& texts() const { return m_texts; }

    bench::RowVisitor visitor()
    {
        return [this](size_t statement, int, sqlite3_stmt* stmt) { visit(statement, stmt); };
    }

private:
    struct Columns {
        bool prints = false;
        QVector<int> value, currency; // per printed field: its column, and its currency's (-1: none)
    };

    const Columns& columnsOf(size_t statement, sqlite3_stmt* stmt)
    {
        auto found = m_columns.find(statement);
        if (found != m_columns.end())
            return *found;
        Columns columns;
        const auto columnNamed = [&](const QString& name) {
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                if (name.compare(QString::fromUtf8(sqlite3_column_name(stmt, c)), Qt::CaseInsensitive) == 0)
                    return c;
            return -1;
        };
        columns.prints = !m_fields.isEmpty();
        for (const FieldSchema* field : std::as_const(m_fields)) {
            const int column = field ? columnNamed(field->name) : -1;
            columns.prints = columns.prints && column >= 0;
            columns.value << column;
            columns.currency << (field && !field->currencyField.isEmpty() ? columnNamed(field->currencyField) : -1);
        }
        return *m_columns.insert(statement, columns);
    }

    void visit(size_t statement, sqlite3_stmt* stmt)
    {
        if (m_done >= m_rows)
            return;
        const Columns& columns = columnsOf(statement, stmt);
        if (!columns.prints)
            return;
        ++m_done;
        QStringList row;
        for (int f = 0; f < m_fields.size(); ++f) {
            const FieldSchema& field = *m_fields.at(f);
            const int currency = columns.currency.at(f);
            const QString text = FieldFormat::displayText(
                field, Database::fieldValue(SqliteEngine::columnView(stmt, columns.value.at(f)), field),
                currency >= 0 ? Database::columnValue(SqliteEngine::columnView(stmt, currency)).toString() : QString());
            bench::checksum += quint64(text.size());
            if (m_keep)
                row << text;
        }
        if (m_keep)
            m_texts << row;
    }

    const TableSchema& m_table;
    QList<const FieldSchema*> m_fields;
    int m_rows;
    int m_done = 0;
    bool m_keep = false;
    QList<QStringList> m_texts;
    QHash<size_t, Columns> m_columns;
};

int detailRowsOf(const reporting::Report::Page& page)
{
    int rows = 0;
    for (const reporting::Report::PlacedBand& band : page.bands)
        rows += band.kind == reporting::Report::BandKind::Detail;
    return rows;
}

// Whether the texts the bare side wrote are what the report prints in the
// detail bands of its first pages (a text cut at its box ends in "…").
void checkTexts(const QString& what, const reporting::Report& report, const QList<QStringList>& bare)
{
    QVector<int> fieldItems;
    const auto& items = report.layout().detail.items;
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).source == reporting::Source::Field)
            fieldItems << i;
    int row = 0;
    for (int p = 0; p < report.pagesLaidOut() && row < bare.size(); ++p)
        for (const reporting::Report::PlacedBand& band : report.page(p).bands) {
            if (band.kind != reporting::Report::BandKind::Detail || row >= bare.size())
                continue;
            for (int f = 0; f < fieldItems.size(); ++f) {
                const QString printed = band.texts.value(fieldItems.at(f)).split(QLatin1Char('\n')).join(QLatin1Char(' '));
                const QString written = bare.at(row).value(f).simplified();
                const bool same = printed == written
                                  || (printed.endsWith(QChar(0x2026)) && written.startsWith(printed.chopped(1).trimmed()));
                if (!same) {
                    notes << QStringLiteral("WARNING: %1: row %2 prints \"%3\" where the bare side wrote \"%4\"")
                                 .arg(what)
                                 .arg(row + 1)
                                 .arg(printed, written);
                    return;
                }
            }
            ++row;
        }
    if (row < bare.size())
        notes << QStringLiteral("WARNING: %1: the bare side wrote %2 rows, the report printed %3")
                     .arg(what)
                     .arg(bare.size())
                     .arg(row);
}

// --- the measurements ------------------------------------------------------------------

struct FirstPage {
    int rows = 0; // printed on the first page
    double laidOut = 0;
    double drawn = 0;
    double preview = 0;
};

FirstPage measureResult(Database& db, bench::BareStatements& bare, const QString& what, const Statement& statement)
{
    FirstPage figures;
    std::unique_ptr<Query> query;
    const auto openFresh = [&](int) { query = openQuery(db, statement); };
    const auto makeReport = [&] { return reports::makeReport(QStringLiteral("RentalFlatListReport"), *query); };

    // How many rows the first page prints, and the texts it prints.
    openFresh(0);
    const std::unique_ptr<reporting::Report> sample = makeReport();
    sample->ensurePage(0);
    figures.rows = detailRowsOf(sample->page(0));
    BareTexts texts(*sample, db.table(statement.table()), figures.rows);

    const QString name = QStringLiteral("%1: first page laid out").arg(what);
    const bench::Side engine{[&](int) { makeReport()->ensurePage(0); }, openFresh};
    texts.keepTexts(false);
    const bench::Replayed twin =
        bench::alternateReplayed(Runs, db.sqlite()->handle(), bare, engine, texts.visitor(), [&](int) { texts.reset(); });
    if (bench::reportReplayed(name, Runs, twin)) {
        figures.laidOut = twin.times.engine;
        texts.reset();
        texts.keepTexts(true);
        bench::replay(bare, twin.scripts[1], texts.visitor());
        checkTexts(name, *sample, texts.texts());
    }

    figures.drawn = bench::medianMs(Runs, {[&](int) {
                                               const std::unique_ptr<reporting::Report> report = makeReport();
                                               report->ensurePage(0);
                                               bench::checksum += report->pageImage(0, ScreenDpi).pixel(400, 300);
                                           },
                                           openFresh});
    bench::reportLimit(QStringLiteral("%1: first page drawn at 96 dpi").arg(what), Runs,
                       figures.drawn, FirstPageDrawnLimit);
    figures.preview = bench::medianMs(Runs, {[&](int) { firstPageOnScreen(*makeReport()); }, openFresh});
    bench::reportLimit(QStringLiteral("%1: preview shown, first page painted").arg(what), Runs,
                       figures.preview, PreviewLimit);
    return figures;
}

void measureFirstPages(Database& db, bench::BareStatements& bare)
{
    std::printf("RentalFlatListReport, from \"Yazdır\" on the rental-flat list to its first page (the search's\n"
                "query open):\n");
    bench::printHeader();
    measureResult(db, bare, QStringLiteral("10 rows"),
                  Statement(QStringLiteral("kdgiris")).where(QStringLiteral("rowid <= ?"), {10}));
    const FirstPage all = measureResult(db, bare, QStringLiteral("100,000 rows"), Statement(QStringLiteral("kdgiris")));
    const FirstPage onePage =
        measureResult(db, bare, QStringLiteral("%1 rows (one page)").arg(all.rows),
                      Statement(QStringLiteral("kdgiris")).where(QStringLiteral("rowid <= ?"), {all.rows}));
    // However long the result, its first page should come as fast as that of
    // a result of one page (10 rows print fewer, so they are no reference).
    const QString reference = QStringLiteral("<=%1x one page's").arg(FewToManyTarget);
    bench::reportWithin(QStringLiteral("100,000 rows: first page drawn, against one page"), Runs, all.drawn,
                        onePage.drawn * FewToManyTarget, reference);
    bench::reportWithin(QStringLiteral("100,000 rows: preview shown, against one page"), Runs, all.preview,
                        onePage.preview * FewToManyTarget, reference);

    // The main window's print runs its own statement over the whole register.
    const double print = bench::medianMs(Runs, {[&](int) {
        std::unique_ptr<ReportWindow> window = reports::registerPrint(QStringLiteral("RentalPropertyListPrint"), db);
        firstPageOnScreen(reportOf(*window));
    }});
    bench::reportLimit(QStringLiteral("RentalPropertyListPrint: statement run, preview shown"), Runs, print,
                       PreviewLimit);
}

// The whole-register print laid out to its last page, against its rows read
// and every printed text formatted by the bare side.
void measureWholePrint(Database& db, bench::BareStatements& bare, const QString& name, const QString& table)
{
    std::unique_ptr<ReportWindow> window;
    const auto makeWindow = [&](int) { window = reports::registerPrint(name, db); };
    makeWindow(0);
    BareTexts texts(reportOf(*window), db.table(table), std::numeric_limits<int>::max());
    texts.keepTexts(false);
    const bench::Side engine{[&](int) { reportOf(*window).layoutAll(); }, makeWindow};
    const bench::Replayed twin =
        bench::alternateReplayed(WholeRuns, db.sqlite()->handle(), bare, engine, texts.visitor(), [&](int) { texts.reset(); });
    const QString what = QStringLiteral("%1: every page laid out").arg(name);
    if (!bench::reportReplayed(what, WholeRuns, twin))
        return;
    bench::printNote(QStringLiteral("%1 pages").arg(reportOf(*window).pagesLaidOut()));
    // The texts of the first pages checked against the bare side's.
    BareTexts check(reportOf(*window), db.table(table), 200);
    check.keepTexts(true);
    bench::replay(bare, twin.scripts[1], check.visitor());
    checkTexts(what, reportOf(*window), check.texts());
}

void measureExport(Database& db, const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("bench-reports.pdf"));
    for (const QString& name : {QStringLiteral("RentalPropertyListPrint"), QStringLiteral("LandListPrint")}) {
        std::unique_ptr<ReportWindow> window = reports::registerPrint(name, db);
        reporting::Report& report = reportOf(*window);
        QElapsedTimer timer;
        timer.start();
        report.layoutAll();
        const double layout = double(timer.nsecsElapsed()) / 1e6;
        QString error;
        if (report.savePdf(path, &error) != reporting::Report::Outcome::Done)
            throw DataError(QStringLiteral("saving %1: %2").arg(path, error));
        const double total = double(timer.nsecsElapsed()) / 1e6;
        const int pages = report.pagesLaidOut();
        bench::reportNoTwin(QStringLiteral("%1: PDF export, whole register").arg(name), 1, total);
        bench::printNote(QStringLiteral("%1 pages: laid out in %2 s, drawn and written in %3 s more; %4 pages/s, "
                                        "%5 MB of PDF")
                             .arg(pages)
                             .arg(layout / 1000, 0, 'f', 2)
                             .arg((total - layout) / 1000, 0, 'f', 2)
                             .arg(pages / (total / 1000), 0, 'f', 0)
                             .arg(double(QFileInfo(path).size()) / 1e6, 0, 'f', 1));
    }
    QFile::remove(path);
}

int run(const bench::Arguments& args)
{
    bench::Store store(args.folder);
    const QString& path = store.path;
    const std::unique_ptr<Database>& db = store.db;
    bench::BareStatements& bare = store.bare;
    std::printf("Store: %s, SQLite %s; median of N runs after one warm-up run, engine and bare in turns\n"
                "bare: the engine's statements, recorded on its connection, run through SQLite's C interface,\n"
                "each prepared once, and the printed fields of the printed rows written to the same texts;\n"
                "nothing laid out or drawn.\n\n",
                qPrintable(path), sqlite3_libversion());
    if (args.wants("first"))
        measureFirstPages(*db, bare);
    if (args.wants("whole")) {
        std::printf("\nThe main window's whole-register prints, laid out to the last page:\n");
        bench::printHeader();
        measureWholePrint(*db, bare, QStringLiteral("RentalPropertyListPrint"), QStringLiteral("kegiris"));
    }
    if (args.wants("export")) {
        std::printf("\nPDF export of a whole register (one run each):\n");
        bench::printHeader();
        measureExport(*db, args.folder);
    }

    std::printf("\nMemory high-water (VmHWM): %s\n", qPrintable(bench::memoryHighWater()));
    return bench::printWarningsAndSummary(notes);
}

} // namespace

int main(int argc, char** argv)
{
    bench::offscreenUnlessAsked();
    bench::quietOffscreenPlatform();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    const bench::Arguments args = bench::arguments(app.arguments(), QStringLiteral("bench-data"));
    return bench::runReportingFailure("bench_reports", [&] { return run(args); });
}
