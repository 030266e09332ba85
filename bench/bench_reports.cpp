// Times the list reports on the benchmark store of bench_engine (100,000
// listings per register):
//
//  - from "Yazdır" to the first page on screen, for a rental-flat result of
//    10 rows and for one of all 100,000 (the search screen's query already
//    open, as it is when the clerk presses "Yazdır"); once for the report
//    engine alone (report made, first page laid out and drawn at screen
//    resolution) and once for the preview window (made, shown, first page
//    painted);
//  - the same for the main window's whole-register print, whose own
//    statement is run (through the streaming reader) as part of the print;
//  - a PDF export of a whole register, in pages per second.
//
//   bench_reports [data-folder]     (default: ./bench-data)
//
// A missing store is made first by running bench_engine from the same folder.

#include "benchsupport.h"
#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
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
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 15;
constexpr double ScreenDpi = 96;

quint64 sink = 0; // keeps the work from being optimised away

// Median of Runs timings of measured(); prepare() is not timed; the first run only warms up.
double medianMs(const std::function<void()>& measured, const std::function<void()>& prepare = {})
{
    std::vector<double> times;
    for (int run = 0; run <= Runs; ++run) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        if (run > 0)
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::unique_ptr<Query> openQuery(Database& db, const Statement& statement)
{
    auto query = std::make_unique<Query>(db);
    query->setStatement(statement);
    query->open();
    return query;
}

// The report engine alone: made over the open query, first page laid out and drawn.
void firstPageImage(reporting::Report& report)
{
    report.ensurePage(0);
    sink += report.pageImage(0, ScreenDpi).pixel(400, 300);
}

// The preview window: made, shown, and its first page painted.
void firstPageOnScreen(reporting::Report& report)
{
    reporting::ReportPreview preview(report);
    QEventLoop wait;
    QObject::connect(&preview, &reporting::ReportPreview::pageShown, &wait, &QEventLoop::quit);
    preview.show();
    wait.exec();
    sink += preview.currentPage();
}

struct FirstPage {
    double engine;
    double window;
};

FirstPage measureResult(Database& db, const Statement& statement)
{
    std::unique_ptr<Query> query;
    const auto prepare = [&] { query = openQuery(db, statement); };
    FirstPage result{};
    result.engine = medianMs(
        [&] { firstPageImage(*reports::makeReport(QStringLiteral("RentalFlatListReport"), *query)); }, prepare);
    result.window = medianMs(
        [&] { firstPageOnScreen(*reports::makeReport(QStringLiteral("RentalFlatListReport"), *query)); }, prepare);
    return result;
}

void measureFirstPages(Database& db)
{
    const FirstPage few =
        measureResult(db, Statement(QStringLiteral("kdgiris")).where(QStringLiteral("rowid <= ?"), {10}));
    const FirstPage all = measureResult(db, Statement(QStringLiteral("kdgiris")));
    std::printf("First page of RentalFlatListReport, from \"Yazdır\" (median of %d runs, ms):\n", Runs);
    std::printf("  %-44s %10s %10s\n", "", "engine", "preview");
    std::printf("  %-44s %10.2f %10.2f\n", "result of 10 rows (1 page)", few.engine, few.window);
    std::printf("  %-44s %10.2f %10.2f\n", "result of 100,000 rows (6,667 pages)", all.engine, all.window);
    std::printf("  %-44s %9.2fx %9.2fx   (at most 1.5x wanted)\n\n", "100,000 / 10", all.engine / few.engine,
                all.window / few.window);

    // The main window's print runs its own statement over the whole register.
    const double print = medianMs([&] {
        std::unique_ptr<ReportWindow> window = reports::registerPrint(QStringLiteral("RentalPropertyListPrint"), db);
        firstPageOnScreen(static_cast<reporting::PreviewWindow&>(*window).report());
    });
    std::printf("First page of RentalPropertyListPrint (its statement run, preview shown): %.2f ms\n\n", print);
}

void measureExport(Database& db, const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("bench-reports.pdf"));
    std::printf("PDF export of a whole register (one run each):\n");
    for (const QString& name : {QStringLiteral("RentalPropertyListPrint"), QStringLiteral("LandListPrint")}) {
        std::unique_ptr<ReportWindow> window = reports::registerPrint(name, db);
        reporting::Report& report = static_cast<reporting::PreviewWindow&>(*window).report();
        QElapsedTimer timer;
        timer.start();
        report.layoutAll();
        const double layout = timer.nsecsElapsed() / 1e9;
        QString error;
        if (report.savePdf(path, &error) != reporting::Report::Outcome::Done)
            throw DataError(QStringLiteral("saving %1: %2").arg(path, error));
        const double total = timer.nsecsElapsed() / 1e9;
        const int pages = report.pagesLaidOut();
        std::printf("  %-26s %6d pages: laid out in %.2f s, drawn and written in %.2f s more;\n"
                    "  %-26s %6.0f pages/s for the whole export, %.1f MB of PDF\n",
                    qPrintable(name), pages, layout, total - layout, "", pages / total, QFileInfo(path).size() / 1e6);
    }
    QFile::remove(path);
}

int run(const QString& folder)
{
    const QString path = QDir(folder).filePath(Catalogue::StoreFileName);
    bench::ensureStore(folder, path);
    const std::unique_ptr<Database> db = Catalogue::openStore(folder);
    std::printf("Store: %s\n\n", qPrintable(path));
    measureFirstPages(*db);
    measureExport(*db, folder);
    std::printf("\nMemory high-water (VmHWM): %s\n", qPrintable(bench::memoryHighWater()));
    std::printf("(checksum: %llu)\n", static_cast<unsigned long long>(sink));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's word on every window shown is no figure.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtWarningMsg || !message.contains(QLatin1String("propagateSizeHints")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    const QStringList args = app.arguments();
    const QString folder = args.size() > 1 ? args.at(1) : QDir::current().filePath(QStringLiteral("bench-data"));
    try {
        return run(folder);
    } catch (const DataError& error) {
        std::fprintf(stderr, "bench_reports: %s\n", qPrintable(error.message()));
        return 1;
    }
}
