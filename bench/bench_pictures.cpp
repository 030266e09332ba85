// Walking a register whose listings have pictures, as an entry screen walks
// it: 100,000 rental flats of which 10,000 have five pictures each. The
// cursor with a screen's picture strip attached against the same cursor alone,
// timed in turns (next/prior over 20,000 records, Ctrl+End and back a
// thousand times), and what the heap keeps after every record has been
// current and its thumbnails read.
//
// Usage: bench_pictures [FOLDER]   (default: a scratch folder; the store is
// made there once and kept for later runs)
#include "benchsupport.h"

#include "data/listingpictures.h"
#include "entry/picturestrip.h"
#include "platform/engine/table.h"

#include <QBuffer>
#include <QApplication>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QThreadPool>
#include <malloc.h>

namespace {

constexpr int Listings = 100000;
constexpr int Pictured = 10000; // every tenth
constexpr int PicturesEach = 5;
constexpr int WalkSteps = 20000;
constexpr int EndJumps = 1000;
constexpr int Runs = 5;
constexpr double Target = 1.1;

qint64 heapKb()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64((info.uordblks + info.hblkhd) / 1024);
}

QByteArray jpeg(int width, int height, int hue)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(hue % 360, 180, 220));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

void makeStore(Database& store)
{
    const QByteArray picture = jpeg(320, 240, 30);
    const QByteArray thumbnail = jpeg(160, 120, 30);
    store.inTransaction([&] {
        for (int i = 1; i <= Listings; ++i) {
            store.execute(QStringLiteral("INSERT INTO \"kdgiris\" (\"Semtadi\", \"Fiyati\", \"Isim\", \"Notlar\") "
                                         "VALUES (?, ?, ?, ?)"),
                          {QStringLiteral("Semt %1").arg(i % 40), 1000.0 + i % 5000, QStringLiteral("Sahip %1").arg(i),
                           QStringLiteral("Deniz gören, yeni boyalı daire %1.").arg(i)});
            if (i % (Listings / Pictured) != 0)
                continue;
            for (int n = 1; n <= PicturesEach; ++n)
                store.execute(QStringLiteral("INSERT INTO \"ilanresimleri\" (\"Kayit\", \"IlanNo\", \"Sira\", "
                                             "\"Aciklama\", \"Resim\", \"Kucuk\") VALUES ('kdgiris', ?, ?, ?, ?, ?)"),
                              {i, n, QStringLiteral("Resim %1").arg(n), picture, thumbnail});
        }
    });
}

void settle()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    LocaleFormats::useTurkish();
    QTemporaryDir scratch;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();
    QDir().mkpath(folder);
    const bool fresh = !QFileInfo::exists(QDir(folder).filePath(Catalogue::StoreFileName));
    std::unique_ptr<Database> store = Catalogue::openStore(folder);
    if (fresh) {
        std::printf("Making %d rental flats, %d of them with %d pictures each, in %s ...\n", Listings, Pictured,
                    PicturesEach, qPrintable(folder));
        std::fflush(stdout);
        makeStore(*store);
    }

    Table alone(*store, QStringLiteral("kdgiris"));
    Table withPictures(*store, QStringLiteral("kdgiris"));
    alone.open();
    withPictures.open();
    // The strip an entry screen hangs under itself, with its thumbnails' list.
    QWidget screen;
    screen.resize(640, 480);
    ListingPictures& pictures = PictureStrip::attach(&screen, withPictures, QStringLiteral("RentalFlatCard"))->pictures();

    // As the screen walks: each step handed to the event loop as a key press would be.
    const auto walk = [](Table& table) {
        return bench::Side{.measured = [&table](int) {
                               for (int i = 0; i < WalkSteps; ++i) {
                                   table.next();
                                   QCoreApplication::processEvents();
                               }
                               for (int i = 0; i < WalkSteps; ++i) {
                                   table.prior();
                                   QCoreApplication::processEvents();
                               }
                           },
                           .untimed = [&table](int) { table.first(); }};
    };
    // One jump takes some microseconds: timed a thousand times over, back
    // to the first record between jumps, as Ctrl+Home would take it.
    const auto toEnd = [](Table& table) {
        return bench::Side{.measured = [&table](int) {
                               for (int i = 0; i < EndJumps; ++i) {
                                   table.last();
                                   (void)table.position();
                                   QCoreApplication::processEvents();
                                   table.first();
                                   QCoreApplication::processEvents();
                               }
                           },
                           .untimed = [&table](int) {
                               table.first();
                               QCoreApplication::processEvents();
                           }};
    };

    std::printf("\n  %-52s %10s %10s %7s  target\n", "operation", "pictures", "without", "ratio");
    int misses = 0;
    const auto row = [&](const char* operation, const bench::TwinTimes& times) {
        const double ratio = times.bare > 0 ? times.engine / times.bare : 0;
        const bool ok = ratio <= Target;
        misses += ok ? 0 : 1;
        std::printf("  %-52s %10.2f %10.2f %7.3f  <= %.1fx %s\n", operation, times.engine, times.bare, ratio, Target,
                    ok ? "ok" : "MISS");
        std::fflush(stdout);
    };
    row("next x20,000 then prior x20,000 (ms)", bench::alternate(Runs, walk(withPictures), walk(alone)));
    row("Ctrl+End (last record, its place), Ctrl+Home x1,000 (ms)", bench::alternate(Runs, toEnd(withPictures), toEnd(alone)));

    // A pause on a pictured record: its five thumbnails read and decoded.
    withPictures.locate(QStringLiteral("No"), Listings / Pictured);
    QElapsedTimer timer;
    timer.start();
    pictures.loadNow();
    settle();
    std::printf("  %-52s %10.2f  (%d thumbnails)\n", "thumbnails of one record, read and decoded (ms)",
                double(timer.nsecsElapsed()) / 1e6, pictures.count());

    // Every record current in turn, its thumbnails read as if the clerk stopped at each.
    withPictures.first();
    settle();
    const qint64 before = heapKb();
    int shown = 0;
    timer.restart();
    for (bool more = true; more; more = !withPictures.eof()) {
        pictures.loadNow();
        shown += pictures.count();
        withPictures.next();
        if (withPictures.position() % 1000 == 0)
            settle();
    }
    settle();
    const double growthMb = (heapKb() - before) / 1024.0;
    const bool heapOk = growthMb <= 5.0;
    misses += heapOk ? 0 : 1;
    std::printf("  %-52s %10.2f MB  <= 5 MB %s  (%d thumbnails in %.1f s)\n",
                "heap growth after every record was current", growthMb, heapOk ? "ok" : "MISS", shown,
                double(timer.elapsed()) / 1000.0);
    std::printf("\n%s\n", misses == 0 ? "All figures within their targets." : "Some figures MISS their targets.");
    return misses == 0 ? 0 : 1;
}
