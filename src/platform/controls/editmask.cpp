#include "platform/controls/editmask.h"

#include <QStringList>

namespace {

// Characters the edit's own mask language treats as instructions.
bool isInputMaskSpecial(QChar c)
{
    return QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\").contains(c);
}

bool isPlaceholder(QChar c)
{
    return QStringLiteral("09#LlAaCc").contains(c);
}

} // namespace

EditMask::EditMask(const QString& mask)
{
    // The last two ';'-separated parts are the flags, when present.
    QStringList parts;
    QString current;
    for (int i = 0; i < mask.size(); ++i) {
        if (mask.at(i) == QLatin1Char('\\') && i + 1 < mask.size()) {
            current += mask.mid(i, 2);
            ++i;
        } else if (mask.at(i) == QLatin1Char(';')) {
            parts << current;
            current.clear();
        } else {
            current += mask.at(i);
        }
    }
    parts << current;
    const QString pattern = parts.value(0);
    if (parts.size() > 1)
        m_saveLiterals = parts.at(1) != QLatin1String("0");
    if (parts.size() > 2 && !parts.at(2).isEmpty())
        m_blank = parts.at(2).at(0);

    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('!') || c == QLatin1Char('>') || c == QLatin1Char('<'))
            continue; // trimming and case directions: nothing to show
        if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            const QChar literal = pattern.at(++i);
            m_positions << Position{true, literal};
            m_inputMask += isInputMaskSpecial(literal) ? QStringLiteral("\\") + literal : QString(literal);
        } else if (isPlaceholder(c)) {
            m_positions << Position{false, QChar()};
            const bool digit = c == QLatin1Char('0') || c == QLatin1Char('9') || c == QLatin1Char('#');
            m_inputMask += digit ? QLatin1Char('0') : (c.toLower() == QLatin1Char('c') ? QLatin1Char('x') : QLatin1Char('a'));
        } else {
            m_positions << Position{true, c};
            m_inputMask += isInputMaskSpecial(c) ? QStringLiteral("\\") + c : QString(c);
        }
    }
    m_inputMask += QLatin1Char(';') + QString(m_blank);
}

EditMask::Fill EditMask::fill(const QString& shown) const
{
    int typed = 0, open = 0;
    for (int i = 0; i < m_positions.size(); ++i) {
        if (m_positions.at(i).literal)
            continue;
        const QChar c = i < shown.size() ? shown.at(i) : m_blank;
        if (c == m_blank || c.isSpace())
            ++open;
        else
            ++typed;
    }
    if (typed == 0)
        return Fill::Empty;
    return open == 0 ? Fill::Complete : Fill::Partial;
}

QString EditMask::stored(const QString& shown) const
{
    QString value;
    for (int i = 0; i < m_positions.size() && i < shown.size(); ++i)
        if (!m_positions.at(i).literal || m_saveLiterals)
            value += shown.at(i);
    return value;
}

QString EditMask::typedCharacters(const QString& stored) const
{
    // A stored value with its literals lines up with the mask; without them
    // it is only the typed characters already.
    if (stored.size() != m_positions.size())
        return stored;
    QString typed;
    for (int i = 0; i < m_positions.size(); ++i)
        if (!m_positions.at(i).literal)
            typed += stored.at(i);
    return typed;
}
