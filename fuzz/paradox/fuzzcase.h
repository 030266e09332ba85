#pragma once

// One input of the Paradox reader's fuzz target, and of the regression cases
// the tests read again: a table and its memo file in one run of bytes,
//   [length of the table, 4 bytes little-endian][table][memo file].
// Reading goes through every record; a file the reader refuses is fine, a
// crash, a hang or a runaway allocation is not.

#include "platform/paradox/paradoxerror.h"
#include "platform/paradox/paradoxtable.h"

#include <QByteArray>
#include <QtEndian>

namespace ParadoxFuzzing {

inline void readCase(const QByteArray& input)
{
    if (input.size() < 4)
        return;
    const quint32 tableLength = qFromLittleEndian<quint32>(input.constData());
    const QByteArray rest = input.mid(4);
    const QByteArray table = rest.left(qsizetype(std::min<quint32>(tableLength, quint32(rest.size()))));
    const QByteArray memos = rest.mid(table.size());
    try {
        const auto reader = Paradox::Table::fromBytes(table, QStringLiteral("fuzz.db"), memos, QStringLiteral("fuzz.mb"));
        qint64 records = 0;
        reader->read([&](qint64, const QVariantList& values) { records += values.size(); });
    } catch (const Paradox::Error&) {
        // refused with a message: what a damaged file should get
    }
}

// The same layout, made from a table and its memo file (for seeds).
inline QByteArray makeCase(const QByteArray& table, const QByteArray& memos)
{
    QByteArray input(4, '\0');
    qToLittleEndian<quint32>(quint32(table.size()), input.data());
    return input + table + memos;
}

} // namespace ParadoxFuzzing
