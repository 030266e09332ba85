#include "platform/engine/dataset.h"

#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/turkishtext.h"

#include <sqlite3.h>
#include <algorithm>

namespace {

constexpr int PageSize = 64;      // rows fetched at once for display
constexpr int PagesKept = 64;     // pages cached per dataset
constexpr int FirstKeys = 64;     // keys fetched when a dataset opens: about one screenful
constexpr int MoreKeys = 4096;    // keys fetched when a grid scrolls further

QString pagePlaceholders()
{
    QStringList marks;
    for (int i = 0; i < PageSize; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

} // namespace

Dataset::Dataset(Database& database, QObject* parent) : QObject(parent), m_database(database) {}

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
}

void Dataset::setState(DatasetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

// --- opening and closing ---------------------------------------------------

void Dataset::open()
{
    if (isActive())
        return;
    schema();
    resetKeys();
    fetchKeys(FirstKeys); // a bad condition throws here, leaving the dataset closed
    m_position = m_keys.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_keys.empty();
    m_modified = false;
    setState(DatasetState::Browse);
    loadCurrent();
    emit rowsReset();
    emit afterOpen();
    emit recordChanged();
    if (!m_keys.empty())
        emit afterScroll();
}

void Dataset::close()
{
    if (!isActive())
        return;
    resetKeys();
    m_position = -1;
    m_bof = m_eof = true;
    m_modified = false;
    m_record.clear();
    setState(DatasetState::Inactive);
    emit rowsReset();
    emit afterClose();
    emit recordChanged();
}

// --- keys --------------------------------------------------------------------

QString Dataset::rowsWhere() const
{
    return m_statement.condition().isEmpty() ? QString() : m_statement.condition() + QStringLiteral(" AND ");
}

void Dataset::resetKeys()
{
    m_keys.clear();
    m_allFetched = false;
    invalidateRows();
}

bool Dataset::fetchKeys(int count)
{
    if (m_allFetched)
        return false;
    QVariantList values = m_statement.values();
    values << (m_keys.empty() ? std::numeric_limits<qint64>::min() : m_keys.back()) << count;
    const size_t before = m_keys.size();
    m_database.select(QStringLiteral("SELECT rowid FROM %1 WHERE %2rowid > ? ORDER BY rowid LIMIT ?")
                          .arg(Database::quoted(schema().name), rowsWhere()),
                      values, [this](sqlite3_stmt* row) { m_keys.push_back(sqlite3_column_int64(row, 0)); });
    const int arrived = int(m_keys.size() - before);
    if (count < 0 || arrived < count)
        m_allFetched = true;
    return arrived > 0;
}

void Dataset::fetchMore()
{
    const int before = fetchedCount();
    if (fetchKeys(MoreKeys))
        emit rowsFetched(before, fetchedCount() - 1);
}

void Dataset::ensureFetched(int row)
{
    const int before = fetchedCount();
    while (row >= fetchedCount() && !m_allFetched)
        fetchKeys(std::max(MoreKeys, row - fetchedCount() + 1));
    if (fetchedCount() > before)
        emit rowsFetched(before, fetchedCount() - 1);
}

int Dataset::recordCount()
{
    if (!isActive())
        return 0;
    const int before = fetchedCount();
    fetchKeys(-1);
    if (fetchedCount() > before)
        emit rowsFetched(before, fetchedCount() - 1);
    return fetchedCount();
}

int Dataset::rowOfKey(qint64 key)
{
    const int before = fetchedCount();
    while ((m_keys.empty() || m_keys.back() < key) && !m_allFetched)
        fetchKeys(MoreKeys);
    if (fetchedCount() > before)
        emit rowsFetched(before, fetchedCount() - 1);
    const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
    return (it != m_keys.end() && *it == key) ? int(it - m_keys.begin()) : -1;
}

qint64 Dataset::currentKey() const
{
    return (m_position >= 0 && m_position < fetchedCount()) ? m_keys[size_t(m_position)] : -1;
}

bool Dataset::isEmpty() const
{
    return m_keys.empty();
}

// --- rows --------------------------------------------------------------------

void Dataset::invalidateRows() const
{
    m_pages.clear();
    m_pageOrder.clear();
}

const QVector<QVariant>& Dataset::row(int rowNumber) const
{
    const int page = rowNumber / PageSize;
    auto cached = m_pages.find(page);
    if (cached != m_pages.end()) {
        if (m_pageOrder.last() != page) {
            m_pageOrder.removeOne(page);
            m_pageOrder.append(page);
        }
        return (*cached)[rowNumber % PageSize];
    }

    const TableSchema& table = schema();
    QStringList columns{QStringLiteral("rowid")};
    for (const FieldSchema& field : table.fields)
        columns << Database::quoted(field.name);
    const int from = page * PageSize;
    const int to = std::min(fetchedCount(), from + PageSize);
    QVariantList keys;
    for (int i = 0; i < PageSize; ++i)
        keys << (from + i < to ? m_keys[size_t(from + i)] : qint64(-1));

    QVector<QVariant> blankRow(table.fields.size());
    for (int f = 0; f < table.fields.size(); ++f)
        blankRow[f] = FieldFormat::blank(table.fields.at(f));
    // Rows come back in key order; a row another window deleted since the
    // keys were read is missing and shows blank.
    QVector<QVector<QVariant>> rows;
    rows.reserve(PageSize);
    m_database.select(
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid IN (%3) ORDER BY rowid")
            .arg(columns.join(QLatin1Char(',')), Database::quoted(table.name), pagePlaceholders()),
        keys, [&](sqlite3_stmt* statement) {
            const qint64 key = sqlite3_column_int64(statement, 0);
            while (from + rows.size() < to && m_keys[size_t(from + rows.size())] < key)
                rows.append(blankRow);
            if (from + rows.size() >= to || m_keys[size_t(from + rows.size())] != key)
                return;
            QVector<QVariant> values;
            values.reserve(table.fields.size());
            for (int f = 0; f < table.fields.size(); ++f) {
                const FieldSchema& field = table.fields.at(f);
                QVariant raw = Database::columnValue(statement, f + 1);
                if (raw.isNull())
                    values.append(blankRow.at(f));
                else if (field.isNumeric() && raw.typeId() != QMetaType::Double)
                    values.append(raw.toDouble());
                else if (field.isTextual() && raw.typeId() != QMetaType::QString)
                    values.append(raw.toString());
                else
                    values.append(std::move(raw));
            }
            rows.append(std::move(values));
        });
    while (rows.size() < PageSize)
        rows.append(blankRow);

    if (m_pageOrder.size() >= PagesKept)
        m_pages.remove(m_pageOrder.takeFirst());
    m_pageOrder.append(page);
    return m_pages.insert(page, rows)->at(rowNumber % PageSize);
}

void Dataset::loadCurrent()
{
    const TableSchema& table = schema();
    if (m_position >= 0 && m_position < fetchedCount()) {
        m_record = row(m_position);
    } else {
        m_record.resize(table.fields.size());
        for (int f = 0; f < table.fields.size(); ++f)
            m_record[f] = FieldFormat::blank(table.fields.at(f));
    }
}

QVariant Dataset::valueAt(int rowNumber, int field) const
{
    if (!isActive() || rowNumber < 0 || rowNumber >= fetchedCount() || field < 0 || field >= fieldCount())
        return {};
    if (rowNumber == m_position && isEditing())
        return m_record.value(field);
    return row(rowNumber).value(field);
}

QString Dataset::displayTextAt(int rowNumber, int field) const
{
    if (field < 0 || field >= fieldCount())
        return {};
    return FieldFormat::displayText(fieldSchema(field), valueAt(rowNumber, field));
}

qint64 Dataset::keyAt(int rowNumber) const
{
    return (rowNumber >= 0 && rowNumber < fetchedCount()) ? m_keys[size_t(rowNumber)] : -1;
}

// --- moving ------------------------------------------------------------------

void Dataset::setPosition(int rowNumber)
{
    m_position = rowNumber;
    loadCurrent();
    emit recordChanged();
    emit afterScroll();
}

void Dataset::first()
{
    checkBrowseMode();
    if (!isActive())
        return;
    m_bof = true;
    m_eof = m_keys.empty();
    setPosition(m_keys.empty() ? -1 : 0);
}

void Dataset::last()
{
    checkBrowseMode();
    if (!isActive())
        return;
    recordCount();
    m_eof = true;
    m_bof = m_keys.empty();
    setPosition(int(m_keys.size()) - 1);
}

void Dataset::next()
{
    checkBrowseMode();
    if (!isActive())
        return;
    ensureFetched(m_position + 1);
    if (m_position + 1 < fetchedCount()) {
        m_bof = m_eof = false;
        setPosition(m_position + 1);
    } else {
        m_eof = true;
        emit afterScroll();
    }
}

void Dataset::prior()
{
    checkBrowseMode();
    if (!isActive())
        return;
    if (m_position > 0) {
        m_bof = m_eof = false;
        setPosition(m_position - 1);
    } else {
        m_bof = true;
        emit afterScroll();
    }
}

void Dataset::moveTo(int rowNumber)
{
    if (rowNumber == m_position && !isEditing())
        return;
    checkBrowseMode();
    if (!isActive())
        return;
    ensureFetched(rowNumber);
    if (rowNumber < 0 || rowNumber >= fetchedCount())
        return;
    m_bof = m_eof = false;
    setPosition(rowNumber);
}

bool Dataset::locate(const QString& fieldName, qint64 value)
{
    checkBrowseMode();
    if (!isActive())
        return false;
    const FieldSchema& field = fieldSchema(fieldIndex(fieldName));
    QVariantList values = m_statement.values();
    values << value;
    bool found = false;
    qint64 key = -1;
    m_database.select(QStringLiteral("SELECT rowid FROM %1 WHERE %2%3 = ? ORDER BY rowid LIMIT 1")
                          .arg(Database::quoted(schema().name), rowsWhere(), Database::quoted(field.name)),
                      values, [&](sqlite3_stmt* row) {
                          found = true;
                          key = sqlite3_column_int64(row, 0);
                      });
    if (!found)
        return false;
    const int rowNumber = rowOfKey(key);
    if (rowNumber < 0)
        return false;
    m_bof = m_eof = false;
    setPosition(rowNumber);
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
    m_database.select(QStringLiteral("SELECT rowid FROM %1 WHERE %2%3%4 = ? COLLATE TURKISH_CI")
                          .arg(Database::quoted(schema().name), rowsWhere(), narrowed, column),
                      values, [&](sqlite3_stmt* row) {
                          const qint64 found = sqlite3_column_int64(row, 0);
                          if (key < 0 || found < key)
                              key = found;
                      });
    if (key < 0)
        return false;
    checkBrowseMode();
    const int rowNumber = rowOfKey(key);
    if (rowNumber < 0)
        return false;
    m_bof = m_eof = false;
    setPosition(rowNumber);
    return true;
}

void Dataset::refresh()
{
    checkBrowseMode();
    if (!isActive())
        return;
    reread(currentKey(), false);
}

void Dataset::reread(qint64 key, bool firstWhenGone)
{
    resetKeys();
    fetchKeys(FirstKeys);
    int rowNumber = -1;
    if (key >= 0) {
        rowNumber = rowOfKey(key);
        if (rowNumber < 0 && !firstWhenGone) {
            const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
            rowNumber = int(it - m_keys.begin());
            if (rowNumber >= fetchedCount())
                rowNumber = fetchedCount() - 1;
        }
    }
    if (rowNumber < 0 && !m_keys.empty())
        rowNumber = 0;
    m_position = rowNumber;
    m_bof = m_position <= 0;
    m_eof = m_keys.empty();
    loadCurrent();
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
    return m_record.at(field);
}

QString Dataset::text(const QString& field) const
{
    const int index = fieldIndex(field);
    return FieldFormat::editText(fieldSchema(index), value(index));
}

QString Dataset::displayText(const QString& field) const
{
    const int index = fieldIndex(field);
    return FieldFormat::displayText(fieldSchema(index), value(index));
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
