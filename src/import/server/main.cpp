// evlora-server: brings an agency onto a PostgreSQL server.
//
//   evlora-server kur [--replace] BAĞLANTI [KLASÖR]
//   evlora-server --help | --version
#include "data/catalogue.h"
#include "import/paradoximport.h"
#include "import/servermove.h"
#include "platform/paradox/paradoxerror.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/postgresengine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <memory>

namespace {

const QString Usage = QStringLiteral(
    "Kullanım: evlora-server kur [--replace] BAĞLANTI [KLASÖR]\n"
    "          evlora-server --help | --version\n"
    "\n"
    "BAĞLANTI'nın gösterdiği boş PostgreSQL veritabanında Evlora'nın tablolarını kurar ve KLASÖR'deki\n"
    "(verilmezse bu klasördeki) evlora.sqlite'ın bütün kayıtlarını, numaraları korunarak, tek seferde\n"
    "sunucuya taşır. Klasörde evlora.sqlite yoksa ama Paradox tabloları (kdgiris.db, tel.db, …) varsa\n"
    "onlar okunup taşınır; ikisi de yoksa tablolar Evlora'nın hazır verileriyle kurulur. Sonra KLASÖR'e\n"
    "sunucu ayarını (evlora-sunucu.conf) yazar: o klasörde açılan Evlora artık sunucuda çalışır.\n"
    "evlora.sqlite ve Paradox dosyaları yerinde kalır. Tablolarından biri zaten olan bir veritabanına\n"
    "dokunulmaz; --replace ile oradaki Evlora tabloları aynı seferde silinip yerine bunlar konur.\n"
    "BAĞLANTI bir libpq bağlantısıdır: \"service=evlora\" ya da \"host=ofis dbname=evlora user=ayse\";\n"
    "parola ~/.pgpass dosyasında durur, bu komut onu hiçbir yere yazmaz.\n"
    "\n"
    "  --replace      sunucudaki Evlora tablolarını (bütün kayıtlarıyla) bunlarla değiştirir\n"
    "  -h, --help     bu açıklamayı yazar\n"
    "  -V, --version  sürümü yazar\n");

// Where the agency's data comes from: its store, else its Paradox tables
// read into a scratch store, else nothing (the shipped rows).
struct Source {
    std::unique_ptr<QTemporaryDir> scratch;
    std::unique_ptr<Database> store;
    QString description;
};

Source sourceIn(const QString& folder, QTextStream& out)
{
    Source source;
    if (QFileInfo::exists(QDir(folder).filePath(Catalogue::StoreFileName))) {
        source.store = Catalogue::openStore(folder);
        return source;
    }
    if (ParadoxImport::findTables(Catalogue::tables(), folder).fileFor.isEmpty())
        return source;
    source.scratch = std::make_unique<QTemporaryDir>();
    if (!source.scratch->isValid())
        throw DataError(QStringLiteral("Paradox tablolarını okumak için geçici bir klasör açılamadı."));
    source.store = Catalogue::openStore(source.scratch->path());
    ParadoxImport::Options everything;
    everything.replaceAll = true; // a fresh store: its shipped rows give way to the agency's
    out << ParadoxImport::summary(ParadoxImport::run(*source.store, folder, everything)) << '\n';
    source.description = QStringLiteral(" Paradox tablolarından");
    return source;
}

int move(const QString& connection, const QString& folder, bool replacing, QTextStream& out, QTextStream& err)
{
    const QString settingPath = QDir(folder).filePath(PostgresEngine::SettingFileName);
    if (QFileInfo::exists(settingPath)) {
        err << QStringLiteral("'%1' zaten bir sunucuya bağlı (%2); hiçbir şey değiştirilmedi.\n")
                   .arg(folder, PostgresEngine::SettingFileName);
        return 1;
    }
    const Source source = sourceIn(folder, out);
    qint64 moved = 0;
    if (source.store)
        moved = ServerMove::moveStore(*source.store, connection, replacing);
    else
        PostgresEngine::createSchema(connection, Catalogue::tables(), {}, Catalogue::addedTables(), replacing);
    QSaveFile setting(settingPath);
    if (!setting.open(QIODevice::WriteOnly)
        || setting.write((QStringLiteral("# Bu klasördeki Evlora bu sunucuda çalışır (evlora-server kur).\n")
                          + connection + QLatin1Char('\n'))
                             .toUtf8())
               < 0
        || !setting.commit()) {
        err << QStringLiteral("Veri sunucuya taşındı, ama sunucu ayarı '%1' yazılamadı: %2. Ayarı elle yazın: %3\n")
                   .arg(settingPath, setting.errorString(), connection);
        return 1;
    }
    out << (source.store ? QStringLiteral("%1 kayıt%2 sunucuya taşındı. ").arg(moved).arg(source.description)
                         : QStringLiteral("Tablolar sunucuda hazır verileriyle kuruldu. "))
        << QStringLiteral("'%1' artık sunucuda çalışıyor.\n").arg(folder);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList words = app.arguments().mid(1);
    if (words.size() == 1 && (words.first() == QLatin1String("--help") || words.first() == QLatin1String("-h"))) {
        out << Usage;
        return 0;
    }
    if (words.size() == 1 && (words.first() == QLatin1String("--version") || words.first() == QLatin1String("-V"))) {
        out << QStringLiteral("evlora-server %1\n").arg(QStringLiteral(EVLORA_VERSION));
        return 0;
    }
    QStringList positional = words.mid(1);
    const bool replacing = positional.removeAll(QStringLiteral("--replace")) > 0;
    const bool unknownOption = std::any_of(positional.cbegin(), positional.cend(),
                                           [](const QString& word) { return word.startsWith(QLatin1Char('-')); });
    if (words.value(0) != QLatin1String("kur") || positional.isEmpty() || positional.size() > 2 || unknownOption) {
        err << Usage;
        return 2;
    }
    const QString folder = QDir(positional.value(1, QStringLiteral("."))).absolutePath();
    try {
        return move(positional.at(0), folder, replacing, out, err);
    } catch (const DataError& error) {
        err << error.message() << '\n';
        return 1;
    } catch (const Paradox::Error& error) {
        err << error.message() << '\n';
        return 1;
    }
}
