#pragma once

#include <QString>
#include <optional>

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

// Every character that folds to the same letter as c: "iİ" for 'i' or 'İ',
// "ıI" for 'ı' or 'I', "şŞ" for 'ş'. A text equal to another after folding
// starts with one of these spellings of its first letter, so a lookup can
// narrow an index on the plain text to them before it compares folded.
QString spellings(QChar c);

// Reads text a person typed as a number: "100", "100,5", "1.250,75" (Turkish
// grouping) or "1250.75"; empty when the text is no number.
std::optional<double> readNumber(const QString& text);

// Installs LIKE (two and three arguments, on search keys), trfold(x), the
// collation TURKISH_CI (case-folded) and asnumber(x) (a number read from text,
// NULL when the text is none) on a connection.
void installOn(sqlite3* handle);

} // namespace TurkishText
