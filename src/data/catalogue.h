#pragma once

#include "platform/engine/database.h"
#include "platform/engine/schema.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

class Database;

// The one definition of the program's fourteen tables: names, fields, types,
// sizes, required flags, masks, drop-down lists and lookup sources. The store
// is created and checked from it; screens take their field rules from it.
namespace Catalogue {

inline const QString StoreFileName = QStringLiteral("evlora.sqlite");

// Phone fields: area code in parentheses, stored with the literals,
// "_" as the blank.
inline const QString PhoneMask = QStringLiteral("!\\(999\\) 999-99-99;1;_");

// Fixed drop-down lists: a suggestion, any typed text is accepted.
namespace Lists {
extern const QStringList RentStatus;    // "Kiralandı", "Kiralanmadı"
extern const QStringList SaleStatus;    // "Satıldı", "Satılmadı"
extern const QStringList LandStatus;    // all four
extern const QStringList RequestStatus; // "Buldu", "Bulamadı"
extern const QStringList RequestedDeal; // "Kiralanmadı" = wants to rent, "Satılmadı" = wants to buy
extern const QStringList Present;       // "Var", "Yok"
extern const QStringList Heating;
extern const QStringList Rooms;
extern const QStringList Floor;
} // namespace Lists

// Lookup sources.
inline const LookupSource District{QStringLiteral("semtler"), QStringLiteral("Semtler")};
inline const LookupSource PropertyKind{QStringLiteral("emlaktanimlama"), QStringLiteral("EmlakTipi")};
inline const LookupSource Province{QStringLiteral("il"), QStringLiteral("Il")};

const QVector<TableSchema>& tables();
const TableSchema& table(const QString& name); // any case, with or without ".db"

// Tables beside the fourteen, added in later versions of the program. They
// are not part of the fourteen's check: a store that lacks one gets it when
// it opens (after its check), and its version is raised. A new one is a new
// row in addedTables() and a step of the engines' SchemaVersion.
const QVector<TableSchema>& addedTables();

// The listings' pictures: every picture of a record of one of the five
// listing registers, in the clerk's order, with its caption and a thumbnail
// made once when the picture came in. Deleted with their record.
namespace Pictures {
inline const QString Table = QStringLiteral("ilanresimleri");
inline const QString Register = QStringLiteral("Kayit"); // the listing's table name
inline const QString ListingKey = QStringLiteral("IlanNo");
inline const QString Order = QStringLiteral("Sira");
inline const QString Caption = QStringLiteral("Aciklama");
inline const QString Picture = QStringLiteral("Resim");     // JPEG, at most 1,600 px on its long side
inline const QString Thumbnail = QStringLiteral("Kucuk");   // JPEG, at most 160 px on its long side
inline constexpr int CaptionSize = 60;
const QStringList& registers(); // the five listing tables
} // namespace Pictures

// Which listings a showing covered: a place of a showing log filled by
// picking a listing keeps the listing's register and key here, beside the
// text written into the place. Deleted with their showing.
namespace ShownListings {
inline const QString Table = QStringLiteral("gosterilenilanlar");
inline const QString Log = QStringLiteral("Kayit");         // the showing log's table name
inline const QString LogKey = QStringLiteral("GosterimNo"); // the showing's key
inline const QString Place = QStringLiteral("Yer");         // 1 to 4: the place field G1-G4
inline const QString Register = QStringLiteral("IlanKayit");
inline const QString ListingKey = QStringLiteral("IlanNo");
const QStringList& logs(); // the two showing logs
} // namespace ShownListings

// What the last call sheet of each criterion listed, so that the next one
// can tell which listings are new to a request: one run per criterion, and
// the request/listing pairs it found.
namespace ComparisonTrail {
inline const QString Runs = QStringLiteral("karsilastirmalar");
inline const QString RunCriterion = QStringLiteral("Olcut"); // the criterion's name, as the list heads it
inline const QString RunTime = QStringLiteral("Tarih");      // ISO date and time, local
inline const QString Pairs = QStringLiteral("karsilastirmaizi");
inline const QString PairRun = QStringLiteral("KarsilastirmaNo");
inline const QString PairRequest = QStringLiteral("TalepNo");
inline const QString PairRegister = QStringLiteral("IlanKayit");
inline const QString PairListing = QStringLiteral("IlanNo");
} // namespace ComparisonTrail

// Opens (or, in a folder without one, creates) the program's store in folder.
// Throws DataError naming the table when an existing store is broken.
std::unique_ptr<Database> openStore(const QString& folder = QStringLiteral("."),
                                    Database::ConsistencyCheck check = Database::ConsistencyCheck::AtOpen);

} // namespace Catalogue
