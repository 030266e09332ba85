#pragma once

// What the benchmarks share: the store they all measure on, and the
// process's memory high-water mark.

#include "data/catalogue.h"
#include "platform/engine/dataerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

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

// --- twins: the engine and its bare side, timed alternately -----------------

using Step = std::function<void(int run)>;

// What one side of a twin does: the work timed, and what each run needs
// before it that is not timed (closing what the last run opened, say).
struct Side {
    Step measured;
    Step untimed = {};
};

struct TwinTimes {
    double engine = 0; // median milliseconds
    double bare = 0;
};

inline double median(std::vector<double> times)
{
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    const size_t mid = times.size() / 2;
    return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
}

inline double timeOnce(const Side& side, int run)
{
    if (side.untimed)
        side.untimed(run);
    QElapsedTimer timer;
    timer.start();
    side.measured(run);
    return double(timer.nsecsElapsed()) / 1e6;
}

// Medians of `runs` runs of each side, the two sides taking turns run by run
// (and which goes first swapping every run), so a machine that slows down or
// speeds up mid-way weighs on both alike. Run 0 of each only warms the caches.
inline TwinTimes alternate(int runs, const Side& engine, const Side& bare)
{
    std::vector<double> engineTimes, bareTimes;
    for (int run = 0; run <= runs; ++run) {
        double e = 0, b = 0;
        if (run % 2) {
            b = timeOnce(bare, run);
            e = timeOnce(engine, run);
        } else {
            e = timeOnce(engine, run);
            b = timeOnce(bare, run);
        }
        if (run > 0) {
            engineTimes.push_back(e);
            bareTimes.push_back(b);
        }
    }
    return {median(engineTimes), median(bareTimes)};
}

// Median of one side alone, for figures with no twin (printed as such).
inline double medianMs(int runs, const Side& side)
{
    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        const double ms = timeOnce(side, run);
        if (run > 0)
            times.push_back(ms);
    }
    return median(times);
}

// --- the table every benchmark prints ------------------------------------------

// Targets: what the engine may take against its bare twin.
constexpr double OpTarget = 2.0;
constexpr double TightTarget = 1.5; // LIKE and a durable post

// Pads by characters, not bytes, so Turkish names keep the columns straight.
inline QString padded(const QString& text, int width)
{
    return text.size() >= width ? text : text + QString(width - text.size(), QLatin1Char(' '));
}

struct Verdicts {
    int rows = 0;
    QStringList misses;
};

inline Verdicts& verdicts()
{
    static Verdicts all;
    return all;
}

inline void printHeader()
{
    std::printf("  %s %4s %10s %10s %8s  %s\n", qPrintable(padded(QStringLiteral("operation"), 58)), "runs",
                "engine ms", "bare ms", "ratio", "target");
}

// One row: both medians, their ratio and its verdict against the target.
inline void report(const QString& operation, int runs, const TwinTimes& times, double target = OpTarget)
{
    const double ratio = times.bare > 0 ? times.engine / times.bare : 0;
    const bool ok = ratio <= target;
    std::printf("  %s %4d %10.4f %10.4f %7.2fx  <=%.1fx %s\n", qPrintable(padded(operation, 58)), runs, times.engine,
                times.bare, ratio, target, ok ? "ok" : "MISS");
    std::fflush(stdout);
    ++verdicts().rows;
    if (!ok)
        verdicts().misses << operation;
}

// A figure held to an absolute limit rather than a twin (ms).
inline void reportLimit(const QString& operation, int runs, double ms, double limitMs)
{
    const bool ok = ms <= limitMs;
    std::printf("  %s %4d %10.4f %10s %8s  <=%.0f ms %s\n", qPrintable(padded(operation, 58)), runs, ms, "-", "-",
                limitMs, ok ? "ok" : "MISS");
    std::fflush(stdout);
    ++verdicts().rows;
    if (!ok)
        verdicts().misses << operation;
}

// The last lines: how many rows met their target, and which did not. The
// program's exit status is 1 when any missed, so a script can tell.
inline int printSummary()
{
    const Verdicts& all = verdicts();
    std::printf("\n%d of %d rows within target\n", int(all.rows - all.misses.size()), all.rows);
    for (const QString& miss : all.misses)
        std::printf("  MISS: %s\n", qPrintable(miss));
    std::fflush(stdout);
    return all.misses.isEmpty() ? 0 : 1;
}

} // namespace bench
