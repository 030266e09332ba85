// Writes a folder of Paradox tables, one per table of the catalogue, through
// pxlib (the tests' paradox_writer), and times evlora-import's work on it:
// a register of 100,000 rented-out flats with their addresses in the memo
// file, and every other table with a few records.
//
//   bench_import [--records N] [--keep FOLDER]
//
// With --keep the Paradox folder is written to FOLDER and left there (for
// trying the import and the screens by hand, or as the fuzzer's seeds).

#include "benchsupport.h"
#include "data/catalogue.h"
#include "import/paradoxfixtures.h"
#include "import/paradoximport.h"
#include "platform/engine/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const QStringList Districts{"Kadıköy", "Üsküdar", "Şişli", "Beşiktaş", "Göztepe", "Ataşehir"};
const QStringList Names{"Ayşe Yılmaz", "Mehmet Çelik", "Işıl Şahin", "İsmail Öztürk", "Çağla Doğan", "Ömer Kılıç"};

QVariant valueFor(const TableSchema& table, const FieldSchema& field, int i)
{
    const QString name = field.name;
    switch (field.type) {
    case FieldType::AutoIncrement: return i * 3 + 1; // keys with gaps, as years of deletions leave them
    case FieldType::Float: return 55 + i * 10.5;
    case FieldType::Currency: return 1000 + i * 250.25;
    case FieldType::Graphic: return Fixtures::bytes(Fixtures::bitmap(QColor::fromHsv((i * 40) % 360, 200, 220)));
    case FieldType::Memo:
        return i % 5 == 4 ? QString(5000, QLatin1Char('.')).prepend(QStringLiteral("Uzun not %1: ").arg(i))
                          : QStringLiteral("%1 %2 — çğıİöşüÇĞÖŞÜ; ").arg(name).arg(i).repeated(6); // beside the record
    case FieldType::Text: break;
    }
    QString text;
    if (name == QLatin1String("Semtadi") || name == QLatin1String("Semt") || name == QLatin1String("Semtler"))
        text = Districts.at(i % Districts.size());
    else if (!field.choices.isEmpty())
        text = field.choices.at(i % field.choices.size());
    else if (!field.mask.isEmpty())
        text = QStringLiteral("(216) 555-%1-%2").arg(10 + i % 90).arg(10 + (i / 90) % 90);
    else if (name == QLatin1String("Isim") || name == QLatin1String("Adsoyad") || name == QLatin1String("AdiSoyadi")
             || name == QLatin1String("Ad"))
        text = Names.at(i % Names.size());
    else if (name == QLatin1String("Il"))
        text = QStringLiteral("İstanbul");
    else if (name == QLatin1String("EmlakTipi") || name == QLatin1String("Emlak"))
        text = QStringList{"Dükkan", "Büro", "Depo"}.at(i % 3);
    else if (name == QLatin1String("Tarih") || name == QLatin1String("Satis"))
        text = QStringLiteral("%1.03.2004").arg(1 + i % 28, 2, 10, QLatin1Char('0'));
    else
        text = QStringLiteral("%1 %2").arg(name).arg(i);
    Q_UNUSED(table);
    return text.left(field.size);
}

bool writeTable(const QString& folder, const TableSchema& table, int records, int repeat = 1)
{
    QVector<QVariantMap> rows;
    for (int i = 0; i < records; ++i) {
        QVariantMap row;
        for (const FieldSchema& field : table.fields)
            row.insert(field.name, valueFor(table, field, i));
        rows << row;
    }
    QList<QJsonArray> json;
    for (const QVariantMap& row : rows)
        json << Fixtures::record(table.name, row);
    return Fixtures::write(folder, table.name + QStringLiteral(".db"), Fixtures::catalogueFields(table.name), json, repeat);
}

} // namespace

int main(int argc, char* argv[])
{
    bench::offscreenUnlessAsked(); // runs without a display too
    QGuiApplication app(argc, argv); // the pictures are drawn
    const bench::Arguments arguments = bench::arguments(app.arguments(), QString());
    const int records = arguments.options.value(QStringLiteral("records"), QStringLiteral("100000")).toInt();
    const QString keep = arguments.option("keep");
    QTemporaryDir scratch;
    const QString folder = keep.isEmpty() ? scratch.filePath(QStringLiteral("paradox")) : keep;
    QDir().mkpath(folder);

    QElapsedTimer timer;
    timer.start();
    for (const TableSchema& table : Catalogue::tables()) {
        const bool big = table.name == QLatin1String("kiralanandaireler");
        if (!writeTable(folder, table, big ? 1 : 20, big ? records : 1))
            return 1;
    }
    std::printf("Paradox folder written by pxlib in %.1f s: %s\n", timer.nsecsElapsed() / 1e9, qPrintable(folder));

    const QString dataFolder = scratch.filePath(QStringLiteral("data"));
    QDir().mkpath(dataFolder);
    auto store = Catalogue::openStore(dataFolder);
    timer.restart();
    const ParadoxImport::Result result = ParadoxImport::run(*store, folder, {});
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%s\nimport of %d rented-out flats and 13 small tables: %.2f s (%.0f records/s)\n",
                qPrintable(ParadoxImport::summary(result)), records, seconds, (records + 13 * 20) / seconds);
    std::printf("Paradox files: %lld bytes (kiralanandaireler.db), %lld bytes (kiralanandaireler.mb)\n",
                QFileInfo(folder + QStringLiteral("/kiralanandaireler.db")).size(),
                QFileInfo(folder + QStringLiteral("/kiralanandaireler.mb")).size());
    return 0;
}
