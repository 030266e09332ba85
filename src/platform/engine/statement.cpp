#include "platform/engine/statement.h"

#include "platform/engine/fieldformat.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

Statement& Statement::where(const QString& condition, const QVariantList& values)
{
    m_condition = m_condition.isEmpty() ? QStringLiteral("(%1)").arg(condition)
                                        : QStringLiteral("%1 AND (%2)").arg(m_condition, condition);
    m_values += values;
    return *this;
}

QVariant Statement::number(const QString& typed)
{
    const QString trimmed = typed.trimmed();
    // A bound typed as plain digits (nearly every price and area) is read
    // without the locale, which would read it the same.
    constexpr qsizetype ExactDigits = 15;
    if (!trimmed.isEmpty() && trimmed.size() <= ExactDigits
        && std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })
        && FieldFormat::localeUsesPlainDigits()) {
        qint64 whole = 0;
        for (const QChar c : trimmed)
            whole = whole * 10 + (c.unicode() - u'0');
        return double(whole);
    }
    bool ok = false;
    double value = 0;
    if (!trimmed.isEmpty()) {
        value = QLocale().toDouble(trimmed, &ok);
        if (!ok)
            value = QLocale::c().toDouble(trimmed, &ok);
    }
    if (!ok || !std::isfinite(value)) { // "nan" and "inf" read as numbers in C formats
        fail(QStringLiteral("'%1' is not a number").arg(typed));
        return QVariant(QMetaType::fromType<double>());
    }
    return value;
}

QVariant Statement::text(const QString& typed)
{
    return typed.isNull() ? QString(QLatin1String("")) : typed;
}

Statement& Statement::fail(const QString& reason)
{
    if (m_failure.isEmpty())
        m_failure = reason;
    return *this;
}

QString Statement::sql() const
{
    QString sql = QStringLiteral("SELECT * FROM \"%1\"").arg(m_table);
    if (!m_condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + m_condition;
    return sql;
}
