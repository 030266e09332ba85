#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

// A select of every column of one table with an optional condition. The
// condition is fixed SQL text with '?' placeholders; the values typed by the
// user are bound, never pasted, so a quote in a name is just a quote.
//
// A builder that cannot make sense of what was typed (an empty or non-numeric
// bound that the search needs) marks the statement failed; a query refuses to
// open a failed statement and stays closed.
class Statement {
public:
    Statement() = default;
    explicit Statement(const QString& table) : m_table(table) {}

    // Adds "(condition)", joined to earlier conditions with AND.
    Statement& where(const QString& condition, const QVariantList& values = {});

    // Converts typed text to a bound number; an empty or non-numeric text marks
    // the statement failed (and gives a null value that matches nothing).
    QVariant number(const QString& typed);
    // Text bound as typed; a null string binds as the empty text, since a blank
    // field and an empty one are the same to every filter.
    static QVariant text(const QString& typed);

    Statement& fail(const QString& reason);

    bool isValid() const { return m_failure.isEmpty() && !m_table.isEmpty(); }
    bool isFailed() const { return !m_failure.isEmpty(); }
    const QString& failure() const { return m_failure; }
    const QString& table() const { return m_table; }
    const QString& condition() const { return m_condition; }
    const QVariantList& values() const { return m_values; }

    // The statement as SQL with placeholders, for messages and logs.
    QString sql() const;

private:
    QString m_table;
    QString m_condition;
    QVariantList m_values;
    QString m_failure;
};
