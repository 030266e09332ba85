#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVector>

class Database;

// Which listings a showing covered: each place G1-G4 of a showing log may be
// filled by picking a listing from a register, and the listing's register and
// key are kept beside the log (Catalogue::ShownListings) so that what was
// shown to a customer is known exactly, not guessed from the place's text.
namespace ShownListings {

// A listing shown to a customer, and the showing's date as the log holds it.
struct Shown {
    QString registerTable; // kdgiris, kegiris, sdgiris, segiris or arsa
    qint64 key = 0;
    QDate date; // invalid when the log's Tarih does not read as dd.MM.yyyy
};

// For every request (musteritalepleri, by its No) the listings that were shown
// to its customer, newest first: the showings of the rental log (gosterilenkd)
// when rentals, else of the sale log (gosterilensd). A showing is the
// customer's when its name matches the request's (trimmed, Turkish case
// folded) or when it shares a non-empty phone number with the request.
// Requests with nothing shown have no entry. Reads the log, its links and the
// requests once each.
QHash<qint64 /*request No*/, QVector<Shown>> shownToRequests(Database& store, bool rentals);

} // namespace ShownListings
