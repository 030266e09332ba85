#include "platform/engine/postgresengine.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/serverschema.h"
#include "platform/engine/serversql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <libpq-fe.h>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Type numbers of the server's built-in types, as libpq reports them.
enum : Oid {
    BoolType = 16,
    ByteaType = 17,
    Int8Type = 20,
    Int2Type = 21,
    Int4Type = 23,
    OidType = 26,
    Float4Type = 700,
    Float8Type = 701,
    NumericType = 1700,
};

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

QString serverText(const PGconn* connection)
{
    return QString::fromUtf8(PQerrorMessage(connection)).simplified();
}

QString resultText(const PGresult* result)
{
    return QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
}

bool succeeded(const PGresult* result)
{
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

QString lostMessage(bool posting)
{
    return posting ? QStringLiteral("Sunucuyla bağlantı koptu; kayıt yazılamadı. Değişiklikleriniz ekranda duruyor: "
                                    "bağlantı dönünce yeniden onaylayın.")
                   : QStringLiteral("Sunucuyla bağlantı koptu. Bağlantı dönünce yeniden deneyin; Evlora sunucuya "
                                    "kendiliğinden yeniden bağlanır.");
}

// A failed statement as the clerk hears of it: a lost server as such, the
// server's own words otherwise.
[[noreturn]] void fail(PGconn* connection, const PGresult* result)
{
    if (PQstatus(connection) == CONNECTION_BAD)
        throw EngineError(PostgresEngine::ConnectionLost, serverText(connection), lostMessage(false));
    const QString text = result ? resultText(result) : serverText(connection);
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    throw EngineError(state ? int(std::strtol(state, nullptr, 36)) : 0, text, text);
}

Result run(PGconn* connection, const char* sql)
{
    Result result(PQexec(connection, sql), &PQclear);
    if (!succeeded(result.get()))
        fail(connection, result.get());
    return result;
}

QString unreachableMessage(const QString& text)
{
    return QStringLiteral("Sunucuya ulaşılamadı (%1). Veriye dokunulmadı; sunucunun açık olduğunu ve bu masanın "
                          "ağ bağlantısını denetleyip Evlora'yı yeniden başlatın.")
        .arg(text);
}

QString refusedMessage(const QString& text)
{
    return QStringLiteral("Sunucu girişi reddetti (%1). Veriye dokunulmadı; kullanıcı adını ve parolayı (~/.pgpass) "
                          "denetleyip Evlora'yı yeniden başlatın.")
        .arg(text);
}

} // namespace

// --- the setting -------------------------------------------------------------

std::optional<QString> PostgresEngine::settingIn(const QString& folder)
{
    const QString path = QDir(folder).filePath(SettingFileName);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw DataError(QStringLiteral("Sunucu ayarı '%1' okunamıyor: %2.").arg(path, file.errorString()));
    // Lines of a libpq connection string; '#' starts a remark.
    QStringList parts;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString trimmed = line.section(QLatin1Char('#'), 0, 0).trimmed();
        if (!trimmed.isEmpty())
            parts << trimmed;
    }
    if (parts.isEmpty())
        throw DataError(QStringLiteral("Sunucu ayarı '%1' boş: bir bağlantı (örneğin \"service=evlora\" ya da "
                                       "\"host=ofis dbname=evlora\") yazın ya da dosyayı silin.")
                            .arg(path));
    return parts.join(QLatin1Char(' '));
}

// --- connecting --------------------------------------------------------------

PostgresEngine::PostgresEngine(const QString& connection, const QVector<TableSchema>& catalogue)
    : m_connection(connection)
    , m_catalogue(catalogue)
{
}

PostgresEngine::~PostgresEngine()
{
    if (m_conn)
        PQfinish(m_conn);
}

void PostgresEngine::connect()
{
    if (m_conn)
        PQfinish(m_conn);
    // A desk waits a few seconds for a server that does not answer, not minutes.
    const QByteArray conninfo = m_connection.toUtf8();
    const char* keys[] = {"dbname", "connect_timeout", "client_encoding", "application_name", nullptr};
    const char* values[] = {conninfo.constData(), "5", "UTF8", "evlora", nullptr};
    m_conn = PQconnectdbParams(keys, values, 1);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString text = serverText(m_conn);
        const bool refused = PQconnectionNeedsPassword(m_conn) || text.contains(QLatin1String("authentication"))
                             || text.contains(QLatin1String("pg_hba.conf")) || text.contains(QLatin1String("role \""))
                             || text.contains(QLatin1String("password"));
        throw DataError(refused ? refusedMessage(text) : unreachableMessage(text));
    }
    ++m_generation;
    // Names compare and sort by code point, as in the embedded store, and
    // the server's own functions come first.
}

PGconn* PostgresEngine::live()
{
    if (PQstatus(m_conn) == CONNECTION_OK)
        return m_conn;
    m_reconnecting = false; // whatever was on its way is given up for a connection now
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK)
        throw EngineError(ConnectionLost, serverText(m_conn), lostMessage(false));
    reconnected();
    return m_conn;
}

void PostgresEngine::reconnected()
{
    ++m_generation;
    ++m_changes;
    if (m_changedElsewhere) {
        listen(); // a new session hears nothing it did not ask for
        // What other desks did while this one was cut off was never heard:
        // every list reads afresh, once the work under way is done.
        QTimer::singleShot(0, m_noticeTimer.get(), [this] {
            for (const TableSchema& table : std::as_const(m_catalogue))
                m_changedElsewhere(table.name);
        });
    }
}

void PostgresEngine::findServerAgain()
{
    // Tried every few seconds; each try is driven on at every tick of the
    // notice timer and never waits on the network.
    constexpr qint64 RetryMs = 2000;
    if (!m_reconnecting) {
        if (m_lastAttempt.isValid() && m_lastAttempt.elapsed() < RetryMs)
            return;
        m_lastAttempt.start();
        if (!PQresetStart(m_conn))
            return;
        m_reconnecting = true;
    }
    switch (PQresetPoll(m_conn)) {
    case PGRES_POLLING_OK:
        m_reconnecting = false;
        try {
            reconnected();
        } catch (const EngineError&) {
            // lost again at once: the next tick looks for it again
        }
        break;
    case PGRES_POLLING_FAILED:
        m_reconnecting = false;
        break;
    default:
        break; // still on its way
    }
}

void PostgresEngine::watchOtherDesks(std::function<void(const QString& table)> changed)
{
    m_changedElsewhere = std::move(changed);
    listen();
    m_noticeTimer = std::make_unique<QTimer>();
    m_noticeTimer->setInterval(250); // well within the second a desk waits to see another's change
    QObject::connect(m_noticeTimer.get(), &QTimer::timeout, [this] { takeNotices(); });
    m_noticeTimer->start();
}

void PostgresEngine::listen()
{
    // One channel per schema: desks of another agency on the same server stay apart.
    const Result schema = run(m_conn, "SELECT current_schema()");
    const QByteArray channel = "evlora_" + QByteArray(PQgetvalue(schema.get(), 0, 0));
    char* quoted = PQescapeIdentifier(m_conn, channel.constData(), size_t(channel.size()));
    run(m_conn, ("LISTEN " + QByteArray(quoted)).constData());
    PQfreemem(quoted);
}

void PostgresEngine::takeNotices()
{
    if (PQstatus(m_conn) != CONNECTION_OK) {
        findServerAgain();
        return;
    }
    if (!PQconsumeInput(m_conn))
        return; // the connection broke: the next tick looks for the server
    const int own = PQbackendPID(m_conn);
    QStringList tables;
    while (PGnotify* notice = PQnotifies(m_conn)) {
        const QString table = QString::fromUtf8(notice->extra);
        if (notice->be_pid != own && !tables.contains(table))
            tables << table;
        PQfreemem(notice);
    }
    if (tables.isEmpty())
        return;
    ++m_changes; // rows read ahead are stale now
    for (const QString& table : std::as_const(tables))
        m_changedElsewhere(table);
}

std::unique_ptr<PostgresEngine> PostgresEngine::open(const QString& connection, const QVector<TableSchema>& catalogue,
                                                     const QVector<TableSchema>& added)
{
    // Statements name added tables as well as the catalogue's.
    std::unique_ptr<PostgresEngine> engine(new PostgresEngine(connection, catalogue + added));
    engine->connect();
    engine->checkSchema(added);
    return engine;
}

void PostgresEngine::checkSchema(const QVector<TableSchema>& added)
{
    QVector<TableSchema> fourteen = m_catalogue;
    fourteen.resize(m_catalogue.size() - added.size());
    const QString database = QString::fromUtf8(PQdb(m_conn));
    const int version = ServerSchema::storedVersion(m_conn);
    if (version == 0)
        throw DataError(QStringLiteral("Sunucudaki '%1' veritabanında Evlora'nın tabloları yok. Hiçbir şey "
                                       "değiştirilmedi; veriyi önce \"evlora-server kur\" komutuyla sunucuya taşıyın.")
                            .arg(database));
    if (version > SchemaVersion)
        throw DataError(QStringLiteral("Sunucudaki '%1' veritabanı Evlora'nın daha yeni bir sürümüyle yazılmış (veri "
                                       "sürümü %2; bu program %3 sürümüne kadar okuyabilir). Hiçbir şey "
                                       "değiştirilmedi; bu masada Evlora'nın yeni sürümünü kullanın.")
                            .arg(database)
                            .arg(version)
                            .arg(SchemaVersion));
    ServerSchema::validate(m_conn, fourteen);
    ServerSchema::addMissing(m_conn, fourteen, added, SchemaVersion);
}

void PostgresEngine::createSchema(
    const QString& connection, const QVector<TableSchema>& catalogue,
    const std::function<void(const TableSchema&, const std::function<void(const QVariantList&)>&)>& rows,
    const QVector<TableSchema>& added, bool replacing)
{
    PostgresEngine engine(connection, catalogue);
    engine.connect();
    ServerSchema::create(engine.m_conn, catalogue, SchemaVersion, rows, added,
                         replacing ? ServerSchema::Existing::Replace : ServerSchema::Existing::Refuse);
}

// --- statements --------------------------------------------------------------

class PostgresStatement final : public EngineStatement {
public:
    PostgresStatement(PostgresEngine& engine, ServerSql::Translated sql)
        : m_engine(engine)
        , m_sql(std::move(sql))
        , m_name("evlora_" + QByteArray::number(++engine.m_statementNames))
        , m_values(size_t(m_sql.parameters))
        , m_bound(size_t(m_sql.parameters), false)
        , m_formats(size_t(m_sql.parameters), 0)
    {
        prepareOnServer(); // a fault in the text shows now, as it does on the embedded store
    }

    ~PostgresStatement() override
    {
        if (m_preparedIn == m_engine.m_generation && PQstatus(m_engine.m_conn) == CONNECTION_OK
            && PQtransactionStatus(m_engine.m_conn) != PQTRANS_INERROR)
            PQclear(PQexec(m_engine.m_conn, ("DEALLOCATE " + m_name).constData()));
    }

    void bindNull(int at) override { set(at, {}, false, 0); }
    void bindInteger(int at, qint64 value) override { set(at, QByteArray::number(value), true, 0); }
    void bindReal(int at, double value) override { set(at, QByteArray::number(value, 'g', 17), true, 0); }
    void bindText(int at, QByteArrayView utf8) override { set(at, utf8.toByteArray(), true, 0); }
    void bindBlob(int at, QByteArrayView bytes) override { set(at, bytes.toByteArray(), true, 1); }

    bool step() override
    {
        if (!m_result)
            runOnServer();
        return ++m_row < m_rows;
    }

    void reset() override
    {
        m_result.reset();
        m_row = -1;
        m_rows = 0;
        std::fill(m_bound.begin(), m_bound.end(), false);
    }

    int columnCount() const override { return m_result ? PQnfields(m_result.get()) : 0; }

    ColumnView column(int at) const override
    {
        ColumnView view;
        const PGresult* result = m_result.get();
        if (!result || m_row < 0 || m_row >= m_rows || PQgetisnull(result, m_row, at))
            return view;
        const char* text = PQgetvalue(result, m_row, at);
        const int size = PQgetlength(result, m_row, at);
        switch (PQftype(result, at)) {
        case BoolType:
            view.type = ColumnView::Integer;
            view.integer = text[0] == 't' ? 1 : 0;
            view.real = double(view.integer);
            break;
        case Int2Type:
        case Int4Type:
        case Int8Type:
        case OidType:
            view.type = ColumnView::Integer;
            view.integer = std::strtoll(text, nullptr, 10);
            view.real = double(view.integer);
            break;
        case Float4Type:
        case Float8Type:
        case NumericType:
            view.type = ColumnView::Real;
            view.real = std::strtod(text, nullptr);
            break;
        case ByteaType: {
            // Text results carry bytes as "\x" and hex digits: decoded once per row read.
            QByteArray& bytes = blobAt(at);
            bytes = size >= 2 ? QByteArray::fromHex(QByteArray::fromRawData(text + 2, size - 2)) : QByteArray();
            view.type = ColumnView::Blob;
            view.bytes = bytes.constData();
            view.size = int(bytes.size());
            break;
        }
        default:
            view.type = ColumnView::Text;
            view.bytes = text;
            view.size = size;
            break;
        }
        return view;
    }

    qint64 integer(int at) const override
    {
        const ColumnView view = column(at);
        return view.type == ColumnView::Integer ? view.integer : qint64(view.real);
    }

private:
    void set(int at, QByteArray value, bool bound, int format)
    {
        const size_t i = size_t(at - 1);
        if (i >= m_values.size())
            return; // as the embedded store, a value past the statement's marks is ignored
        m_values[i] = std::move(value);
        m_bound[i] = bound;
        m_formats[i] = format;
    }

    QByteArray& blobAt(int at) const
    {
        if (m_blobs.size() <= size_t(at))
            m_blobs.resize(size_t(at) + 1);
        return m_blobs[size_t(at)];
    }

    void prepareOnServer()
    {
        PGconn* connection = m_engine.live();
        Result prepared(PQprepare(connection, m_name.constData(), m_sql.text.constData(), 0, nullptr), &PQclear);
        if (!succeeded(prepared.get()))
            fail(connection, prepared.get());
        m_preparedIn = m_engine.m_generation;
    }

    void runOnServer()
    {
        if (m_sql.plannedEachRun)
            m_engine.live();
        else if (m_preparedIn != m_engine.m_generation || PQstatus(m_engine.m_conn) != CONNECTION_OK)
            prepareOnServer();
        std::vector<const char*> values(m_values.size());
        std::vector<int> lengths(m_values.size());
        for (size_t i = 0; i < m_values.size(); ++i) {
            values[i] = m_bound[i] ? m_values[i].constData() : nullptr;
            lengths[i] = int(m_values[i].size());
        }
        PGconn* connection = m_engine.m_conn;
        if (m_engine.m_trace)
            m_engine.m_trace({m_sql.text, true, m_sql.plannedEachRun, m_values, m_bound, m_formats});
        Result result(m_sql.plannedEachRun
                          ? PQexecParams(connection, m_sql.text.constData(), int(values.size()), nullptr, values.data(),
                                         lengths.data(), m_formats.data(), 0)
                          : PQexecPrepared(connection, m_name.constData(), int(values.size()), values.data(),
                                           lengths.data(), m_formats.data(), 0),
                      &PQclear);
        if (!succeeded(result.get()))
            fail(connection, result.get());
        const char* changed = PQcmdTuples(result.get());
        const qint64 changes = changed && *changed ? std::strtoll(changed, nullptr, 10) : 0;
        if (m_sql.returnsKey) {
            m_engine.ran(changes, PQntuples(result.get()) > 0 ? std::optional<qint64>(std::strtoll(
                                                                    PQgetvalue(result.get(), 0, 0), nullptr, 10))
                                                              : std::nullopt);
            m_rows = 0; // the key is the engine's to give, not a row of the statement's
        } else {
            if (PQresultStatus(result.get()) == PGRES_COMMAND_OK)
                m_engine.ran(changes, std::nullopt);
            m_rows = PQntuples(result.get());
        }
        m_row = -1;
        m_result = std::move(result);
    }

    PostgresEngine& m_engine;
    ServerSql::Translated m_sql;
    QByteArray m_name;
    int m_preparedIn = 0;
    std::vector<QByteArray> m_values;
    std::vector<bool> m_bound;
    std::vector<int> m_formats;
    Result m_result{nullptr, &PQclear};
    int m_row = -1;
    int m_rows = 0;
    mutable std::vector<QByteArray> m_blobs;
};

std::unique_ptr<EngineStatement> PostgresEngine::prepare(const QByteArray& sql)
{
    return std::make_unique<PostgresStatement>(*this, ServerSql::translate(QString::fromUtf8(sql), m_catalogue));
}

void PostgresEngine::ran(qint64 changes, std::optional<qint64> key)
{
    m_lastChanges = changes;
    if (key)
        m_lastKey = *key;
    if (changes > 0)
        ++m_changes;
}

void PostgresEngine::execute(const char* sql)
{
    if (m_trace)
        m_trace({QByteArray(sql)});
    run(live(), sql);
}

void PostgresEngine::keysGivenIn(const TableSchema& table)
{
    execute(ServerSchema::keysContinue(table).toUtf8().constData());
}

void PostgresEngine::begin()
{
    execute("BEGIN");
}

void PostgresEngine::commit()
{
    if (m_trace)
        m_trace({QByteArray("COMMIT")});
    run(m_conn, "COMMIT");
}

void PostgresEngine::rollback() noexcept
{
    if (PQstatus(m_conn) == CONNECTION_OK && PQtransactionStatus(m_conn) != PQTRANS_IDLE)
        PQclear(PQexec(m_conn, "ROLLBACK"));
}

bool PostgresEngine::inTransaction() const
{
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

QString PostgresEngine::postFailureMessage(const EngineError& error) const
{
    if (error.code() == ConnectionLost)
        return lostMessage(true);
    return QStringLiteral("Sunucu kaydı yazmadı: %1. Değişiklikleriniz ekranda duruyor.").arg(error.engineText());
}
