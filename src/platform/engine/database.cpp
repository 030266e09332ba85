#include "platform/engine/database.h"
#include "platform/engine/postgresengine.h"
#include "platform/engine/sqliteengine.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <utility>

std::unique_ptr<Database> Database::open(const QString& path, const QVector<TableSchema>& catalogue,
                                         ConsistencyCheck check, const QVector<TableSchema>& added)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // A folder that names a server runs on it; any other holds the embedded store.
    if (const std::optional<QString> server = PostgresEngine::settingIn(QFileInfo(absolute).absolutePath())) {
        std::unique_ptr<PostgresEngine> engine = PostgresEngine::open(*server, catalogue, added);
        PostgresEngine* served = engine.get();
        std::unique_ptr<Database> db(new Database(absolute, catalogue, added, std::move(engine)));
        db->m_server = served;
        return db;
    }
    std::unique_ptr<SqliteEngine> engine = SqliteEngine::open(path, catalogue, check, added);
    SqliteEngine* sqlite = engine.get();
    std::unique_ptr<Database> db(new Database(absolute, catalogue, added, std::move(engine)));
    db->m_sqlite = sqlite;
    return db;
}

Database::Database(const QString& path, const QVector<TableSchema>& catalogue, const QVector<TableSchema>& added,
                   std::unique_ptr<StoreEngine> engine)
    : m_path(path)
    , m_catalogue(catalogue)
    , m_added(added)
    , m_engine(std::move(engine))
{
    m_engine->watchOtherDesks([this](const QString& table) { emit m_notices.changedElsewhere(table); });
}

Database::~Database()
{
    *m_alive = false;
    m_alive.reset(); // leases still out see the store gone and leave their statement alone
    m_slots.clear();
    m_lent.clear();
}

QString Database::canonicalTableName(const QString& name)
{
    QString canonical = name.trimmed().toLower();
    if (canonical.endsWith(QLatin1String(".db")))
        canonical.chop(3);
    return canonical;
}

const TableSchema* Database::findTable(const QString& name) const
{
    const QString canonical = canonicalTableName(name);
    for (const QVector<TableSchema>* tables : {&m_catalogue, &m_added})
        for (const TableSchema& table : *tables)
            if (table.name == canonical)
                return &table;
    return nullptr;
}

const TableSchema& Database::table(const QString& name) const
{
    if (const TableSchema* found = findTable(name))
        return *found;
    throw DataError(QStringLiteral("Table '%1' does not exist").arg(name));
}

// --- leased statements -------------------------------------------------------

SqlStatement::Slot& Database::slotFor(const QString& sql)
{
    auto found = m_slots.find(sql);
    if (found == m_slots.end()) {
        auto slot = std::make_unique<SqlStatement::Slot>();
        slot->database = this;
        slot->sql = sql.toUtf8();
        found = m_slots.emplace(sql, std::move(slot)).first;
    }
    return *found->second;
}

SqlStatement::SqlStatement(Database& database, const QString& sql) : m_slot(&database.slotFor(sql))
{
    std::unique_ptr<EngineStatement> statement;
    if (!m_slot->idle.empty()) {
        statement = std::move(m_slot->idle.back());
        m_slot->idle.pop_back();
    } else {
        try {
            statement = database.m_engine->prepare(m_slot->sql);
        } catch (...) {
            m_slot = nullptr;
            throw;
        }
    }
    m_statement = statement.get();
    database.m_lent.push_back(std::move(statement));
    m_storeAlive = database.m_alive;
}

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : m_slot(std::exchange(other.m_slot, nullptr))
    , m_statement(std::exchange(other.m_statement, nullptr))
    , m_storeAlive(std::move(other.m_storeAlive))
{
}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept
{
    if (this != &other) {
        release();
        m_slot = std::exchange(other.m_slot, nullptr);
        m_statement = std::exchange(other.m_statement, nullptr);
        m_storeAlive = std::move(other.m_storeAlive);
    }
    return *this;
}

void SqlStatement::release()
{
    if (!m_statement)
        return;
    if (!m_storeAlive.expired()) {
        m_statement->reset();
        std::vector<std::unique_ptr<EngineStatement>>& lent = m_slot->database->m_lent;
        const auto it = std::find_if(lent.rbegin(), lent.rend(),
                                     [this](const std::unique_ptr<EngineStatement>& s) { return s.get() == m_statement; });
        if (it != lent.rend()) {
            m_slot->idle.push_back(std::move(*it));
            lent.erase(std::next(it).base());
        }
    }
    m_statement = nullptr;
    m_slot = nullptr;
}

void SqlStatement::rewind()
{
    if (m_statement)
        m_statement->reset();
}

void SqlStatement::bind(int at, const QVariant& value)
{
    bindValue(*m_statement, at, value);
}

int SqlStatement::bind(const QVariantList& values, int first)
{
    for (const QVariant& value : values)
        bind(first++, value);
    return first;
}

QString SqlStatement::text(int at) const
{
    const ColumnView view = column(at);
    if (view.type == ColumnView::Text)
        return view.bytes ? QString::fromUtf8(view.bytes, view.size) : QString(QLatin1String(""));
    return view.type == ColumnView::Null ? QString(QLatin1String("")) : Database::columnValue(view).toString();
}

QVariant SqlStatement::value(int at) const
{
    return Database::columnValue(column(at));
}

QVariant SqlStatement::fieldValue(int at, const FieldSchema& field) const
{
    return Database::fieldValue(column(at), field);
}

// --- reading and writing -----------------------------------------------------

qint64 Database::execute(const QString& sql, const QVariantList& values)
{
    SqlStatement statement(*this, sql);
    statement.bind(values);
    while (statement.step()) {
    }
    return m_engine->lastChanges();
}

void Database::select(const QString& sql, const QVariantList& values,
                      const std::function<void(const SqlStatement&)>& row)
{
    SqlStatement statement(*this, sql);
    statement.bind(values);
    while (statement.step())
        row(statement);
}

void Database::appendText(const ColumnView& column, QString& out)
{
    if (column.type != ColumnView::Text || !column.bytes || column.size == 0) {
        if (column.type != ColumnView::Text && column.type != ColumnView::Null)
            out += columnValue(column).toString();
        return;
    }
    // UTF-8 never has fewer bytes than its text has UTF-16 units.
    thread_local QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const qsizetype start = out.size();
    out.resize(start + column.size);
    QChar* end = utf8.appendToBuffer(out.data() + start, QByteArrayView(column.bytes, column.size));
    out.truncate(end - out.constData());
}

QVariant Database::columnValue(const ColumnView& column)
{
    switch (column.type) {
    case ColumnView::Integer:
        return qlonglong(column.integer);
    case ColumnView::Real:
        return column.real;
    case ColumnView::Text:
        return column.bytes ? QString::fromUtf8(column.bytes, column.size) : QString(QLatin1String(""));
    case ColumnView::Blob:
        return QByteArray(column.bytes, column.size);
    default:
        return {};
    }
}

QVariant Database::fieldValue(const ColumnView& column, const FieldSchema& field)
{
    if (column.type == ColumnView::Null)
        return FieldFormat::blank(field);
    if (field.isTextual())
        return column.type == ColumnView::Text ? columnValue(column) : columnValue(column).toString();
    if (field.isNumeric()) {
        if (column.type == ColumnView::Real || column.type == ColumnView::Integer)
            return column.real;
        return columnValue(column).toDouble();
    }
    return columnValue(column);
}

const QString& Database::columnList(const TableSchema& table)
{
    auto found = m_columnLists.find(&table);
    if (found == m_columnLists.end()) {
        QStringList columns;
        for (const FieldSchema& field : table.fields)
            columns << quoted(field.name);
        found = m_columnLists.insert(&table, columns.join(QLatin1Char(',')));
    }
    return *found;
}

void Database::holdWritesUntil(std::shared_future<QString> damage)
{
    m_pendingDamageVerdict = std::move(damage);
}

void Database::inTransaction(const std::function<void()>& work)
{
    if (m_pendingDamageVerdict.valid()) {
        // Only a write in the first moment after start-up waits here.
        m_damage = m_pendingDamageVerdict.get();
        m_pendingDamageVerdict = {};
    }
    if (!m_damage.isEmpty())
        throw DamagedStoreError(m_damage);
    m_engine->begin();
    try {
        work();
        m_engine->commit();
    } catch (...) {
        m_engine->rollback();
        throw;
    }
}

QString Database::postFailureMessage(const EngineError& error) const
{
    return m_engine->postFailureMessage(error);
}

void Database::checkpoint()
{
    if (m_sqlite)
        m_sqlite->checkpoint();
}
