// make_paradox_seeds FOLDER SEEDS: every NAME.db of FOLDER (with NAME.mb when
// there is one) becomes SEEDS/NAME, an input of the fuzz target.
#include "fuzzcase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QDir seeds(QString::fromLocal8Bit(argv[2]));
    for (const QFileInfo& table : folder.entryInfoList({QStringLiteral("*.db"), QStringLiteral("*.DB")}, QDir::Files)) {
        const QString memos = folder.filePath(table.completeBaseName() + QStringLiteral(".mb"));
        QFile seed(seeds.filePath(table.completeBaseName()));
        if (!seed.open(QIODevice::WriteOnly))
            return 1;
        seed.write(ParadoxFuzzing::makeCase(contents(table.filePath()), contents(memos)));
    }
    return 0;
}
