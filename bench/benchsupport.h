#pragma once

// What the benchmarks share: the store they measure on, the two sides of a
// twin timed in turns, the table of rows and verdicts they print, their
// command line, and the bare side (a connection of its own on the store,
// on which the engine's own statements, recorded from its connection, are
// replayed).

#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/dataset.h"
#include "platform/engine/turkishtext.h"
#include "platform/system/localeformats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace bench {

// What both sides read, added up and printed, so that no read is optimised away.
inline quint64 checksum = 0;

// A figure of /proc/<pid>/status in kB ("VmHWM", "VmRSS"), of this process
// when pid is 0; -1 when there is none.
inline qint64 statusKb(const char* field, qint64 pid = 0)
{
    // /proc files report no size, so read them whole rather than to atEnd().
    QFile status(pid ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The process's memory high-water mark, as the kernel writes it ("75912 kB").
inline QString memoryHighWater()
{
    const qint64 kb = statusKb("VmHWM");
    return kb < 0 ? QStringLiteral("unknown") : QStringLiteral("%1 kB").arg(kb);
}

// The store is bench_engine's: where there is none at path, bench_engine
// (beside this program) is run to make it in folder, and nothing else.
inline void ensureStore(const QString& folder, const QString& path)
{
    if (QFileInfo::exists(path))
        return;
    const QString generator = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench_engine"));
    std::printf("No store in %s: running %s to make it ...\n", qPrintable(folder), qPrintable(generator));
    std::fflush(stdout);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(generator, {folder, QStringLiteral("--only"), QStringLiteral("generate")});
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

namespace detail {

inline void countVerdict(const QString& operation, bool ok)
{
    ++verdicts().rows;
    if (!ok)
        verdicts().misses << operation;
}

// A figure held to a limit, the target column saying which.
inline void reportAgainst(const QString& operation, int runs, double ms, double limitMs, const QString& target)
{
    const bool ok = ms <= limitMs;
    std::printf("  %s %4d %10.4f %10s %8s  %s %s\n", qPrintable(padded(operation, 58)), runs, ms, "-", "-",
                qPrintable(target), ok ? "ok" : "MISS");
    std::fflush(stdout);
    countVerdict(operation, ok);
}

} // namespace detail

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
    detail::countVerdict(name, ok);
}

// A figure held to an absolute limit rather than a twin (ms).
inline void reportLimit(const QString& operation, int runs, double ms, double limitMs)
{
    detail::reportAgainst(operation, runs, ms, limitMs, QString::asprintf("<=%.0f ms", limitMs));
}

// A figure held to a limit worked out from another figure, the limit said
// in words ("<=1.5x 10 rows'"); its milliseconds stand in the bare column's place.
inline void reportWithin(const QString& operation, int runs, double ms, double limitMs, const QString& limit)
{
    detail::reportAgainst(operation, runs, ms, limitMs, limit + QString::asprintf(" (%.4f ms)", limitMs));
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

// The end of a benchmark whose notes are warnings: the notes, the summary
// and the checksum of what was read; exit status 1 when a row missed or a
// note warns.
inline int printWarningsAndSummary(const QStringList& warnings)
{
    if (!warnings.isEmpty())
        std::printf("\n");
    for (const QString& warning : warnings)
        std::printf("%s\n", qPrintable(warning));
    const int status = printSummary();
    std::printf("(checksum of the values read: %llu)\n", static_cast<unsigned long long>(checksum));
    return warnings.isEmpty() ? status : 1;
}

// A row whose two sides could not be made to do the same work: no figure,
// and a miss, with the reason under it.
inline void reportFailed(const QString& operation, const QString& why)
{
    std::printf("  %s %4s %10s %10s %8s  no figure MISS\n      %s\n", qPrintable(padded(operation, 58)), "-", "-", "-",
                "-", qPrintable(why));
    std::fflush(stdout);
    detail::countVerdict(operation, false);
}

// A figure with no bare twin, printed plainly as such: no verdict, not counted.
inline void reportNoTwin(const QString& operation, int runs, double ms)
{
    std::printf("  %s %4d %10.4f %10s %8s  (no twin)\n", qPrintable(padded(operation, 58)), runs, ms, "-", "-");
    std::fflush(stdout);
}

// A line under a row: what it compares, or a reference figure beside it.
inline void printNote(const QString& text)
{
    std::printf("      %s\n", qPrintable(text));
    std::fflush(stdout);
}

// --- the command line -------------------------------------------------------------

// [data-folder] [--only GROUP] [--NAME VALUE ...]: every benchmark takes
// these; a benchmark reads its own options (--shots DIR) with option().
struct Arguments {
    QString folder;
    QString only; // empty: every group
    QHash<QString, QString> options; // by name, without the "--"

    bool wants(const char* group) const { return only.isEmpty() || only == QLatin1String(group); }
    QString option(const char* name) const { return options.value(QLatin1String(name)); }
};

inline Arguments arguments(const QStringList& args, const QString& defaultFolder)
{
    Arguments parsed;
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i).startsWith(QLatin1String("--")) && i + 1 < args.size()) {
            parsed.options.insert(args.at(i).mid(2), args.at(i + 1));
            ++i;
        } else if (parsed.folder.isEmpty())
            parsed.folder = args.at(i);
    }
    parsed.only = parsed.option("only");
    if (parsed.folder.isEmpty())
        parsed.folder = QDir::current().filePath(defaultFolder);
    return parsed;
}

// --- the program around the measurements -------------------------------------------

// Screens, lists and reports are real widgets; no display is needed to time
// them, so they run on the offscreen platform unless another is asked for.
// Call before the QApplication is made.
inline void offscreenUnlessAsked()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The offscreen platform's word on every window shown or raised is no figure.
inline void quietOffscreenPlatform()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type == QtWarningMsg
            && (message.contains(QLatin1String("does not support raise()"))
                || message.contains(QLatin1String("propagateSizeHints"))))
            return;
        qt_message_output(type, context, message);
    });
}

// Runs the measurements, a store or statement that fails told on stderr
// under the program's name; exit status 2 then (1 is a row over its target).
inline int runReportingFailure(const char* program, const std::function<int()>& measure)
{
    // The program's own locale, as it sets it at start: numbers are read and
    // written the Turkish way, whatever the machine's language.
    LocaleFormats::useTurkish();
    try {
        return measure();
    } catch (const DataError& error) {
        std::fprintf(stderr, "%s: %s\n", program, qPrintable(error.message()));
        return 2;
    }
}

// --- the bare side: SQLite's C interface on a connection of its own -----------------

inline void exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        throw DataError(message);
    }
}

// A statement of the text, its error thrown; flags as sqlite3_prepare_v3's.
inline sqlite3_stmt* prepare(sqlite3* db, const QByteArray& sql, unsigned flags = 0)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db, sql.constData(), int(sql.size()), flags, &stmt, nullptr) != SQLITE_OK)
        throw DataError(QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral(" in ") + QString::fromUtf8(sql));
    return stmt;
}

// Steps the statement: true on a row, false at its end; an error is thrown.
inline bool nextRow(sqlite3_stmt* stmt)
{
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DataError(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(stmt))));
}

// A connection of its own on the store file, reading as the engine's does
// (the same memory map and page cache) and with the store's Turkish LIKE,
// TURKISH_CI and asnumber() installed, so that the engine's statements mean
// the same here and are planned the same.
class BareConnection {
public:
    explicit BareConnection(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_close(m_db);
            throw DataError(QStringLiteral("bare connection on %1: %2").arg(path, message));
        }
        sqlite3_busy_timeout(m_db, 5000);
        exec("PRAGMA mmap_size = 1073741824");
        exec("PRAGMA cache_size = -32768");
        TurkishText::installOn(m_db);
    }
    ~BareConnection() { sqlite3_close_v2(m_db); }
    BareConnection(const BareConnection&) = delete;
    BareConnection& operator=(const BareConnection&) = delete;

    sqlite3* get() const { return m_db; }
    void exec(const char* sql) { bench::exec(m_db, sql); }

private:
    sqlite3* m_db = nullptr;
};

// A value as a statement is bound with it.
struct BoundValue {
    int type = SQLITE_NULL; // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes;     // a text as UTF-8, or a blob
    QByteArray parameter; // the parameter's name (":0", "?2"), empty for a plain "?"

    bool operator==(const BoundValue& other) const
    {
        return type == other.type && integer == other.integer && real == other.real && bytes == other.bytes
               && parameter == other.parameter;
    }
};

// A value as the engine binds it: a number as a real or an integer, any other as its text.
inline BoundValue boundValue(const QVariant& value)
{
    BoundValue bound;
    if (value.isNull())
        return bound;
    if (value.typeId() == QMetaType::Double) {
        bound.type = SQLITE_FLOAT;
        bound.real = value.toDouble();
    } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        bound.type = SQLITE_INTEGER;
        bound.integer = value.toLongLong();
    } else {
        bound.type = SQLITE_TEXT;
        bound.bytes = value.toString().toUtf8();
    }
    return bound;
}

// A text or blob is bound where it is (SQLITE_STATIC, for a value that
// outlives every run of the statement) unless `keep` says to copy it
// (SQLITE_TRANSIENT).
inline void bindValue(sqlite3_stmt* stmt, int at, const BoundValue& value, sqlite3_destructor_type keep = SQLITE_STATIC)
{
    switch (value.type) {
    case SQLITE_INTEGER:
        sqlite3_bind_int64(stmt, at, value.integer);
        break;
    case SQLITE_FLOAT:
        sqlite3_bind_double(stmt, at, value.real);
        break;
    case SQLITE_TEXT:
        sqlite3_bind_text(stmt, at, value.bytes.constData(), int(value.bytes.size()), keep);
        break;
    case SQLITE_BLOB:
        sqlite3_bind_blob(stmt, at, value.bytes.constData(), int(value.bytes.size()), keep);
        break;
    default:
        sqlite3_bind_null(stmt, at);
    }
}

// Binds the values in order, each to its parameter.
inline void bindAll(sqlite3_stmt* stmt, const std::vector<BoundValue>& values)
{
    int next = 1;
    for (const BoundValue& value : values) {
        const int at = value.parameter.isEmpty() ? next : sqlite3_bind_parameter_index(stmt, value.parameter.constData());
        bindValue(stmt, at, value);
        next = at + 1;
    }
}

// The values a statement was bound with, read back from SQLite's text of it
// with the values written in (sqlite3_expanded_sql): "a = ? AND b < ?" and
// "a = 'Kadıköy' AND b < 2000.0" give the text "Kadıköy" and the real 2000.
// Nothing when the two texts do not line up.
inline std::optional<std::vector<BoundValue>> boundValues(const QByteArray& sql, const QByteArray& expanded)
{
    std::vector<BoundValue> values;
    qsizetype i = 0, j = 0;
    const qsizetype n = sql.size(), m = expanded.size();
    while (i < n) {
        const char c = sql.at(i);
        if (c == '\'' || c == '"') { // a quoted part of the statement is written out unchanged
            qsizetype end = i + 1;
            while (end < n && !(sql.at(end) == c && (end + 1 >= n || sql.at(end + 1) != c)))
                end += sql.at(end) == c ? 2 : 1;
            const QByteArray quoted = sql.mid(i, end + 1 - i);
            if (expanded.mid(j, quoted.size()) != quoted)
                return std::nullopt;
            i += quoted.size();
            j += quoted.size();
            continue;
        }
        if (c != '?' && c != ':' && c != '@' && c != '$') {
            if (j >= m || expanded.at(j) != c)
                return std::nullopt;
            ++i;
            ++j;
            continue;
        }
        // A parameter: "?", "?2", or a name (Qt writes ":0", ":1" for its "?").
        qsizetype end = i + 1;
        while (end < n && (std::isalnum(static_cast<unsigned char>(sql.at(end))) || sql.at(end) == '_'))
            ++end;
        BoundValue value;
        if (c != '?' || end > i + 1)
            value.parameter = sql.mid(i, end - i);
        i = end;
        const QByteArray rest = expanded.mid(j);
        if (rest.startsWith("NULL")) {
            j += 4;
        } else if (rest.startsWith('\'')) {
            value.type = SQLITE_TEXT;
            qsizetype k = j + 1;
            for (;; ++k) {
                if (k >= m)
                    return std::nullopt;
                if (expanded.at(k) == '\'') {
                    if (k + 1 < m && expanded.at(k + 1) == '\'') {
                        value.bytes += '\'';
                        ++k;
                        continue;
                    }
                    break;
                }
                value.bytes += expanded.at(k);
            }
            j = k + 1;
        } else if (rest.startsWith("x'") || rest.startsWith("X'")) {
            const qsizetype close = expanded.indexOf('\'', j + 2);
            if (close < 0)
                return std::nullopt;
            value.type = SQLITE_BLOB;
            value.bytes = QByteArray::fromHex(expanded.mid(j + 2, close - j - 2));
            j = close + 1;
        } else {
            qsizetype k = j;
            while (k < m && std::strchr("+-.0123456789eEInfNa", expanded.at(k)))
                ++k;
            const QByteArray number = expanded.mid(j, k - j);
            bool ok = false;
            if (number.contains('.') || number.contains('e') || number.contains('E') || number.contains("Inf")
                || number.contains("NaN")) {
                value.type = SQLITE_FLOAT;
                value.real = number.contains("Inf") ? (number.startsWith('-') ? -HUGE_VAL : HUGE_VAL)
                                                    : number.toDouble(&ok);
                ok = ok || number.contains("Inf");
            } else {
                value.type = SQLITE_INTEGER;
                value.integer = number.toLongLong(&ok);
            }
            if (!ok)
                return std::nullopt;
            j = k;
        }
        values.push_back(std::move(value));
    }
    if (j != m)
        return std::nullopt;
    return values;
}

// Every column of the row a statement stands on, each read as what it holds.
inline quint64 rowHash(sqlite3_stmt* stmt)
{
    quint64 hash = 1469598103934665603ULL;
    const auto mix = [&](const void* data, size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t b = 0; b < size; ++b)
            hash = (hash ^ bytes[b]) * 1099511628211ULL;
    };
    const int columns = sqlite3_column_count(stmt);
    for (int c = 0; c < columns; ++c) {
        const int type = sqlite3_column_type(stmt, c);
        mix(&type, sizeof type);
        if (type == SQLITE_INTEGER) {
            const qint64 v = sqlite3_column_int64(stmt, c);
            mix(&v, sizeof v);
        } else if (type == SQLITE_FLOAT) {
            const double v = sqlite3_column_double(stmt, c);
            mix(&v, sizeof v);
        } else if (type == SQLITE_TEXT) {
            const unsigned char* text = sqlite3_column_text(stmt, c);
            mix(text, size_t(sqlite3_column_bytes(stmt, c)));
        } else if (type == SQLITE_BLOB) {
            const void* blob = sqlite3_column_blob(stmt, c);
            mix(blob, size_t(sqlite3_column_bytes(stmt, c)));
        }
    }
    return hash;
}

// Reads every column of the row as a hand-written program would: each as
// what it holds, texts and blobs as their bytes.
inline void readColumns(sqlite3_stmt* stmt)
{
    const int columns = sqlite3_column_count(stmt);
    for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER:
            checksum += quint64(sqlite3_column_int64(stmt, c));
            break;
        case SQLITE_FLOAT:
            checksum += quint64(sqlite3_column_double(stmt, c));
            break;
        case SQLITE_TEXT:
            checksum += *sqlite3_column_text(stmt, c) + quint64(sqlite3_column_bytes(stmt, c));
            break;
        case SQLITE_BLOB:
            checksum += quint64(sqlite3_column_bytes(stmt, c));
            break;
        default:
            break;
        }
    }
}

// Reads rows of a dataset as a grid paints them: as many as it offers, up
// to `rows`, every field.
inline void readRows(const Dataset& dataset, int rows)
{
    const int available = std::min(rows, dataset.fetchedCount());
    for (int row = 0; row < available; ++row)
        for (int f = 0; f < dataset.fieldCount(); ++f)
            checksum += quint64(dataset.valueAt(row, f).userType());
}

// The bare side's statements, each prepared the first time its text comes and
// reused after, as the engine's are.
class BareStatements {
public:
    explicit BareStatements(sqlite3* db) : m_db(db) {}
    ~BareStatements()
    {
        for (auto& [sql, stmt] : m_statements)
            sqlite3_finalize(stmt);
    }
    BareStatements(const BareStatements&) = delete;
    BareStatements& operator=(const BareStatements&) = delete;

    sqlite3* database() const { return m_db; }
    // The statement for this text, reset and its values cleared.
    sqlite3_stmt* operator()(const QByteArray& sql)
    {
        auto found = m_statements.find(sql);
        if (found == m_statements.end()) // kept for many runs, as the engine's are (persistent there too)
            found = m_statements.emplace(sql, prepare(m_db, sql, SQLITE_PREPARE_PERSISTENT)).first;
        sqlite3_reset(found->second);
        sqlite3_clear_bindings(found->second);
        return found->second;
    }
    int prepared() const { return int(m_statements.size()); }

private:
    sqlite3* m_db;
    std::map<QByteArray, sqlite3_stmt*> m_statements;
};

// --- the engine's own statements, recorded and replayed bare ------------------------

// One statement as the engine ran it: its text, the values it was bound
// with, and the rows it stepped through.
struct RecordedStatement {
    QByteArray sql;
    QByteArray expanded; // the text with the values written in, as SQLite gave it
    std::vector<BoundValue> values;
    int rows = 0;
    bool ranToEnd = false; // stepped on until SQLite said it was done
    bool readOnly = true;
    std::vector<quint64> rowHashes; // per row, over every column's value
};
using Script = std::vector<RecordedStatement>;

// Records what work() runs on the engine's connection through SQLite's own
// trace: every statement begun, the values it was bound with and every row
// it gave. Nothing in the engine changes for it, and the trace is off again
// when work() returns or throws.
inline Script record(sqlite3* db, const std::function<void()>& work)
{
    struct Recording {
        Script script;
        std::unordered_map<sqlite3_stmt*, size_t> running;
        QString problem;
    } recording;
    const auto trace = [](unsigned type, void* context, void* p, void* x) -> int {
        Recording& r = *static_cast<Recording*>(context);
        auto* stmt = static_cast<sqlite3_stmt*>(p);
        if (type == SQLITE_TRACE_STMT) {
            if (const char* text = static_cast<const char*>(x); text && std::strncmp(text, "--", 2) == 0)
                return 0; // a trigger's part of a statement already begun
            RecordedStatement ran;
            ran.sql = sqlite3_sql(stmt);
            char* expanded = sqlite3_expanded_sql(stmt);
            ran.expanded = expanded;
            sqlite3_free(expanded);
            if (const auto values = boundValues(ran.sql, ran.expanded))
                ran.values = *values;
            else if (r.problem.isEmpty())
                r.problem = QStringLiteral("cannot read the values bound to %1 from %2")
                                .arg(QString::fromUtf8(ran.sql), QString::fromUtf8(ran.expanded));
            ran.readOnly = sqlite3_stmt_readonly(stmt) != 0;
            r.running[stmt] = r.script.size();
            r.script.push_back(std::move(ran));
        } else if (const auto found = r.running.find(stmt); found != r.running.end()) {
            RecordedStatement& ran = r.script[found->second];
            if (type == SQLITE_TRACE_ROW) {
                ++ran.rows;
                ran.rowHashes.push_back(rowHash(stmt));
            } else if (type == SQLITE_TRACE_PROFILE) { // done, or reset before its end
                ran.ranToEnd = sqlite3_stmt_busy(stmt) == 0;
                r.running.erase(found);
            }
        }
        return 0;
    };
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT | SQLITE_TRACE_ROW | SQLITE_TRACE_PROFILE, trace, &recording);
    try {
        work();
    } catch (...) {
        sqlite3_trace_v2(db, 0, nullptr, nullptr);
        throw;
    }
    sqlite3_trace_v2(db, 0, nullptr, nullptr);
    if (!recording.problem.isEmpty())
        throw DataError(recording.problem);
    return std::move(recording.script);
}

// bench_engine's store in a folder (made first where there is none), open
// on the engine's connection and on a bare one of its own.
struct Store {
    explicit Store(const QString& folder)
        : path(QDir(folder).filePath(Catalogue::StoreFileName)), db(opened(folder, path)), bareConnection(path),
          bare(bareConnection.get())
    {
    }

    QString path;
    std::unique_ptr<Database> db;
    BareConnection bareConnection;
    BareStatements bare;

private:
    static std::unique_ptr<Database> opened(const QString& folder, const QString& path)
    {
        ensureStore(folder, path);
        return Catalogue::openStore(folder);
    }
};

// What the bare side may do with each row it steps: the statement's place in
// the script, the row's number in it, and the statement standing on the row.
using RowVisitor = std::function<void(size_t statement, int row, sqlite3_stmt* stmt)>;

// Runs a script on the bare connection: every statement bound with the same
// values and stepped through as many rows as the engine stepped (on to the
// end where the engine went to the end), every column of every row read.
inline void replay(BareStatements& bare, const Script& script, const RowVisitor& visit = {})
{
    for (size_t s = 0; s < script.size(); ++s) {
        const RecordedStatement& ran = script[s];
        sqlite3_stmt* stmt = bare(ran.sql);
        bindAll(stmt, ran.values);
        for (int row = 0; row < ran.rows; ++row) {
            if (sqlite3_step(stmt) != SQLITE_ROW)
                throw DataError(QStringLiteral("bare: fewer rows than the engine's from %1")
                                    .arg(QString::fromUtf8(ran.sql)));
            readColumns(stmt);
            if (visit)
                visit(s, row, stmt);
        }
        if (ran.ranToEnd)
            sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
}

// Where a replay of the script would differ from what the engine did: a
// statement bound otherwise, a row holding other values, another number of
// rows, a write. Empty when it does the same work.
inline QString differences(BareStatements& bare, const Script& script)
{
    for (size_t s = 0; s < script.size(); ++s) {
        const RecordedStatement& ran = script[s];
        const QString which = QStringLiteral("statement %1 (%2)").arg(s + 1).arg(QString::fromUtf8(ran.sql));
        if (!ran.readOnly)
            return which + QStringLiteral(" writes; a replay would change the store");
        sqlite3_stmt* stmt = bare(ran.sql);
        bindAll(stmt, ran.values);
        char* expanded = sqlite3_expanded_sql(stmt);
        const bool sameValues = QByteArray(expanded) == ran.expanded;
        sqlite3_free(expanded);
        if (!sameValues)
            return which + QStringLiteral(": bound with other values");
        int row = 0;
        while (row < ran.rows && sqlite3_step(stmt) == SQLITE_ROW) {
            if (rowHash(stmt) != ran.rowHashes[size_t(row)]) {
                sqlite3_reset(stmt);
                return which + QStringLiteral(": row %1 differs").arg(row + 1);
            }
            ++row;
        }
        const bool more = row == ran.rows && sqlite3_step(stmt) == SQLITE_ROW;
        sqlite3_reset(stmt);
        if (row < ran.rows || (ran.ranToEnd && more))
            return which + QStringLiteral(": the engine read %1 rows, bare SQLite has %2%3")
                               .arg(ran.rows)
                               .arg(row)
                               .arg(more ? QStringLiteral(" or more") : QString());
    }
    return {};
}

// Whether two recordings ran the same statements with the same values.
inline bool sameStatements(const Script& a, const Script& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const RecordedStatement& x, const RecordedStatement& y) {
        return x.sql == y.sql && x.values == y.values && x.rows == y.rows;
    });
}

// The texts of a script's statements, each once, in the order first run.
inline QList<QByteArray> statementTexts(const Script& script)
{
    QList<QByteArray> texts;
    for (const RecordedStatement& ran : script)
        if (!texts.contains(ran.sql))
            texts << ran.sql;
    return texts;
}

struct Replayed {
    TwinTimes times;
    std::vector<Script> scripts; // what the engine ran, per run
    QString problem;             // empty when the bare side did the engine's work
};

// A twin whose bare side is the engine's own SQL: before timing, what each
// run of the engine runs on its connection is recorded (the trace off again
// for the timing); the bare side then replays that run's statements, each
// prepared once. The replay is checked against the rows the engine read, and
// after timing run 1 is recorded again and must run the same statements.
// bareUntimed prepares each bare run (what visit keeps, say), untimed;
// bareAlso is timed with the replay: what a bare program does besides its
// SQL for the same result (showing a window, say).
inline Replayed alternateReplayed(int runs, sqlite3* engineDb, BareStatements& bare, const Side& engine,
                                  const RowVisitor& visit = {}, const Step& bareUntimed = {},
                                  const Step& bareAlso = {})
{
    Replayed result;
    for (int run = 0; run <= runs; ++run) {
        if (engine.untimed)
            engine.untimed(run);
        result.scripts.push_back(record(engineDb, [&] { engine.measured(run); }));
    }
    for (const Script& script : result.scripts)
        if (result.problem.isEmpty())
            result.problem = differences(bare, script);
    if (!result.problem.isEmpty())
        return result; // the two sides would not do the same work: no figure
    result.times =
        alternate(runs, engine, Side{[&](int run) {
                                         if (bareAlso)
                                             bareAlso(run);
                                         replay(bare, result.scripts[size_t(run)], visit);
                                     },
                                     bareUntimed});
    if (engine.untimed)
        engine.untimed(1);
    if (!sameStatements(record(engineDb, [&] { engine.measured(1); }), result.scripts[1]))
        result.problem = QStringLiteral("the engine ran other statements when its run 1 was recorded again");
    return result;
}

// A replayed twin's row: its figures against the target, or no figure and
// the reason the replay would not do the engine's work. True for a figure.
inline bool reportReplayed(const QString& operation, int runs, const Replayed& twin, double target = OpTarget)
{
    if (!twin.problem.isEmpty()) {
        reportFailed(operation, twin.problem);
        return false;
    }
    report(operation, runs, twin.times, target);
    return true;
}

// A statement's text for print: a select list of more than four columns
// given as its count, and a run of the same term OR'ed as the term and its
// count ("(a >= ? AND a < ?) OR … 64 times").
inline QString shortSql(const QByteArray& sql)
{
    QString text = QString::fromUtf8(sql);
    const qsizetype from = text.indexOf(QLatin1String(" FROM "));
    if (text.startsWith(QLatin1String("SELECT ")) && from > 0) {
        const QString columns = text.mid(7, from - 7);
        if (columns.count(QLatin1Char(',')) > 3)
            text.replace(7, columns.size(), QStringLiteral("<%1 columns>").arg(columns.count(QLatin1Char(',')) + 1));
    }
    for (qsizetype at = text.indexOf(QLatin1Char('(')); at >= 0; at = text.indexOf(QLatin1Char('('), at + 1)) {
        qsizetype depth = 0, end = at; // the parenthesised term starting here
        for (; end < text.size(); ++end) {
            depth += text.at(end) == QLatin1Char('(') ? 1 : text.at(end) == QLatin1Char(')') ? -1 : 0;
            if (depth == 0)
                break;
        }
        if (end >= text.size())
            break;
        const QString term = text.mid(at, end + 1 - at);
        const QString again = QStringLiteral(" OR ") + term;
        int times = 1;
        qsizetype next = end + 1;
        while (text.mid(next, again.size()) == again) {
            ++times;
            next += again.size();
        }
        if (times > 2)
            text.replace(at, next - at, QStringLiteral("%1 OR … %2 times").arg(term).arg(times));
    }
    return text;
}

// --- plans -------------------------------------------------------------------------

// SQLite's plan for a statement, its steps joined by "; ".
inline QString planOf(sqlite3* db, const QByteArray& sql)
{
    sqlite3_stmt* plan = prepare(db, "EXPLAIN QUERY PLAN " + sql);
    QStringList steps;
    while (sqlite3_step(plan) == SQLITE_ROW)
        steps << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
    sqlite3_finalize(plan);
    return steps.join(QStringLiteral("; "));
}

// Why a plan does not read through an index its criteria can use, or an
// empty text when it does: it scans a whole table or index, it sorts for
// ORDER BY in a temporary B-tree, or (for a statement with criteria) it walks
// the table in key order and checks the criteria on every row it passes.
inline QString slowness(const QString& plan, bool hasCriteria)
{
    QStringList reasons;
    for (const QString& step : plan.split(QStringLiteral("; "))) {
        const QStringList words = step.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // A subquery's own rows, read as they come (a count over one), are no table.
        const bool ofSubquery =
            words.value(1).startsWith(QLatin1String("(subquery")) || words.value(1) == QLatin1String("SUBQUERY");
        if (step.startsWith(QLatin1String("USE TEMP B-TREE FOR")) && step.contains(QLatin1String("ORDER BY")))
            reasons << QStringLiteral("sorts for ORDER BY (temp B-tree)");
        else if (words.value(0) == QLatin1String("SCAN") && !ofSubquery) {
            const int at = words.value(1) == QLatin1String("TABLE") ? 2 : 1; // older SQLite writes "SCAN TABLE t"
            const int index = words.indexOf(QStringLiteral("INDEX"));
            reasons << (index > 0 ? QStringLiteral("scans all of index %1").arg(words.value(index + 1))
                                  : QStringLiteral("scans all of table %1").arg(words.value(at)));
        } else if (hasCriteria && words.value(0) == QLatin1String("SEARCH")
                   && (step.contains(QLatin1String("INTEGER PRIMARY KEY (rowid>"))
                       || step.contains(QLatin1String("INTEGER PRIMARY KEY (rowid<")))) {
            reasons << QStringLiteral("walks table %1 in key order, the criteria checked row by row")
                           .arg(words.value(words.value(1) == QLatin1String("TABLE") ? 2 : 1));
        }
    }
    return reasons.join(QStringLiteral("; "));
}

} // namespace bench
