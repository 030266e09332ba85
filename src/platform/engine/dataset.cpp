#include "platform/engine/dataset.h"

#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/turkishtext.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int PagesKept = 16; // pages of rows cached per dataset: a grid shows one or two
constexpr int FirstRows = 64;   // rows a grid offers after opening: about one screenful
constexpr int MoreRows = 4096;  // rows a grid offers more as it scrolls further
constexpr qint64 BeforeAllKeys = std::numeric_limits<qint64>::min();
constexpr qint64 AfterAllKeys = std::numeric_limits<qint64>::max();

} // namespace

// The statements of a dataset, made once per table and condition and shared
// by every dataset on them: opening a table builds no SQL text.
struct DatasetTexts {
    QString pageAfter, pageBefore; // as after and before, with pictures only marked present
    QString after, before, atKey, atOrAfter, count, countUpTo, countBefore, keyAfter, keyBefore;
    bool pictures = false; // the pages only mark them
    QHash<QString, QString> locate; // field name -> the statement locating a value in it
};

Dataset::Dataset(Database& database, QObject* parent) : QObject(parent), m_database(database)
{
    // Rows another desk changed show within a moment, the current row kept by
    // its key; a record being edited waits for its post, which checks.
    connect(&database.notices(), &StoreNotices::changedElsewhere, this, [this](const QString& table) {
        if (!m_schema || table != m_schema->name || m_state != DatasetState::Browse)
            return;
        try {
            refresh();
        } catch (const DataError&) {
            // The server is out of reach: the next action the clerk takes says so.
        }
    });
}

Dataset::~Dataset() = default;

const TableSchema& Dataset::schema() const
{
    if (!m_schema)
        throw DataError(QStringLiteral("Missing TableName property"));
    return *m_schema;
}

void Dataset::setSource(const TableSchema* schema, const Statement& statement)
{
    m_schema = schema;
    m_statement = statement;
    m_texts.reset();
    forgetRowsAhead();
    m_blankRecord.clear();
    if (schema) {
        for (const FieldSchema& field : schema->fields)
            m_blankRecord.append(FieldFormat::blank(field));
    }
}

DatasetTexts& Dataset::texts() const
{
    if (m_texts)
        return *m_texts;
    const TableSchema& table = schema();
    std::shared_ptr<DatasetTexts>& shared = m_database.datasetTexts(table, m_statement.condition());
    if (shared) {
        m_texts = shared;
        return *m_texts;
    }
    const QString name = Database::quoted(table.name);
    const QString& condition = m_statement.condition();
    const QString where = condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condition;
    const QString whereAnd = QStringLiteral(" WHERE ") + (condition.isEmpty() ? QString() : condition + QStringLiteral(" AND "));
    const QString select = QStringLiteral("SELECT rowid,%1 FROM %2").arg(m_database.columnList(table), name);
    auto texts = std::make_shared<DatasetTexts>();
    // First and last are "after the lowest key" and "before the highest": a
    // rowid range lets SQLite walk the keys in order, as every page read
    // does, instead of sorting what an index on the condition finds.
    texts->after = select + whereAnd + QStringLiteral("rowid > ? ORDER BY rowid LIMIT ? OFFSET ?");
    // A page of a grid holds a thousand rows at most; with a photograph in
    // each it would hold gigabytes. It marks whether a picture is there, and
    // the picture is read when someone asks for it.
    QStringList pageColumns;
    for (const FieldSchema& field : table.fields)
        pageColumns << (field.type == FieldType::Graphic
                            ? QStringLiteral("length(%1) > 0").arg(Database::quoted(field.name))
                            : Database::quoted(field.name));
    texts->pictures = pageColumns.join(QLatin1Char(',')) != m_database.columnList(table);
    const QString pageSelect = QStringLiteral("SELECT rowid,%1 FROM %2").arg(pageColumns.join(QLatin1Char(',')), name);
    texts->pageAfter = pageSelect + whereAnd + QStringLiteral("rowid > ? ORDER BY rowid LIMIT ? OFFSET ?");
    texts->pageBefore = pageSelect + whereAnd + QStringLiteral("rowid < ? ORDER BY rowid DESC LIMIT ? OFFSET ?");
    texts->before = select + whereAnd + QStringLiteral("rowid < ? ORDER BY rowid DESC LIMIT ? OFFSET ?");
    texts->atKey = select + QStringLiteral(" WHERE rowid = ?");
    texts->atOrAfter = select + whereAnd + QStringLiteral("rowid >= ? ORDER BY rowid LIMIT 1");
    texts->count = QStringLiteral("SELECT count(*) FROM ") + name + where;
    texts->countUpTo = QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM ") + name + where + QStringLiteral(" LIMIT ?) AS counted");
    texts->countBefore = QStringLiteral("SELECT count(*) FROM ") + name + whereAnd + QStringLiteral("rowid < ?");
    texts->keyAfter = QStringLiteral("SELECT rowid FROM ") + name + whereAnd + QStringLiteral("rowid > ? ORDER BY rowid LIMIT 1");
    texts->keyBefore =
        QStringLiteral("SELECT rowid FROM ") + name + whereAnd + QStringLiteral("rowid < ? ORDER BY rowid DESC LIMIT 1");
    shared = texts;
    m_texts = std::move(texts);
    return *m_texts;
}

void Dataset::setState(DatasetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

// --- reading rows ------------------------------------------------------------

void Dataset::readRecordFrom(SqlStatement& statement)
{
    const TableSchema& table = *m_schema;
    const int fields = int(table.fields.size());
    m_recordAhead = -1;
    m_record.resize(fields);
    for (int f = 0; f < fields; ++f)
        m_record[f] = statement.fieldValue(f + 1, table.fields.at(f));
}

bool Dataset::readOne(const QString& sql, std::initializer_list<qint64> extra)
{
    SqlStatement statement(m_database, sql);
    int at = statement.bind(m_statement.values());
    for (qint64 value : extra)
        statement.bindInteger(at++, value);
    if (!statement.step())
        return false;
    m_currentKey = statement.integer(0);
    readRecordFrom(statement);
    return true;
}

bool Dataset::readAtKey(qint64 key)
{
    SqlStatement statement(m_database, texts().atKey);
    statement.bindInteger(1, key);
    if (!statement.step())
        return false;
    m_currentKey = key;
    readRecordFrom(statement);
    return true;
}

qint64 Dataset::countOf(const QString& sql, std::initializer_list<qint64> extra) const
{
    SqlStatement statement(m_database, sql);
    int at = statement.bind(m_statement.values());
    for (qint64 value : extra)
        statement.bindInteger(at++, value);
    return statement.step() ? statement.integer(0) : 0;
}

bool Dataset::hasRowAfter(qint64 key) const
{
    SqlStatement statement(m_database, texts().keyAfter);
    statement.bindInteger(statement.bind(m_statement.values()), key);
    return statement.step();
}

bool Dataset::hasRowBefore(qint64 key) const
{
    SqlStatement statement(m_database, texts().keyBefore);
    statement.bindInteger(statement.bind(m_statement.values()), key);
    return statement.step();
}

bool Dataset::readInPlaceOf(qint64 key)
{
    if (readOne(texts().atOrAfter, {key})) {
        setCurrent(m_currentKey, Place::Unknown, 0);
        return true;
    }
    if (readOne(texts().before, {AfterAllKeys, 1, 0})) {
        setCurrent(m_currentKey, Place::FromEnd, 0);
        return true;
    }
    clearRecord();
    return false;
}

void Dataset::setCurrent(qint64 key, Place place, int position)
{
    m_currentKey = key;
    m_hasRows = true;
    m_place = place;
    m_position = position;
    if (place == Place::FromEnd && m_count >= 0) {
        m_place = Place::Known;
        m_position = std::max(0, m_count - 1 - position);
    }
}

void Dataset::clearRecord()
{
    m_currentKey = -1;
    m_hasRows = false;
    m_place = Place::Known;
    m_position = -1;
    m_recordAhead = -1;
    m_record = m_blankRecord;
}

void Dataset::announceMove()
{
    emit recordChanged();
    emit afterScroll();
}

// --- opening and closing ---------------------------------------------------

void Dataset::open()
{
    if (isActive())
        return;
    schema();
    invalidateRows();
    m_horizon = FirstRows;
    // A bad condition throws here, leaving the dataset closed. A page holds
    // the record whole unless the table has pictures (a page only marks them).
    if (m_pagedByGrid && !texts().pictures) {
        const Page& first = page(0);
        if (first.keys.empty()) {
            clearRecord();
        } else {
            m_currentKey = first.keys.front();
            const int fields = fieldCount();
            m_recordAhead = -1;
            m_record.resize(fields);
            for (int f = 0; f < fields; ++f)
                m_record[f] = first.value(0, f, fieldSchema(f));
            setCurrent(m_currentKey, Place::Known, 0);
        }
    } else if (readOne(texts().after, {BeforeAllKeys, 1, 0})) {
        setCurrent(m_currentKey, Place::Known, 0);
    } else {
        clearRecord();
    }
    m_bof = true;
    m_eof = !m_hasRows;
    m_modified = false;
    setState(DatasetState::Browse);
    emit rowsReset();
    emit afterOpen();
    emit recordChanged();
    if (m_hasRows)
        emit afterScroll();
}

void Dataset::close()
{
    if (!isActive())
        return;
    invalidateRows();
    forgetRowsAhead();
    m_currentKey = -1;
    m_hasRows = false;
    m_place = Place::Known;
    m_position = -1;
    m_bof = m_eof = true;
    m_modified = false;
    m_recordAhead = -1;
    m_record.clear();
    setState(DatasetState::Inactive);
    emit rowsReset();
    emit afterClose();
    emit recordChanged();
}

// --- place and count -----------------------------------------------------------

int Dataset::position() const
{
    if (!isActive() || m_state == DatasetState::Insert || m_currentKey < 0)
        return -1;
    if (m_place == Place::FromEnd) {
        m_position = std::max(0, recordCount() - 1 - m_position);
        m_place = Place::Known;
    } else if (m_place == Place::Unknown) {
        m_position = int(countOf(texts().countBefore, {m_currentKey}));
        m_place = Place::Known;
    }
    return m_position;
}

int Dataset::recordCount() const
{
    if (!isActive())
        return 0;
    if (m_count < 0)
        m_count = m_hasRows ? int(countOf(texts().count, {})) : 0;
    return m_count;
}

int Dataset::fetchedCount() const
{
    if (!isActive())
        return 0;
    if (m_offered < 0) {
        // Counts no further than the rows offered: cheap however large the
        // result. The first page, which the grid paints next, tells as much.
        if (m_count < 0 && m_hasRows && m_horizon <= RowsPerPage)
            page(0); // a short page counts the rows; a full one holds all offered
        m_offered = m_count >= 0 ? std::min(m_count, m_horizon)
                    : !m_hasRows ? 0
                    : m_horizon <= RowsPerPage ? m_horizon
                                               : int(countOf(texts().countUpTo, {m_horizon}));
        if (m_offered < m_horizon)
            m_count = m_offered;
    }
    return m_offered;
}

bool Dataset::canFetchMore() const
{
    return isActive() && fetchedCount() == m_horizon && (m_count < 0 || m_count > m_horizon);
}

void Dataset::fetchMore()
{
    fetchTo(fetchedCount() + MoreRows - 1);
}

void Dataset::fetchTo(int row)
{
    if (!isActive() || row < m_horizon)
        return;
    const int before = fetchedCount();
    m_horizon = row + 1;
    m_offered = -1;
    const int after = fetchedCount();
    if (after > before)
        emit rowsFetched(before, after - 1);
}

void Dataset::invalidateRows() const
{
    m_pages.clear();
    m_pageOrder.clear();
    m_lastPageNumber = -1;
    m_lastPage = nullptr;
    m_count = -1;
    m_offered = -1;
}

// --- rows for grids ---------------------------------------------------------------

bool Dataset::placeInPages(qint64 key, int* row) const
{
    for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
        const std::vector<qint64>& keys = it->keys;
        const auto found = std::lower_bound(keys.begin(), keys.end(), key);
        if (found != keys.end() && *found == key) {
            *row = it.key() * RowsPerPage + int(found - keys.begin());
            return true;
        }
    }
    return false;
}

const Dataset::Page& Dataset::page(int number) const
{
    if (number == m_lastPageNumber)
        return *m_lastPage;
    auto cached = m_pages.constFind(number);
    if (cached != m_pages.cend()) {
        if (m_pageOrder.last() != number) {
            m_pageOrder.removeOne(number);
            m_pageOrder.append(number);
        }
        m_lastPageNumber = number;
        m_lastPage = &*cached;
        return *cached;
    }

    // Read the page from the nearest row whose key is known: the start, the
    // current row, the pages already read, and the end once the rows are
    // counted. SQLite then skips only the rows between (OFFSET), never the
    // whole register, and a page is read without counting the rows first.
    const int from = number * RowsPerPage;
    const int to = (m_count >= 0 ? std::min(m_count, from + RowsPerPage) : from + RowsPerPage) - 1;
    bool forward = true;
    qint64 anchorKey = BeforeAllKeys;
    int skip = from;
    const auto consider = [&](int row, qint64 key) {
        if (key < 0)
            return;
        if (row < from && from - row - 1 < skip) {
            forward = true;
            skip = from - row - 1;
            anchorKey = key;
        } else if (row > to && row - to - 1 < skip) {
            forward = false;
            skip = row - to - 1;
            anchorKey = key;
        }
    };
    if (m_count >= 0 && m_count - 1 - to < skip) {
        forward = false;
        skip = m_count - 1 - to;
        anchorKey = AfterAllKeys;
    }
    if (m_place == Place::Known && m_state != DatasetState::Insert)
        consider(m_position, m_currentKey);
    for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
        const int first = it.key() * RowsPerPage;
        for (int i = 0; i < int(it->keys.size()); ++i) // the first and last known key of the page
            if (it->keys[size_t(i)] >= 0) {
                consider(first + i, it->keys[size_t(i)]);
                break;
            }
        for (int i = int(it->keys.size()) - 1; i >= 0; --i)
            if (it->keys[size_t(i)] >= 0) {
                consider(first + i, it->keys[size_t(i)]);
                break;
            }
    }

    const int fields = fieldCount();
    const int wanted = std::max(0, to - from + 1);
    Page rows;
    rows.fields = fields;
    rows.keys.reserve(size_t(wanted));
    rows.cells.reserve(size_t(wanted) * size_t(fields));
    if (wanted > 0) {
        SqlStatement statement(m_database, forward ? texts().pageAfter : texts().pageBefore);
        int at = statement.bind(m_statement.values());
        statement.bindInteger(at++, anchorKey);
        statement.bindInteger(at++, wanted);
        statement.bindInteger(at, skip);
        readRowsInto(statement, fields, rows);
    }
    if (!forward) {
        std::reverse(rows.keys.begin(), rows.keys.end());
        for (size_t row = 0, rowsRead = rows.keys.size(); row < rowsRead / 2; ++row)
            std::swap_ranges(rows.cells.begin() + row * fields, rows.cells.begin() + (row + 1) * fields,
                             rows.cells.begin() + (rowsRead - 1 - row) * fields);
    }
    const int got = int(rows.keys.size());
    if (m_count < 0 && forward && got < wanted && (got > 0 || from == 0)) {
        m_count = from + got; // the result ends in this page
        m_offered = -1;
    }
    const int present = m_count >= 0 ? std::max(0, std::min(wanted, m_count - from)) : got;
    // Rows another window deleted since they were counted show blank (cells of NULL).
    const int missing = std::max(0, present - got);
    rows.keys.insert(forward ? rows.keys.end() : rows.keys.begin(), size_t(missing), -1);
    rows.cells.insert(forward ? rows.cells.end() : rows.cells.begin(), size_t(missing) * size_t(fields), Cell());

    if (m_pageOrder.size() >= PagesKept)
        m_pages.remove(m_pageOrder.takeFirst());
    m_pageOrder.append(number);
    m_lastPageNumber = number;
    m_lastPage = &*m_pages.insert(number, std::move(rows));
    return *m_lastPage;
}

void Dataset::readRowsInto(SqlStatement& statement, int fields, Page& rows)
{
    while (statement.step()) {
        rows.keys.push_back(statement.integer(0));
        for (int f = 0; f < fields; ++f) {
            const ColumnView column = statement.column(f + 1);
            Cell cell;
            cell.type = column.type;
            if (column.type == ColumnView::Text || column.type == ColumnView::Blob) {
                cell.size = column.size;
                cell.offset = rows.bytes.size();
                rows.bytes.append(column.bytes, column.size);
            } else if (column.type == ColumnView::Real) {
                cell.real = column.real;
            } else {
                cell.integer = column.integer;
            }
            rows.cells.push_back(cell);
        }
    }
}

bool Dataset::Page::sameCell(int row, int otherRow, int field) const
{
    const Cell& a = cells[size_t(row) * size_t(fields) + size_t(field)];
    const Cell& b = cells[size_t(otherRow) * size_t(fields) + size_t(field)];
    if (a.type != b.type)
        return false;
    if (a.type == ColumnView::Text || a.type == ColumnView::Blob)
        return a.size == b.size && std::memcmp(bytes.constData() + a.offset, bytes.constData() + b.offset, size_t(a.size)) == 0;
    return a.type == ColumnView::Null || a.integer == b.integer; // a real's bits compare as well
}

QVariant Dataset::Page::value(int row, int field, const FieldSchema& schema) const
{
    const Cell& cell = cells[size_t(row) * size_t(fields) + size_t(field)];
    if (schema.type == FieldType::Graphic) // a page only marks whether there is a picture
        return QVariant(cell.type == ColumnView::Integer && cell.integer != 0);
    ColumnView column;
    column.type = cell.type;
    if (cell.type == ColumnView::Text || cell.type == ColumnView::Blob) {
        column.bytes = bytes.constData() + cell.offset;
        column.size = cell.size;
    } else if (cell.type == ColumnView::Real) {
        column.real = cell.real;
    } else if (cell.type == ColumnView::Integer) {
        column.integer = cell.integer;
        column.real = double(cell.integer);
    }
    return Database::fieldValue(column, schema);
}

QVariant Dataset::heldAt(int rowNumber, int field, qint64* key) const
{
    *key = -1;
    if (!isActive() || rowNumber < 0 || field < 0 || field >= fieldCount())
        return {};
    if (m_state == DatasetState::Edit ? rowNumber == position()
                                      : (m_place == Place::Known && rowNumber == m_position && m_currentKey >= 0))
        return recordValue(field);
    if (m_count >= 0 && rowNumber >= m_count)
        return {};
    const Page& rows = page(rowNumber / RowsPerPage);
    const int at = rowNumber % RowsPerPage;
    if (at >= int(rows.keys.size()))
        return {};
    *key = rows.keys[size_t(at)];
    return rows.value(at, field, fieldSchema(field));
}

QVariant Dataset::valueAt(int rowNumber, int field) const
{
    qint64 key = -1;
    const QVariant held = heldAt(rowNumber, field, &key);
    if (key < 0 || fieldSchema(field).type != FieldType::Graphic)
        return held;
    // A page only knows whether the row has a picture: read it now.
    if (!held.toBool())
        return FieldFormat::blank(fieldSchema(field));
    QVariant picture = FieldFormat::blank(fieldSchema(field));
    m_database.select(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                          .arg(Database::quoted(fieldSchema(field).name), Database::quoted(schema().name)),
                      {key}, [&](const SqlStatement& row) { picture = row.fieldValue(0, fieldSchema(field)); });
    return picture;
}

QString Dataset::displayTextAt(int rowNumber, int field) const
{
    if (field < 0 || field >= fieldCount())
        return {};
    qint64 key = -1;
    QVariant held = heldAt(rowNumber, field, &key);
    // A grid shows only whether there is a picture; no need to read it.
    if (key >= 0 && fieldSchema(field).type == FieldType::Graphic)
        held = held.toBool() ? QVariant(QByteArray(1, '\0')) : FieldFormat::blank(fieldSchema(field));
    const int naming = currencyFieldOf(field);
    qint64 namingKey = -1;
    return FieldFormat::displayText(fieldSchema(field), held,
                                    naming >= 0 ? heldAt(rowNumber, naming, &namingKey).toString() : QString());
}

int Dataset::currencyFieldOf(int field) const
{
    const FieldSchema& amount = fieldSchema(field);
    if (amount.type != FieldType::Currency || amount.currencyField.isEmpty())
        return -1;
    return schema().indexOf(amount.currencyField);
}

qint64 Dataset::keyAt(int rowNumber) const
{
    if (!isActive() || rowNumber < 0)
        return -1;
    if (m_state != DatasetState::Insert && m_place == Place::Known && rowNumber == m_position && m_currentKey >= 0)
        return m_currentKey;
    if (m_count >= 0 && rowNumber >= m_count)
        return -1;
    const Page& rows = page(rowNumber / RowsPerPage);
    const size_t at = size_t(rowNumber % RowsPerPage);
    return at < rows.keys.size() ? rows.keys[at] : -1;
}

// --- moving ------------------------------------------------------------------

void Dataset::first()
{
    checkBrowseMode();
    if (!isActive())
        return;
    if (readOne(texts().after, {BeforeAllKeys, 1, 0}))
        setCurrent(m_currentKey, Place::Known, 0);
    else
        clearRecord();
    m_bof = true;
    m_eof = !m_hasRows;
    announceMove();
}

void Dataset::last()
{
    checkBrowseMode();
    if (!isActive())
        return;
    if (readOne(texts().before, {AfterAllKeys, 1, 0}))
        setCurrent(m_currentKey, Place::FromEnd, 0);
    else
        clearRecord();
    m_eof = true;
    m_bof = !m_hasRows;
    announceMove();
}

void Dataset::next()
{
    checkBrowseMode();
    if (!isActive())
        return;
    if (m_currentKey < 0 || !readNextAhead()) {
        m_eof = true;
        if (m_place == Place::Known && m_count >= 0 && m_currentKey >= 0 && m_position + 1 != m_count) {
            // Rows after this one went away since they were counted.
            invalidateRows();
            emit rowsReset();
        }
        emit afterScroll();
        return;
    }
    m_bof = m_eof = false;
    if (m_place == Place::Known) {
        ++m_position;
        if (m_count >= 0 && m_position >= m_count) { // a row was added after the count
            m_count = m_position + 1;
            m_offered = -1;
        }
    } else if (m_place == Place::FromEnd) {
        if (--m_position < 0)
            m_place = Place::Unknown;
    }
    announceMove();
}

bool Dataset::readNextAhead()
{
    // A walk reads on in runs of 1, 2, 4 … rows: a single step reads one row
    // as any move does, a walk over a register a statement per 256 rows. A
    // table with pictures reads its rows one by one: a run would hold its
    // pictures (a row read ahead keeps only their marks).
    constexpr int LongestRun = 256;
    if (texts().pictures)
        return readOne(texts().after, {m_currentKey, 1, 0});
    const qint64 changes = m_database.changeCount();
    const qint64 before = m_aheadTaken == 0 ? m_aheadAfter : m_ahead.keys[m_aheadTaken - 1];
    const bool walkingOn = !m_ahead.keys.empty() && before == m_currentKey && changes == m_aheadChanges;
    if (!walkingOn || m_aheadTaken == m_ahead.keys.size()) {
        const int run = walkingOn ? std::min(2 * m_aheadRun, LongestRun) : 1;
        forgetRowsAhead(true);
        SqlStatement statement(m_database, texts().after);
        int at = statement.bind(m_statement.values());
        statement.bindInteger(at++, m_currentKey);
        statement.bindInteger(at++, run);
        statement.bindInteger(at, 0);
        m_ahead.fields = fieldCount();
        readRowsInto(statement, m_ahead.fields, m_ahead);
        if (m_ahead.keys.empty())
            return false;
        m_aheadAfter = m_currentKey;
        m_aheadChanges = changes;
        m_aheadRun = run;
    }
    const size_t row = m_aheadTaken++;
    m_currentKey = m_ahead.keys[row];
    // A walk mostly reads a field or two of each row: the rest stay as read.
    if (m_recordAhead < 0) // the record came from elsewhere: none of its values is kept
        m_recordRows.assign(size_t(m_ahead.fields), -1);
    m_record.resize(m_ahead.fields);
    m_recordAhead = int(row);
    return true;
}

const QVariant& Dataset::recordValue(int field) const
{
    QVariant& value = m_record[field];
    if (m_recordAhead < 0)
        return value;
    int& madeFrom = m_recordRows[size_t(field)];
    if (madeFrom != m_recordAhead) {
        if (madeFrom < 0 || !m_ahead.sameCell(madeFrom, m_recordAhead, field))
            value = m_ahead.value(m_recordAhead, field, fieldSchema(field));
        madeFrom = m_recordAhead;
    }
    return value;
}

void Dataset::makeRecordWhole() const
{
    if (m_recordAhead < 0)
        return;
    for (int f = 0; f < m_record.size(); ++f)
        recordValue(f);
    m_recordAhead = -1;
}

void Dataset::forgetRowsAhead(bool keepRoom)
{
    makeRecordWhole();
    if (keepRoom) {
        // A walk reads run after run into the same room: freeing and taking
        // it again would hand the memory back to the system each time.
        m_ahead.keys.clear();
        m_ahead.cells.clear();
        m_ahead.bytes.resize(0);
    } else {
        m_ahead = Page();
    }
    m_aheadAfter = -1;
    m_aheadTaken = 0;
    m_aheadChanges = -1;
    m_aheadRun = 0;
}

void Dataset::prior()
{
    checkBrowseMode();
    if (!isActive())
        return;
    const bool knownFirst = m_place == Place::Known && m_position == 0;
    if (m_currentKey < 0 || knownFirst || !readOne(texts().before, {m_currentKey, 1, 0})) {
        m_bof = true;
        if (m_currentKey >= 0 && !knownFirst) {
            if (m_place == Place::Known) { // rows before this one went away since they were counted
                invalidateRows();
                emit rowsReset();
            }
            m_place = Place::Known;
            m_position = 0;
        }
        emit afterScroll();
        return;
    }
    m_bof = m_eof = false;
    if (m_place == Place::Known)
        --m_position;
    else if (m_place == Place::FromEnd)
        ++m_position;
    announceMove();
}

void Dataset::moveTo(int rowNumber)
{
    if (!isEditing() && isActive() && rowNumber == position())
        return;
    checkBrowseMode();
    if (!isActive())
        return;
    if (rowNumber < 0 || rowNumber >= recordCount())
        return;
    const qint64 key = keyAt(rowNumber);
    if (key < 0 || !readAtKey(key))
        return;
    m_bof = m_eof = false;
    setCurrent(key, Place::Known, rowNumber);
    announceMove();
}

bool Dataset::locate(const QString& fieldName, qint64 value)
{
    checkBrowseMode();
    if (!isActive())
        return false;
    const FieldSchema& field = fieldSchema(fieldIndex(fieldName));
    QString& locating = texts().locate[field.name];
    if (locating.isEmpty()) {
        const QString& condition = m_statement.condition();
        locating = QStringLiteral("SELECT rowid,%1 FROM %2 WHERE %3%4 = ? ORDER BY rowid LIMIT 1")
                       .arg(m_database.columnList(schema()), Database::quoted(schema().name),
                            condition.isEmpty() ? QString() : condition + QStringLiteral(" AND "),
                            Database::quoted(field.name));
    }
    const QString sql = locating; // the hash may grow while the statement runs
    const qint64 before = m_currentKey;
    const Place place = m_place;
    if (!readOne(sql, {value}))
        return false;
    int row = -1;
    if (m_currentKey == before && before >= 0)
        m_place = place; // the same row: its place stands
    else if (placeInPages(m_currentKey, &row))
        setCurrent(m_currentKey, Place::Known, row);
    else
        setCurrent(m_currentKey, Place::Unknown, 0);
    m_bof = m_eof = false;
    announceMove();
    return true;
}

bool Dataset::locateFolded(const QString& fieldName, const QString& text)
{
    if (!isActive() || text.isEmpty())
        return false;
    const QString column = Database::quoted(fieldSchema(fieldIndex(fieldName)).name);
    QVariantList values = m_statement.values();

    // The plain index on the field finds the few names that begin with one of
    // the spellings of the typed text's first letters (as many letters as keep
    // the spellings to a few dozen); only those are compared folded.
    constexpr qsizetype MostPrefixes = 64;
    QStringList prefixes{QString()};
    for (const QChar c : text) {
        const QString spellings = TurkishText::spellings(c);
        if (c.isSurrogate() || prefixes.size() * spellings.size() > MostPrefixes)
            break;
        QStringList longer;
        for (const QString& prefix : std::as_const(prefixes))
            for (const QChar spelling : spellings)
                longer << prefix + spelling;
        prefixes = longer;
    }
    QStringList ranges;
    for (const QString& prefix : std::as_const(prefixes)) {
        if (prefix.isEmpty() || prefix.back().unicode() == 0xFFFF)
            continue;
        QString after = prefix;
        after.back() = QChar(char16_t(prefix.back().unicode() + 1));
        ranges << QStringLiteral("(%1 >= ? AND %1 < ?)").arg(column);
        values << prefix << after;
    }
    const QString narrowed = ranges.size() == prefixes.size() && !ranges.isEmpty()
                                 ? QStringLiteral("(%1) AND ").arg(ranges.join(QStringLiteral(" OR ")))
                                 : QString();
    values << text;

    // Names are seldom shared: the first record is picked here, not by sorting in SQL,
    // which would tempt the store into reading the table in key order instead.
    qint64 key = -1;
    m_database.select(QStringLiteral("SELECT rowid FROM %1 WHERE %2%3trfold(%4) = trfold(?)")
                          .arg(Database::quoted(schema().name),
                               m_statement.condition().isEmpty() ? QString() : m_statement.condition() + QStringLiteral(" AND "),
                               narrowed, column),
                      values, [&](const SqlStatement& row) {
                          const qint64 found = row.integer(0);
                          if (key < 0 || found < key)
                              key = found;
                      });
    if (key < 0)
        return false;
    checkBrowseMode();
    const qint64 before = m_currentKey;
    const Place place = m_place;
    if (!readOne(texts().atOrAfter, {key}) || m_currentKey != key) {
        readInPlaceOf(before < 0 ? BeforeAllKeys : before);
        return false;
    }
    int row = -1;
    if (key == before)
        m_place = place; // the same row: its place stands
    else if (placeInPages(key, &row))
        setCurrent(key, Place::Known, row);
    else
        setCurrent(key, Place::Unknown, 0);
    m_bof = m_eof = false;
    announceMove();
    return true;
}

void Dataset::refresh()
{
    checkBrowseMode();
    if (!isActive())
        return;
    reread(m_currentKey, false);
}

void Dataset::reread(qint64 key, bool firstWhenGone)
{
    invalidateRows();
    m_horizon = FirstRows;
    if (key >= 0 && firstWhenGone) {
        // The row holding the key, or else the first row.
        if (readOne(texts().atOrAfter, {key}) && m_currentKey == key)
            setCurrent(key, Place::Unknown, 0);
        else if (readOne(texts().after, {BeforeAllKeys, 1, 0}))
            setCurrent(m_currentKey, Place::Known, 0);
        else
            clearRecord();
    } else {
        readInPlaceOf(key < 0 ? BeforeAllKeys : key);
    }
    m_bof = !m_hasRows || !hasRowBefore(m_currentKey);
    m_eof = !m_hasRows;
    emit rowsReset();
    emit recordChanged();
    emit afterRefresh();
    emit afterScroll();
}

void Dataset::checkBrowseMode()
{
    if (!isEditing())
        return;
    flushEditors();
    if (m_modified)
        postPending();
    else
        cancelPending();
}

void Dataset::postPending()
{
    throw DataError(QStringLiteral("Cannot modify a read-only dataset"));
}

void Dataset::cancelPending() {}

// --- fields ------------------------------------------------------------------

int Dataset::fieldCount() const
{
    return m_schema ? int(m_schema->fields.size()) : 0;
}

int Dataset::fieldIndex(const QString& field) const
{
    const int index = schema().indexOf(field);
    if (index < 0)
        throw DataError(QStringLiteral("Field '%1' not found").arg(field));
    return index;
}

const FieldSchema& Dataset::fieldSchema(int field) const
{
    return schema().fields.at(field);
}

QVariant Dataset::value(int field) const
{
    if (!isActive() || field < 0 || field >= m_record.size())
        return {};
    return recordValue(field);
}

QString Dataset::text(const QString& field) const
{
    const int index = fieldIndex(field);
    return FieldFormat::editText(fieldSchema(index), value(index));
}

QString Dataset::displayText(const QString& field) const
{
    return displayText(fieldIndex(field));
}

QString Dataset::displayText(int field) const
{
    if (field < 0 || field >= fieldCount())
        return {};
    const int naming = currencyFieldOf(field);
    return FieldFormat::displayText(fieldSchema(field), value(field),
                                    naming >= 0 ? value(naming).toString() : QString());
}

qint64 Dataset::integer(const QString& field) const
{
    const QVariant v = value(field);
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    const double d = v.toDouble(&ok);
    if (ok)
        return qint64(d);
    throw DataError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
}

double Dataset::number(const QString& field) const
{
    const QVariant v = value(field);
    return v.isNull() ? 0.0 : v.toDouble();
}

bool Dataset::isBlank(const QString& field) const
{
    const int index = fieldIndex(field);
    return FieldFormat::isBlank(fieldSchema(index), value(index));
}

// --- editors -----------------------------------------------------------------

void Dataset::addEditor(RecordEditor* editor)
{
    if (!m_editors.contains(editor))
        m_editors.append(editor);
}

void Dataset::removeEditor(RecordEditor* editor)
{
    m_editors.removeAll(editor);
}

void Dataset::flushEditors()
{
    const auto editors = m_editors;
    for (RecordEditor* editor : editors)
        editor->writeToRecord();
}
