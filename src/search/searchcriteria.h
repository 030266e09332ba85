#pragma once

#include "platform/engine/statement.h"

#include <QList>
#include <QString>

class Database;

// The criteria of one "Bul", term by term, and the statement they make.
//
// The grid reads a result in key order, checking each row it passes: quick
// while matches are dense, but for a narrow price or area band it passes
// nearly the whole register to fill a page. The keys of such a band are
// better gathered first through the band's own index, the other terms
// checked on those rows only; for a wide band that would gather most of the
// register. So before the search each range is counted through its index
// (with the status, where one index holds both), up to FewRows, and the
// narrowest one under that is gathered through that index. A
// district search reads the district's index in key order, checking only
// that district's rows: it keeps its form (counting would cost it more than
// gathering saves). Every form selects the same rows.
class SearchCriteria {
public:
    // Rows a range may hold and still be gathered through its index: on a
    // 100,000-row register the keyed walk finds a page of a band this dense
    // about as fast as the band is gathered (a band of 2,800 rows already
    // pages faster by the walk); with a status the walk also sorts, and
    // gathering wins further on.
    static constexpr int FewRows = 2000;

    explicit SearchCriteria(const QString& table) : m_table(table) {}

    // A term for the caller to build (and perhaps mark failed), checked as
    // the rows come. Each reference holds until the next term is added.
    Statement& term();
    // A range over one indexed column: a candidate for gathering.
    Statement& range();
    // A term whose own index reads its rows in key order (an equality): the
    // statement keeps its form, nothing is counted.
    Statement& inKeyOrder();

    // How the statement reads: the range numbered `range` (in the order the
    // ranges were made) gathered through `index` (SQLite's pick when empty),
    // or -1 for the terms as given.
    struct Reading {
        int range = -1;
        QString index;
    };
    // The statement read that way; every failure of a term marks it failed.
    Statement statement(const Reading& reading) const;
    // The reading fastest for these values; the plain one when a term failed,
    // a term is read in key order, or no range can be counted by a range of
    // index entries alone.
    Reading reading(Database& db) const;
    Statement statement(Database& db) const { return statement(reading(db)); }

private:
    enum class Kind { Filter, Range, InKeyOrder };
    struct Term {
        Statement part;
        Kind kind = Kind::Filter;
    };
    Statement& add(Kind kind);

    QList<Term> m_terms; // in the order given
    QString m_table;
};
