#pragma once

#include "matching/nearmisses.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class Database;
class FindingsWindow;
class QLabel;
class SearchScreen;
class Screens;

// Listings a search can never find because the field it compares is empty:
// told where the clerk searches (the five listing searches) and where he
// matches (MatchScreen), and listed in a window whose rows open them.
namespace MissingData {

// One search as it looks: the register, the field it compares, the status it
// filters on (std::nullopt: every status; empty: the register's available one).
struct Asked {
    Matching::Register where;
    Matching::Compared field;
    std::optional<QString> status;
};

// What each search of a criterion compares, over the registers given.
QList<Asked> askedBy(const QList<Matching::Register>& registers, int criterion,
                     const std::optional<QString>& status);

// "12 kiralık dairede fiyat yok; fiyata göre aramalarda çıkmazlar", one for
// each search that misses any listing, in order. Throws DataError.
QStringList notices(Database& db, const QList<Asked>& asked);

// The window's list: those listings, each opening in its entry screen, and
// the notices above them. Throws DataError, with the list left empty.
void list(FindingsWindow& window, Database& db, const QList<Asked>& asked);

// The notice's text, a link that lists them, from notices(); empty when none.
QString linkedNotice(const QStringList& notices);
// The link the notice carries.
inline constexpr QStringView Link = u"eksik";

// Under the grid of a listing search: after each "Bul" that compares a price
// or an area, how many listings of the register it can never find; the
// notice lists them.
void installOnSearch(SearchScreen* search, Screens& screens);

// The search's notice and list, once installed (the list once first asked for).
QLabel* searchNotice(const SearchScreen* search);
FindingsWindow* searchList(const SearchScreen* search);

} // namespace MissingData
