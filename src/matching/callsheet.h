#pragma once

#include "data/shownlistings.h"
#include "matching/matchrules.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class Database;

// The call sheet: every request of the request list matched under one
// criterion, as the bulk comparison matches them (same registers, same
// listings, same order), made into a list to call from. Per customer it has
// every phone number the request holds and what the request asks for; per
// listing whether the customer was already shown it, and when, and whether
// it is new since the last call sheet of the same criterion. What a sheet
// found is remembered in the store (Catalogue::ComparisonTrail), so the next
// one can tell. No window in here.
namespace CallSheet {

// A listing a customer was shown, as the showing logs keep it; per request
// key, the listings its customer was shown.
using Shown = ShownListings::Shown;
using ShownByRequest = QHash<qint64, QVector<Shown>>;
// What both showing logs tell, the rental log's and the sale log's together.
ShownByRequest shownInEitherLog(Database& store);

struct Listing {
    Matching::Register where = Matching::Register::RentalFlats;
    qint64 key = 0;
    QString district, area, price, kind, address;
    bool shown = false;
    QDate shownOn; // the latest showing; null when shown on a day the log does not tell
    bool isNew = false;
};

struct Customer {
    qint64 request = 0;
    QString name;
    QStringList phones; // every number the request holds, in field order
    QString wants;      // what the request asks for, in a line
    QVector<Listing> listings;
};

struct Sheet {
    // The most listings a sheet holds: a request whose listings would go
    // beyond it is left out, and so is every request after it.
    static constexpr int Capacity = 100000;

    int criterion = -1;
    QDateTime madeAt;
    // The last sheet of this criterion; invalid when there was none, and
    // then no listing is marked new.
    QDateTime previousRun;
    QVector<Customer> customers; // those with a listing to call about, in key order
    int requestsRead = 0;  // matched and on the sheet (when they found anything)
    int requestsTotal = 0;
    int listings = 0, newListings = 0, shownListings = 0;
    bool cancelled = false;
    bool full = false;          // stopped at the capacity: requests after lastRequestRead are not on it
    qint64 lastRequestRead = -1; // the key of the last request on the sheet
};

// Asked after each request: false stops the run (the sheet is then
// cancelled and remembers nothing).
using KeepGoing = std::function<bool(int done, int total)>;

// Matches every request the statement selects, in key order, under the
// criterion, and marks the listings from shown and from the criterion's last
// sheet in the store. Reads only. Throws DataError.
Sheet make(Database& store, int criterion, const Statement& requests, const ShownByRequest& shown,
           const KeepGoing& keepGoing = {}, int capacity = Sheet::Capacity);

// Makes the criterion's remembered sheet this one, in one transaction: the
// next sheet marks new what this one did not list. A cancelled sheet is not
// remembered; a full one is, for the requests on it (the others keep what
// the earlier sheet listed for them). Throws DataError.
void remember(Database& store, const Sheet& sheet);

// make() and, unless cancelled, remember(): one call sheet run.
Sheet run(Database& store, int criterion, const Statement& requests, const ShownByRequest& shown,
          const KeepGoing& keepGoing = {}, int capacity = Sheet::Capacity);

// "Kiralık Daire · Kadıköy · 1.000 – 2.000 TL · 80 – 120 m²": the parts the
// request fills in.
QString wantsLine(const Matching::Request& request, const QString& currency);

} // namespace CallSheet
