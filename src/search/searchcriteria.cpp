#include "search/searchcriteria.h"

#include "platform/engine/database.h"
#include "platform/engine/sqliteengine.h"

#include <QHash>
#include <QStringList>


namespace {

// The index SQLite counts a probe's rows from by a range of its entries,
// never reading the table, so that the count costs at most as many entries
// as it counts; empty when it reads the table (a value no index of its own
// holds, a column the index lacks) or reads an index by an equality alone.
QString countingIndex(Database& db, const QString& table, const QString& probe, const QVariantList& values)
{
    // Every store holds the catalogue's indexes: the plan of a text is asked once.
    static QHash<QString, QString> known;
    if (const auto found = known.constFind(probe); found != known.cend())
        return *found;
    QString index;
    bool readsTable = false;
    db.select(QStringLiteral("EXPLAIN QUERY PLAN ") + probe, values, [&](const SqlStatement& row) {
        const QString step = row.text(3);
        QStringList words = step.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.value(1) == QLatin1String("TABLE")) // as older SQLite writes it
            words.removeAt(1);
        if (words.value(1) != table)
            return; // the counting around the subquery
        // "SEARCH t USING COVERING INDEX i (Durum=? AND Fiyati>? AND Fiyati<?)"
        const qsizetype at = words.indexOf(QStringLiteral("INDEX"));
        const QString bounds = words.mid(at + 2).join(QLatin1Char(' '));
        if (words.value(0) == QLatin1String("SEARCH") && at > 0 && words.value(at - 1) == QLatin1String("COVERING")
            && (bounds.contains(QLatin1Char('<')) || bounds.contains(QLatin1Char('>'))))
            index = words.value(at + 1);
        else
            readsTable = true;
    });
    return known[probe] = readsTable ? QString() : index;
}

// A term's condition as given: Statement::where wraps what it is given in
// parentheses, and the term is wrapped again when it joins the statement.
QString unwrapped(const QString& condition)
{
    return condition.mid(1, condition.size() - 2);
}

} // namespace

Statement& SearchCriteria::add(Kind kind)
{
    m_terms.append({Statement(m_table), kind});
    return m_terms.last().part;
}

Statement& SearchCriteria::term()
{
    return add(Kind::Filter);
}

Statement& SearchCriteria::range()
{
    return add(Kind::Range);
}

Statement& SearchCriteria::inKeyOrder()
{
    return add(Kind::InKeyOrder);
}

Statement SearchCriteria::statement(const Reading& reading) const
{
    const Term* gathered = nullptr;
    int range = -1;
    for (const Term& term : m_terms)
        if (term.kind == Kind::Range && ++range == reading.range)
            gathered = &term;
    Statement terms(m_table);
    if (gathered)
        terms.where(unwrapped(gathered->part.condition()), gathered->part.values());
    for (const Term& term : m_terms) {
        if (term.part.isFailed())
            terms.fail(term.part.failure());
        if (&term != gathered && !term.part.condition().isEmpty())
            terms.where(unwrapped(term.part.condition()), term.part.values());
    }
    if (!gathered)
        return terms;
    // Every term inside: outside, an index on another term (a status, say)
    // would tempt SQLite away from the gathered keys and into sorting.
    Statement statement(m_table);
    statement.where(QStringLiteral("rowid IN (SELECT rowid FROM %1%2 WHERE %3)")
                        .arg(Database::quoted(m_table),
                             reading.index.isEmpty() ? QString()
                                                     : QStringLiteral(" INDEXED BY ") + Database::quoted(reading.index),
                             terms.condition()),
                    terms.values());
    if (terms.isFailed())
        statement.fail(terms.failure());
    return statement;
}

SearchCriteria::Reading SearchCriteria::reading(Database& db) const
{
    // A server's planner counts a band through its index by itself: the
    // reading is chosen here only for the embedded store, which asks to be told.
    if (!db.sqlite())
        return {};
    Statement filters(m_table);
    for (const Term& term : m_terms) {
        if (term.part.isFailed() || term.kind == Kind::InKeyOrder)
            return {}; // refused by the query anyway, or read in key order already
        if (term.kind == Kind::Filter && !term.part.condition().isEmpty())
            filters.where(unwrapped(term.part.condition()), term.part.values());
    }
    Reading fastest;
    qint64 fewest = FewRows;
    int range = -1;
    for (const Term& term : m_terms) {
        if (term.kind != Kind::Range)
            continue;
        ++range;
        // Counted with the filters where an index holds both (a status and
        // a price), so that only the rows gathered are counted; else alone.
        QList<Statement> probes{term.part};
        if (!filters.condition().isEmpty()) {
            probes.prepend(filters);
            probes.first().where(unwrapped(term.part.condition()), term.part.values());
        }
        for (const Statement& probed : std::as_const(probes)) {
            const QString probe = QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 WHERE %2 LIMIT ?) AS counted")
                                      .arg(Database::quoted(m_table), probed.condition());
            // Counted only as far as the narrowest so far: a range holding
            // more is not taken, however many it holds.
            const QVariantList values = probed.values() + QVariantList{fewest};
            const QString index = countingIndex(db, m_table, probe, values);
            if (index.isEmpty())
                continue;
            qint64 rows = fewest;
            db.select(probe, values, [&](const SqlStatement& row) { rows = row.integer(0); });
            if (rows < fewest) {
                fewest = rows;
                fastest = Reading{range, index};
            }
            break;
        }
    }
    return fastest;
}
