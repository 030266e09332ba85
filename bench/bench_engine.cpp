// Times the data engine against the same work done on bare SQLite, on a store
// of realistic size (100,000 listings per register), so a slow path in the
// engine shows up as a ratio rather than as a vague "the screen feels slow".
//
//   bench_engine [data-folder]     (default: ./bench-data)
//
// The first run generates the store (deterministically); later runs reuse it.

#include "data/catalogue.h"
#include "data/shippeddata.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
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

void report(const QString& operation, int runs, double engine, double bare)
{
    std::printf("  %-46s %4d %10.3f %10.3f %8.1fx\n", qPrintable(operation), runs, engine, bare, engine / bare);
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

// Prepares, binds, steps up to `rows` rows reading every column, finalizes.
void bareSelect(sqlite3* db, const char* sql, const QVariantList& values, int rows)
{
    RawStatement stmt(db, QString::fromUtf8(sql));
    for (int i = 0; i < values.size(); ++i)
        stmt.bind(i + 1, values.at(i));
    for (int row = 0; row < rows && stmt.step(); ++row)
        readAllColumns(stmt.get());
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

// --- engine helpers -----------------------------------------------------------------

void readRecord(const Dataset& dataset)
{
    for (int f = 0; f < dataset.fieldCount(); ++f)
        sink += quint64(dataset.value(f).userType());
}

void readRows(const Dataset& dataset, int rows)
{
    const int available = std::min(rows, dataset.fetchedCount());
    for (int row = 0; row < available; ++row)
        for (int f = 0; f < dataset.fieldCount(); ++f)
            sink += quint64(dataset.valueAt(row, f).userType());
}

// Gives the benchmark the one thing a screen never needs: forgetting the
// cached row pages, so a move is timed as the first visit to that row.
class BenchTable : public Table {
public:
    using Table::Table;
    void forgetPages() { invalidateRows(); }
};

// The engine and the bare statement must show the same rows, or the timings
// compare different work.
void checkSameRows(Query& query, sqlite3* bare, const char* sql, const QVariantList& values, const QString& what)
{
    RawStatement stmt(bare, QString::fromUtf8(sql));
    for (int i = 0; i < values.size(); ++i)
        stmt.bind(i + 1, values.at(i));
    int row = 0;
    for (; row < PageRows && stmt.step(); ++row) {
        if (query.keyAt(row) != sqlite3_column_int64(stmt.get(), 0)) {
            notes << QStringLiteral("WARNING: %1: engine and bare differ at row %2").arg(what).arg(row);
            return;
        }
    }
    if (row < PageRows && query.fetchedCount() > row)
        notes << QStringLiteral("WARNING: %1: the engine found more rows than bare SQLite").arg(what);
}

// --- the measurements ------------------------------------------------------------------

void measureStartUp(const QString& folder, const QString& path)
{
    constexpr int runs = 10;
    std::unique_ptr<Database> store;
    const double engine = medianMs(
        runs, [&](int) { store = Catalogue::openStore(folder); }, [&](int) { store.reset(); });
    store.reset();

    sqlite3* bare = nullptr;
    const auto closeBare = [&](int) {
        sqlite3_close(bare);
        bare = nullptr;
    };
    const double plain = medianMs(
        runs,
        [&](int) {
            sqlite3_open_v2(path.toUtf8().constData(), &bare, SQLITE_OPEN_READWRITE, nullptr);
            bareSelect(bare, "SELECT count(*) FROM sqlite_master", {}, 1);
        },
        closeBare);
    closeBare(0);
    report(QStringLiteral("start-up (open store, check all tables)"), runs, engine, plain);
}

void measureOpen(Database& db, sqlite3* bare)
{
    constexpr int runs = 20;
    std::unique_ptr<Table> table;
    const double engine = medianMs(
        runs,
        [&](int) {
            table = std::make_unique<Table>(db, QStringLiteral("kdgiris"));
            table->open();
            readRecord(*table);
        },
        [&](int) { table.reset(); });
    const double plain = medianMs(runs, [&](int) {
        bareSelect(bare, "SELECT * FROM kdgiris ORDER BY rowid LIMIT 1", {}, 1);
    });
    report(QStringLiteral("open kdgiris, read first record"), runs, engine, plain);
}

void measureLast(Database& db, sqlite3* bare)
{
    constexpr int runs = 20;
    const char* lastRow = "SELECT * FROM kdgiris ORDER BY rowid DESC LIMIT 1";

    BenchTable table(db, QStringLiteral("kdgiris"));
    table.open();
    const double engine = medianMs(
        runs,
        [&](int) {
            table.last();
            readRecord(table);
        },
        [&](int) {
            table.first();
            table.forgetPages();
        });
    const double plain = medianMs(runs, [&](int) { bareSelect(bare, lastRow, {}, 1); });
    report(QStringLiteral("last (keys already fetched, page not cached)"), runs, engine, plain);

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
    const double freshPlain = medianMs(runs, [&](int) { bareSelect(bare, lastRow, {}, 1); });
    report(QStringLiteral("fresh open + last"), runs, freshEngine, freshPlain);

    // The engine numbers rows by their place, so last() needs every key; the
    // same walk over the keys on bare SQLite shows what that costs by itself.
    const double keyWalk = medianMs(runs, [&](int) {
        std::vector<qint64> keys;
        RawStatement stmt(bare, QStringLiteral("SELECT rowid FROM kdgiris ORDER BY rowid"));
        while (stmt.step())
            keys.push_back(sqlite3_column_int64(stmt.get(), 0));
        bareSelect(bare, "SELECT * FROM kdgiris WHERE rowid = ?", {keys.back()}, 1);
    });
    report(QStringLiteral("fresh open + last vs bare: all keys + last row"), runs, freshEngine, keyWalk);
}

void measureLocate(Database& db, sqlite3* bare)
{
    constexpr int runs = 50;
    std::vector<qint64> keys;
    Rng rng(Seed + 1);
    for (int run = 0; run <= runs; ++run)
        keys.push_back(rng.between(1, ListingRows));

    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    const double engine = medianMs(runs, [&](int run) {
        if (!table.locate(QStringLiteral("No"), keys[size_t(run)]))
            throw DataError(QStringLiteral("locate found no record %1").arg(keys[size_t(run)]));
        readRecord(table);
    });
    const double plain = medianMs(runs, [&](int run) {
        bareSelect(bare, "SELECT * FROM kdgiris WHERE No = ?", {keys[size_t(run)]}, 1);
    });
    report(QStringLiteral("locate No = random key (open table)"), runs, engine, plain);
}

// One query to its first page of rows, engine against bare.
void measureFirstPage(Database& db, sqlite3* bare, const QString& operation, int runs, const QString& table,
                      const QString& condition, const char* bareSql, const std::function<QVariantList(int)>& values)
{
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
            readRows(*query, PageRows);
        },
        [&](int) { query.reset(); });
    const double plain = medianMs(runs, [&](int run) { bareSelect(bare, bareSql, values(run), PageRows); });
    report(operation, runs, engine, plain);

    openQuery(1);
    checkSameRows(*query, bare, bareSql, values(1), operation);
}

// The bare statements ask for the engine's rows (key order) and say how many
// are wanted (PageRows), as a hand-written first page would.
void measureQueries(Database& db, sqlite3* bare)
{
    const QStringList districts = allDistricts();
    measureFirstPage(db, bare, QStringLiteral("sdgiris Semtadi = ? AND Durum = ?, 50 rows"), 20,
                     QStringLiteral("sdgiris"), QStringLiteral("Semtadi = ? AND Durum = ?"),
                     "SELECT * FROM sdgiris WHERE (Semtadi = ? AND Durum = ?) ORDER BY rowid LIMIT 50", [&](int run) {
                         return QVariantList{districts.at(run % districts.size()), QStringLiteral("Satılmadı")};
                     });

    measureFirstPage(db, bare, QStringLiteral("kdgiris Fiyati > ? AND Fiyati < ?, 50 rows"), 20,
                     QStringLiteral("kdgiris"), QStringLiteral("Fiyati > ? AND Fiyati < ?"),
                     "SELECT * FROM kdgiris WHERE (Fiyati > ? AND Fiyati < ?) ORDER BY rowid LIMIT 50", [](int run) {
                         const double low = 1000.0 + run * 2000.0; // 2,000-wide bands, about 4% of the rows
                         return QVariantList{low, low + 2000.0};
                     });

    measureFirstPage(db, bare, QStringLiteral("kdgiris Semtadi LIKE 'kad%', 50 rows (*)"), 10,
                     QStringLiteral("kdgiris"), QStringLiteral("Semtadi LIKE ?"),
                     "SELECT * FROM kdgiris WHERE (Semtadi LIKE ?) ORDER BY rowid LIMIT 50",
                     [](int) { return QVariantList{QStringLiteral("kad%")}; });
    notes << QStringLiteral("(*) the engine's LIKE folds Turkish letters (\"kad%\" finds \"KADIKÖY\", \"Kadıköy\"); "
                            "the bare connection uses SQLite's own ASCII-only LIKE.");
}

void measureFullWalk(Database& db, sqlite3* bare)
{
    constexpr int runs = 5;
    int walked = 0;
    std::unique_ptr<Query> query;
    const double engine = medianMs(
        runs,
        [&](int) {
            query = std::make_unique<Query>(db);
            query->setStatement(Statement(QStringLiteral("kdgiris")));
            query->open();
            const int price = query->fieldIndex(QStringLiteral("Fiyati"));
            const int count = query->recordCount();
            for (walked = 0; walked < count; ++walked) {
                sink += quint64(query->value(price).toDouble());
                query->next();
            }
        },
        [&](int) { query.reset(); });
    const double plain = medianMs(runs, [&](int) {
        RawStatement stmt(bare, QStringLiteral("SELECT * FROM kdgiris ORDER BY rowid"));
        const int price = Catalogue::table(QStringLiteral("kdgiris")).indexOf(QStringLiteral("Fiyati"));
        while (stmt.step())
            sink += quint64(sqlite3_column_double(stmt.get(), price));
    });
    report(QStringLiteral("walk all %1 rows of kdgiris, one field").arg(walked), runs, engine, plain);
}

void measurePost(Database& db, sqlite3* bare)
{
    constexpr int runs = 10;
    bareExec(bare, "PRAGMA synchronous = FULL");
    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    const double engine = medianMs(runs, [&](int) {
        table.append();
        table.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        table.setText(QStringLiteral("Fiyati"), QStringLiteral("12500"));
        table.setText(QStringLiteral("Durum"), QStringLiteral("Kiralanmadı"));
        table.post();
    });
    const double plain = medianMs(runs, [&](int) {
        bareExec(bare, "BEGIN");
        RawStatement insert(bare, QStringLiteral("INSERT INTO kdgiris (Semtadi, Fiyati, Durum) VALUES (?, ?, ?)"));
        insert.bind(1, QStringLiteral("Kadıköy"));
        insert.bind(2, 12500.0);
        insert.bind(3, QStringLiteral("Kiralanmadı"));
        insert.step();
        bareExec(bare, "COMMIT");
    });
    report(QStringLiteral("post one new record (durable, WAL, full sync)"), runs, engine, plain);

    // Leave the store as generated for the next run.
    bareExec(bare, QStringLiteral("DELETE FROM kdgiris WHERE No > %1").arg(ListingRows).toUtf8().constData());
}

QString memoryHighWater()
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

int run(const QString& folder)
{
    const QString path = QDir(folder).filePath(Catalogue::StoreFileName);
    if (!QFileInfo::exists(path))
        generateStore(folder);
    checkGeneratedStore(path);
    std::printf("Store: %s (%.0f MB), SQLite %s, median of N runs after one warm-up run\n\n", qPrintable(path),
                QFileInfo(path).size() / 1e6, sqlite3_libversion());
    std::printf("  %-46s %4s %10s %10s %9s\n", "operation", "runs", "engine ms", "bare ms", "ratio");
    std::printf("  %s\n", QString(83, QLatin1Char('-')).toLatin1().constData());

    measureStartUp(folder, path);

    const std::unique_ptr<Database> db = Catalogue::openStore(folder);
    sqlite3* bare = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &bare, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw DataError(QStringLiteral("bare connection: %1").arg(QString::fromUtf8(sqlite3_errmsg(bare))));
    sqlite3_busy_timeout(bare, 5000);

    try {
        measureOpen(*db, bare);
        measureLast(*db, bare);
        measureLocate(*db, bare);
        measureQueries(*db, bare);
        measureFullWalk(*db, bare);
        measurePost(*db, bare);
    } catch (...) {
        sqlite3_close(bare);
        throw;
    }
    sqlite3_close(bare);

    std::printf("\n");
    for (const QString& note : notes)
        std::printf("%s\n", qPrintable(note));
    std::printf("Memory high-water (VmHWM): %s\n", qPrintable(memoryHighWater()));
    std::printf("(checksum of the values read: %llu)\n", static_cast<unsigned long long>(sink));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString folder = args.size() > 1 ? args.at(1) : QDir::current().filePath(QStringLiteral("bench-data"));
    try {
        return run(folder);
    } catch (const DataError& error) {
        std::fprintf(stderr, "bench_engine: %s\n", qPrintable(error.message()));
        return 1;
    }
}
