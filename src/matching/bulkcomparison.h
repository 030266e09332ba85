#pragma once

#include "matching/matchrules.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class Database;

namespace Matching {

// What a bulk comparison wrote, and how it ended.
struct BulkOutcome {
    enum class End {
        Finished,  // every request written
        Cancelled, // stopped by the clerk after requestsWritten requests
        ListFull,  // the next request's block did not fit the list
        Failed,    // the store refused a statement (failure says why)
    };
    End end = End::Finished;

    // The list, line by line, and its length in characters (a line break
    // counting as one).
    QStringList lines;
    qsizetype characters = 0;
    QString text() const { return lines.join(QLatin1Char('\n')); }
    int requestsTotal = 0;
    int requestsWritten = 0; // whole blocks in the list
    int listings = 0;        // listing lines in the list
    // The last request written (the one to leave current), and the first
    // one left out when the list was full.
    qint64 lastWrittenKey = -1;
    Request lastWritten;
    Request firstLeftOut;
    QString failure;

    // What the matching screen's result grids show afterwards: the last
    // statement each register ran, and the register of the last request
    // whose test held.
    std::array<std::optional<Statement>, RegisterCount> lastStatements;
    std::optional<Register> lastHeld;
};

// The bulk comparison: every request of the request list's result, first
// to last, matched under one criterion (the bulk rules: "Arsa ve Arazi" is
// no land kind), written as one block per request:
//
//     (empty line)
//     "    İsim : " name "    Telefon : " phone
//     (empty line)
//     and for each listing found, in the order the store returns them:
//     (empty line), the listing line, (empty line)
//
// so N requests with M listings in all make 3N + 3M lines. The text is made
// in memory; nothing is shown while it runs.
class BulkComparison {
public:
    // The most characters the comparison list holds. A request whose block
    // would go beyond it is not written, and neither is any after it.
    static constexpr qsizetype ListCapacity = 6500000;

    // Asked after each request written: false stops the run there.
    using KeepGoing = std::function<bool(int done, int total)>;

    BulkComparison(Database& database, int criterion);

    void setCapacity(qsizetype characters) { m_capacity = characters; }
    void setKeepGoing(KeepGoing keepGoing) { m_keepGoing = std::move(keepGoing); }

    // Walks the requests the statement selects, in key order (as a grid over
    // it shows them). A failed statement walks nothing.
    BulkOutcome run(const Statement& requests);

private:
    class Writer;
    Database& m_database;
    int m_criterion;
    qsizetype m_capacity = ListCapacity;
    KeepGoing m_keepGoing;
};

} // namespace Matching
