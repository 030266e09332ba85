#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// Text a person reads, in the program's locale (QLocale()), which is Turkish on
// every machine whatever the system's language: stored dates are text and must
// read the same on every desk. Anything a machine reads (SQL, files) goes
// through machine() instead.
namespace LocaleFormats {

// Makes Turkish the program's locale and loads the toolkit's own Turkish texts
// (context menus, standard dialog buttons, file and print dialogs). False when
// those texts are not installed; the formats are Turkish all the same.
bool useTurkish();

// The system's short date format ("8.12.2024" in Turkish).
QString shortDate(const QDate& date);

// The system's long time format: hours, minutes and seconds, without a time zone.
QString longTime(const QTime& time);

// The system's short time format: hours and minutes ("09:05" in Turkish).
QString shortTime(const QTime& time);

// The "#," pattern: rounded to a whole number (halves away from zero), digits grouped
// in threes with the system's group separator, no decimals. As with that pattern a
// value that rounds to zero gives the empty text.
QString thousands(double value);

// The system's currency format.
QString currency(double value);

// Reads a number typed by a person: the system's decimal separator, no group
// separators, surrounding blanks ignored. ok is false when the text is no number.
double readNumber(const QString& text, bool* ok);

// The locale for machine-readable text.
inline QLocale machine() { return QLocale::c(); }

} // namespace LocaleFormats
