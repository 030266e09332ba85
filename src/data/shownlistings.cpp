#include "data/shownlistings.h"

#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/table.h"
#include "platform/engine/turkishtext.h"

#include <QLocale>
#include <QSet>
#include <algorithm>
#include <optional>

namespace ShownListings {

namespace {

namespace S = Catalogue::ShownListings;

QString q(const QString& name)
{
    return Database::quoted(name);
}

QString bare(const QString& table)
{
    return Database::canonicalTableName(table);
}

QString placeField(int place)
{
    return QStringLiteral("G%1").arg(place);
}

QDate readDate(const QString& typed)
{
    const QString text = typed.trimmed();
    QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid())
        date = QDate::fromString(text, QStringLiteral("d.M.yyyy"));
    return date;
}

QString nameKey(const QString& typed)
{
    return TurkishText::fold(typed.simplified());
}

QString keyFieldOf(Database& store, const QString& table)
{
    for (const FieldSchema& field : store.table(table).fields)
        if (field.isKey())
            return field.name;
    return QStringLiteral("No");
}

} // namespace

bool isRentalLog(const QString& logTable)
{
    return bare(logTable).compare(QStringLiteral("gosterilenkd"), Qt::CaseInsensitive) == 0;
}

QStringList registersFor(const QString& logTable)
{
    if (isRentalLog(logTable))
        return {QStringLiteral("kdgiris"), QStringLiteral("kegiris"), QStringLiteral("arsa")};
    return {QStringLiteral("sdgiris"), QStringLiteral("segiris"), QStringLiteral("arsa")};
}

QString phoneKey(const QString& typed)
{
    QString digits;
    for (const QChar c : typed)
        if (c.isDigit())
            digits += c;
    if (digits.size() == 12 && digits.startsWith(QLatin1String("90")))
        digits.remove(0, 2);
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits;
}

QString placeText(const QString& district, const QString& address, const QString& roomsOrArea,
                  const QString& price, int limit)
{
    const QString separator = QStringLiteral(", ");
    QStringList before, after;
    if (!district.trimmed().isEmpty())
        before << district.trimmed();
    if (!roomsOrArea.trimmed().isEmpty())
        after << roomsOrArea.trimmed();
    if (!price.trimmed().isEmpty())
        after << price.trimmed();
    QString street = address.simplified();
    const auto joined = [&](const QString& middle) {
        QStringList parts = before;
        if (!middle.isEmpty())
            parts << middle;
        return (parts + after).join(separator);
    };
    QString text = joined(street);
    if (text.size() > limit) {
        // The address gives way first: what is left of it, cut at a word where
        // one is near, ending in a full stop as a clerk abbreviates.
        const qsizetype room = limit - joined(QString()).size() - separator.size() - 1;
        if (room >= 4) {
            QString cut = street.left(room);
            const qsizetype space = cut.lastIndexOf(QLatin1Char(' '));
            if (space >= room / 2)
                cut = cut.left(space);
            street = cut.trimmed() + QLatin1Char('.');
        } else {
            street.clear();
        }
        text = joined(street);
    }
    return text.left(limit);
}

bool stillShows(const QString& placeText, const QString& pickedText)
{
    const QString now = placeText.trimmed();
    const QString picked = pickedText.trimmed();
    return !now.isEmpty() && !picked.isEmpty() && now.startsWith(picked);
}

Links read(Database& store, const QString& logTable, qint64 showingKey)
{
    Links links;
    store.select(QStringLiteral("SELECT %1,%2,%3 FROM %4 WHERE %5 = ? AND %6 = ?")
                     .arg(q(S::Place), q(S::Register), q(S::ListingKey), q(S::Table), q(S::Log), q(S::LogKey)),
                 {bare(logTable), showingKey}, [&](const SqlStatement& row) {
                     const qint64 place = row.integer(0);
                     if (place >= 1 && place <= PlaceCount && !row.text(1).isEmpty())
                         links[place - 1] = {row.text(1), row.integer(2)};
                 });
    return links;
}

void write(Database& store, const QString& logTable, qint64 showingKey, const Links& links)
{
    const QString log = bare(logTable);
    store.execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %3 = ?").arg(q(S::Table), q(S::Log), q(S::LogKey)),
                  {log, showingKey});
    for (int i = 0; i < PlaceCount; ++i) {
        if (!links.at(i).isSet())
            continue;
        store.execute(QStringLiteral("INSERT INTO %1 (%2,%3,%4,%5,%6) VALUES (?,?,?,?,?)")
                          .arg(q(S::Table), q(S::Log), q(S::LogKey), q(S::Place), q(S::Register), q(S::ListingKey)),
                      {log, showingKey, i + 1, links.at(i).registerTable, links.at(i).key});
    }
}

QHash<qint64, QVector<Shown>> shownToRequests(Database& store, bool rentals)
{
    const QString log = rentals ? QStringLiteral("gosterilenkd") : QStringLiteral("gosterilensd");

    // Every link of the log, by showing.
    QHash<qint64, QVector<Link>> linksByShowing;
    store.select(QStringLiteral("SELECT %1,%2,%3 FROM %4 WHERE %5 = ? ORDER BY %1, %6")
                     .arg(q(S::LogKey), q(S::Register), q(S::ListingKey), q(S::Table), q(S::Log), q(S::Place)),
                 {log}, [&](const SqlStatement& row) {
                     linksByShowing[row.integer(0)].append({row.text(1), row.integer(2)});
                 });
    QHash<qint64, QVector<Shown>> found;
    if (linksByShowing.isEmpty())
        return found;

    // The showings that covered a listing, found by name and by phone.
    struct Showing {
        qint64 key;
        QDate date;
    };
    QVector<Showing> showings;
    QHash<QString, QVector<int>> byName, byPhone;
    store.select(QStringLiteral("SELECT %1,%2,%3,%4,%5,%6 FROM %7")
                     .arg(q(keyFieldOf(store, log)), q(QStringLiteral("AdiSoyadi")), q(QStringLiteral("Tarih")),
                          q(QStringLiteral("Ev Tel")), q(QStringLiteral("IsTel")), q(QStringLiteral("Ceptel")), q(log)),
                 {}, [&](const SqlStatement& row) {
                     const qint64 key = row.integer(0);
                     if (!linksByShowing.contains(key))
                         return;
                     const int at = int(showings.size());
                     showings.append({key, readDate(row.text(2))});
                     const QString name = nameKey(row.text(1));
                     if (!name.isEmpty())
                         byName[name].append(at);
                     QSet<QString> phones;
                     for (int c = 3; c <= 5; ++c) {
                         const QString phone = phoneKey(row.text(c));
                         if (!phone.isEmpty() && !phones.contains(phone)) {
                             phones.insert(phone);
                             byPhone[phone].append(at);
                         }
                     }
                 });
    if (showings.isEmpty())
        return found;

    QVector<int> mine;
    QVector<char> taken(showings.size(), 0);
    store.select(QStringLiteral("SELECT %1,%2,%3,%4,%5 FROM %6")
                     .arg(q(QStringLiteral("No")), q(QStringLiteral("Isim")), q(QStringLiteral("Telefon")),
                          q(QStringLiteral("Istel")), q(QStringLiteral("Ceptel")), q(QStringLiteral("musteritalepleri"))),
                 {}, [&](const SqlStatement& row) {
                     mine.clear();
                     const auto take = [&](const QVector<int>& list) {
                         for (int at : list)
                             if (!taken[at]) {
                                 taken[at] = 1;
                                 mine.append(at);
                             }
                     };
                     const QString name = nameKey(row.text(1));
                     if (!name.isEmpty())
                         take(byName.value(name));
                     for (int c = 2; c <= 4; ++c) {
                         const QString phone = phoneKey(row.text(c));
                         if (!phone.isEmpty())
                             take(byPhone.value(phone));
                     }
                     for (int at : std::as_const(mine))
                         taken[at] = 0;
                     if (mine.isEmpty())
                         return;
                     // Newest showing first; undated ones after every dated one.
                     std::stable_sort(mine.begin(), mine.end(), [&](int a, int b) {
                         const QDate& da = showings.at(a).date;
                         const QDate& db = showings.at(b).date;
                         if (da.isValid() != db.isValid())
                             return da.isValid();
                         return da > db;
                     });
                     QVector<Shown> shown;
                     for (int at : std::as_const(mine)) {
                         for (const Link& link : linksByShowing.value(showings.at(at).key)) {
                             const bool seen = std::any_of(shown.cbegin(), shown.cend(), [&](const Shown& s) {
                                 return s.key == link.key && s.registerTable == link.registerTable;
                             });
                             if (!seen)
                                 shown.append({link.registerTable, link.key, showings.at(at).date});
                         }
                     }
                     found.insert(row.integer(0), shown);
                 });
    return found;
}

} // namespace ShownListings

// --- the current record's links -----------------------------------------------

using namespace ShownListings;

ShowingLinks::ShowingLinks(Database& store, Table& log, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_log(log)
    , m_table(Database::canonicalTableName(log.schema().name))
    , m_keyField(keyFieldOf(store, m_table))
{
    connect(&log, &Dataset::recordChanged, this, [this] {
        if (m_log.state() == DatasetState::Browse || m_log.state() == DatasetState::Inactive)
            reload();
        else if (m_log.state() == DatasetState::Insert && m_key != -1)
            reload();
    });
    connect(&log, &Dataset::afterPost, this, &ShowingLinks::reload);
    connect(&log, &Dataset::afterCancel, this, &ShowingLinks::reload);
    connect(&log, &Dataset::afterRefresh, this, [this] {
        if (!m_log.isEditing())
            reload();
    });
    connect(&log, &Dataset::fieldChanged, this, [this](int) { emit changed(); });
    log.addWriteWithRecord([this](qint64 key) { writeWithRecord(key); });
    reload();
}

qint64 ShowingLinks::currentKey() const
{
    if (!m_log.isActive() || m_log.isEmpty() || m_log.state() == DatasetState::Insert)
        return -1;
    return m_log.integer(m_keyField);
}

void ShowingLinks::reload()
{
    m_key = currentKey();
    m_stored = m_key < 0 ? Links{} : ShownListings::read(m_store, m_table, m_key);
    for (int i = 0; i < PlaceCount; ++i) {
        m_places[i].link = m_stored.at(i);
        m_places[i].text = m_stored.at(i).isSet() ? m_log.text(placeField(i + 1)) : QString();
    }
    emit changed();
}

Link ShowingLinks::link(int place) const
{
    if (place < 1 || place > PlaceCount || !m_log.isActive() || (!m_log.isEditing() && m_log.isEmpty()))
        return {};
    const Place& p = m_places.at(place - 1);
    return p.link.isSet() && stillShows(m_log.text(placeField(place)), p.text) ? p.link : Link{};
}

QString ShowingLinks::pickedText(int place) const
{
    return place >= 1 && place <= PlaceCount ? m_places.at(place - 1).text : QString();
}

bool ShowingLinks::pick(int place, const QString& registerTable, qint64 key)
{
    if (place < 1 || place > PlaceCount)
        return false;
    const QString listings = Database::canonicalTableName(registerTable);
    const TableSchema* schema = m_store.findTable(listings);
    if (!schema)
        return false;
    const auto has = [&](const QString& name) {
        return std::any_of(schema->fields.cbegin(), schema->fields.cend(),
                           [&](const FieldSchema& f) { return f.name.compare(name, Qt::CaseInsensitive) == 0; });
    };
    const bool land = !has(QStringLiteral("Oda"));
    const QString currency = has(QStringLiteral("Döviz")) ? QStringLiteral("Döviz")
                             : has(QStringLiteral("Doviz")) ? QStringLiteral("Doviz")
                                                            : QString();
    QStringList columns{land ? QStringLiteral("Semt") : QStringLiteral("Semtadi"), QStringLiteral("Adres"),
                        land ? QStringLiteral("Metre2") : QStringLiteral("Oda"), QStringLiteral("Fiyati")};
    if (!currency.isEmpty())
        columns << currency;
    QStringList quotedColumns;
    for (const QString& column : std::as_const(columns))
        quotedColumns << q(column);
    QString text;
    bool present = false;
    const int limit = m_log.schema().fields.at(m_log.fieldIndex(placeField(place))).size;
    m_store.select(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                       .arg(quotedColumns.join(QLatin1Char(',')), q(listings), q(QStringLiteral("No"))),
                   {key}, [&](const SqlStatement& row) {
                       present = true;
                       QString size = row.text(2).trimmed();
                       if (land && !size.isEmpty())
                           size += QStringLiteral(" m²");
                       // The price as a clerk writes it: grouped, no decimals, its
                       // currency named unless it is lira.
                       QString price;
                       const QVariant stored = row.value(3);
                       std::optional<double> amount;
                       if (stored.typeId() == QMetaType::Double || stored.typeId() == QMetaType::LongLong
                           || stored.typeId() == QMetaType::Int)
                           amount = stored.toDouble();
                       else if (!stored.isNull())
                           amount = TurkishText::readNumber(stored.toString());
                       if (amount) {
                           price = QLocale(QLocale::Turkish).toString(*amount, 'f', 0);
                           const QString named = currency.isEmpty() ? QString() : row.text(4).trimmed();
                           if (!named.isEmpty() && named.compare(QStringLiteral("TL"), Qt::CaseInsensitive) != 0)
                               price += QLatin1Char(' ') + named;
                       }
                       text = placeText(row.text(0), row.text(1), size, price, limit > 0 ? limit : 50);
                   });
    if (!present)
        return false;
    if (!m_log.isEditing())
        m_log.edit(); // on an empty log: a new record
    if (m_log.state() == DatasetState::Insert)
        m_key = -1;
    m_log.setText(placeField(place), text);
    m_log.markModified();
    m_places[place - 1] = {{listings, key}, m_log.text(placeField(place))};
    emit changed();
    return true;
}

void ShowingLinks::writeWithRecord(qint64 key)
{
    Links now;
    for (int i = 0; i < PlaceCount; ++i)
        now[i] = link(i + 1);
    if (now == m_stored && (key == m_key || now == Links{}))
        return; // nothing changed, or a new showing with no links
    ShownListings::write(m_store, m_table, key, now);
}
