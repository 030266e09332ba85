// evlora-import: brings an agency's existing Paradox tables into the store of
// the current folder.
//
//   evlora-import [--replace | --replace=TABLO,TABLO] KLASÖR
//   evlora-import --help | --version
#include "data/backups.h"
#include "data/catalogue.h"
#include "import/paradoximport.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/folderlock.h"
#include "platform/paradox/paradoxerror.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <unistd.h>

namespace {

const QString Usage = QStringLiteral(
    "Kullanım: evlora-import [--replace | --replace=TABLO,TABLO] KLASÖR\n"
    "          evlora-import --help | --version\n"
    "\n"
    "KLASÖR içindeki Paradox tablolarını (kdgiris.db, tel.db, ... ve yanlarındaki .mb not dosyaları) bu\n"
    "klasördeki Evlora veri dosyasına (evlora.sqlite) aktarır; veri dosyası yoksa önce oluşturur.\n"
    "Kaydı olan bir tabloya dokunulmaz; --replace hepsinin, --replace=kdgiris,tel yalnız adı geçenlerin\n"
    "kayıtlarını silip yerine Paradox'takileri koyar. Aktarım tek seferde yapılır: bir tablo\n"
    "okunamazsa hiçbir şey yazılmaz. KLASÖR'de Evlora'nın tablolarından hiçbiri yoksa hiçbir şey\n"
    "oluşturulmaz.\n"
    "\n"
    "  -h, --help     bu açıklamayı yazar\n"
    "  -V, --version  sürümü yazar\n");

struct Arguments {
    QString folder;
    ParadoxImport::Options options;
    QString problem; // why the arguments cannot be used
    bool help = false;
    bool version = false;
};

bool namesTables(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QString& name : text.split(QLatin1Char(','))) {
        bool known = false;
        for (const TableSchema& table : Catalogue::tables())
            known = known || table.name == Database::canonicalTableName(name);
        if (!known)
            return false;
    }
    return true;
}

Arguments parse(QStringList words)
{
    Arguments arguments;
    QStringList positional;
    while (!words.isEmpty()) {
        const QString word = words.takeFirst();
        QString tables;
        if (word == QLatin1String("-h") || word == QLatin1String("--help")) {
            arguments.help = true;
            return arguments;
        } else if (word == QLatin1String("-V") || word == QLatin1String("--version")) {
            arguments.version = true;
            return arguments;
        } else if (word.startsWith(QLatin1String("--replace="))) {
            tables = word.mid(10);
        } else if (word == QLatin1String("--replace")) {
            // "--replace kdgiris,tel KLASÖR": a list of tables, when a folder follows it
            if (words.size() >= 2 && namesTables(words.first()))
                tables = words.takeFirst();
            else
                arguments.options.replaceAll = true;
            if (tables.isEmpty())
                continue;
        } else if (word.startsWith(QLatin1String("-"))) {
            arguments.problem = QStringLiteral("'%1' seçeneği tanınmıyor.").arg(word);
            return arguments;
        } else {
            positional << word;
            continue;
        }
        if (!namesTables(tables)) {
            arguments.problem = QStringLiteral("'%1' Evlora'nın tablolarını saymıyor.").arg(tables);
            return arguments;
        }
        for (const QString& name : tables.split(QLatin1Char(',')))
            arguments.options.replace.insert(Database::canonicalTableName(name));
    }
    if (positional.size() != 1)
        arguments.problem = positional.isEmpty() ? QStringLiteral("Paradox tablolarının klasörü verilmedi.")
                                                 : QStringLiteral("Yalnız bir klasör verilebilir.");
    else
        arguments.folder = positional.first();
    return arguments;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const Arguments arguments = parse(app.arguments().mid(1));
    if (arguments.help) {
        out << Usage;
        return 0;
    }
    if (arguments.version) {
        out << "evlora-import " << EVLORA_VERSION << Qt::endl;
        return 0;
    }
    if (!arguments.problem.isEmpty()) {
        err << arguments.problem << "\n\n" << Usage;
        return 2;
    }
    if (!QFileInfo(arguments.folder).isDir()) {
        err << QStringLiteral("'%1' klasörü bulunamadı. Aktarım yapılmadı.").arg(arguments.folder) << Qt::endl;
        return 1;
    }
    // A wrong folder is told apart from a good import before anything is made.
    try {
        if (ParadoxImport::findTables(Catalogue::tables(), arguments.folder).fileFor.isEmpty()) {
            QStringList looked;
            for (const TableSchema& table : Catalogue::tables())
                looked << table.name + QStringLiteral(".db");
            err << QStringLiteral("'%1' klasöründe Evlora'nın tablolarından hiçbiri yok (aranan: %2). "
                                  "Aktarım yapılmadı, hiçbir dosya oluşturulmadı.")
                       .arg(QDir::toNativeSeparators(arguments.folder), looked.join(QStringLiteral(", ")))
                << Qt::endl;
            return 1;
        }
    } catch (const DataError& error) {
        err << error.message() << Qt::endl << QStringLiteral("Aktarım yapılmadı.") << Qt::endl;
        return 1;
    }

    const QString dataFolder = QDir::currentPath();
    const bool storeExisted = QFileInfo::exists(QDir(dataFolder).filePath(Catalogue::StoreFileName));
    std::unique_ptr<FolderLock> lock; // no copy of the program may start on the folder meanwhile
    std::unique_ptr<Database> store;
    try {
        lock = FolderLock::take(dataFolder);
        // The backup checks every page of its copy: that is the store's damage check.
        store = Catalogue::openStore(dataFolder, storeExisted ? Database::ConsistencyCheck::ByCaller
                                                              : Database::ConsistencyCheck::AtOpen);
        if (storeExisted) {
            const QString backup = Backups::make(store->path(), QDateTime::currentDateTime());
            out << QStringLiteral("Veri dosyasının yedeği alındı: %1").arg(QDir::toNativeSeparators(backup))
                << Qt::endl;
        } else {
            out << QStringLiteral("Veri dosyası oluşturuldu: %1").arg(QDir::toNativeSeparators(store->path()))
                << Qt::endl;
        }
    } catch (const FolderInUseError&) {
        err << QStringLiteral("Evlora bu veri klasöründe (%1) açık. Aktarım yapılmadı, veri dosyasına dokunulmadı; "
                              "önce Evlora'yı kapatın.")
                   .arg(QDir::toNativeSeparators(dataFolder))
            << Qt::endl;
        return 1;
    } catch (const DataError& error) {
        err << error.message() << Qt::endl << QStringLiteral("Aktarım yapılmadı.") << Qt::endl;
        return 1;
    }

    out << QStringLiteral("'%1' klasöründeki Paradox tabloları aktarılıyor:")
               .arg(QDir::toNativeSeparators(QFileInfo(arguments.folder).absoluteFilePath()))
        << Qt::endl;
    const bool live = ::isatty(STDOUT_FILENO);
    const auto progress = [&](const ParadoxImport::TableOutcome& table, qint64 done, qint64 total, bool finished) {
        const QString line = QStringLiteral("  %1: %2 / %3 kayıt").arg(table.file).arg(done).arg(total);
        if (finished)
            out << '\r' << line << Qt::endl;
        else if (live)
            out << '\r' << line << Qt::flush;
    };
    try {
        const ParadoxImport::Result result = ParadoxImport::run(*store, arguments.folder, arguments.options, progress);
        out << Qt::endl << ParadoxImport::summary(result) << Qt::flush;
    } catch (const Paradox::Error& error) {
        out << Qt::endl;
        err << error.message() << Qt::endl
            << QStringLiteral("Aktarım yapılmadı; veri dosyası aktarımdan önceki gibi kaldı.") << Qt::endl;
        return 1;
    } catch (const DataError& error) {
        out << Qt::endl;
        err << error.message() << Qt::endl
            << QStringLiteral("Aktarım yapılmadı; veri dosyası aktarımdan önceki gibi kaldı.") << Qt::endl;
        return 1;
    }
    return 0;
}
