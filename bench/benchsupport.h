#pragma once

// What the benchmarks share: the store they all measure on, and the
// process's memory high-water mark.

#include "data/catalogue.h"
#include "platform/engine/dataerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

namespace bench {

// VmHWM of /proc/self/status, as the kernel writes it ("75912 kB").
inline QString memoryHighWater()
{
    // /proc files report no size, so read them whole rather than to atEnd().
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("unknown");
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6)).simplified();
    return QStringLiteral("unknown");
}

// The store is bench_engine's: where there is none at path, bench_engine
// (beside this program) is run to make it in folder.
inline void ensureStore(const QString& folder, const QString& path)
{
    if (QFileInfo::exists(path))
        return;
    const QString generator = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench_engine"));
    std::printf("No store in %s: running %s to make it ...\n", qPrintable(folder), qPrintable(generator));
    std::fflush(stdout);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(generator, {folder});
    if (!process.waitForFinished(-1) || process.exitCode() != 0 || !QFileInfo::exists(path))
        throw DataError(QStringLiteral("%1 did not make the store").arg(generator));
    std::printf("\n");
}

} // namespace bench
