#pragma once

#include "matching/matchrules.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class Database;

// What an agent does by hand beside the exact match: the listings that miss
// a request by a little (a flat 4% above the budget is worth a call), and the
// listings a criterion can never find because the field it compares is empty.
// No window in here; MatchScreen shows both.
namespace Matching {

// How far outside its bounds a price or an area may lie, in percent of the
// bound it misses, for the listing to count as a near miss.
inline constexpr int DefaultMargin = 10;
inline constexpr int LargestMargin = 50;

// How one compared field of a listing stands against the request's bounds:
// what its mark says ("fiyat ✔", "fiyat %4 yüksek", "m² 6 eksik", "m² yok").
struct FieldMiss {
    enum class Side : quint8 { Unread, Inside, Below, Above, Missing };
    Side side = Side::Unread;
    double share = 0; // the miss as a share of the bound missed
    double gap = 0;   // the miss in the field's own units
};

// The marks of a listing, held as numbers and spelled when shown.
struct Reasons {
    bool district = false; // "semt ✔": the criterion reads the district
    FieldMiss price, area;
    // One mark per criterion, district first: "semt ✔", "fiyat ✔",
    // "fiyat %4 yüksek", "fiyat %3 düşük", "m² 6 eksik", "m² 12 fazla".
    QStringList spelled() const;
};

// One listing that misses the request by no more than the margin on every
// bound the criterion reads, and is not an exact match.
struct NearMiss {
    Register where;
    qint64 key = 0;          // No, to open it
    QString district, kind;  // kind: Emlak on the property registers, else empty
    std::optional<double> price, area; // the listing's numbers (area read as a number on land)
    QString typedArea;       // on land: the area as typed
    // The largest miss over the criterion's bounds, as a share of the bound
    // missed (0.04 for 4% above the highest price): the order of the list.
    double distance = 0;
    Reasons reasons;

    // As the comparison list writes them.
    QString priceText() const;
    QString areaText() const;
    QStringList marks() const { return reasons.spelled(); }
};

// Whether a near miss means anything under the criterion: it must read a
// price or an area (the district is always matched exactly).
bool hasMargin(int criterion);

// The listings of one register that the exact statement would find with the
// criterion's bounds widened by margin percent: the same district, status
// and kind rules, bound values, either store. Rows of the exact match are
// among them.
Statement widenedStatementFor(Register id, const Request& request, int criterion, int margin);

// The near misses of the request under the criterion over every register its
// tests pick on MatchScreen, closest first (then by register and key). None
// when the criterion reads neither price nor area, or a bound it needs is
// empty. Throws DataError as RowStream does.
//
// The list holds what it found as numbers and shared texts, ordered; each
// NearMiss is made when it is read (a count of them makes none).
class NearMisses {
public:
    struct Found;
    struct Data;

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    NearMiss at(qsizetype place) const;

    class const_iterator {
    public:
        using value_type = NearMiss;
        NearMiss operator*() const { return m_list->at(m_place); }
        const_iterator& operator++() { ++m_place; return *this; }
        bool operator==(const const_iterator& other) const = default;

    private:
        friend class NearMisses;
        const_iterator(const NearMisses* list, qsizetype place) : m_list(list), m_place(place) {}
        const NearMisses* m_list;
        qsizetype m_place;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    friend NearMisses nearMisses(Database&, const Request&, int, int);
    std::shared_ptr<const Data> d;
};

NearMisses nearMisses(Database& db, const Request& request, int criterion, int margin = DefaultMargin);

// The marks of one listing against the request: for tests and for the list.
// price and area are the listing's numbers (area read as a number on land);
// a null one is marked "yok" and counts as a miss.
struct Marked {
    bool exact = true;
    double distance = 0;
    QStringList marks;
};
Marked markListing(const Request& request, int criterion, const QVariant& price, const QVariant& area);

// --- Listings a criterion can never find -----------------------------------

enum class Compared { Price, Area };

// The listings of the register, carrying the status a search looks for, whose
// compared field is empty (on land also an area that reads as no number):
// searches by that field never return them. status empty on a building
// register: its available status; no status at all (std::nullopt): every
// listing, as a listing search with "Tümü" looks through them.
Statement missingStatement(Register id, Compared field, const std::optional<QString>& status = QString());
qint64 countMissing(Database& db, Register id, Compared field, const std::optional<QString>& status = QString());

// "12 kiralık dairede fiyat yok; fiyata göre aramalarda çıkmazlar".
QString missingNotice(Register id, Compared field, qint64 count);

// The compared fields a criterion reads.
QList<Compared> comparedBy(int criterion);

} // namespace Matching
