// Times the rented-flat list's look-up while typing on a register of 100,000
// rented flats: each typed letter looks the whole text up as a name (letter
// case folded the Turkish way). Also times "Bul" narrowing the entry screen's
// cursor to a name prefix, and the folded comparison made on every row, which
// is what the look-up would cost without the name index.
//
// The bare twin of each is bare SQLite running the very statements the engine
// ran (recorded on the engine's connection through SQLite's trace, with the
// values they were bound with) on a connection of its own on the same table,
// with the same TURKISH_CI collation and Turkish LIKE installed, each
// statement prepared once; the two take turns run by run.
//
//   bench_lookup [data-folder]     (default: ./bench-lookup-data)

#include "benchsupport.h"
#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>

#include <cstdio>
#include <memory>

namespace {

constexpr int Rows = 100000;
constexpr int Runs = 50;

const QStringList FirstNames{"Ayşe", "Mehmet", "Işıl", "İsmail", "Çağla", "Ömer", "Şule", "Ali", "Zeynep", "Güneş"};
const QStringList LastNames{"Yılmaz", "Kaya", "Demir", "Çelik", "Şahin", "Öztürk", "Aydın", "Arslan", "Doğan", "Kılıç"};

QStringList notes;

QString nameOf(int i)
{
    return QStringLiteral("%1 %2 %3").arg(FirstNames.at(i % 10), LastNames.at((i / 10) % 10)).arg(i);
}

void fill(Database& db)
{
    db.inTransaction([&] {
        const QString insert = QStringLiteral("INSERT INTO kiralanandaireler (Adsoyad, Semt) VALUES (?, ?)");
        for (int i = 0; i < Rows; ++i)
            db.execute(insert, {nameOf(i), QStringLiteral("Kadıköy")});
    });
}

// One row: the engine's work against its statements replayed bare.
void measure(const QString& operation, Database& db, bench::BareStatements& bare, const bench::Side& engine)
{
    const bench::Replayed twin = bench::alternateReplayed(Runs, db.sqlite()->handle(), bare, engine);
    if (!bench::reportReplayed(operation, Runs, twin))
        return;
    // Runs 0 and 1 between them run every statement of the look-ups and of "Bul" / "Tümü".
    bench::Script both = twin.scripts[0];
    both.insert(both.end(), twin.scripts[1].begin(), twin.scripts[1].end());
    for (const QByteArray& sql : bench::statementTexts(both))
        bench::printNote(QStringLiteral("the engine ran: %1").arg(bench::shortSql(sql)));
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
    bench::BareConnection bareDb(db->path());
    bench::BareStatements bare(bareDb.get());
    std::printf("Register: %d rented flats, SQLite %s; median of %d runs after one warm-up run, engine and bare in turns\n"
                "bare: the engine's statements, recorded on its connection, run through SQLite's C interface on a\n"
                "connection of their own (TURKISH_CI and the Turkish LIKE installed), each prepared once.\n\n",
                deals.recordCount(), sqlite3_libversion(), Runs);
    bench::printHeader();

    const QString typed = nameOf(Rows / 2).toUpper(); // a name in the middle, typed in capitals
    bool found = false;
    measure(QStringLiteral("look-up of a whole name, typed in capitals"), *db, bare,
            {[&](int) { found = deals.locateFolded(QStringLiteral("Adsoyad"), typed); }});
    if (!found)
        notes << QStringLiteral("WARNING: the whole name \"%1\" was not found").arg(typed);

    const QString partial = typed.left(typed.indexOf(QLatin1Char(' ')) + 4); // "AYŞE YIL"
    measure(QStringLiteral("look-up of a half-typed name (no such name)"), *db, bare,
            {[&](int) { found = deals.locateFolded(QStringLiteral("Adsoyad"), partial); }});
    if (found)
        notes << QStringLiteral("WARNING: the half-typed name \"%1\" was found").arg(partial);

    // Without the name index: the folded comparison on every row.
    qint64 rows = 0;
    measure(QStringLiteral("the same comparison on every row (no index)"), *db, bare, {[&](int) {
                db->select(QStringLiteral("SELECT rowid FROM kiralanandaireler WHERE Adsoyad = ? COLLATE TURKISH_CI"),
                           {typed}, [&](const SqlStatement&) { ++rows; });
            }});

    const Statement prefix = Statement(QStringLiteral("kiralanandaireler"))
                                 .where(QStringLiteral("Adsoyad LIKE ?"), {QStringLiteral("işıl ka%")});
    measure(QStringLiteral("\"Bul\" / \"Tümü\" on the entry screen's cursor"), *db, bare, {[&](int run) {
                deals.setRowFilter(run % 2 ? Statement(QStringLiteral("kiralanandaireler")) : prefix);
            }});

    bench::checksum += quint64(rows);
    return bench::printWarningsAndSummary(notes);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = bench::arguments(app.arguments(), QStringLiteral("bench-lookup-data")).folder;
    return bench::runReportingFailure("bench_lookup", [&] { return run(folder); });
}
