#pragma once

#include "platform/engine/schema.h"

#include <QString>
#include <QVariant>

// How a field's value turns into text and back. Numbers read and written by a
// person use the system locale; the store only ever sees numbers as numbers.
namespace FieldFormat {

// The text an edit control shows for changing the value: numbers in general
// format (up to 15 significant digits, no grouping, the locale's decimal
// separator), texts as they are.
QString editText(const FieldSchema& field, const QVariant& value);
// A number as editText writes a Float or Currency field's value.
QString generalNumber(double value);
// The same text, appended to out.
void appendGeneralNumber(QString& out, double value);
// True while the default locale reads and writes a whole number as its plain
// Western digits (Turkish does): such a number needs no locale to read or write.
bool localeUsesPlainDigits();

// The text a grid or a label shows: like editText, but currency in the
// locale's currency format. An amount whose record names its currency (see
// FieldSchema::currencyField) is shown with that currency's sign: pass the
// text of the naming field as `currency`.
QString displayText(const FieldSchema& field, const QVariant& value, const QString& currency = QString());

// The sign an amount in the currency a record names is shown with: "$", "€"
// or "£" for the dollar, the euro and the pound (named by code, sign or
// name, "USD", "Dolar", "Avro", "Sterlin"...), an empty text (the locale's
// own sign) for the lira or for nothing named, otherwise the name as written
// (a code such as "CHF").
QString currencySign(const QString& currency);

// The amount in the locale's currency format with the sign of the currency
// named (see currencySign); a code stands a space apart from the number.
QString currencyText(double value, const QString& currency);

// Converts typed text to the value the field stores. Throws DataError with the
// data layer's message for text that is not a number, or is too long.
QVariant parse(const FieldSchema& field, const QString& text);

// The value a field holds when nothing was entered.
QVariant blank(const FieldSchema& field);

bool isBlank(const FieldSchema& field, const QVariant& value);

} // namespace FieldFormat
