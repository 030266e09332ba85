// Times the data engine against the same work done on bare SQLite, on a store
// of realistic size (100,000 listings per register), so a slow path in the
// engine shows up as a ratio rather than as a vague "the screen feels slow".
//
//   bench_engine [data-folder] [--only GROUP]     (default: ./bench-data)
//
// GROUP is one of startup, open, move, last, locate, queries, like, walk,
// post, memory, bulk: handy under a profiler (valgrind --tool=callgrind);
// "plans" runs bulk and also notes SQLite's plan of every lookup.
// The first run generates the store (deterministically); later runs reuse it.
//
// The bare side does what the engine does, no less: the same statement text
// where the engine's is plain SQL, the same columns, rows and order, its
// statements prepared once and reused as the engine's are, every column of
// a record read. It does not turn text into QString: that work is the
// engine's own, and shows in its figure.

#include "benchsupport.h"
#include "data/backups.h"
#include "data/catalogue.h"
#include "data/shippeddata.h"
#include "kit/screens.h"
#include "matching/bulkcomparison.h"
#include "matching/listtextedit.h"
#include "matching/matchingdialogs.h"
#include "matching/matchingscreens.h"
#include "matching/matchlistscreen.h"
#include "matching/matchrules.h"
#include "matching/matchscreen.h"
#include "platform/system/localeformats.h"
#include "search/searchscreens.h"
#include "shell/programscreens.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"
#include "platform/controls/datasetmodel.h"
#include "platform/engine/query.h"
#include "platform/engine/rowstream.h"
#include "platform/engine/table.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int ListingRows = 100000;
constexpr int RequestRows = 10000;
constexpr int PageRows = 50; // what a grid shows of a query's result at once
constexpr quint64 Seed = 20240611;

const QStringList ListingTables{QStringLiteral("kdgiris"), QStringLiteral("sdgiris"), QStringLiteral("kegiris"),
                                QStringLiteral("segiris"), QStringLiteral("arsa")};

// Read values are added up here, and the sum printed, so the compiler cannot
// drop the reads.
quint64 sink = 0;

// --- deterministic random numbers --------------------------------------------

// splitmix64: the same sequence on every compiler and library.
class Rng {
public:
    explicit Rng(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int between(int low, int high) { return low + int(next() % quint64(high - low + 1)); } // inclusive
    bool chance(int percent) { return int(next() % 100) < percent; }
    const QString& pick(const QStringList& list) { return list.at(int(next() % quint64(list.size()))); }

private:
    quint64 m_state;
};

// --- the generator -------------------------------------------------------------

// Districts beyond the shipped ones, as an agency adds them over the years.
// None but Kadıköy starts with "kad", so the prefix search finds the same
// rows under Turkish folding and under SQLite's own LIKE.
const QStringList MoreDistricts{
    QStringLiteral("Ümraniye"),    QStringLiteral("Pendik"),       QStringLiteral("Tuzla"),
    QStringLiteral("Beykoz"),      QStringLiteral("Çekmeköy"),     QStringLiteral("Sancaktepe"),
    QStringLiteral("Sultanbeyli"), QStringLiteral("Başakşehir"),   QStringLiteral("Bağcılar"),
    QStringLiteral("Güngören"),    QStringLiteral("Esenler"),      QStringLiteral("Avcılar"),
    QStringLiteral("Beylikdüzü"),  QStringLiteral("Esenyurt"),     QStringLiteral("Küçükçekmece"),
    QStringLiteral("Kağıthane"),   QStringLiteral("Eyüpsultan"),   QStringLiteral("Zeytinburnu"),
    QStringLiteral("Bayrampaşa"),  QStringLiteral("Gaziosmanpaşa"), QStringLiteral("Sultangazi"),
    QStringLiteral("Arnavutköy"),  QStringLiteral("Büyükçekmece"), QStringLiteral("Silivri"),
    QStringLiteral("Şile"),        QStringLiteral("Adalar"),       QStringLiteral("Çatalca"),
    QStringLiteral("İçerenköy"),
};

QStringList allDistricts()
{
    QStringList all = ShippedData::districts();
    for (const QString& name : MoreDistricts)
        if (!all.contains(name))
            all << name;
    return all;
}

const QStringList FirstNames{
    QStringLiteral("Ahmet"),  QStringLiteral("Mehmet"), QStringLiteral("Mustafa"), QStringLiteral("Ali"),
    QStringLiteral("Hüseyin"), QStringLiteral("Hasan"), QStringLiteral("İbrahim"), QStringLiteral("İsmail"),
    QStringLiteral("Osman"),  QStringLiteral("Yusuf"),  QStringLiteral("Murat"),   QStringLiteral("Ömer"),
    QStringLiteral("Emre"),   QStringLiteral("Burak"),  QStringLiteral("Can"),     QStringLiteral("Çağlar"),
    QStringLiteral("Ayşe"),   QStringLiteral("Fatma"),  QStringLiteral("Emine"),   QStringLiteral("Hatice"),
    QStringLiteral("Zeynep"), QStringLiteral("Elif"),   QStringLiteral("Şükran"),  QStringLiteral("Özlem"),
    QStringLiteral("Gül"),    QStringLiteral("Derya"),  QStringLiteral("Ebru"),    QStringLiteral("Işıl"),
    QStringLiteral("Sevgi"),  QStringLiteral("Gökhan"), QStringLiteral("Serkan"),  QStringLiteral("Tuğba"),
};

const QStringList Surnames{
    QStringLiteral("Yılmaz"),  QStringLiteral("Kaya"),     QStringLiteral("Demir"),   QStringLiteral("Şahin"),
    QStringLiteral("Çelik"),   QStringLiteral("Yıldız"),   QStringLiteral("Yıldırım"), QStringLiteral("Öztürk"),
    QStringLiteral("Aydın"),   QStringLiteral("Özdemir"),  QStringLiteral("Arslan"),  QStringLiteral("Doğan"),
    QStringLiteral("Kılıç"),   QStringLiteral("Aslan"),    QStringLiteral("Çetin"),   QStringLiteral("Kara"),
    QStringLiteral("Koç"),     QStringLiteral("Kurt"),     QStringLiteral("Özkan"),   QStringLiteral("Şimşek"),
    QStringLiteral("Polat"),   QStringLiteral("Erdoğan"),  QStringLiteral("Güneş"),   QStringLiteral("Işık"),
    QStringLiteral("Aksoy"),   QStringLiteral("Karaca"),   QStringLiteral("Uçar"),    QStringLiteral("Tekin"),
};

const QStringList Streets{
    QStringLiteral("Atatürk Cad."), QStringLiteral("Cumhuriyet Cad."), QStringLiteral("İstiklal Cad."),
    QStringLiteral("Bağdat Cad."),  QStringLiteral("Moda Cad."),       QStringLiteral("Gül Sok."),
    QStringLiteral("Lale Sok."),    QStringLiteral("Papatya Sok."),    QStringLiteral("Çınar Sok."),
    QStringLiteral("Menekşe Sok."), QStringLiteral("Okul Sok."),       QStringLiteral("Cami Sok."),
};

const QStringList Notes{
    QStringLiteral("Deniz manzaralı"),        QStringLiteral("Metroya 5 dakika"),
    QStringLiteral("Tadilatlı, boş"),         QStringLiteral("Kiracılı, aidat düşük"),
    QStringLiteral("Site içinde, havuzlu"),   QStringLiteral("Okula ve çarşıya yakın"),
    QStringLiteral("Sahibi acil satıyor"),    QStringLiteral("Güney cephe, güneş alıyor"),
    QStringLiteral("Eşyalı verilebilir"),     QStringLiteral("Krediye uygun, iskânlı"),
};

// Plain texts of the listing and request fields, by field name.
const QHash<QString, QStringList>& textChoices()
{
    static const QHash<QString, QStringList> choices{
        {QStringLiteral("Depozito"), {QStringLiteral("1 kira"), QStringLiteral("2 kira"), QStringLiteral("3 kira"),
                                      QStringLiteral("Yok")}},
        {QStringLiteral("Oda"), {QStringLiteral("1+1"), QStringLiteral("2+1"), QStringLiteral("3+1"),
                                 QStringLiteral("4+1"), QStringLiteral("5+2")}},
        {QStringLiteral("Kat"), {QStringLiteral("Giriş"), QStringLiteral("Bahçe"), QStringLiteral("1"),
                                 QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
                                 QStringLiteral("6"), QStringLiteral("8"), QStringLiteral("10"),
                                 QStringLiteral("Çatı")}},
        {QStringLiteral("Duvarlar"), {QStringLiteral("Saten boya"), QStringLiteral("Plastik boya"),
                                      QStringLiteral("Duvar kağıdı")}},
        {QStringLiteral("Zeminler"), {QStringLiteral("Parke"), QStringLiteral("Laminat"), QStringLiteral("Seramik"),
                                      QStringLiteral("Mermer")}},
        {QStringLiteral("Tavanlar"), {QStringLiteral("Asma tavan"), QStringLiteral("Kartonpiyer"),
                                      QStringLiteral("Düz")}},
        {QStringLiteral("Kapilar"), {QStringLiteral("Amerikan kapı"), QStringLiteral("Lake"),
                                     QStringLiteral("Ahşap")}},
        {QStringLiteral("Banyo"), {QStringLiteral("Seramik"), QStringLiteral("Duşakabinli"),
                                   QStringLiteral("Jakuzili")}},
        {QStringLiteral("Mutfak"), {QStringLiteral("Ankastre"), QStringLiteral("Amerikan mutfak"),
                                    QStringLiteral("Laminat dolap")}},
        {QStringLiteral("Satis"), {QStringLiteral("Peşin"), QStringLiteral("Krediye uygun"),
                                   QStringLiteral("Takas olur")}},
        {QStringLiteral("Anahtar"), {QStringLiteral("Bizde"), QStringLiteral("Sahibinde"), QStringLiteral("Kapıcıda"),
                                     QStringLiteral("Komşuda")}},
        {QStringLiteral("Imar"), {QStringLiteral("Konut"), QStringLiteral("Ticari"), QStringLiteral("Tarla"),
                                  QStringLiteral("Villa imarlı"), QStringLiteral("Sanayi")}},
        {QStringLiteral("Hidrofor"), {QStringLiteral("Var"), QStringLiteral("Yok"), QStringLiteral("Farketmez")}},
        {QStringLiteral("Otopark"), {QStringLiteral("Var"), QStringLiteral("Yok"), QStringLiteral("Farketmez")}},
    };
    return choices;
}

// Values within one row that depend on each other.
struct RowPlan {
    bool rental = false;
    QString status;
    QString wish; // requests: what the customer wants to do
    double price = 0, priceTo = 0;
    int area = 0, areaTo = 0;
};

double randomPrice(Rng& rng, bool rental)
{
    return rental ? rng.between(10, 500) * 100.0          // 1,000 .. 50,000
                  : rng.between(100, 20000) * 1000.0;     // 100,000 .. 20,000,000
}

RowPlan planRow(const QString& table, Rng& rng)
{
    RowPlan plan;
    if (table == QLatin1String("musteritalepleri")) {
        plan.wish = rng.pick(Catalogue::Lists::RequestedDeal);
        plan.rental = plan.wish == Catalogue::Lists::RentStatus.last();
        plan.status = rng.pick(Catalogue::Lists::RequestStatus);
        plan.price = randomPrice(rng, plan.rental);
        const double ceiling = plan.rental ? 50000.0 : 20000000.0;
        plan.priceTo = std::min(ceiling, std::round(plan.price * rng.between(110, 200) / 100.0 / 100.0) * 100.0);
        plan.area = rng.between(40, 300);
        plan.areaTo = plan.area + rng.between(0, 100);
        return plan;
    }
    if (table == QLatin1String("arsa")) {
        plan.status = rng.pick(Catalogue::Lists::LandStatus);
        plan.rental = Catalogue::Lists::RentStatus.contains(plan.status);
        plan.area = rng.between(150, 3000);
    } else {
        plan.rental = table.startsWith(QLatin1Char('k'));
        plan.status = rng.pick(plan.rental ? Catalogue::Lists::RentStatus : Catalogue::Lists::SaleStatus);
        plan.area = rng.between(40, 400);
    }
    plan.price = randomPrice(rng, plan.rental);
    return plan;
}

QString phoneNumber(Rng& rng, const QString& areaCode)
{
    return QStringLiteral("(%1) %2-%3-%4")
        .arg(areaCode)
        .arg(rng.between(200, 999))
        .arg(rng.between(0, 99), 2, 10, QLatin1Char('0'))
        .arg(rng.between(0, 99), 2, 10, QLatin1Char('0'));
}

QString phoneValue(const QString& field, Rng& rng)
{
    static const QStringList mobile{QStringLiteral("532"), QStringLiteral("533"), QStringLiteral("535"),
                                    QStringLiteral("542"), QStringLiteral("505"), QStringLiteral("555")};
    static const QStringList landline{QStringLiteral("212"), QStringLiteral("216")};
    if (field.startsWith(QLatin1String("Cep"), Qt::CaseInsensitive))
        return phoneNumber(rng, rng.pick(mobile));
    const int present = field.startsWith(QLatin1String("Is"), Qt::CaseInsensitive) ? 40 : 70;
    return rng.chance(present) ? phoneNumber(rng, rng.pick(landline)) : QString(QLatin1String(""));
}

QVariant generatedValue(const FieldSchema& field, const RowPlan& plan, const QStringList& districts, Rng& rng)
{
    const QString& name = field.name;
    QString text;
    if (name == QLatin1String("Semtadi") || name == QLatin1String("Semt"))
        text = rng.pick(districts);
    else if (name == QLatin1String("Emlak"))
        text = rng.pick(ShippedData::propertyKinds());
    else if (name == QLatin1String("Fiyati") || name == QLatin1String("Fiyatilkdeger"))
        return plan.price;
    else if (name == QLatin1String("Ikincifiyat"))
        return plan.priceTo;
    else if (name == QLatin1String("Metre2") && field.isNumeric())
        return double(plan.area);
    else if (name == QLatin1String("Metre2"))
        text = QString::number(plan.area); // land registers keep the area as text
    else if (name == QLatin1String("IlkMetre2"))
        return double(plan.area);
    else if (name == QLatin1String("Ikincimetre2"))
        return double(plan.areaTo);
    else if (name == QLatin1String("Durum"))
        text = plan.status;
    else if (name == QLatin1String("Istek"))
        text = plan.wish;
    else if (name == QStringLiteral("Döviz") || name == QLatin1String("Doviz"))
        text = rng.chance(80) ? QStringLiteral("TL") : rng.chance(50) ? QStringLiteral("USD") : QStringLiteral("EUR");
    else if (name == QLatin1String("Isim"))
        text = rng.pick(FirstNames) + QLatin1Char(' ') + rng.pick(Surnames);
    else if (field.mask == Catalogue::PhoneMask)
        text = phoneValue(name, rng);
    else if (name == QLatin1String("Adres"))
        text = QStringLiteral("%1 No: %2 D: %3")
                   .arg(rng.pick(Streets))
                   .arg(rng.between(1, 120))
                   .arg(rng.between(1, 24));
    else if (name == QLatin1String("Notlar"))
        text = rng.chance(50) ? rng.pick(Notes) : QString(QLatin1String(""));
    else if (name == QLatin1String("Yil"))
        text = QString::number(rng.between(1975, 2023));
    else if (name == QLatin1String("Ada"))
        text = QString::number(rng.between(100, 9999));
    else if (name == QLatin1String("Parsel"))
        text = QString::number(rng.between(1, 300));
    else if (name == QLatin1String("Pafta"))
        text = QStringLiteral("F%1-%2").arg(rng.between(10, 40)).arg(QChar(u'a' + rng.between(0, 3)));
    else if (!field.choices.isEmpty())
        text = rng.pick(field.choices);
    else if (textChoices().contains(name))
        text = rng.pick(textChoices().value(name));
    else if (field.isNumeric())
        return QVariant(QMetaType::fromType<double>());
    if (field.type == FieldType::Text)
        text.truncate(field.size); // an entry screen would refuse anything longer
    return text.isNull() ? QString(QLatin1String("")) : text;
}

// Raw statements on the engine's own connection, for the generator's speed.
class RawStatement {
public:
    RawStatement(sqlite3* db, const QString& sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_stmt, nullptr) != SQLITE_OK)
            throw DataError(QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral(" in ") + sql);
    }
    ~RawStatement() { sqlite3_finalize(m_stmt); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    void bind(int column, const QVariant& value)
    {
        if (value.isNull())
            sqlite3_bind_null(m_stmt, column);
        else if (value.typeId() == QMetaType::Double)
            sqlite3_bind_double(m_stmt, column, value.toDouble());
        else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
            sqlite3_bind_int64(m_stmt, column, value.toLongLong());
        else {
            const QByteArray utf8 = value.toString().toUtf8();
            sqlite3_bind_text(m_stmt, column, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }
    // True while rows come; throws on an error.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw DataError(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    void reset() { sqlite3_reset(m_stmt); }
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

int fillTable(Database& db, const QString& tableName, int rows, const QStringList& districts, Rng& rng)
{
    const TableSchema& table = db.table(tableName);
    QStringList names, marks;
    QVector<const FieldSchema*> fields;
    for (const FieldSchema& field : table.fields) {
        if (field.isKey())
            continue;
        names << Database::quoted(field.name);
        marks << QStringLiteral("?");
        fields << &field;
    }
    db.inTransaction([&] {
        RawStatement insert(db.handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                             .arg(Database::quoted(table.name), names.join(QLatin1Char(',')),
                                                  marks.join(QLatin1Char(','))));
        for (int row = 0; row < rows; ++row) {
            const RowPlan plan = planRow(table.name, rng);
            for (int f = 0; f < fields.size(); ++f)
                insert.bind(f + 1, generatedValue(*fields.at(f), plan, districts, rng));
            insert.step();
            insert.reset();
        }
    });
    return rows;
}

void addDistricts(Database& db, const QStringList& districts)
{
    db.inTransaction([&] {
        RawStatement insert(db.handle(), QStringLiteral("INSERT INTO semtler (Semtler) VALUES (?)"));
        for (const QString& name : districts) {
            if (ShippedData::districts().contains(name))
                continue;
            insert.bind(1, name);
            insert.step();
            insert.reset();
        }
    });
}

void generateStore(const QString& folder)
{
    QDir().mkpath(folder);
    std::printf("Generating the store in %s ...\n", qPrintable(QDir(folder).absolutePath()));
    std::fflush(stdout);
    QElapsedTimer total;
    total.start();
    const std::unique_ptr<Database> db = Catalogue::openStore(folder);
    const QStringList districts = allDistricts();
    addDistricts(*db, districts);
    Rng rng(Seed);
    QStringList all = ListingTables;
    all << QStringLiteral("musteritalepleri");
    for (const QString& table : all) {
        QElapsedTimer timer;
        timer.start();
        const int rows = fillTable(*db, table, table == QLatin1String("musteritalepleri") ? RequestRows : ListingRows,
                                   districts, rng);
        std::printf("  %-18s %7d rows  %8.1f s\n", qPrintable(table), rows, timer.nsecsElapsed() / 1e9);
        std::fflush(stdout);
    }
    std::printf("Generation took %.1f s\n\n", total.nsecsElapsed() / 1e9);
}

// Refuses a store that is not one this generator finished: the post
// measurement writes to it, which no real agency's data should suffer.
void checkGeneratedStore(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const auto count = [&](const QString& table) {
        sqlite3_stmt* stmt = nullptr;
        qint64 n = -1;
        if (sqlite3_prepare_v2(db, QStringLiteral("SELECT count(*) FROM %1").arg(table).toUtf8().constData(), -1,
                               &stmt, nullptr) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_ROW)
            n = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        return n;
    };
    QString problem;
    for (const QString& table : ListingTables)
        if (count(table) != ListingRows)
            problem = table;
    if (count(QStringLiteral("musteritalepleri")) != RequestRows)
        problem = QStringLiteral("musteritalepleri");
    sqlite3_close(db);
    if (!problem.isEmpty())
        throw DataError(QStringLiteral("%1 is not a finished benchmark store ('%2' has the wrong number of rows); "
                                       "remove it to generate a new one.")
                            .arg(path, problem));
}

// --- measuring -----------------------------------------------------------------

using Step = std::function<void(int run)>;

// Median of `runs` timings of measured(run), in milliseconds. untimed(run)
// prepares each run (closing what the last one opened, say). Run 0 only warms
// the caches and is not counted.
double medianMs(int runs, const Step& measured, const Step& untimed = {})
{
    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        if (untimed)
            untimed(run);
        QElapsedTimer timer;
        timer.start();
        measured(run);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (run > 0)
            times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    const size_t mid = times.size() / 2;
    return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
}

QStringList notes; // printed under the table

// One line of the table: engine and bare medians, their ratio and the target
// it is held to (0: none).
void report(const QString& operation, int runs, double engine, double bare, double target = 0)
{
    const double ratio = engine / bare;
    const char* verdict = target <= 0 ? "" : ratio <= target ? "ok" : "MISS";
    std::printf("  %-52s %4d %10.4f %10.4f %7.2fx", qPrintable(operation), runs, engine, bare, ratio);
    if (target > 0)
        std::printf("  <=%.1fx %s", target, verdict);
    std::printf("\n");
    std::fflush(stdout);
}

// --- bare SQLite helpers ----------------------------------------------------------

void readAllColumns(sqlite3_stmt* stmt)
{
    const int columns = sqlite3_column_count(stmt);
    for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER:
            sink += quint64(sqlite3_column_int64(stmt, c));
            break;
        case SQLITE_FLOAT:
            sink += quint64(sqlite3_column_double(stmt, c));
            break;
        case SQLITE_TEXT:
            sink += *sqlite3_column_text(stmt, c) + quint64(sqlite3_column_bytes(stmt, c));
            break;
        case SQLITE_BLOB:
            sink += quint64(sqlite3_column_bytes(stmt, c));
            break;
        default:
            break;
        }
    }
}

// The bare side's statements, each prepared on first use and reused, as a
// careful hand-written program (and the engine) would.
class BareStatements {
public:
    explicit BareStatements(sqlite3* db) : m_db(db) {}
    sqlite3* database() const { return m_db; }
    RawStatement& operator()(const QString& sql)
    {
        auto found = m_statements.find(sql);
        if (found == m_statements.end())
            found = m_statements.emplace(sql, std::make_unique<RawStatement>(m_db, sql)).first;
        found->second->reset();
        sqlite3_clear_bindings(found->second->get());
        return *found->second;
    }

private:
    sqlite3* m_db;
    std::map<QString, std::unique_ptr<RawStatement>> m_statements;
};

// Binds, steps up to `rows` rows reading every column; returns the rows read.
int bareSelect(BareStatements& bare, const QString& sql, const QVariantList& values, int rows)
{
    RawStatement& stmt = bare(sql);
    for (int i = 0; i < values.size(); ++i)
        stmt.bind(i + 1, values.at(i));
    int row = 0;
    for (; row < rows && stmt.step(); ++row)
        readAllColumns(stmt.get());
    stmt.reset();
    return row;
}

// The same for a statement whose one bound value is a key.
int bareSelectKey(BareStatements& bare, const QString& sql, qint64 key)
{
    RawStatement& stmt = bare(sql);
    sqlite3_bind_int64(stmt.get(), 1, key);
    int row = 0;
    for (; stmt.step(); ++row)
        readAllColumns(stmt.get());
    stmt.reset();
    return row;
}

qint64 bareInteger(BareStatements& bare, const QString& sql, const QVariantList& values = {})
{
    RawStatement& stmt = bare(sql);
    for (int i = 0; i < values.size(); ++i)
        stmt.bind(i + 1, values.at(i));
    const qint64 n = stmt.step() ? sqlite3_column_int64(stmt.get(), 0) : -1;
    stmt.reset();
    return n;
}

void bareExec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        throw DataError(message);
    }
}

QString columnsOf(const QString& table)
{
    QStringList columns;
    for (const FieldSchema& field : Catalogue::table(table).fields)
        columns << Database::quoted(field.name);
    return columns.join(QLatin1Char(','));
}

// --- engine helpers -----------------------------------------------------------------

void readRecord(const Dataset& dataset)
{
    for (int f = 0; f < dataset.fieldCount(); ++f)
        sink += quint64(dataset.value(f).userType());
}

// Reads rows as a grid paints them: as many as it offers, every column.
void readRows(const Dataset& dataset, int rows)
{
    const int available = std::min(rows, dataset.fetchedCount());
    for (int row = 0; row < available; ++row)
        for (int f = 0; f < dataset.fieldCount(); ++f)
            sink += quint64(dataset.valueAt(row, f).userType());
}

// The engine and the bare statement must show the same rows, or the timings
// compare different work.
void checkSameRows(Query& query, BareStatements& bare, const QString& sql, const QVariantList& values,
                   const QString& what)
{
    RawStatement& stmt = bare(sql);
    for (int i = 0; i < values.size(); ++i)
        stmt.bind(i + 1, values.at(i));
    int row = 0;
    for (; row < Dataset::RowsPerPage && stmt.step(); ++row) {
        if (query.keyAt(row) != sqlite3_column_int64(stmt.get(), 0)) {
            notes << QStringLiteral("WARNING: %1: engine and bare differ at row %2").arg(what).arg(row);
            stmt.reset();
            return;
        }
    }
    stmt.reset();
    if (row < Dataset::RowsPerPage && query.recordCount() > row)
        notes << QStringLiteral("WARNING: %1: the engine found more rows than bare SQLite").arg(what);
}

qint64 heapKb()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64((info.uordblks + info.hblkhd) / 1024);
}

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// --- the measurements ------------------------------------------------------------------

// What a bare program does to open the store as the engine does: every
// catalogued table's columns read and compared, the same pragmas, the same
// indexes made sure of.
sqlite3* bareOpen(const QString& path)
{
    sqlite3* bare = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &bare, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_busy_timeout(bare, 5000);
    RawStatement tables(bare, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'"));
    tables.step();
    for (const TableSchema& table : Catalogue::tables()) {
        RawStatement info(bare, QStringLiteral("PRAGMA table_info(%1)").arg(Database::quoted(table.name)));
        int found = 0;
        while (info.step()) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)));
            const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2)));
            const FieldSchema* field = table.field(name);
            if (field
                && type.section(QLatin1Char('('), 0, 0)
                           .compare(declaredSqlType(*field).section(QLatin1Char('('), 0, 0), Qt::CaseInsensitive)
                       == 0)
                ++found;
        }
        if (found != table.fields.size())
            throw DataError(QStringLiteral("bare start-up: %1 differs").arg(table.name));
    }
    for (const char* pragma : {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = FULL",
                               "PRAGMA mmap_size = 1073741824", "PRAGMA cache_size = -32768"})
        bareExec(bare, pragma);
    for (const TableSchema& table : Catalogue::tables())
        for (const IndexSchema& index : table.indexes) {
            QStringList fields;
            for (const QString& field : index.fields)
                fields << Database::quoted(field);
            bareExec(bare, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                               .arg(Database::quoted(table.name + QLatin1Char('_') + index.fields.join(QLatin1Char('_'))),
                                    Database::quoted(table.name), fields.join(QLatin1Char(',')))
                               .toUtf8()
                               .constData());
        }
    return bare;
}

// The bare backup: SQLite's online backup into a fresh file, then the quick
// check of the copy.
void bareBackupAndCheck(sqlite3* source, const QString& target)
{
    QFile::remove(target);
    sqlite3* copy = nullptr;
    sqlite3_open_v2(target.toUtf8().constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main");
    sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    bareExec(copy, "PRAGMA journal_mode = DELETE");
    {
        RawStatement check(copy, QStringLiteral("PRAGMA quick_check(3)"));
        while (check.step()) {
        }
    }
    sqlite3_close(copy);
    QFile::remove(target);
}

void measureStartUp(const QString& folder, const QString& path)
{
    constexpr int runs = 5;
    sqlite3* bare = nullptr;
    const auto closeBare = [&](int) {
        sqlite3_close_v2(bare);
        bare = nullptr;
    };
    const double plain = medianMs(runs, [&](int) { bare = bareOpen(path); }, closeBare);
    closeBare(0);

    // The program's start: the store opened and the day's backup started on
    // its worker thread, which also checks every page for damage.
    Backups::Start start;
    const auto awaitBackup = [&](int) {
        if (start.outcome.valid())
            start.outcome.wait();
        start = {};
    };
    const double engine = medianMs(
        runs, [&](int run) { start = Backups::openAtStart(folder, QDateTime::currentDateTime().addSecs(run)); },
        awaitBackup);
    awaitBackup(0);
    report(QStringLiteral("start-up: open and check the store, backup begun"), runs, engine, plain);

    // The whole start to the main window: every screen created, each opening
    // its cursors and queries; the bare side only opens the store.
    std::unique_ptr<Screens> screens;
    const double toWindow = medianMs(
        runs,
        [&](int run) {
            start = Backups::openAtStart(folder, QDateTime::currentDateTime().addSecs(100 + run));
            screens = std::make_unique<Screens>(*start.store);
            screens->createAll(programScreens());
        },
        [&](int run) {
            screens.reset();
            awaitBackup(run);
        });
    screens.reset();
    awaitBackup(0);
    report(QStringLiteral("start-up to the main window (all screens made)"), runs, toWindow, plain);

    // Off the start path: the backup and its check of every page, until the
    // verdict. A store written since its last backup is copied; the file's
    // time is moved on before each run so that this one is.
    const auto markChanged = [&](int) {
        QFile store(path);
        if (store.open(QIODevice::ReadWrite))
            store.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    };
    const double backup = medianMs(
        runs,
        [&](int run) {
            Backups::openAtStart(folder, QDateTime::currentDateTime().addSecs(200 + run)).outcome.wait();
        },
        markChanged);
    bare = bareOpen(path);
    const QString bareTarget = QDir(folder).filePath(QStringLiteral("bare-backup.sqlite"));
    const double bareBackup = medianMs(runs, [&](int) { bareBackupAndCheck(bare, bareTarget); });
    closeBare(0);
    report(QStringLiteral("day's backup and its check (on its own thread)"), runs, backup, bareBackup);
    // A store unchanged since its last backup is not copied again: what that
    // start costs, beside the copy and check it saves.
    const double unchanged = medianMs(runs, [&](int run) {
        Backups::openAtStart(folder, QDateTime::currentDateTime().addSecs(300 + run)).outcome.wait();
    });
    report(QStringLiteral("day's backup, store unchanged (no copy; bare: the copy it saves)"), runs, unchanged,
           bareBackup);
}

void measureOpen(Database& db, BareStatements& bare)
{
    constexpr int runs = 200;
    std::unique_ptr<Table> table;
    const double engine = medianMs(
        runs,
        [&](int) {
            table = std::make_unique<Table>(db, QStringLiteral("kdgiris"));
            table->open();
            readRecord(*table);
        },
        [&](int) { table.reset(); });
    const QString first = QStringLiteral("SELECT rowid,%1 FROM kdgiris ORDER BY rowid LIMIT 1").arg(columnsOf("kdgiris"));
    const double plain = medianMs(runs, [&](int) { bareSelect(bare, first, {}, 1); });
    report(QStringLiteral("open kdgiris, read first record"), runs, engine, plain, 2.0);
}

void measureMoves(Database& db, BareStatements& bare)
{
    constexpr int runs = 20;
    constexpr int steps = 1000;
    const QString columns = columnsOf("kdgiris");
    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    std::vector<qint64> keys; // the keys the cursor passes, for the bare side
    const double engineNext = medianMs(
        runs,
        [&](int) {
            for (int i = 0; i < steps; ++i) {
                table.next();
                readRecord(table);
            }
        },
        [&](int) { table.first(); }) / steps;
    table.first();
    for (int i = 0; i <= steps; ++i, table.next())
        keys.push_back(table.integer(QStringLiteral("No")));
    const QString after = QStringLiteral("SELECT rowid,%1 FROM kdgiris WHERE rowid > ? ORDER BY rowid LIMIT 1").arg(columns);
    const double bareNext = medianMs(runs, [&](int) {
        for (int i = 0; i < steps; ++i)
            bareSelectKey(bare, after, keys[size_t(i)]);
    }) / steps;
    report(QStringLiteral("next, per step (1,000 steps, record read)"), runs, engineNext, bareNext, 2.0);

    const double enginePrior = medianMs(
        runs,
        [&](int) {
            for (int i = 0; i < steps; ++i) {
                table.prior();
                readRecord(table);
            }
        },
        [&](int) { table.locate(QStringLiteral("No"), keys.back()); }) / steps;
    const QString before =
        QStringLiteral("SELECT rowid,%1 FROM kdgiris WHERE rowid < ? ORDER BY rowid DESC LIMIT 1").arg(columns);
    const double barePrior = medianMs(runs, [&](int) {
        for (int i = steps; i > 0; --i)
            bareSelectKey(bare, before, keys[size_t(i)]);
    }) / steps;
    report(QStringLiteral("prior, per step (1,000 steps, record read)"), runs, enginePrior, barePrior, 2.0);
}

void measureLast(Database& db, BareStatements& bare)
{
    constexpr int runs = 20;
    const QString columns = columnsOf("kdgiris");
    const QString firstRow = QStringLiteral("SELECT rowid,%1 FROM kdgiris ORDER BY rowid LIMIT 1").arg(columns);
    const QString lastRow = QStringLiteral("SELECT rowid,%1 FROM kdgiris ORDER BY rowid DESC LIMIT 1").arg(columns);
    const QString count = QStringLiteral("SELECT count(*) FROM \"kdgiris\"");

    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    const double engine = medianMs(
        runs,
        [&](int) {
            table.last();
            readRecord(table);
        },
        [&](int) { table.first(); });
    const double plain = medianMs(runs, [&](int) { bareSelect(bare, lastRow, {}, 1); });
    report(QStringLiteral("last (open table)"), runs, engine, plain, 2.0);

    // What Ctrl+End on a grid costs: the last record and its place, which is
    // the number of rows less one.
    const double engineGrid = medianMs(
        runs,
        [&](int) {
            table.last();
            readRecord(table);
            sink += quint64(table.position());
        },
        [&](int) {
            table.first();
            table.refresh(); // forgets the count
        });
    const double plainGrid = medianMs(runs, [&](int) {
        bareSelect(bare, lastRow, {}, 1);
        sink += quint64(bareInteger(bare, count));
    });
    report(QStringLiteral("Ctrl+End: last + its place (count(*))"), runs, engineGrid, plainGrid, 2.0);

    std::unique_ptr<Table> fresh;
    const double freshEngine = medianMs(
        runs,
        [&](int) {
            fresh = std::make_unique<Table>(db, QStringLiteral("kdgiris"));
            fresh->open();
            fresh->last();
            readRecord(*fresh);
        },
        [&](int) { fresh.reset(); });
    const double freshPlain = medianMs(runs, [&](int) {
        bareSelect(bare, firstRow, {}, 1); // opening shows the first record
        bareSelect(bare, lastRow, {}, 1);
    });
    report(QStringLiteral("fresh open + last"), runs, freshEngine, freshPlain, 2.0);
}

void measureLocate(Database& db, BareStatements& bare)
{
    constexpr int runs = 200;
    std::vector<qint64> keys;
    Rng rng(Seed + 1);
    for (int run = 0; run <= runs; ++run)
        keys.push_back(rng.between(1, ListingRows));
    const QString columns = columnsOf("kdgiris");
    const QString byKey = QStringLiteral("SELECT rowid,%1 FROM kdgiris WHERE \"No\" = ? ORDER BY rowid LIMIT 1").arg(columns);
    const QString before = QStringLiteral("SELECT count(*) FROM \"kdgiris\" WHERE rowid < ?");

    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    const double engine = medianMs(runs, [&](int run) {
        if (!table.locate(QStringLiteral("No"), keys[size_t(run)]))
            throw DataError(QStringLiteral("locate found no record %1").arg(keys[size_t(run)]));
        readRecord(table);
    });
    const double plain = medianMs(runs, [&](int run) { bareSelectKey(bare, byKey, keys[size_t(run)]); });
    report(QStringLiteral("locate No = random key (open table)"), runs, engine, plain, 2.0);

    std::unique_ptr<Table> fresh;
    const double freshEngine = medianMs(
        runs,
        [&](int run) {
            fresh->open();
            fresh->locate(QStringLiteral("No"), keys[size_t(run)]);
            readRecord(*fresh);
        },
        [&](int) { fresh = std::make_unique<Table>(db, QStringLiteral("kdgiris")); });
    const QString firstRow = QStringLiteral("SELECT rowid,%1 FROM kdgiris ORDER BY rowid LIMIT 1").arg(columns);
    const double freshPlain = medianMs(runs, [&](int run) {
        bareSelect(bare, firstRow, {}, 1);
        bareSelectKey(bare, byKey, keys[size_t(run)]);
    });
    report(QStringLiteral("fresh open + locate"), runs, freshEngine, freshPlain, 2.0);

    // A grid over the cursor also needs the located row's place.
    const double gridEngine = medianMs(runs, [&](int run) {
        table.locate(QStringLiteral("No"), keys[size_t(run)]);
        readRecord(table);
        sink += quint64(table.position());
    });
    const double gridPlain = medianMs(runs, [&](int run) {
        bareSelectKey(bare, byKey, keys[size_t(run)]);
        sink += quint64(bareInteger(bare, before, {keys[size_t(run)]}));
    });
    report(QStringLiteral("locate + its place (count(*) before it)"), runs, gridEngine, gridPlain);
}

// SQLite's plan for a statement, one line.
QString planOf(sqlite3* db, const QString& sql)
{
    RawStatement plan(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    QStringList steps;
    while (plan.step())
        steps << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3)));
    return steps.join(QStringLiteral("; "));
}

// One query opened and its first page read as a grid paints it, engine
// against bare reading the same rows in the same (key) order.
void measureFirstPage(Database& db, BareStatements& bare, const QString& operation, int runs, const QString& table,
                      const QString& condition, const std::function<QVariantList(int)>& values, double target)
{
    const QString bareSql = QStringLiteral("SELECT rowid,%1 FROM %2 WHERE (%3) ORDER BY rowid LIMIT %4")
                                .arg(columnsOf(table), table, condition)
                                .arg(Dataset::RowsPerPage);
    std::unique_ptr<Query> query;
    const auto openQuery = [&](int run) {
        query = std::make_unique<Query>(db);
        query->setStatement(Statement(table).where(condition, values(run)));
        query->open();
    };
    const double engine = medianMs(
        runs,
        [&](int run) {
            openQuery(run);
            readRows(*query, Dataset::RowsPerPage);
        },
        [&](int) { query.reset(); });
    const double plain = medianMs(runs, [&](int run) { bareSelect(bare, bareSql, values(run), Dataset::RowsPerPage); });
    report(operation, runs, engine, plain, target);

    openQuery(1);
    checkSameRows(*query, bare, bareSql, values(1), operation);

    // The engine reads a page as "the rows after a key"; where SQLite plans
    // that differently from the bare statement, say so next to the figure.
    const QString engineSql = QStringLiteral("SELECT rowid,%1 FROM %2 WHERE (%3) AND rowid > ? ORDER BY rowid LIMIT ? OFFSET ?")
                                  .arg(columnsOf(table), table, condition);
    const QString enginePlan = planOf(db.handle(), engineSql);
    const QString barePlan = planOf(bare.database(), bareSql);
    const auto sorts = [](const QString& plan) { return plan.contains(QLatin1String("TEMP B-TREE")); };
    if (sorts(enginePlan) == sorts(barePlan))
        return;
    const double sameForm = medianMs(runs, [&](int run) {
        QVariantList bound = values(run);
        bound << std::numeric_limits<qint64>::min() << Dataset::RowsPerPage << 0;
        bareSelect(bare, engineSql, bound, Dataset::RowsPerPage);
    });
    notes << QStringLiteral("%1: the %2 plan sorts, the %3 does not (engine: %4; bare: %5). "
                            "Bare with the engine's statement: %6 ms, ratio %7x.")
                 .arg(operation, sorts(barePlan) ? QStringLiteral("bare") : QStringLiteral("engine"),
                      sorts(barePlan) ? QStringLiteral("engine's") : QStringLiteral("bare"), enginePlan, barePlan)
                 .arg(sameForm, 0, 'f', 4)
                 .arg(engine / sameForm, 0, 'f', 2);
}

void measureQueries(Database& db, BareStatements& bare)
{
    const QStringList districts = allDistricts();
    measureFirstPage(db, bare, QStringLiteral("sdgiris Semtadi = ? AND Durum = ?, first page"), 20,
                     QStringLiteral("sdgiris"), QStringLiteral("Semtadi = ? AND Durum = ?"),
                     [&](int run) {
                         return QVariantList{districts.at(run % districts.size()), QStringLiteral("Satılmadı")};
                     },
                     2.0);
    measureFirstPage(db, bare, QStringLiteral("kdgiris Fiyati > ? AND Fiyati < ?, first page"), 20,
                     QStringLiteral("kdgiris"), QStringLiteral("Fiyati > ? AND Fiyati < ?"),
                     [](int run) {
                         const double low = 1000.0 + run * 2000.0; // 2,000-wide bands, about 4% of the rows
                         return QVariantList{low, low + 2000.0};
                     },
                     2.0);
}

// The Turkish LIKE against SQLite's own: the same statement on two
// connections, one with the engine's LIKE installed, one without. The bare
// LIKE folds only ASCII letters, which finds the same rows here (no
// generated district but Kadıköy starts with "kad").
void measureLike(Database& db, BareStatements& bare)
{
    const QString count = QStringLiteral("SELECT count(*) FROM kdgiris WHERE Semtadi LIKE ?");
    const QVariantList prefix{QStringLiteral("kad%")};
    qint64 engineRows = 0, bareRows = 0;
    const double engine = medianMs(10, [&](int) {
        SqlStatement statement(db, count);
        statement.bind(prefix);
        statement.step();
        engineRows = sqlite3_column_int64(statement.get(), 0);
    });
    const double plain = medianMs(10, [&](int) { bareRows = bareInteger(bare, count, prefix); });
    report(QStringLiteral("LIKE 'kad%' over all 100,000 rows (count)"), 10, engine, plain, 1.5);
    if (engineRows != bareRows)
        notes << QStringLiteral("WARNING: LIKE: the engine counts %1 rows, bare SQLite %2").arg(engineRows).arg(bareRows);

    measureFirstPage(db, bare, QStringLiteral("kdgiris Semtadi LIKE 'kad%', first page (*)"), 20,
                     QStringLiteral("kdgiris"), QStringLiteral("Semtadi LIKE ?"),
                     [](int) { return QVariantList{QStringLiteral("kad%")}; }, 1.5);
    notes << QStringLiteral("(*) the engine's LIKE folds Turkish letters (\"kad%\" finds \"KADIKÖY\", \"Kadıköy\"); "
                            "the bare connection uses SQLite's own LIKE, which folds ASCII only.");
}

void measureWalk(Database& db, BareStatements& bare)
{
    constexpr int runs = 5;
    const QString oneField = QStringLiteral("SELECT \"Fiyati\" FROM \"kdgiris\"");
    qint64 walked = 0, bareWalked = 0;
    const double engine = medianMs(runs, [&](int) {
        RowStream rows(db, Statement(QStringLiteral("kdgiris")), {QStringLiteral("Fiyati")});
        while (rows.next())
            sink += quint64(rows.number(0));
        walked = rows.rowsRead();
    });
    const double plain = medianMs(runs, [&](int) {
        RawStatement& stmt = bare(oneField);
        bareWalked = 0;
        while (stmt.step()) {
            sink += quint64(sqlite3_column_double(stmt.get(), 0));
            ++bareWalked;
        }
        stmt.reset();
    });
    report(QStringLiteral("stream all %1 rows of kdgiris, one number").arg(walked), runs, engine, plain, 2.0);
    if (walked != bareWalked || walked != ListingRows)
        notes << QStringLiteral("WARNING: walk: the engine read %1 rows, bare SQLite %2").arg(walked).arg(bareWalked);

    const QString oneText = QStringLiteral("SELECT \"Semtadi\" FROM \"kdgiris\"");
    const double engineText = medianMs(runs, [&](int) {
        RowStream rows(db, Statement(QStringLiteral("kdgiris")), {QStringLiteral("Semtadi")});
        while (rows.next())
            sink += quint64(rows.text(0).size());
    });
    const double plainText = medianMs(runs, [&](int) {
        RawStatement& stmt = bare(oneText);
        while (stmt.step())
            sink += quint64(sqlite3_column_bytes(stmt.get(), 0));
        stmt.reset();
    });
    report(QStringLiteral("stream all rows of kdgiris, one text as QString (+)"), runs, engineText, plainText);
    notes << QStringLiteral("(+) the bare side reads the UTF-8 bytes; the engine also makes a QString of each.");

    // The cursor's path, as a screen that walks a query with next() uses it:
    // each row sought by key and read whole. Bare steps one statement in key
    // order reading every column: the price of the cursor over the stream.
    std::unique_ptr<Query> query;
    int cursorRows = 0;
    const double cursor = medianMs(
        1,
        [&](int) {
            query = std::make_unique<Query>(db);
            query->setStatement(Statement(QStringLiteral("kdgiris")));
            query->open();
            const int price = query->fieldIndex(QStringLiteral("Fiyati"));
            for (cursorRows = 0; !query->eof(); ++cursorRows) {
                sink += quint64(query->value(price).toDouble());
                query->next();
            }
        },
        [&](int) { query.reset(); });
    const QString allInOrder = QStringLiteral("SELECT rowid,%1 FROM kdgiris ORDER BY rowid").arg(columnsOf("kdgiris"));
    const double cursorPlain = medianMs(1, [&](int) { bareSelect(bare, allInOrder, {}, ListingRows + 1); });
    report(QStringLiteral("walk %1 rows of a query by next() (=)").arg(cursorRows), 1, cursor,
           cursorPlain);
    notes << QStringLiteral("(=) a cursor seeks every row by its key and reads it whole, where bare steps one "
                            "statement: walk whole registers with RowStream (the line above it), not with next().");
}

void measurePost(Database& db, sqlite3* bareDb, BareStatements& bare)
{
    constexpr int runs = 20;
    bareExec(bareDb, "PRAGMA synchronous = FULL");
    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    const double engine = medianMs(runs, [&](int) {
        table.append();
        table.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        table.setText(QStringLiteral("Fiyati"), QStringLiteral("12500"));
        table.setText(QStringLiteral("Durum"), QStringLiteral("Kiralanmadı"));
        table.post();
    });

    // The same row: every field but the key, blanks as the engine writes them.
    const TableSchema& schema = Catalogue::table(QStringLiteral("kdgiris"));
    QStringList names, marks;
    QVariantList row;
    for (const FieldSchema& field : schema.fields) {
        if (field.isKey())
            continue;
        names << Database::quoted(field.name);
        marks << QStringLiteral("?");
        if (field.name == QLatin1String("Semtadi"))
            row << QStringLiteral("Kadıköy");
        else if (field.name == QLatin1String("Fiyati"))
            row << 12500.0;
        else if (field.name == QLatin1String("Durum"))
            row << QStringLiteral("Kiralanmadı");
        else
            row << FieldFormat::blank(field);
    }
    const QString insertSql = QStringLiteral("INSERT INTO \"kdgiris\" (%1) VALUES (%2)")
                                  .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    const double plain = medianMs(runs, [&](int) {
        bareExec(bareDb, "BEGIN IMMEDIATE");
        RawStatement& insert = bare(insertSql);
        for (int i = 0; i < row.size(); ++i) {
            if (row.at(i).isNull())
                sqlite3_bind_null(insert.get(), i + 1);
            else
                insert.bind(i + 1, row.at(i));
        }
        insert.step();
        insert.reset();
        bareExec(bareDb, "COMMIT");
    });
    report(QStringLiteral("post one new record (durable, WAL, full sync)"), runs, engine, plain, 1.5);

    // Leave the store as generated for the next run.
    bareExec(bareDb, QStringLiteral("DELETE FROM kdgiris WHERE No > %1").arg(ListingRows).toUtf8().constData());
}

// Ctrl+End on a grid over the whole register, as resident memory sees it.
void measureMemory(Database& db)
{
    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    DatasetModel model;
    model.setDataset(&table, {{QStringLiteral("Semtadi"), {}}, {QStringLiteral("Fiyati"), {}},
                              {QStringLiteral("Metre2"), {}}, {QStringLiteral("Oda"), {}}});
    for (int row = 0; row < 30; ++row)
        for (int column = 0; column < model.columnCount(); ++column)
            sink += quint64(model.data(model.index(row, column), Qt::DisplayRole).toString().size());
    const qint64 before = residentKb();
    const qint64 heapBefore = heapKb();
    QElapsedTimer timer;
    timer.start();
    table.last(); // the model offers rows as far as the last one
    for (int row = model.rowCount() - 30; row < model.rowCount(); ++row)
        for (int column = 0; column < model.columnCount(); ++column)
            sink += quint64(model.data(model.index(row, column), Qt::DisplayRole).toString().size());
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const qint64 after = residentKb();
    const qint64 heapAfter = heapKb();
    std::printf("  Ctrl+End on a grid model over %d rows: %.2f ms; heap in use %+.2f MB; resident %+.1f MB (#)\n",
                model.rowCount(), ms, (heapAfter - heapBefore) / 1024.0, (after - before) / 1024.0);
    notes << QStringLiteral("(#) resident memory counts the pages of the store file that SQLite's count(*) touched "
                            "through its memory map (mmap_size): file cache the system can drop at will, not memory "
                            "the program holds; the heap figure is what the program allocated.");
}

// A phone book of 1,500 contacts, each with a 200 KB photograph: the main
// window's grid scrolled through every row. Its pages hold whether a row has a
// picture, not the picture, so the heap stays small; the bare loop reads the
// same four columns and the same mark.
void measurePhotoPages(const QString& folder)
{
    constexpr int contacts = 1500;
    QDir(folder).mkpath(QStringLiteral("photos"));
    const QString photoFolder = QDir(folder).filePath(QStringLiteral("photos"));
    if (!QFileInfo::exists(QDir(photoFolder).filePath(Catalogue::StoreFileName))) {
        const std::unique_ptr<Database> fresh = Catalogue::openStore(photoFolder);
        const QByteArray photo(200 * 1024, 'p');
        fresh->inTransaction([&] {
            for (int i = 0; i < contacts; ++i) {
                SqlStatement insert(*fresh, QStringLiteral("INSERT INTO tel (Ad, Soyad, Telefon, Resim) VALUES (?,?,?,?)"));
                insert.bind({QStringLiteral("Ad %1").arg(i), QStringLiteral("Soyad"), QStringLiteral("(532) 000-00-00"),
                             photo});
                insert.step();
            }
        });
    }
    const std::unique_ptr<Database> store = Catalogue::openStore(photoFolder);
    Table table(*store, QStringLiteral("tel"));
    table.open();
    DatasetModel model;
    model.setDataset(&table, {{QStringLiteral("Ad"), {}}, {QStringLiteral("Soyad"), {}},
                              {QStringLiteral("Telefon"), {}}, {QStringLiteral("Resim"), {}}});
    const qint64 heapBefore = heapKb();
    QElapsedTimer timer;
    timer.start();
    table.last();
    for (int row = 0; row < model.rowCount(); ++row)
        for (int column = 0; column < model.columnCount(); ++column)
            sink += quint64(model.data(model.index(row, column), Qt::DisplayRole).toString().size());
    const double engine = double(timer.nsecsElapsed()) / 1e6;
    const qint64 heapAfter = heapKb();

    sqlite3* bare = nullptr;
    sqlite3_open_v2(QDir(photoFolder).filePath(Catalogue::StoreFileName).toUtf8().constData(), &bare,
                    SQLITE_OPEN_READONLY, nullptr);
    timer.restart();
    {
        RawStatement rows(bare, QStringLiteral("SELECT rowid, Ad, Soyad, Telefon, length(Resim) > 0 FROM tel ORDER BY rowid"));
        while (rows.step())
            for (int column = 1; column <= 4; ++column)
                sink += quint64(sqlite3_column_bytes(rows.get(), column));
    }
    const double plain = double(timer.nsecsElapsed()) / 1e6;
    sqlite3_close_v2(bare);
    report(QStringLiteral("grid through %1 contacts with photographs").arg(model.rowCount()), 1, engine, plain);
    std::printf("  heap in use after scrolling every row: %+.2f MB (the photographs are %.0f MB)\n",
                (heapAfter - heapBefore) / 1024.0, contacts * 200.0 / 1024.0);
}

// --- the bulk comparison ----------------------------------------------------------------

// Answers the matching's dialogs: no progress window, notices collected.
struct QuietDialogs : MatchingDialogs {
    QStringList notices;
    QString saveFileName(QWidget*, const QString&) override { return {}; }
    bool useCurrentPrinter(QPrinter&) override { return false; }
    bool choosePrinter(QWidget*, QPrinter&) override { return false; }
    bool progress(QWidget*, int, int, qint64) override { return true; }
    void endProgress() override {}
    void inform(QWidget*, const QString& message) override { notices << message; }
};

// What the bare loop found: requests walked, listing rows, and the UTF-8
// bytes of the texts it would print.
struct BareTally {
    int requests = 0;
    qint64 listings = 0;
};

// The bulk comparison as a careful hand-written program would do it on bare
// SQLite: the requests in key order, the same five tests on their UTF-8
// bytes, and for the register whose test holds one prepared statement with
// the same SQL as the program's (so the same plan), its values bound, every
// printed column read. Stops after `requests` requests, as the program did.
BareTally bareBulkComparison(BareStatements& bare, int criterion, int requests)
{
    using namespace Matching;
    static const QByteArray flat("Daire"), plot("Arsa"), farm("Arazi");
    const QByteArray rent = Catalogue::Lists::RequestedDeal.at(0).toUtf8();
    const QByteArray buy = Catalogue::Lists::RequestedDeal.at(1).toUtf8();
    struct Lookup {
        QString sql;
        QByteArray fixedStatus;
        bool byKind;
    };
    std::vector<Lookup> lookups;
    for (const RegisterRule& r : registers()) {
        QStringList columns;
        for (const QString& field : listingLineFields(r.id))
            columns << Database::quoted(field);
        // The condition text is the program's (no value is in it): both sides ask the same question.
        const Statement probe = statementFor(r.id, Request{}, criterion);
        lookups.push_back({QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                               .arg(columns.join(QLatin1Char(',')), Database::quoted(r.table), probe.condition()),
                           r.availableStatus.toUtf8(), r.byKind});
    }
    const Criterion& c = criteria().at(criterion);
    const auto view = [](sqlite3_stmt* s, int column) {
        return QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(s, column)),
                              sqlite3_column_bytes(s, column));
    };
    const auto bindText = [](sqlite3_stmt* s, int at, QByteArrayView text) {
        sqlite3_bind_text(s, at, text.data() ? text.data() : "", int(text.size()), SQLITE_STATIC);
    };
    const auto bindNumber = [](sqlite3_stmt* s, int at, sqlite3_stmt* from, int column) {
        if (sqlite3_column_type(from, column) == SQLITE_NULL)
            sqlite3_bind_null(s, at);
        else
            sqlite3_bind_double(s, at, sqlite3_column_double(from, column));
    };

    BareTally tally;
    RawStatement& walk = bare(QStringLiteral("SELECT \"No\",\"Isim\",\"Telefon\",\"Semtadi\",\"Emlak\",\"Istek\","
                                             "\"Fiyatilkdeger\",\"Ikincifiyat\",\"IlkMetre2\",\"Ikincimetre2\" "
                                             "FROM \"musteritalepleri\" ORDER BY rowid"));
    while (tally.requests < requests && walk.step()) {
        sqlite3_stmt* request = walk.get();
        ++tally.requests;
        sink += quint64(sqlite3_column_bytes(request, 1) + sqlite3_column_bytes(request, 2));
        const QByteArrayView kind = view(request, 4);
        const QByteArrayView wish = view(request, 5);
        const bool land = kind == plot || kind == farm;
        int held = -1;
        if (land)
            held = int(Register::Land);
        else if (kind == flat)
            held = wish == rent ? int(Register::RentalFlats) : wish == buy ? int(Register::SaleFlats) : -1;
        else
            held = wish == rent ? int(Register::RentalProperties) : wish == buy ? int(Register::SaleProperties) : -1;
        if (held < 0)
            continue;
        const Lookup& lookup = lookups[size_t(held)];
        RawStatement& listings = bare(lookup.sql);
        sqlite3_stmt* s = listings.get();
        int at = 1;
        if (c.district)
            bindText(s, at++, view(request, 3));
        bindText(s, at++, lookup.fixedStatus.isEmpty() ? wish : QByteArrayView(lookup.fixedStatus));
        if (lookup.byKind)
            bindText(s, at++, kind);
        if (c.price) {
            bindNumber(s, at++, request, 6);
            bindNumber(s, at++, request, 7);
        }
        if (c.area) {
            bindNumber(s, at++, request, 8);
            bindNumber(s, at++, request, 9);
        }
        while (listings.step()) {
            readAllColumns(s);
            ++tally.listings;
        }
        listings.reset();
    }
    walk.reset();
    return tally;
}

// asnumber() as a hand-written program would register it on its own
// connection, to read a land area held as text: "1500", "85,5" (decimal
// comma), "1.250" (Turkish grouping); NULL for a text that is no number.
void bareAsNumber(sqlite3_context* context, int, sqlite3_value** argv)
{
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        sqlite3_result_double(context, sqlite3_value_double(argv[0]));
        return;
    }
    if (type != SQLITE_TEXT)
        return;
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string_view typed(text, size_t(sqlite3_value_bytes(argv[0])));
    const bool decimalComma = typed.find(',') != std::string_view::npos;
    // Dots are groups of three when there is a decimal comma or every part after a dot has three digits.
    bool grouped = decimalComma;
    if (!grouped && typed.find('.') != std::string_view::npos) {
        grouped = true;
        size_t at = typed.find('.');
        while (at != std::string_view::npos) {
            const size_t next = typed.find('.', at + 1);
            const size_t end = next == std::string_view::npos ? typed.size() : next;
            grouped = grouped && end - at - 1 == 3;
            at = next;
        }
    }
    std::string plain;
    for (const char c : typed) {
        if (c == ' ' || (c == '.' && grouped))
            continue;
        plain += c == ',' ? '.' : c;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error == std::errc() && end == plain.data() + plain.size() && !plain.empty())
        sqlite3_result_double(context, value);
}

// SQLite's plan for each register's statement under the criterion, as notes.
void notePlans(sqlite3* db, int criterion, const QString& when)
{
    using namespace Matching;
    for (const RegisterRule& r : registers()) {
        QStringList columns;
        for (const QString& field : listingLineFields(r.id))
            columns << Database::quoted(field);
        const Statement probe = statementFor(r.id, Request{}, criterion);
        const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                .arg(columns.join(QLatin1Char(',')), Database::quoted(r.table), probe.condition());
        notes << QStringLiteral("  %1 %2 %3: %4").arg(when, criteria().at(criterion).item, r.table, planOf(db, sql));
    }
}

// The whole bulk comparison as the clerk runs it: MatchScreen's "Yazdır"
// over the request list's whole register, the list shown on
// MatchListScreen, against the bare loop doing the same lookups. Under a
// criterion whose list does not fit the box the program stops at the
// request that would overflow it, and the bare loop stops there too.
void measureBulkComparison(Database& db, BareStatements& bare, sqlite3* bareDb, bool plans)
{
    constexpr int runs = 3;
    sqlite3_create_function_v2(bareDb, "asnumber", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, bareAsNumber,
                               nullptr, nullptr, nullptr);
    QuietDialogs dialogs;
    setMatchingDialogs(&dialogs);
    Screens screens(db);
    ScreenMakers makers = searchScreens();
    makers << matchingScreens();
    screens.createAll(makers);
    auto* match = screens.get<MatchScreen>(MatchScreen::programName());
    auto* list = screens.get<MatchListScreen>(MatchListScreen::programName());

    for (int criterion = 0; criterion < Matching::CriterionCount; ++criterion) {
        match->selectCriterion(criterion);
        const double program = medianMs(runs, [&](int) {
            match->compareAll();
            QApplication::processEvents(); // the list painted
        });
        const int walked = list->box()->lineCount() == 0 ? 0 : [&] {
            int blocks = 0;
            for (const QString& line : list->box()->lines())
                blocks += line.startsWith(QStringLiteral("    İsim : "));
            return blocks;
        }();
        const qint64 lines = list->box()->lineCount();
        const bool full = !dialogs.notices.isEmpty();
        dialogs.notices.clear();

        BareTally tally;
        const double plain = medianMs(runs, [&](int) { tally = bareBulkComparison(bare, criterion, walked); });
        const QString name = QStringLiteral("bulk \"%1\": %2 requests, %3 lines%4")
                                 .arg(Matching::criteria().at(criterion).item)
                                 .arg(walked)
                                 .arg(lines)
                                 .arg(full ? QStringLiteral(", list full") : QString());
        report(name, runs, program, plain, full ? 0.0 : 2.0);
        if (lines != 3 * (walked + tally.listings))
            notes << QStringLiteral("WARNING: bulk \"%1\": %2 lines, where the bare loop's %3 requests and %4 "
                                    "listings make %5")
                         .arg(Matching::criteria().at(criterion).item)
                         .arg(lines)
                         .arg(tally.requests)
                         .arg(tally.listings)
                         .arg(3 * (tally.requests + tally.listings));
        if (plans)
            notePlans(bareDb, criterion, QStringLiteral("plan"));
    }
    notes << QStringLiteral("bulk: the program's figure is MatchScreen's \"Yazdır\" to the list painted on "
                            "MatchListScreen; \"list full\": the list reached %1 characters and the run stopped "
                            "there (the clerk is told which requests were left out), the bare loop stopping at the "
                            "same request.")
                 .arg(Matching::BulkComparison::ListCapacity);
    setMatchingDialogs(nullptr);
}

int run(const QString& folder, const QString& only)
{
    const QString path = QDir(folder).filePath(Catalogue::StoreFileName);
    if (!QFileInfo::exists(path))
        generateStore(folder);
    checkGeneratedStore(path);
    std::printf("Store: %s (%.0f MB), SQLite %s, median of N runs after one warm-up run\n"
                "(other work on the machine moves single figures by a third either way; compare ratios)\n\n",
                qPrintable(path), QFileInfo(path).size() / 1e6, sqlite3_libversion());
    std::printf("  %-52s %4s %10s %10s %8s  %s\n", "operation", "runs", "engine ms", "bare ms", "ratio", "target");
    std::printf("  %s\n", QString(100, QLatin1Char('-')).toLatin1().constData());

    const auto wanted = [&](const char* name) { return only.isEmpty() || only == QLatin1String(name); };
    if (wanted("startup"))
        measureStartUp(folder, path);

    const std::unique_ptr<Database> db = Catalogue::openStore(folder);
    sqlite3* bareDb = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &bareDb, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw DataError(QStringLiteral("bare connection: %1").arg(QString::fromUtf8(sqlite3_errmsg(bareDb))));
    sqlite3_busy_timeout(bareDb, 5000);
    // The bare connection reads as the engine's does.
    bareExec(bareDb, "PRAGMA mmap_size = 1073741824");
    bareExec(bareDb, "PRAGMA cache_size = -32768");

    try {
        BareStatements bare(bareDb);
        if (wanted("open"))
            measureOpen(*db, bare);
        if (wanted("move"))
            measureMoves(*db, bare);
        if (wanted("last"))
            measureLast(*db, bare);
        if (wanted("locate"))
            measureLocate(*db, bare);
        if (wanted("queries"))
            measureQueries(*db, bare);
        if (wanted("like"))
            measureLike(*db, bare);
        if (wanted("walk"))
            measureWalk(*db, bare);
        if (wanted("post"))
            measurePost(*db, bareDb, bare);
        if (wanted("bulk") || only == QLatin1String("plans"))
            measureBulkComparison(*db, bare, bareDb, only == QLatin1String("plans"));
        std::printf("\n");
        if (wanted("memory")) {
            measureMemory(*db);
            measurePhotoPages(folder);
        }
    } catch (...) {
        sqlite3_close_v2(bareDb);
        throw;
    }
    sqlite3_close_v2(bareDb);

    std::printf("\n");
    for (const QString& note : notes)
        std::printf("%s\n", qPrintable(note));
    std::printf("Memory high-water (VmHWM): %s\n", qPrintable(bench::memoryHighWater()));
    std::printf("(checksum of the values read: %llu)\n", static_cast<unsigned long long>(sink));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The bulk comparison shows its list in a window; the figures need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The offscreen platform says it cannot raise a window each time the list is shown.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (!message.contains(QLatin1String("does not support raise()")))
            qt_message_output(type, context, message);
    });
    LocaleFormats::useTurkish(); // numbers in the list are written as the program writes them
    const QStringList args = app.arguments();
    // --only NAME runs one group of measurements (for a profiler).
    QString only;
    QStringList positional;
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--only") && i + 1 < args.size())
            only = args.at(++i);
        else
            positional << args.at(i);
    }
    const QString folder =
        positional.isEmpty() ? QDir::current().filePath(QStringLiteral("bench-data")) : positional.first();
    try {
        return run(folder, only);
    } catch (const DataError& error) {
        std::fprintf(stderr, "bench_engine: %s\n", qPrintable(error.message()));
        return 1;
    }
}
