#pragma once

#include <QString>

struct sqlite3;

// Case-insensitive comparison as a Turkish reader expects it: "I" pairs with
// "ı" and "İ" with "i", every other letter folds as usual. Qt's and SQLite's
// own lower-casing get the dotted and dotless i wrong, so the store uses these.
namespace TurkishText {

QString fold(const QString& text);

// What searches compare: the folded text with the Turkish letters' marks
// dropped as well (ç c, ğ g, ı i, ö o, ş s, ü u), so "IS" finds "Işık" and a
// clerk at a keyboard without Turkish letters still finds "Şişli".
QString searchKey(const QString& text);

// SQL LIKE semantics on search keys: '%' any run, '_' one character,
// an optional escape character.
bool like(const QString& pattern, const QString& text, QChar escape = QChar());

bool equalsFolded(const QString& a, const QString& b);

// Installs LIKE (two and three arguments, on search keys), trfold(x) and the
// collation TURKISH_CI (case-folded) on a connection.
void installOn(sqlite3* handle);

} // namespace TurkishText
