// evlora-server: brings an agency onto a PostgreSQL server.
//
//   evlora-server kur BAĞLANTI [KLASÖR]
//   evlora-server --help | --version
#include "data/catalogue.h"
#include "import/servermove.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/postgresengine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace {

const QString Usage = QStringLiteral(
    "Kullanım: evlora-server kur BAĞLANTI [KLASÖR]\n"
    "          evlora-server --help | --version\n"
    "\n"
    "BAĞLANTI'nın gösterdiği boş PostgreSQL veritabanında Evlora'nın tablolarını kurar ve KLASÖR'deki\n"
    "(verilmezse bu klasördeki) evlora.sqlite'ın bütün kayıtlarını, numaraları korunarak, tek seferde\n"
    "sunucuya taşır; klasörde veri dosyası yoksa tablolar Evlora'nın hazır verileriyle kurulur. Sonra\n"
    "KLASÖR'e sunucu ayarını (evlora-sunucu.conf) yazar: o klasörde açılan Evlora artık sunucuda çalışır.\n"
    "evlora.sqlite yerinde kalır. Tablolarından biri zaten olan bir veritabanına dokunulmaz.\n"
    "BAĞLANTI bir libpq bağlantısıdır: \"service=evlora\" ya da \"host=ofis dbname=evlora user=ayse\";\n"
    "parola ~/.pgpass dosyasında durur, bu komut onu hiçbir yere yazmaz.\n"
    "\n"
    "  -h, --help     bu açıklamayı yazar\n"
    "  -V, --version  sürümü yazar\n");

int move(const QString& connection, const QString& folder, QTextStream& out, QTextStream& err)
{
    const QString settingPath = QDir(folder).filePath(PostgresEngine::SettingFileName);
    if (QFileInfo::exists(settingPath)) {
        err << QStringLiteral("'%1' zaten bir sunucuya bağlı (%2); hiçbir şey değiştirilmedi.\n")
                   .arg(folder, PostgresEngine::SettingFileName);
        return 1;
    }
    const QString storePath = QDir(folder).filePath(Catalogue::StoreFileName);
    std::unique_ptr<Database> local;
    if (QFileInfo::exists(storePath))
        local = Catalogue::openStore(folder);
    qint64 moved = 0;
    if (local)
        moved = ServerMove::moveStore(*local, connection);
    else
        PostgresEngine::createSchema(connection, Catalogue::tables(), {}, Catalogue::addedTables());
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
    out << (local ? QStringLiteral("%1 kayıt sunucuya taşındı. ").arg(moved)
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
    if (words.size() < 2 || words.size() > 3 || words.first() != QLatin1String("kur")) {
        err << Usage;
        return 2;
    }
    const QString folder = QDir(words.value(2, QStringLiteral("."))).absolutePath();
    try {
        return move(words.at(1), folder, out, err);
    } catch (const DataError& error) {
        err << error.message() << '\n';
        return 1;
    }
}
