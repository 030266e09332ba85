#pragma once

#include <QDate>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

class Database;
class Table;

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
// to its customer: the showings of the rental log (gosterilenkd) when
// rentals, else of the sale log (gosterilensd). A showing is the customer's
// when its name matches the request's (trimmed, Turkish case folded) or when
// it shares a non-empty phone number with the request. Each listing comes
// once, with the date of its latest showing, newest first (undated last).
// Requests with nothing shown have no entry. Reads the links, the log and the
// requests once each, whatever the number of requests.
QHash<qint64 /*request No*/, QVector<Shown>> shownToRequests(Database& store, bool rentals);

// The rental or sale log a table name ("gosterilenkd", "gosterilensd.db")
// names; false for either when it is neither.
bool isRentalLog(const QString& logTable);
// The registers whose listings a showing of the log may cover, in the order
// a picker offers them: rentals kdgiris, kegiris, arsa; sales sdgiris,
// segiris, arsa.
QStringList registersFor(const QString& logTable);

// A phone number as typed, reduced to what tells it apart: its digits,
// without a country code 90 or a leading trunk 0. Empty for no number.
QString phoneKey(const QString& typed);

// The text a place gets for a picked listing, as a clerk would type it:
// district, address, rooms (or area, for land) and price, joined by ", ",
// the address shortened so that the whole stays within `limit` characters.
QString placeText(const QString& district, const QString& address, const QString& roomsOrArea,
                  const QString& price, int limit = 50);

// Whether a place still shows the listing it was filled with: its text,
// trimmed, is not empty and starts with the text the pick wrote.
bool stillShows(const QString& placeText, const QString& pickedText);

// One place's link.
struct Link {
    QString registerTable; // empty: the place is free text
    qint64 key = 0;
    bool isSet() const { return !registerTable.isEmpty(); }
    bool operator==(const Link&) const = default;
};
inline constexpr int PlaceCount = 4;
using Links = std::array<Link, PlaceCount>; // places 1-4 at 0-3

// A showing's links as stored, by place.
Links read(Database& store, const QString& logTable, qint64 showingKey);
// Replaces a showing's stored links; run inside the transaction that writes
// the showing.
void write(Database& store, const QString& logTable, qint64 showingKey, const Links& links);

} // namespace ShownListings

// The links of the record current on a showing log's screen, as the clerk
// edits them. Picking a listing into a place writes its text into the place
// and puts the record into edit state; the links are written in the same
// transaction as the record when it is posted, forgotten when it is
// cancelled, and deleted by the store with the record. A place whose text
// was typed over (or cleared) loses its link on that post.
class ShowingLinks : public QObject {
    Q_OBJECT
public:
    ShowingLinks(Database& store, Table& log, QObject* parent = nullptr);

    const QString& logTable() const { return m_table; }
    // The link of place 1-4 as the screen stands: picked, or stored and not
    // yet typed over. Unset for a free-text place.
    ShownListings::Link link(int place) const;
    // The text the place's pick wrote (or, for a stored link, the place's
    // text when it was read).
    QString pickedText(int place) const;

    // Fills place 1-4 from the listing: its text goes into the place (the
    // record into edit or, on an empty log, insert state) and its link is
    // kept for the post. False when the listing is no longer there. Throws
    // DataError as the cursor does.
    bool pick(int place, const QString& registerTable, qint64 key);

signals:
    // A place's link came or went, or another record became current.
    void changed();

private:
    struct Place {
        ShownListings::Link link;
        QString text; // what the place held when the link was made
    };
    void reload();
    void writeWithRecord(qint64 key);
    qint64 currentKey() const;

    Database& m_store;
    Table& m_log;
    QString m_table;
    QString m_keyField;
    qint64 m_key = -1;
    std::array<Place, ShownListings::PlaceCount> m_places;
    ShownListings::Links m_stored; // what the store holds for m_key
};
