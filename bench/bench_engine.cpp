// Times the data engine against the same work done on bare SQLite, on a store
// of realistic size (100,000 listings per register), so a slow path in the
// engine shows up as a ratio rather than as a vague "the screen feels slow";
// and the program's start against a bare Qt window.
//
//   bench_engine [data-folder] [--only GROUP] [--shots DIR]   (default: ./bench-data)
//
// GROUP is one of startup, store, open, move, last, locate, queries, like,
// walk, post, memory, bulk: handy under a profiler (valgrind --tool=callgrind);
// "plans" runs bulk and also notes SQLite's plan of every lookup. The start-up
// rows need a display (xvfb-run -a); --shots keeps a screenshot of the first
// start of each kind at the moment timed, and once painted.
// The first run generates the store (deterministically); later runs reuse it.
//
// Every row is a twin: the engine's figure and a bare one doing the same
// work, timed in turns (bench::alternate), with a verdict against a target.
// The bare side does what the engine does, no less: the engine's statement
// texts where it has them (read from the engine at run time, or recorded on
// its connection and replayed), the same columns, rows and order, its
// statements prepared once and bound afresh, every column of a record read.
// It does not turn text into QString: that work is the engine's own, and
// shows in its figure.

#include "benchsupport.h"
#include "data/backups.h"
#include "data/catalogue.h"
#include "data/shippeddata.h"
#include "kit/screens.h"
#include "matching/bulkcomparison.h"
#include "matching/matchingdialogs.h"
#include "matching/matchingscreens.h"
#include "matching/matchrules.h"
#include "matching/matchscreen.h"
#include "platform/system/localeformats.h"
#include "search/searchscreens.h"
#include "platform/engine/database.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"
#include "platform/controls/datasetmodel.h"
#include "platform/engine/query.h"
#include "platform/engine/rowstream.h"
#include "platform/engine/table.h"
#include "platform/engine/turkishtext.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <malloc.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <optional>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int ListingRows = 100000;
constexpr int RequestRows = 10000;
constexpr quint64 Seed = 20240611;

const QStringList ListingTables{QStringLiteral("kdgiris"), QStringLiteral("sdgiris"), QStringLiteral("kegiris"),
                                QStringLiteral("segiris"), QStringLiteral("arsa")};

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
    RawStatement(sqlite3* db, const QString& sql) : m_stmt(bench::prepare(db, sql.toUtf8())) {}
    ~RawStatement() { sqlite3_finalize(m_stmt); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    void bind(int column, const QVariant& value)
    {
        bench::bindValue(m_stmt, column, bench::boundValue(value), SQLITE_TRANSIENT);
    }
    // True while rows come; throws on an error.
    bool step() { return bench::nextRow(m_stmt); }
    void reset() { sqlite3_reset(m_stmt); }
    sqlite3_stmt* get() const { return m_stmt; }

private:
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
        RawStatement insert(db.sqlite()->handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
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
        RawStatement insert(db.sqlite()->handle(), QStringLiteral("INSERT INTO semtler (Semtler) VALUES (?)"));
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

QStringList notes; // printed under the table

// --- bare SQLite helpers ----------------------------------------------------------

using bench::BareStatements;

void bindValues(sqlite3_stmt* stmt, const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        bench::bindValue(stmt, i + 1, bench::boundValue(values.at(i)), SQLITE_TRANSIENT);
}

// Binds, steps up to `rows` rows reading every column; returns the rows read.
int bareSelect(BareStatements& bare, const QByteArray& sql, const QVariantList& values, int rows)
{
    sqlite3_stmt* stmt = bare(sql);
    bindValues(stmt, values);
    int row = 0;
    for (; row < rows && bench::nextRow(stmt); ++row)
        bench::readColumns(stmt);
    sqlite3_reset(stmt);
    return row;
}

// The same for a statement whose one bound value is a key.
int bareSelectKey(BareStatements& bare, const QByteArray& sql, qint64 key)
{
    sqlite3_stmt* stmt = bare(sql);
    sqlite3_bind_int64(stmt, 1, key);
    int row = 0;
    for (; bench::nextRow(stmt); ++row)
        bench::readColumns(stmt);
    sqlite3_reset(stmt);
    return row;
}

qint64 bareInteger(BareStatements& bare, const QByteArray& sql, const QVariantList& values = {})
{
    sqlite3_stmt* stmt = bare(sql);
    bindValues(stmt, values);
    const qint64 n = bench::nextRow(stmt) ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_reset(stmt);
    return n;
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
        bench::checksum += quint64(dataset.value(f).userType());
}


qint64 heapKb()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64((info.uordblks + info.hblkhd) / 1024);
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
        bench::exec(bare, pragma);
    for (const TableSchema& table : Catalogue::tables())
        for (const IndexSchema& index : table.indexes) {
            QStringList fields;
            for (const QString& field : index.fields)
                fields << Database::quoted(field);
            bench::exec(bare, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
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
    bench::exec(copy, "PRAGMA journal_mode = DELETE");
    {
        RawStatement check(copy, QStringLiteral("PRAGMA quick_check(3)"));
        while (check.step()) {
        }
    }
    sqlite3_close(copy);
    QFile::remove(target);
}

using bench::alternate;
using bench::alternateFigures;
using bench::report;
using bench::Side;
using bench::TwinTimes;

// A twin's medians per step of a run of `steps` steps.
TwinTimes perStep(TwinTimes times, int steps)
{
    return {times.engine / steps, times.bare / steps};
}

// The store opened as the program opens it, against a bare program doing the
// same, and the day's backup off the start path.
void measureStoreOpening(const QString& folder, const QString& path)
{
    constexpr int runs = 5;
    sqlite3* bare = nullptr;
    const auto closeBare = [&] {
        sqlite3_close_v2(bare);
        bare = nullptr;
    };
    // The program's start: the store opened and the day's backup started on
    // its worker thread, which also checks every page for damage. The backup
    // is waited for outside the timing, so it does not run under the bare side.
    Backups::Start start;
    const auto awaitBackup = [&] {
        if (start.outcome.valid())
            start.outcome.wait();
        start = {};
    };
    const QDateTime now = QDateTime::currentDateTime();
    report(QStringLiteral("open and check the store, backup begun"), runs,
           alternateFigures(
               runs,
               [&](int run) {
                   QElapsedTimer timer;
                   timer.start();
                   start = Backups::openAtStart(folder, now.addSecs(run));
                   const double ms = double(timer.nsecsElapsed()) / 1e6;
                   awaitBackup();
                   return ms;
               },
               [&](int run) {
                   const double ms = bench::timeOnce({[&](int) { bare = bareOpen(path); }}, run);
                   closeBare();
                   return ms;
               }));

    // The backup and its check of every page, until the verdict. A store
    // written since its last backup is copied; the file's time is moved on
    // before each run so that this one is.
    const auto markChanged = [&](int) {
        QFile store(path);
        if (store.open(QIODevice::ReadWrite))
            store.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    };
    bare = bareOpen(path);
    const QString bareTarget = QDir(folder).filePath(QStringLiteral("bare-backup.sqlite"));
    report(QStringLiteral("day's backup and its check (on its own thread)"), runs,
           alternate(runs,
                     {[&](int run) { Backups::openAtStart(folder, now.addSecs(200 + run)).outcome.wait(); }, markChanged},
                     {[&](int) { bareBackupAndCheck(bare, bareTarget); }}));
    closeBare();
    // A store unchanged since its last backup is not copied again; that start
    // has no bare twin (there is no copy to make), so it is only noted.
    const double unchanged = bench::medianMs(runs, {[&](int run) {
        Backups::openAtStart(folder, now.addSecs(300 + run)).outcome.wait();
    }});
    notes << QStringLiteral("store: a start whose store is unchanged since its last backup makes no copy: %1 ms to "
                            "the verdict (no row: it has no twin).")
                 .arg(unchanged, 0, 'f', 2);
}

void measureOpen(Database& db, BareStatements& bare)
{
    constexpr int runs = 200;
    std::unique_ptr<Table> table;
    const QByteArray first =
        QStringLiteral("SELECT rowid,%1 FROM kdgiris ORDER BY rowid LIMIT 1").arg(columnsOf("kdgiris")).toUtf8();
    report(QStringLiteral("open kdgiris, read first record"), runs,
           alternate(runs,
                     {[&](int) {
                          table = std::make_unique<Table>(db, QStringLiteral("kdgiris"));
                          table->open();
                          readRecord(*table);
                      },
                      [&](int) { table.reset(); }},
                     {[&](int) { bareSelect(bare, first, {}, 1); }}));
}

void measureMoves(Database& db, BareStatements& bare)
{
    constexpr int runs = 20;
    constexpr int steps = 1000;
    const QString columns = columnsOf("kdgiris");
    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    std::vector<qint64> keys; // the keys the cursor passes, for the bare side
    for (int i = 0; i <= steps; ++i, table.next())
        keys.push_back(table.integer(QStringLiteral("No")));
    // next() reads ahead as the walk goes on: the bare side replays the
    // statements it ran, with the rows they gave.
    const bench::Replayed forward = bench::alternateReplayed(runs, db.sqlite()->handle(), bare,
                                                             {[&](int) {
                                                                  for (int i = 0; i < steps; ++i) {
                                                                      table.next();
                                                                      readRecord(table);
                                                                  }
                                                              },
                                                              [&](int) { table.first(); }});
    if (forward.problem.isEmpty())
        report(QStringLiteral("next, per step (1,000 steps, record read; %1 statements)")
                   .arg(forward.scripts.front().size()),
               runs, perStep(forward.times, steps));
    else
        bench::reportFailed(QStringLiteral("next, per step"), forward.problem);

    const QByteArray before =
        QStringLiteral("SELECT rowid,%1 FROM kdgiris WHERE rowid < ? ORDER BY rowid DESC LIMIT 1").arg(columns).toUtf8();
    report(QStringLiteral("prior, per step (1,000 steps, record read)"), runs,
           perStep(alternate(runs,
                             {[&](int) {
                                  for (int i = 0; i < steps; ++i) {
                                      table.prior();
                                      readRecord(table);
                                  }
                              },
                              [&](int) { table.locate(QStringLiteral("No"), keys.back()); }},
                             {[&](int) {
                                 for (int i = steps; i > 0; --i)
                                     bareSelectKey(bare, before, keys[size_t(i)]);
                             }}),
                   steps));
}

void measureLast(Database& db, BareStatements& bare)
{
    constexpr int runs = 20;
    const QString columns = columnsOf("kdgiris");
    const QByteArray firstRow = QStringLiteral("SELECT rowid,%1 FROM kdgiris ORDER BY rowid LIMIT 1").arg(columns).toUtf8();
    const QByteArray lastRow =
        QStringLiteral("SELECT rowid,%1 FROM kdgiris ORDER BY rowid DESC LIMIT 1").arg(columns).toUtf8();
    const QByteArray count = "SELECT count(*) FROM \"kdgiris\"";

    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    report(QStringLiteral("last (open table)"), runs,
           alternate(runs,
                     {[&](int) {
                          table.last();
                          readRecord(table);
                      },
                      [&](int) { table.first(); }},
                     {[&](int) { bareSelect(bare, lastRow, {}, 1); }}));

    // What Ctrl+End on a grid costs: the last record and its place, which is
    // the number of rows less one.
    report(QStringLiteral("Ctrl+End: last + its place (count(*))"), runs,
           alternate(runs,
                     {[&](int) {
                          table.last();
                          readRecord(table);
                          bench::checksum += quint64(table.position());
                      },
                      [&](int) {
                          table.first();
                          table.refresh(); // forgets the count
                      }},
                     {[&](int) {
                         bareSelect(bare, lastRow, {}, 1);
                         bench::checksum += quint64(bareInteger(bare, count));
                     }}));

    std::unique_ptr<Table> fresh;
    report(QStringLiteral("fresh open + last"), runs,
           alternate(runs,
                     {[&](int) {
                          fresh = std::make_unique<Table>(db, QStringLiteral("kdgiris"));
                          fresh->open();
                          fresh->last();
                          readRecord(*fresh);
                      },
                      [&](int) { fresh.reset(); }},
                     {[&](int) {
                         bareSelect(bare, firstRow, {}, 1); // opening shows the first record
                         bareSelect(bare, lastRow, {}, 1);
                     }}));
}

void measureLocate(Database& db, BareStatements& bare)
{
    constexpr int runs = 200;
    std::vector<qint64> keys;
    Rng rng(Seed + 1);
    for (int run = 0; run <= runs; ++run)
        keys.push_back(rng.between(1, ListingRows));
    const QString columns = columnsOf("kdgiris");
    const QByteArray byKey =
        QStringLiteral("SELECT rowid,%1 FROM kdgiris WHERE \"No\" = ? ORDER BY rowid LIMIT 1").arg(columns).toUtf8();
    const QByteArray before = "SELECT count(*) FROM \"kdgiris\" WHERE rowid < ?";

    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    report(QStringLiteral("locate No = random key (open table)"), runs,
           alternate(runs,
                     {[&](int run) {
                         if (!table.locate(QStringLiteral("No"), keys[size_t(run)]))
                             throw DataError(QStringLiteral("locate found no record %1").arg(keys[size_t(run)]));
                         readRecord(table);
                     }},
                     {[&](int run) { bareSelectKey(bare, byKey, keys[size_t(run)]); }}));

    std::unique_ptr<Table> fresh;
    const QByteArray firstRow = QStringLiteral("SELECT rowid,%1 FROM kdgiris ORDER BY rowid LIMIT 1").arg(columns).toUtf8();
    report(QStringLiteral("fresh open + locate"), runs,
           alternate(runs,
                     {[&](int run) {
                          fresh->open();
                          fresh->locate(QStringLiteral("No"), keys[size_t(run)]);
                          readRecord(*fresh);
                      },
                      [&](int) { fresh = std::make_unique<Table>(db, QStringLiteral("kdgiris")); }},
                     {[&](int run) {
                         bareSelect(bare, firstRow, {}, 1);
                         bareSelectKey(bare, byKey, keys[size_t(run)]);
                     }}));

    // A grid over the cursor also needs the located row's place.
    report(QStringLiteral("locate + its place (count(*) before it)"), runs,
           alternate(runs,
                     {[&](int run) {
                         table.locate(QStringLiteral("No"), keys[size_t(run)]);
                         readRecord(table);
                         bench::checksum += quint64(table.position());
                     }},
                     {[&](int run) {
                         bareSelectKey(bare, byKey, keys[size_t(run)]);
                         bench::checksum += quint64(bareInteger(bare, before, {keys[size_t(run)]}));
                     }}));
}

// One query opened and its first page read as a grid paints it. The bare
// side runs the statements the engine ran for that page (recorded on the
// engine's connection beforehand, run by run, with their values), each
// prepared once and bound afresh: the engine's cost over its own SQL.
void measureFirstPage(Database& db, BareStatements& bare, const QString& operation, int runs, const QString& table,
                      const QString& condition, const std::function<QVariantList(int)>& values, double target)
{
    std::unique_ptr<Query> query;
    const auto openAndRead = [&](int run) {
        query = std::make_unique<Query>(db);
        query->setStatement(Statement(table).where(condition, values(run)));
        query->open();
        bench::readRows(*query, Dataset::RowsPerPage);
    };
    const bench::Replayed twin =
        bench::alternateReplayed(runs, db.sqlite()->handle(), bare, {openAndRead, [&](int) { query.reset(); }});
    bench::reportReplayed(QStringLiteral("%1 (%2 statements)").arg(operation).arg(twin.scripts.front().size()), runs,
                          twin, target);
}

void measureQueries(Database& db, BareStatements& bare)
{
    const QStringList districts = allDistricts();
    measureFirstPage(db, bare, QStringLiteral("sdgiris Semtadi = ? AND Durum = ?, first page"), 20,
                     QStringLiteral("sdgiris"), QStringLiteral("Semtadi = ? AND Durum = ?"),
                     [&](int run) {
                         return QVariantList{districts.at(run % districts.size()), QStringLiteral("Satılmadı")};
                     },
                     bench::OpTarget);
    measureFirstPage(db, bare, QStringLiteral("kdgiris Fiyati > ? AND Fiyati < ?, first page"), 20,
                     QStringLiteral("kdgiris"), QStringLiteral("Fiyati > ? AND Fiyati < ?"),
                     [](int run) {
                         const double low = 1000.0 + run * 2000.0; // 2,000-wide bands, about 4% of the rows
                         return QVariantList{low, low + 2000.0};
                     },
                     bench::OpTarget);
}

// The Turkish LIKE: the same statement on the engine's connection and on the
// bare one, which has the same functions installed (TurkishText::installOn),
// so both fold "kad%" the Turkish way and find the same rows.
void measureLike(Database& db, BareStatements& bare)
{
    constexpr int runs = 10;
    const QString count = QStringLiteral("SELECT count(*) FROM kdgiris WHERE Semtadi LIKE ?");
    const QByteArray bareCount = count.toUtf8();
    const QVariantList prefix{QStringLiteral("kad%")};
    qint64 engineRows = 0, bareRows = 0;
    report(QStringLiteral("LIKE 'kad%' over all 100,000 rows (count)"), runs,
           alternate(runs,
                     {[&](int) {
                         SqlStatement statement(db, count);
                         statement.bind(prefix);
                         statement.step();
                         engineRows = statement.integer(0);
                     }},
                     {[&](int) { bareRows = bareInteger(bare, bareCount, prefix); }}),
           bench::TightTarget);
    if (engineRows != bareRows)
        notes << QStringLiteral("WARNING: LIKE: the engine counts %1 rows, bare SQLite %2").arg(engineRows).arg(bareRows);

    measureFirstPage(db, bare, QStringLiteral("kdgiris Semtadi LIKE 'kad%', first page"), 20,
                     QStringLiteral("kdgiris"), QStringLiteral("Semtadi LIKE ?"),
                     [](int) { return QVariantList{QStringLiteral("kad%")}; }, bench::TightTarget);
    notes << QStringLiteral("like: both connections fold the Turkish way with the same LIKE (\"kad%\" finds "
                            "\"KADIKÖY\", \"Kadıköy\"): the rows time the statement's path, not the folding.");
}

void measureWalk(Database& db, BareStatements& bare)
{
    constexpr int runs = 5;
    const QByteArray oneField = "SELECT \"Fiyati\" FROM \"kdgiris\"";
    qint64 walked = 0, bareWalked = 0;
    const TwinTimes numbers = alternate(runs,
                                        {[&](int) {
                                            RowStream rows(db, Statement(QStringLiteral("kdgiris")),
                                                           {QStringLiteral("Fiyati")});
                                            while (rows.next())
                                                bench::checksum += quint64(rows.number(0));
                                            walked = rows.rowsRead();
                                        }},
                                        {[&](int) {
                                            sqlite3_stmt* stmt = bare(oneField);
                                            bareWalked = 0;
                                            while (bench::nextRow(stmt)) {
                                                bench::checksum += quint64(sqlite3_column_double(stmt, 0));
                                                ++bareWalked;
                                            }
                                            sqlite3_reset(stmt);
                                        }});
    report(QStringLiteral("stream all %1 rows of kdgiris, one number").arg(walked), runs, numbers);
    if (walked != bareWalked || walked != ListingRows)
        notes << QStringLiteral("WARNING: walk: the engine read %1 rows, bare SQLite %2").arg(walked).arg(bareWalked);

    const QByteArray oneText = "SELECT \"Semtadi\" FROM \"kdgiris\"";
    report(QStringLiteral("stream all rows of kdgiris, one text as QString (+)"), runs,
           alternate(runs,
                     {[&](int) {
                         RowStream rows(db, Statement(QStringLiteral("kdgiris")), {QStringLiteral("Semtadi")});
                         while (rows.next())
                             bench::checksum += quint64(rows.text(0).size());
                     }},
                     {[&](int) {
                         sqlite3_stmt* stmt = bare(oneText);
                         while (bench::nextRow(stmt))
                             bench::checksum += quint64(sqlite3_column_bytes(stmt, 0));
                         sqlite3_reset(stmt);
                     }}));
    notes << QStringLiteral("(+) the bare side reads the UTF-8 bytes; the engine also makes a QString of each.");

    // The cursor's path, as a screen that walks a query with next() uses it:
    // read ahead in runs, each row's record made whole. Bare replays the
    // statements it ran, reading every column of every row they gave.
    constexpr int walks = 3;
    std::unique_ptr<Query> query;
    int cursorRows = 0;
    const bench::Replayed cursor =
        bench::alternateReplayed(walks, db.sqlite()->handle(), bare,
                                 {[&](int) {
                                      query = std::make_unique<Query>(db);
                                      query->setStatement(Statement(QStringLiteral("kdgiris")));
                                      query->open();
                                      const int price = query->fieldIndex(QStringLiteral("Fiyati"));
                                      for (cursorRows = 0; !query->eof(); ++cursorRows) {
                                          bench::checksum += quint64(query->value(price).toDouble());
                                          query->next();
                                      }
                                  },
                                  [&](int) { query.reset(); }});
    bench::reportReplayed(QStringLiteral("walk %1 rows of a query by next(), %2 statements (=)")
                              .arg(cursorRows)
                              .arg(cursor.scripts.front().size()),
                          walks, cursor);
    notes << QStringLiteral("(=) a cursor walked on reads ahead in runs up to 256 rows and makes each row's record "
                            "whole: walk whole registers with RowStream (the lines above it), not with next().");
}

void measurePost(Database& db, sqlite3* bareDb, BareStatements& bare)
{
    constexpr int runs = 20;
    bench::exec(bareDb, "PRAGMA synchronous = FULL");
    Table table(db, QStringLiteral("kdgiris"));
    table.open();

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
    const QByteArray insertSql = QStringLiteral("INSERT INTO \"kdgiris\" (%1) VALUES (%2)")
                                     .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                                     .toUtf8();
    report(QStringLiteral("post one new record (durable, WAL, full sync)"), runs,
           alternate(runs,
                     {[&](int) {
                         table.append();
                         table.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
                         table.setText(QStringLiteral("Fiyati"), QStringLiteral("12500"));
                         table.setText(QStringLiteral("Durum"), QStringLiteral("Kiralanmadı"));
                         table.post();
                     }},
                     {[&](int) {
                         bench::exec(bareDb, "BEGIN IMMEDIATE");
                         sqlite3_stmt* insert = bare(insertSql);
                         bindValues(insert, row);
                         bench::nextRow(insert);
                         sqlite3_reset(insert);
                         bench::exec(bareDb, "COMMIT");
                     }}),
           bench::TightTarget);

    // Leave the store as generated for the next run.
    bench::exec(bareDb, QStringLiteral("DELETE FROM kdgiris WHERE No > %1").arg(ListingRows).toUtf8().constData());
}

// Ctrl+End on a grid over the whole register: the grid's model asked for the
// last screenful of rows, with no view on either side (the view's painting is
// Qt's, not the engine's). The bare side replays the statements the engine
// ran for it. Then, once, what resident memory and the heap make of it.
void measureMemory(Database& db, BareStatements& bare)
{
    constexpr int runs = 10;
    constexpr int screenful = 30;
    Table table(db, QStringLiteral("kdgiris"));
    table.open();
    DatasetModel model;
    model.setDataset(&table, {{QStringLiteral("Semtadi"), {}}, {QStringLiteral("Fiyati"), {}},
                              {QStringLiteral("Metre2"), {}}, {QStringLiteral("Oda"), {}}});
    const auto readScreenful = [&](int from) {
        for (int row = from; row < from + screenful && row < model.rowCount(); ++row)
            for (int column = 0; column < model.columnCount(); ++column)
                bench::checksum += quint64(model.data(model.index(row, column), Qt::DisplayRole).toString().size());
    };
    const auto backToTop = [&](int) {
        table.first();
        table.refresh(); // forgets the count and the pages
        readScreenful(0);
    };
    const auto ctrlEnd = [&](int) {
        table.last(); // the model offers rows as far as the last one
        readScreenful(model.rowCount() - screenful);
    };
    const bench::Replayed twin = bench::alternateReplayed(runs, db.sqlite()->handle(), bare, {ctrlEnd, backToTop});
    bench::reportReplayed(
        QStringLiteral("Ctrl+End on a grid model, no view (%1 statements)").arg(twin.scripts.front().size()), runs,
        twin);

    backToTop(0);
    const qint64 before = bench::statusKb("VmRSS");
    const qint64 heapBefore = heapKb();
    ctrlEnd(0);
    const qint64 after = bench::statusKb("VmRSS");
    const qint64 heapAfter = heapKb();
    std::printf("  Ctrl+End on a grid model over %d rows: heap in use %+.2f MB; resident %+.1f MB (#)\n",
                model.rowCount(), (heapAfter - heapBefore) / 1024.0, (after - before) / 1024.0);
    notes << QStringLiteral("(#) resident memory counts the pages of the store file that SQLite's count(*) touched "
                            "through its memory map (mmap_size): file cache the system can drop at will, not memory "
                            "the program holds; the heap figure is what the program allocated.");
}

// A phone book of 1,500 contacts, each with a 200 KB photograph: the main
// window's grid scrolled through every row. Its pages hold whether a row has a
// picture, not the picture, so the heap stays small; the bare side replays
// the engine's page reads.
void measurePhotoPages(const QString& folder)
{
    constexpr int contacts = 1500;
    constexpr int runs = 5;
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
    const auto scrollEveryRow = [&](int) {
        table.last();
        for (int row = 0; row < model.rowCount(); ++row)
            for (int column = 0; column < model.columnCount(); ++column)
                bench::checksum += quint64(model.data(model.index(row, column), Qt::DisplayRole).toString().size());
    };
    const auto backToTop = [&](int) {
        table.first();
        table.refresh(); // every page read afresh
    };
    {
        bench::BareConnection bareDb(store->path());
        BareStatements bare(bareDb.get());
        const bench::Replayed twin = bench::alternateReplayed(runs, store->sqlite()->handle(), bare, {scrollEveryRow, backToTop});
        bench::reportReplayed(QStringLiteral("grid through %1 contacts with photographs").arg(model.rowCount()), runs,
                              twin);
    }
    // The heap of one more scroll, with no recording under it.
    backToTop(0);
    const qint64 heapBefore = heapKb();
    scrollEveryRow(0);
    std::printf("  heap in use after scrolling every row: %+.2f MB (the photographs are %.0f MB)\n",
                (heapKb() - heapBefore) / 1024.0, contacts * 200.0 / 1024.0);
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

// What the bare loop wrote: the list as UTF-8 (lines joined by '\n', as
// BulkOutcome::text() joins them), the requests written, the listing lines.
struct BareList {
    QByteArray text;
    int requests = 0;
    qint64 listings = 0;
    bool full = false;
};

// Splits an engine-made line at the marks \x01, \x02 ... put in place of its
// values: what the line holds between them.
QList<QByteArray> piecesOf(const QString& line)
{
    QList<QByteArray> pieces;
    QString piece;
    for (const QChar c : line) {
        if (c.unicode() >= 1 && c.unicode() <= 4) {
            pieces << piece.toUtf8();
            piece.clear();
        } else {
            piece += c;
        }
    }
    pieces << piece.toUtf8();
    return pieces;
}

// Characters of UTF-8 text as a QString counts them (UTF-16 units): the
// list's capacity is in those.
inline qsizetype utf16Length(const char* text, qsizetype bytes)
{
    qsizetype units = 0;
    for (qsizetype i = 0; i < bytes; ++i) {
        const auto b = uchar(text[i]);
        units += (b & 0xC0) != 0x80;
        units += b >= 0xF0; // a surrogate pair
    }
    return units;
}

// The bulk comparison as a careful hand-written program would do it on bare
// SQLite: the engine's statement texts (read from RowStream at run time),
// the requests walked in key order, each register's statement prepared once
// and bound afresh for every request, every listing's line written into one
// UTF-8 buffer with the engine's line texts, and the same capacity check.
class BareBulk {
public:
    BareBulk(Database& db, sqlite3* bare, const Statement& requests, int criterion, qsizetype capacity)
        : m_db(bare), m_capacity(capacity)
    {
        using namespace Matching;
        m_walkSql = RowStream(db, requests, requestFields(), RowStream::Order::ByKey).sql().toUtf8();
        // As the engine counts the requests first (for its progress); its text is its own, private.
        m_countSql = (QStringLiteral("SELECT count(*) FROM ") + Database::quoted(requests.table())
                      + (requests.condition().isEmpty() ? QString() : QStringLiteral(" WHERE ") + requests.condition()))
                         .toUtf8();
        for (const QVariant& value : requests.values())
            m_walkValues.push_back(bench::boundValue(value));
        const QList<QByteArray> request = piecesOf(requestLine(QStringLiteral("\x01"), QStringLiteral("\x02")));
        m_request = {request.value(0), request.value(1), request.value(2)};
        // Which request column each value of a register's statement is: found
        // by giving the engine a request of distinct marks and reading back
        // what it bound.
        Request marks;
        marks.district = QStringLiteral("\x01");
        marks.kind = QStringLiteral("\x02");
        marks.wish = QStringLiteral("\x03");
        marks.lowestPrice = 1.0;
        marks.highestPrice = 2.0;
        marks.smallestArea = 3.0;
        marks.largestArea = 4.0;
        for (const RegisterRule& r : registers()) {
            Register& reg = m_registers[size_t(r.id)];
            const Statement probe = statementFor(r.id, marks, criterion);
            reg.sql = RowStream(db, probe, listingLineFields(r.id)).sql().toUtf8();
            for (const QVariant& value : probe.values()) {
                const QString text = value.toString();
                Bind bind;
                if (value.typeId() == QMetaType::Double)
                    bind.column = 5 + int(value.toDouble()); // 6..9: the bounds
                else if (text == marks.district)
                    bind.column = 3;
                else if (text == marks.kind)
                    bind.column = 4;
                else if (text == marks.wish)
                    bind.column = 5;
                else
                    bind.fixed = text.toUtf8(); // the register's status
                bind.number = value.typeId() == QMetaType::Double;
                reg.binds.push_back(bind);
            }
            const QList<QByteArray> line = piecesOf(listingLine(r.id, QStringLiteral("\x01"), QStringLiteral("\x02"),
                                                                QStringLiteral("\x03"), QStringLiteral("\x04")));
            reg.pieces = line.toVector();
            reg.withKind = r.lineEndsWithKind;
            reg.status = r.availableStatus.toUtf8();
        }
    }

    BareList run() const
    {
        BareList list;
        sqlite3_stmt* count = bench::prepare(m_db, m_countSql);
        bench::bindAll(count, m_walkValues);
        bench::checksum += sqlite3_step(count) == SQLITE_ROW ? quint64(sqlite3_column_int64(count, 0)) : 0;
        sqlite3_finalize(count);
        sqlite3_stmt* walk = bench::prepare(m_db, m_walkSql);
        bench::bindAll(walk, m_walkValues);
        std::array<sqlite3_stmt*, Matching::RegisterCount> listings{};
        Writer out(list.text);
        while (sqlite3_step(walk) == SQLITE_ROW) {
            const Writer::Mark block = out.mark();
            const qint64 blockListings = list.listings;
            out.emptyLine();
            out.begin();
            out.piece(m_request[0]);
            out.text(walk, 1);
            out.piece(m_request[1]);
            out.text(walk, 2);
            out.piece(m_request[2]);
            out.emptyLine();
            bool fits = out.characters() <= m_capacity;
            const int held = heldRegister(walk);
            if (held >= 0) {
                const Register& reg = m_registers[size_t(held)];
                sqlite3_stmt*& s = listings[size_t(held)];
                if (!s)
                    s = bench::prepare(m_db, reg.sql);
                for (size_t i = 0; i < reg.binds.size(); ++i) {
                    const Bind& bind = reg.binds[i];
                    const int at = int(i) + 1;
                    if (bind.column < 0)
                        sqlite3_bind_text(s, at, bind.fixed.constData(), int(bind.fixed.size()), SQLITE_STATIC);
                    else if (bind.number && sqlite3_column_type(walk, bind.column) == SQLITE_NULL)
                        sqlite3_bind_null(s, at);
                    else if (bind.number)
                        sqlite3_bind_double(s, at, sqlite3_column_double(walk, bind.column));
                    else {
                        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(walk, bind.column));
                        sqlite3_bind_text(s, at, text ? text : "", sqlite3_column_bytes(walk, bind.column),
                                          SQLITE_STATIC);
                    }
                }
                while (fits && sqlite3_step(s) == SQLITE_ROW) {
                    out.emptyLine();
                    out.begin();
                    out.piece(reg.pieces[0]);
                    out.text(s, 0);
                    out.piece(reg.pieces[1]);
                    out.value(s, 1);
                    out.piece(reg.pieces[2]);
                    out.value(s, 2);
                    out.piece(reg.pieces[3]);
                    if (reg.withKind) {
                        out.text(s, 3);
                        out.piece(reg.pieces[4]);
                    }
                    out.emptyLine();
                    ++list.listings;
                    fits = out.characters() <= m_capacity;
                }
                sqlite3_reset(s);
            }
            if (!fits) {
                out.rewind(block);
                list.listings = blockListings;
                list.full = true;
                break;
            }
            ++list.requests;
        }
        sqlite3_finalize(walk);
        for (sqlite3_stmt* s : listings)
            sqlite3_finalize(s);
        return list;
    }

private:
    struct Bind {
        int column = -1; // the request column bound, -1 for the fixed text
        QByteArray fixed;
        bool number = false;
    };
    struct Register {
        QByteArray sql;
        std::vector<Bind> binds;
        QVector<QByteArray> pieces;
        bool withKind = false;
        QByteArray status;
    };

    // The comparison list as it grows, lines joined by '\n', counting
    // characters as the engine's list does.
    class Writer {
    public:
        explicit Writer(QByteArray& out) : m_out(out) {}
        struct Mark {
            qsizetype bytes, characters, lines;
        };
        Mark mark() const { return {m_out.size(), m_characters, m_lines}; }
        void rewind(const Mark& mark)
        {
            m_out.truncate(mark.bytes);
            m_characters = mark.characters;
            m_lines = mark.lines;
        }
        qsizetype characters() const { return m_characters; }
        void begin() // a new line
        {
            if (m_lines++ > 0) {
                m_out += '\n';
                ++m_characters;
            }
        }
        void emptyLine() { begin(); }
        void piece(const QByteArray& text)
        {
            m_out += text;
            m_characters += utf16Length(text.constData(), text.size());
        }
        void text(sqlite3_stmt* s, int column)
        {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
            const int bytes = sqlite3_column_bytes(s, column);
            m_out.append(text, bytes);
            m_characters += utf16Length(text, bytes);
        }
        // A stored number as the engine writes it: whole numbers as plain
        // digits (the usual case, without printf), others in general format
        // with the Turkish decimal comma; a text as it is.
        void value(sqlite3_stmt* s, int column)
        {
            const int type = sqlite3_column_type(s, column);
            if (type == SQLITE_TEXT) {
                text(s, column);
                return;
            }
            if (type == SQLITE_NULL)
                return;
            const double v = sqlite3_column_double(s, column);
            char digits[40];
            char* end = digits;
            if (v == std::trunc(v) && std::abs(v) < 1e15 && !(v == 0 && std::signbit(v))) {
                end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(v)).ptr;
            } else {
                end = digits + std::snprintf(digits, sizeof digits, "%.15g", v);
                std::replace(digits, end, '.', ',');
            }
            m_out.append(digits, end - digits);
            m_characters += end - digits;
        }

    private:
        QByteArray& m_out;
        qsizetype m_characters = 0;
        qsizetype m_lines = 0;
    };

    // The register whose test holds for the request (the bulk rules), or -1.
    int heldRegister(sqlite3_stmt* walk) const
    {
        using Matching::Register;
        const auto view = [&](int column) {
            return QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(walk, column)),
                                  sqlite3_column_bytes(walk, column));
        };
        const QByteArrayView kind = view(4), wish = view(5);
        if (kind == "Arsa" || kind == "Arazi")
            return int(Register::Land);
        const bool flat = kind == "Daire";
        for (const Register id : {flat ? Register::RentalFlats : Register::RentalProperties,
                                  flat ? Register::SaleFlats : Register::SaleProperties})
            if (wish == QByteArrayView(m_registers[size_t(id)].status))
                return int(id);
        return -1;
    }

    sqlite3* m_db;
    qsizetype m_capacity;
    QByteArray m_walkSql, m_countSql;
    std::vector<bench::BoundValue> m_walkValues;
    std::array<QByteArray, 3> m_request;
    std::array<Register, Matching::RegisterCount> m_registers;
};

// The engine's list and the bare loop's must be the same text, or the two
// figures time different work.
void checkSameList(const Matching::BulkOutcome& engine, const BareList& bare, const QString& what)
{
    const QByteArray text = engine.text().toUtf8();
    if (text == bare.text && engine.requestsWritten == bare.requests && engine.listings == bare.listings)
        return;
    qsizetype at = 0;
    while (at < text.size() && at < bare.text.size() && text.at(at) == bare.text.at(at))
        ++at;
    throw DataError(QStringLiteral("%1: the bare loop wrote another list (%2 requests, %3 listings, %4 bytes) than "
                                   "the engine (%5, %6, %7 bytes), first difference at byte %8: engine \"%9\", bare "
                                   "\"%10\"")
                        .arg(what)
                        .arg(bare.requests)
                        .arg(bare.listings)
                        .arg(bare.text.size())
                        .arg(engine.requestsWritten)
                        .arg(engine.listings)
                        .arg(text.size())
                        .arg(at)
                        .arg(QString::fromUtf8(text.mid(std::max<qsizetype>(0, at - 20), 60)),
                             QString::fromUtf8(bare.text.mid(std::max<qsizetype>(0, at - 20), 60))));
}

// SQLite's plan for each register's statement under the criterion, as notes.
void notePlans(Database& db, sqlite3* bareDb, int criterion)
{
    using namespace Matching;
    for (const RegisterRule& r : registers()) {
        const QString sql = RowStream(db, statementFor(r.id, Request{}, criterion), listingLineFields(r.id)).sql();
        notes << QStringLiteral("  plan %1 %2: %3").arg(criteria().at(criterion).item, r.table, bench::planOf(bareDb, sql.toUtf8()));
    }
}

// Requests whose area bounds no listing is within (90,000 m² and more), as
// copies of the first `count` requests: the kinds and wishes as real ones,
// so every register's statement runs and finds nothing. They are taken out
// again when this goes, leaving the store as generated.
class RequestsFindingNothing {
public:
    RequestsFindingNothing(sqlite3* db, int count) : m_db(db)
    {
        QStringList columns, values;
        for (const FieldSchema& field : Catalogue::table(QStringLiteral("musteritalepleri")).fields) {
            if (field.isKey())
                continue;
            columns << Database::quoted(field.name);
            values << (field.name == QLatin1String("IlkMetre2")      ? QStringLiteral("90000 + \"No\" % 100")
                       : field.name == QLatin1String("Ikincimetre2") ? QStringLiteral("90500 + \"No\" % 100")
                                                                      : Database::quoted(field.name));
        }
        bench::exec(m_db, QStringLiteral("INSERT INTO \"musteritalepleri\" (%1) SELECT %2 FROM \"musteritalepleri\" "
                                      "WHERE \"No\" <= %3 ORDER BY \"No\"")
                           .arg(columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')))
                           .arg(count)
                           .toUtf8()
                           .constData());
    }
    ~RequestsFindingNothing()
    {
        bench::exec(m_db, QStringLiteral("DELETE FROM \"musteritalepleri\" WHERE \"No\" > %1")
                           .arg(RequestRows)
                           .toUtf8()
                           .constData());
    }
    RequestsFindingNothing(const RequestsFindingNothing&) = delete;
    RequestsFindingNothing& operator=(const RequestsFindingNothing&) = delete;
    // The request list's statement over them.
    static Statement statement() { return Statement(QStringLiteral("musteritalepleri")).where(QStringLiteral("\"No\" > ?"), {qint64(RequestRows)}); }

private:
    sqlite3* m_db;
};

// One criterion's bulk comparison, the engine's BulkComparison::run against
// the bare loop, in turns; the two lists compared once, byte for byte.
TwinTimes bulkTwin(Database& db, sqlite3* bareDb, int criterion, const Statement& requests, int runs,
                   Matching::BulkOutcome& outcome, BareList& bareList)
{
    const BareBulk bare(db, bareDb, requests, criterion, Matching::BulkComparison::ListCapacity);
    const TwinTimes times = alternate(runs,
                                      {[&](int) {
                                           outcome = Matching::BulkComparison(db, criterion).run(requests);
                                       },
                                       [&](int) { outcome = {}; }},
                                      {[&](int) { bareList = bare.run(); }, [&](int) { bareList = {}; }});
    if (outcome.end == Matching::BulkOutcome::End::Failed)
        throw DataError(QStringLiteral("bulk: %1").arg(outcome.failure));
    checkSameList(outcome, bareList, Matching::criteria().at(criterion).item);
    return times;
}

// The whole bulk comparison under each criterion over the 10,000 requests,
// and under "Metre Kareye Göre" over requests that find nothing. Under a
// criterion whose list does not fit the box the engine stops at the request
// that would overflow it, and so does the bare loop (it counts characters
// as the list does).
void measureBulkComparison(Database& db, sqlite3* bareDb, bool plans)
{
    using namespace Matching;
    constexpr int runs = 3;
    const Statement everyRequest(QStringLiteral("musteritalepleri"));
    for (int criterion = 0; criterion < CriterionCount; ++criterion) {
        BulkOutcome outcome;
        BareList bareList;
        const TwinTimes times = bulkTwin(db, bareDb, criterion, everyRequest, runs, outcome, bareList);
        const bool full = outcome.end == BulkOutcome::End::ListFull;
        report(QStringLiteral("bulk \"%1\" %2 req. %3 lines%4")
                   .arg(criteria().at(criterion).item)
                   .arg(outcome.requestsWritten)
                   .arg(outcome.lines.size())
                   .arg(full ? QStringLiteral(", full") : QString()),
               runs, times);
        if (plans)
            notePlans(db, bareDb, criterion);
    }

    int byArea = 0;
    while (criteria().at(byArea).item != QStringLiteral("Metre Kareye Göre"))
        ++byArea;
    constexpr int nothing = 2000;
    {
        const RequestsFindingNothing requests(bareDb, nothing);
        BulkOutcome outcome;
        BareList bareList;
        const TwinTimes times =
            bulkTwin(db, bareDb, byArea, RequestsFindingNothing::statement(), runs, outcome, bareList);
        if (outcome.requestsWritten != nothing || outcome.listings != 0)
            throw DataError(QStringLiteral("bulk: %1 requests meant to find nothing wrote %2 requests, %3 listings")
                                .arg(nothing)
                                .arg(outcome.requestsWritten)
                                .arg(outcome.listings));
        const QString name =
            QStringLiteral("bulk \"%1\" %2 req. finding nothing").arg(criteria().at(byArea).item).arg(nothing);
        report(name, runs, times);
        constexpr int scale = RequestRows / nothing;
        bench::reportLimit(QStringLiteral("%1, x%2").arg(name).arg(scale), runs, times.engine * scale,
                           1000);
    }

    // The clerk's whole "Yazdır" under "Tümüne Göre": the comparison, the
    // request list settled on the last request, the list shown and painted.
    QuietDialogs dialogs;
    setMatchingDialogs(&dialogs);
    {
        Screens screens(db);
        ScreenMakers makers = searchScreens();
        makers << matchingScreens();
        screens.createAll(makers);
        auto* match = screens.get<MatchScreen>(MatchScreen::programName());
        match->selectCriterion(ByAll);
        const double clerk = bench::medianMs(runs, {[&](int) {
            match->compareAll();
            QApplication::processEvents(); // the list painted
        }});
        notes << QStringLiteral("bulk: the clerk's \"Yazdır\" under \"%1\" (MatchScreen to the list painted on "
                                "MatchListScreen): %2 ms; the rows above time BulkComparison::run alone.")
                     .arg(criteria().at(ByAll).item)
                     .arg(clerk, 0, 'f', 1);
    }
    setMatchingDialogs(nullptr);
    notes << QStringLiteral("bulk: \"x%1\": the engine's figure for %2 such requests, held to 1 s. \"full\": the "
                            "list reached %3 characters and the run stopped there; the bare loop counts characters "
                            "as the list does and stops at the same request. Each criterion's two lists are compared "
                            "byte for byte once (a difference stops the benchmark).")
                 .arg(RequestRows / 2000)
                 .arg(RequestRows)
                 .arg(BulkComparison::ListCapacity);
}

// --- start-up: the program against a bare Qt window, watched on the X server ------

// The X server as the benchmark sees it: every top-level window mapped
// (SubstructureNotify on the root window; with no window manager under
// Xvfb the program's windows are the root's children).
class XWatch {
public:
    struct Mapped {
        xcb_window_t window = 0;
        double ms = 0; // since the program was started
        int width = 0, height = 0;
        qint64 pid = -1; // _NET_WM_PID, which Qt sets on its windows
        QString title;
    };

    XWatch()
    {
        m_x = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_x))
            throw DataError(QStringLiteral("start-up: no X display to watch (run under xvfb-run -a)"));
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
        // Qt sends its answers to pings to the root window for StructureNotify
        // (and SubstructureRedirect) listeners.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_x, m_root, XCB_CW_EVENT_MASK, &mask);
        m_pid = atom("_NET_WM_PID");
        m_name = atom("_NET_WM_NAME");
        m_utf8 = atom("UTF8_STRING");
        m_protocols = atom("WM_PROTOCOLS");
        m_ping = atom("_NET_WM_PING");
        xcb_flush(m_x);
    }
    ~XWatch() { xcb_disconnect(m_x); }
    XWatch(const XWatch&) = delete;
    XWatch& operator=(const XWatch&) = delete;

    void drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_x))
            std::free(event);
    }

    // The next top-level window mapped, waiting until `deadlineMs` on the
    // clock; nothing when none came by then.
    std::optional<Mapped> nextMapped(const QElapsedTimer& clock, double deadlineMs)
    {
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_x)) {
                const double ms = double(clock.nsecsElapsed()) / 1e6;
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window = mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                std::free(event);
                if (mapped)
                    return describe(window, ms);
            }
            const double left = deadlineMs - double(clock.nsecsElapsed()) / 1e6;
            if (left <= 0 || xcb_connection_has_error(m_x))
                return std::nullopt;
            pollfd descriptor{xcb_get_file_descriptor(m_x), POLLIN, 0};
            ::poll(&descriptor, 1, int(std::ceil(left)));
        }
    }

    // Pings `window` as a window manager does (_NET_WM_PING) and waits for
    // its answer on the root window: the moment the program's event loop has
    // come round to it, past whatever it was busy with. The time since the
    // clock's start, or nothing when no answer came by `deadlineMs`.
    std::optional<double> pingAnswered(xcb_window_t window, const QElapsedTimer& clock, double deadlineMs)
    {
        const uint32_t stamp = ++m_pings;
        xcb_client_message_event_t ping{};
        ping.response_type = XCB_CLIENT_MESSAGE;
        ping.format = 32;
        ping.window = window;
        ping.type = m_protocols;
        ping.data.data32[0] = m_ping;
        ping.data.data32[1] = stamp;
        ping.data.data32[2] = window;
        xcb_send_event(m_x, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ping));
        xcb_flush(m_x);
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_x)) {
                const double ms = double(clock.nsecsElapsed()) / 1e6;
                bool answer = false;
                if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                    const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                    answer = message->type == m_protocols && message->data.data32[0] == m_ping
                             && message->data.data32[1] == stamp;
                }
                std::free(event);
                if (answer)
                    return ms;
            }
            const double left = deadlineMs - double(clock.nsecsElapsed()) / 1e6;
            if (left <= 0 || xcb_connection_has_error(m_x))
                return std::nullopt;
            pollfd descriptor{xcb_get_file_descriptor(m_x), POLLIN, 0};
            ::poll(&descriptor, 1, int(std::ceil(left)));
        }
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(m_x, xcb_intern_atom(m_x, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }
    Mapped describe(xcb_window_t window, double ms)
    {
        Mapped mapped;
        mapped.window = window;
        mapped.ms = ms;
        if (xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, window), nullptr)) {
            mapped.width = geometry->width;
            mapped.height = geometry->height;
            std::free(geometry);
        }
        if (xcb_get_property_reply_t* pid =
                xcb_get_property_reply(m_x, xcb_get_property(m_x, 0, window, m_pid, XCB_ATOM_CARDINAL, 0, 1), nullptr)) {
            if (xcb_get_property_value_length(pid) == 4)
                mapped.pid = *static_cast<const uint32_t*>(xcb_get_property_value(pid));
            std::free(pid);
        }
        if (xcb_get_property_reply_t* name =
                xcb_get_property_reply(m_x, xcb_get_property(m_x, 0, window, m_name, m_utf8, 0, 256), nullptr)) {
            mapped.title = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name)),
                                             xcb_get_property_value_length(name));
            std::free(name);
        }
        return mapped;
    }

    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pid = XCB_ATOM_NONE, m_name = XCB_ATOM_NONE, m_utf8 = XCB_ATOM_NONE;
    xcb_atom_t m_protocols = XCB_ATOM_NONE, m_ping = XCB_ATOM_NONE;
    uint32_t m_pings = 0;
};

// One start of a program: from the exec to its main window (a top-level of
// the main window's size, 640x480, belonging to the child: the splash is
// 300x145) mapped on the X server, and the child's peak resident memory.
struct Launch {
    double toWindowMs = 0;
    double toAnswerMs = 0; // to the main window's first answer to a ping sent at its map
    double peakMb = 0;
    QStringList before; // windows the child mapped before its main window
};

void screenshot(const QString& path)
{
    QProcess import;
    import.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
    import.waitForFinished(10000);
}

// The window is looked at after it has painted, this long after its map:
// the memory read then is the start's peak, painting included.
constexpr int SettleMs = 400;

Launch launch(XWatch& x, const QByteArray& program, const QString& folder, const QString& shots)
{
    // The child's environment, made before the fork: the program's display
    // (not the offscreen platform this benchmark runs on), and the timed
    // shut-down only printed, as scripts/run.sh starts it with no one at the display.
    std::vector<QByteArray> environment;
    for (char** entry = environ; *entry; ++entry)
        if (!QByteArray(*entry).startsWith("QT_QPA_PLATFORM=") && !QByteArray(*entry).startsWith("EVLORA_SHUTDOWN="))
            environment.emplace_back(*entry);
    environment.emplace_back("EVLORA_SHUTDOWN=print");
    // Qt wants a private runtime folder, and says so on every start without one.
    static const QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        environment.push_back("XDG_RUNTIME_DIR=" + QFile::encodeName(runtime.path()));
    std::vector<char*> envp;
    for (QByteArray& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const QByteArray directory = QFile::encodeName(folder);
    char* argv[] = {const_cast<char*>(program.constData()), nullptr};

    x.drain();
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(directory.constData()) == 0)
            ::execve(program.constData(), argv, envp.data());
        ::_exit(127);
    }
    if (pid < 0)
        throw DataError(QStringLiteral("start-up: cannot start %1").arg(QString::fromLocal8Bit(program)));
    Launch result;
    std::optional<XWatch::Mapped> main;
    while (!main) {
        const std::optional<XWatch::Mapped> mapped = x.nextMapped(clock, 30000);
        if (!mapped) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            throw DataError(QStringLiteral("start-up: %1 showed no 640x480 window in 30 s (before it: %2)")
                                .arg(QString::fromLocal8Bit(program), result.before.join(QStringLiteral(", "))));
        }
        if (mapped->pid == pid && mapped->width == 640 && mapped->height == 480)
            main = mapped;
        else
            result.before << QStringLiteral("%1x%2 \"%3\"%4 at %5 ms")
                                 .arg(mapped->width)
                                 .arg(mapped->height)
                                 .arg(mapped->title,
                                      mapped->pid == pid ? QString() : QStringLiteral(" (pid %1)").arg(mapped->pid))
                                 .arg(mapped->ms, 0, 'f', 1);
    }
    result.toWindowMs = main->ms;
    const std::optional<double> answered = x.pingAnswered(main->window, clock, main->ms + 30000);
    if (!answered) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        throw DataError(QStringLiteral("start-up: %1 did not answer a ping in 30 s").arg(QString::fromLocal8Bit(program)));
    }
    result.toAnswerMs = *answered;
    if (!shots.isEmpty()) {
        // The screen at the moment measured, the child held still meanwhile,
        // and again once it has painted.
        ::kill(pid, SIGSTOP);
        screenshot(shots + QStringLiteral("-at-map.png"));
        ::kill(pid, SIGCONT);
        QThread::msleep(SettleMs);
        screenshot(shots + QStringLiteral("-painted.png"));
        std::printf("  screenshots %s-*.png: window 0x%x %dx%d \"%s\" at %.1f ms%s%s\n", qPrintable(shots),
                    main->window, main->width, main->height, qPrintable(main->title), main->ms,
                    result.before.isEmpty() ? "" : ", after ", qPrintable(result.before.join(QStringLiteral(", "))));
    }
    QThread::msleep(SettleMs);
    result.peakMb = double(bench::statusKb("VmHWM", pid)) / 1024.0;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return result;
}

// A folder prepared as scripts/run.sh prepares the data folder: the splash
// clip beside the data.
void prepareDataFolder(const QString& folder)
{
    QDir().mkpath(folder);
    const QString clip = QDir(folder).filePath(QStringLiteral("ani34.avi"));
    if (!QFileInfo::exists(clip))
        QFile::copy(QStringLiteral(SPLASH_CLIP), clip);
}

// A copy of the benchmark store for the program to start on (it takes its
// backups beside it), made with SQLite's backup so it is whole.
QString startUpStore(const QString& folder, const QString& path)
{
    const QString copyFolder = QDir(folder).filePath(QStringLiteral("startup-store"));
    prepareDataFolder(copyFolder);
    const QString copy = QDir(copyFolder).filePath(Catalogue::StoreFileName);
    if (QFileInfo::exists(copy))
        return copyFolder;
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &source, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_open_v2((copy + QStringLiteral(".part")).toUtf8().constData(), &target,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    const int rc = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    sqlite3_backup_finish(backup);
    sqlite3_close(target);
    sqlite3_close(source);
    if (rc != SQLITE_DONE || !QFile::rename(copy + QStringLiteral(".part"), copy))
        throw DataError(QStringLiteral("start-up: cannot copy the store to %1").arg(copyFolder));
    return copyFolder;
}

// The program from exec to its main window, against the bare window, each
// started in a data folder: a fresh empty one every run (the program makes
// its store there), and a copy of the 100,000-listing store. Runs take turns.
void measureStartUp(const QString& folder, const QString& path, const QString& shots)
{
    constexpr int runs = 10;
    XWatch x;
    if (!shots.isEmpty())
        QDir().mkpath(shots);
    const QByteArray program = QByteArrayLiteral(EVLORA_PROGRAM);
    const QByteArray bareWindow = QByteArrayLiteral(BARE_WINDOW_PROGRAM);
    const QString storeFolder = startUpStore(folder, path);
    // The copy is brought to this build's layout and closed (its log written
    // into the file), then given its day's backup, as on any start after the
    // first of the day. Otherwise the first run's own changes would make the
    // backup's note stale, and each killed run would begin a new copy of the
    // whole store on its backup thread.
    Catalogue::openStore(storeFolder).reset();
    Backups::openAtStart(storeFolder, QDateTime::currentDateTime()).outcome.wait();
    const qsizetype backups = Backups::available(storeFolder).size();
    QStringList before;
    for (const bool withStore : {false, true}) {
        const QString what = withStore ? QStringLiteral("100k store") : QStringLiteral("empty folder");
        std::vector<double> programMb, bareMb, programAnswer, bareAnswer;
        const auto start = [&](const QByteArray& binary, std::vector<double>& peaks, std::vector<double>& answers,
                               const QString& side, int run) {
            QTemporaryDir empty(QDir(folder).filePath(QStringLiteral("startup-XXXXXX")));
            const QString data = withStore ? storeFolder : empty.path();
            prepareDataFolder(data);
            const QString shot = shots.isEmpty() || run != 0
                                     ? QString()
                                     : QDir(shots).filePath(side + (withStore ? QStringLiteral("-store")
                                                                              : QStringLiteral("-empty")));
            const Launch launched = launch(x, binary, data, shot);
            if (run > 0) {
                peaks.push_back(launched.peakMb);
                answers.push_back(launched.toAnswerMs);
            }
            if (run == 1 && !launched.before.isEmpty())
                before << QStringLiteral("%1, %2: %3").arg(side, what, launched.before.join(QStringLiteral(", ")));
            return launched.toWindowMs;
        };
        const TwinTimes times = alternateFigures(
            runs, [&](int run) { return start(program, programMb, programAnswer, QStringLiteral("evlora"), run); },
            [&](int run) { return start(bareWindow, bareMb, bareAnswer, QStringLiteral("bare"), run); });
        report(QStringLiteral("start-up to the main window, %1").arg(what), runs, times);
        report(QStringLiteral("start-up to the main window answering, %1").arg(what), runs,
               {bench::median(programAnswer), bench::median(bareAnswer)});
        report(QStringLiteral("peak resident memory at the main window, %1").arg(what), runs,
               {bench::median(programMb), bench::median(bareMb)}, bench::OpTarget, "MB");
    }
    for (const QString& line : before)
        notes << QStringLiteral("startup: before its main window, %1").arg(line);
    if (Backups::available(storeFolder).size() != backups)
        notes << QStringLiteral("startup: the program made %1 backups of the 100k store during the runs: its starts "
                                "were not all \"store unchanged\" ones.")
                     .arg(Backups::available(storeFolder).size() - backups);
    notes << QStringLiteral("startup: from exec to the MapNotify of the child's 640x480 top-level on the X server; "
                            "\"answering\": to its answer to a _NET_WM_PING sent at that map, when its event loop "
                            "is free for the clerk (the program makes its hidden screens in turns after its main "
                            "window has painted); peak memory is the child's VmHWM %1 ms later (painted). The bare "
                            "side is bench_barewindow: one frameless Qt window with the main window's picture.")
                 .arg(SettleMs);
}

int run(const bench::Arguments& args)
{
    const QString& folder = args.folder;
    const QString path = QDir(folder).filePath(Catalogue::StoreFileName);
    if (!QFileInfo::exists(path))
        generateStore(folder);
    checkGeneratedStore(path);
    if (args.only == QLatin1String("generate"))
        return 0; // the other benchmarks' way to have the store made
    std::printf("Store: %s (%.0f MB), SQLite %s, median of N runs after one warm-up run, engine and bare in turns\n"
                "(other work on the machine moves single figures by a third either way; compare ratios)\n\n",
                qPrintable(path), QFileInfo(path).size() / 1e6, sqlite3_libversion());
    bench::printHeader();
    std::printf("  %s\n", QString(100, QLatin1Char('-')).toLatin1().constData());

    if (args.wants("startup"))
        measureStartUp(folder, path, args.option("shots"));
    if (args.wants("store"))
        measureStoreOpening(folder, path);

    // The bare connection reads as the engine's does, and compares text the
    // same way: the same LIKE (Turkish folding) and asnumber() are on it.
    bench::Store store(folder);
    const std::unique_ptr<Database>& db = store.db;
    sqlite3* bareDb = store.bareConnection.get();
    BareStatements& bare = store.bare;
    if (args.wants("open"))
        measureOpen(*db, bare);
    if (args.wants("move"))
        measureMoves(*db, bare);
    if (args.wants("last"))
        measureLast(*db, bare);
    if (args.wants("locate"))
        measureLocate(*db, bare);
    if (args.wants("queries"))
        measureQueries(*db, bare);
    if (args.wants("like"))
        measureLike(*db, bare);
    if (args.wants("walk"))
        measureWalk(*db, bare);
    if (args.wants("post"))
        measurePost(*db, bareDb, bare);
    if (args.wants("bulk") || args.only == QLatin1String("plans"))
        measureBulkComparison(*db, bareDb, args.only == QLatin1String("plans"));
    if (args.wants("memory")) {
        measureMemory(*db, bare);
        measurePhotoPages(folder);
    }

    std::printf("\n");
    for (const QString& note : notes)
        std::printf("%s\n", qPrintable(note));
    std::printf("Memory high-water (VmHWM): %s\n", qPrintable(bench::memoryHighWater()));
    std::printf("(checksum of the values read: %llu)\n", static_cast<unsigned long long>(bench::checksum));
    return bench::printSummary();
}

} // namespace

int main(int argc, char** argv)
{
    // The bulk comparison shows its list in a window; the figures need no display.
    bench::offscreenUnlessAsked();
    QApplication app(argc, argv);
    bench::quietOffscreenPlatform();
    LocaleFormats::useTurkish(); // numbers in the list are written as the program writes them
    // --only NAME runs one group of measurements (for a profiler); --shots DIR
    // keeps screenshots of the first start of each kind, at the moment timed.
    const bench::Arguments args = bench::arguments(app.arguments(), QStringLiteral("bench-data"));
    return bench::runReportingFailure("bench_engine", [&] { return run(args); });
}
