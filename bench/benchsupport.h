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
#include <QVariant>

#include <algorithm>
#include <cctype>
#include <map>
#include <sqlite3.h>
#include <cstring>
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

// Medians of `runs` figures of each side, the two sides taking turns run by
// run (and which goes first swapping every run), so a machine that slows down
// or speeds up mid-way weighs on both alike. Run 0 of each only warms the
// caches. A side returns its own figure: what it measured itself (the time
// to a window another process shows, say).
using Figure = std::function<double(int run)>;

inline TwinTimes alternateFigures(int runs, const Figure& engine, const Figure& bare)
{
    std::vector<double> engineTimes, bareTimes;
    for (int run = 0; run <= runs; ++run) {
        double e = 0, b = 0;
        if (run % 2) {
            b = bare(run);
            e = engine(run);
        } else {
            e = engine(run);
            b = bare(run);
        }
        if (run > 0) {
            engineTimes.push_back(e);
            bareTimes.push_back(b);
        }
    }
    return {median(engineTimes), median(bareTimes)};
}

// The same for sides timed here, from the start of `measured` to its end.
inline TwinTimes alternate(int runs, const Side& engine, const Side& bare)
{
    return alternateFigures(runs, [&](int run) { return timeOnce(engine, run); },
                            [&](int run) { return timeOnce(bare, run); });
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

// --- the engine's own statements, replayed on a bare connection --------------

// The statements the engine ran on its connection while `work` ran, each
// with the values bound to it, in order: a bare twin replays exactly these,
// so it runs the same SQL with the same values as the engine did, whatever
// the engine's statements are today.
struct RanStatement {
    QByteArray sql;              // with its '?' marks
    std::vector<QVariant> values; // qint64, double, QByteArray (text) or null
};

namespace detail {

// One literal of sqlite3_expanded_sql() at text[at]: NULL, an integer, a real
// (always written with a '.' or an exponent) or a quoted text.
inline QVariant literalAt(const QByteArray& text, qsizetype& at)
{
    if (text.mid(at, 4) == "NULL") {
        at += 4;
        return QVariant();
    }
    if (text.at(at) == '\'') {
        QByteArray value;
        for (++at; at < text.size(); ++at) {
            if (text.at(at) == '\'') {
                if (at + 1 < text.size() && text.at(at + 1) == '\'') {
                    value += '\'';
                    ++at;
                    continue;
                }
                ++at;
                break;
            }
            value += text.at(at);
        }
        return value;
    }
    const qsizetype begin = at;
    bool real = false;
    while (at < text.size() && (std::isdigit(uchar(text.at(at))) || std::strchr("+-.eE", text.at(at)))) {
        real = real || text.at(at) == '.' || text.at(at) == 'e' || text.at(at) == 'E';
        ++at;
    }
    const QByteArray number = text.mid(begin, at - begin);
    return real ? QVariant(number.toDouble()) : QVariant(number.toLongLong());
}

inline int recordStatement(unsigned, void* context, void* statement, void* text)
{
    // A trigger's start is reported as a comment: it is part of its statement.
    if (text && std::strncmp(static_cast<const char*>(text), "--", 2) == 0)
        return 0;
    auto* ran = static_cast<std::vector<RanStatement>*>(context);
    auto* stmt = static_cast<sqlite3_stmt*>(statement);
    RanStatement record{QByteArray(sqlite3_sql(stmt)), {}};
    char* expanded = sqlite3_expanded_sql(stmt);
    const QByteArray filled(expanded ? expanded : "");
    sqlite3_free(expanded);
    qsizetype at = 0;
    for (const char c : record.sql) {
        if (c == '?')
            record.values.push_back(literalAt(filled, at));
        else
            ++at;
    }
    ran->push_back(std::move(record));
    return 0;
}

} // namespace detail

inline std::vector<RanStatement> statementsRunBy(sqlite3* connection, const std::function<void()>& work)
{
    std::vector<RanStatement> ran;
    sqlite3_trace_v2(connection, SQLITE_TRACE_STMT, detail::recordStatement, &ran);
    try {
        work();
    } catch (...) {
        sqlite3_trace_v2(connection, 0, nullptr, nullptr);
        throw;
    }
    sqlite3_trace_v2(connection, 0, nullptr, nullptr);
    return ran;
}

// Runs recorded statements on a bare connection as a hand-written program
// would: each text prepared once, up front, and bound afresh every run;
// every row stepped and every column read. Returns the rows read.
class Replay {
public:
    Replay(sqlite3* connection, std::vector<std::vector<RanStatement>> runs) : m_db(connection)
    {
        for (const std::vector<RanStatement>& run : runs) {
            std::vector<Step> steps;
            for (const RanStatement& ran : run)
                steps.push_back({prepared(ran.sql), ran.values});
            m_runs.push_back(std::move(steps));
        }
    }
    ~Replay()
    {
        for (auto& [sql, stmt] : m_prepared)
            sqlite3_finalize(stmt);
    }
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    qint64 run(int which, quint64& sink) const
    {
        qint64 rows = 0;
        for (const Step& step : m_runs.at(size_t(which) % m_runs.size())) {
            sqlite3_stmt* s = step.statement;
            for (size_t i = 0; i < step.values.size(); ++i) {
                const QVariant& v = step.values[i];
                const int at = int(i) + 1;
                if (v.isNull())
                    sqlite3_bind_null(s, at);
                else if (v.typeId() == QMetaType::LongLong)
                    sqlite3_bind_int64(s, at, v.toLongLong());
                else if (v.typeId() == QMetaType::Double)
                    sqlite3_bind_double(s, at, v.toDouble());
                else {
                    const QByteArray& text = *static_cast<const QByteArray*>(v.constData());
                    sqlite3_bind_text(s, at, text.constData(), int(text.size()), SQLITE_STATIC);
                }
            }
            while (sqlite3_step(s) == SQLITE_ROW) {
                ++rows;
                for (int c = 0, n = sqlite3_column_count(s); c < n; ++c) {
                    if (sqlite3_column_type(s, c) == SQLITE_TEXT || sqlite3_column_type(s, c) == SQLITE_BLOB)
                        sink += quint64(sqlite3_column_bytes(s, c));
                    else
                        sink += quint64(sqlite3_column_int64(s, c));
                }
            }
            sqlite3_reset(s);
        }
        return rows;
    }
    // How many statements one run replays, for the row's name.
    size_t statementsPerRun() const { return m_runs.empty() ? 0 : m_runs.front().size(); }

private:
    struct Step {
        sqlite3_stmt* statement;
        std::vector<QVariant> values;
    };
    sqlite3_stmt* prepared(const QByteArray& sql)
    {
        auto found = m_prepared.find(sql);
        if (found != m_prepared.end())
            return found->second;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(m_db, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr)
            != SQLITE_OK)
            throw DataError(QString::fromUtf8(sqlite3_errmsg(m_db)) + QStringLiteral(" in ") + QString::fromUtf8(sql));
        m_prepared.emplace(sql, stmt);
        return stmt;
    }
    sqlite3* m_db;
    std::map<QByteArray, sqlite3_stmt*> m_prepared;
    std::vector<std::vector<Step>> m_runs;
};

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
// Figures are milliseconds unless the unit says otherwise ("MB").
inline void report(const QString& operation, int runs, const TwinTimes& times, double target = OpTarget,
                   const char* unit = "ms")
{
    const double ratio = times.bare > 0 ? times.engine / times.bare : 0;
    const bool ok = ratio <= target;
    const bool ms = std::strcmp(unit, "ms") == 0;
    const QString name = ms ? operation : QStringLiteral("%1 (%2)").arg(operation, QString::fromLatin1(unit));
    std::printf(ms ? "  %s %4d %10.4f %10.4f %7.2fx  <=%.1fx %s\n" : "  %s %4d %10.1f %10.1f %7.2fx  <=%.1fx %s\n",
                qPrintable(padded(name, 58)), runs, times.engine, times.bare, ratio, target, ok ? "ok" : "MISS");
    std::fflush(stdout);
    ++verdicts().rows;
    if (!ok)
        verdicts().misses << name;
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
