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

// The text a grid or a label shows: like editText, but currency in the
// locale's currency format.
QString displayText(const FieldSchema& field, const QVariant& value);

// Converts typed text to the value the field stores. Throws DataError with the
// data layer's message for text that is not a number, or is too long.
QVariant parse(const FieldSchema& field, const QString& text);

// The value a field holds when nothing was entered.
QVariant blank(const FieldSchema& field);

bool isBlank(const FieldSchema& field, const QVariant& value);

} // namespace FieldFormat
