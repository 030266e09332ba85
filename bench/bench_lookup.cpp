// Times the rented-flat list's look-up while typing on a register of 100,000
// rented flats: each typed letter looks the whole text up as a name (letter
// case folded the Turkish way). Compared with the same folded comparison made
// on every row, which is what the look-up would cost without the name index.
// Also times "Bul" narrowing the entry screen's cursor to a name prefix.
//
//   bench_lookup [data-folder]     (default: ./bench-lookup-data)

#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr int Runs = 50;

const QStringList FirstNames{"Ayşe", "Mehmet", "Işıl", "İsmail", "Çağla", "Ömer", "Şule", "Ali", "Zeynep", "Güneş"};
const QStringList LastNames{"Yılmaz", "Kaya", "Demir", "Çelik", "Şahin", "Öztürk", "Aydın", "Arslan", "Doğan", "Kılıç"};

QString nameOf(int i)
{
    return QStringLiteral("%1 %2 %3").arg(FirstNames.at(i % 10), LastNames.at((i / 10) % 10)).arg(i);
}

double medianMs(const std::function<void(int)>& work)
{
    std::vector<double> times;
    for (int run = 0; run <= Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work(run);
        if (run > 0)
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

void fill(Database& db)
{
    db.inTransaction([&] {
        QSqlQuery& insert = db.prepared(QStringLiteral("INSERT INTO kiralanandaireler (Adsoyad, Semt) VALUES (?, ?)"));
        for (int i = 0; i < Rows; ++i)
            db.run(insert, {nameOf(i), QStringLiteral("Kadıköy")});
        insert.finish();
    });
}

int run(const QString& folder)
{
    QDir().mkpath(folder);
    const std::unique_ptr<Database> db = Catalogue::openStore(folder);
    Table deals(*db, QStringLiteral("kiralanandaireler"));
    deals.open();
    if (deals.isEmpty()) {
        std::printf("Filling %d rented flats in %s ...\n", Rows, qPrintable(folder));
        fill(*db);
        deals.refresh();
    }
    std::printf("Register: %d rented flats; median of %d runs (ms)\n\n", deals.recordCount(), Runs);

    const QString typed = nameOf(Rows / 2).toUpper(); // a name in the middle, typed in capitals
    bool found = false;
    const double whole = medianMs([&](int) { found = deals.locateFolded(QStringLiteral("Adsoyad"), typed); });
    std::printf("  look-up of a whole name (found: %s)         %8.3f\n", found ? "yes" : "no", whole);
    const QString partial = typed.left(typed.indexOf(QLatin1Char(' ')) + 4); // "AYŞE YIL"
    const double miss = medianMs([&](int) { found = deals.locateFolded(QStringLiteral("Adsoyad"), partial); });
    std::printf("  look-up of a half-typed name (found: %s)     %8.3f\n", found ? "yes" : "no", miss);

    qint64 key = -1;
    const double scan = medianMs([&](int) {
        db->select(QStringLiteral("SELECT rowid FROM kiralanandaireler WHERE Adsoyad = ? COLLATE TURKISH_CI"),
                   {typed}, [&](sqlite3_stmt*) { ++key; });
    });
    std::printf("  the same comparison on every row              %8.3f\n", scan);

    const Statement prefix = Statement(QStringLiteral("kiralanandaireler"))
                                 .where(QStringLiteral("Adsoyad LIKE ?"), {QStringLiteral("işıl ka%")});
    const double narrow = medianMs([&](int run) {
        deals.setRowFilter(run % 2 ? Statement(QStringLiteral("kiralanandaireler")) : prefix);
    });
    std::printf("  \"Bul\" / \"Tümü\" on the entry screen's cursor  %8.3f\n", narrow);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString folder = args.size() > 1 ? args.at(1) : QDir::current().filePath(QStringLiteral("bench-lookup-data"));
    try {
        return run(folder);
    } catch (const DataError& error) {
        std::fprintf(stderr, "bench_lookup: %s\n", qPrintable(error.message()));
        return 1;
    }
}
