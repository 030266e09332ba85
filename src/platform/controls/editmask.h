#pragma once

#include <QChar>
#include <QString>
#include <QVector>

// An input mask written the classic way, "mask;save literals;blank"
// ("!\(999\) 999-99-99;1;_" for phone numbers): turned into the edit's own
// mask, and deciding what typed text the field stores.
class EditMask {
public:
    EditMask() = default;
    explicit EditMask(const QString& mask);

    bool isEmpty() const { return m_positions.isEmpty(); }
    QString inputMask() const { return m_inputMask; } // for QLineEdit::setInputMask
    QChar blank() const { return m_blank; }

    enum class Fill { Empty, Partial, Complete };
    // How much of the mask the shown text (blanks included) fills.
    Fill fill(const QString& shown) const;
    // The value to store for fully typed text: with the literals when the
    // mask saves them, otherwise only what was typed.
    QString stored(const QString& shown) const;
    // What to give the edit so that it shows a stored value.
    QString typedCharacters(const QString& stored) const;

private:
    struct Position {
        bool literal;
        QChar character; // the literal itself
    };
    QVector<Position> m_positions;
    QString m_inputMask;
    QChar m_blank = QLatin1Char('_');
    bool m_saveLiterals = true;
};

// The data layer's message for a partly filled mask.
inline const QString InvalidInputMessage =
    QStringLiteral("Invalid input value.  Use escape key to abandon changes");
