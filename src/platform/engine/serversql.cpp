#include "platform/engine/serversql.h"

#include "platform/engine/dataerror.h"

#include <QVector>

namespace ServerSql {

namespace {

struct Token {
    enum Kind { Space, Word, Quoted, Literal, Mark, Other };
    Kind kind;
    QString text;
    QString before, after; // what the translation puts around the token
};

QVector<Token> tokens(const QString& sql)
{
    QVector<Token> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const qsizetype start = i;
        if (c.isSpace()) {
            while (i < n && sql.at(i).isSpace())
                ++i;
            out.push_back({Token::Space, sql.mid(start, i - start)});
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('_')))
                ++i;
            out.push_back({Token::Word, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            // A doubled quote stays inside the name or the literal.
            ++i;
            while (i < n) {
                if (sql.at(i) == c) {
                    if (i + 1 < n && sql.at(i + 1) == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.push_back({c == QLatin1Char('"') ? Token::Quoted : Token::Literal, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('?')) {
            ++i;
            out.push_back({Token::Mark, QStringLiteral("?")});
        } else {
            ++i;
            out.push_back({Token::Other, QString(c)});
        }
    }
    return out;
}

bool isWord(const Token& token, const char* word)
{
    return token.kind == Token::Word && token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// The name a word or quoted name stands for.
QString nameOf(const Token& token)
{
    if (token.kind == Token::Quoted)
        return token.text.mid(1, token.text.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return token.text;
}

// The index of the next token that is not space, from `from` on; -1 at the end.
qsizetype nextSolid(const QVector<Token>& all, qsizetype from)
{
    for (qsizetype i = from; i < all.size(); ++i)
        if (all.at(i).kind != Token::Space)
            return i;
    return -1;
}

qsizetype previousSolid(const QVector<Token>& all, qsizetype from)
{
    for (qsizetype i = from; i >= 0; --i)
        if (all.at(i).kind != Token::Space)
            return i;
    return -1;
}

// The table the statement reads or writes: the first name after FROM, INTO
// or UPDATE. Every statement of the program works on one table.
const TableSchema* tableOf(const QVector<Token>& all, const QVector<TableSchema>& catalogue)
{
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (!isWord(all.at(i), "from") && !isWord(all.at(i), "into") && !isWord(all.at(i), "update"))
            continue;
        const qsizetype name = nextSolid(all, i + 1);
        if (name < 0 || (all.at(name).kind != Token::Word && all.at(name).kind != Token::Quoted))
            continue;
        const QString wanted = nameOf(all.at(name));
        for (const TableSchema& table : catalogue)
            if (table.name.compare(wanted, Qt::CaseInsensitive) == 0)
                return &table;
    }
    return nullptr;
}

QString quotedName(const QString& name)
{
    QString escaped = serverName(name);
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

QString serverName(const QString& name)
{
    QString lowered = name;
    for (QChar& c : lowered)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return lowered;
}

QString keyColumn(const TableSchema& table)
{
    const int key = table.keyIndex();
    return key >= 0 ? serverName(table.fields.at(key).name) : QStringLiteral("rowid");
}

Translated translate(const QString& sql, const QVector<TableSchema>& catalogue)
{
    QVector<Token> all = tokens(sql);
    const TableSchema* table = tableOf(all, catalogue);
    Translated result;

    // LIKE first, while the operands are still the program's own tokens.
    bool likes = false;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (!isWord(all.at(i), "like"))
            continue;
        const qsizetype leftEnd = previousSolid(all, i - 1);
        const qsizetype rightStart = nextSolid(all, i + 1);
        qsizetype left = leftEnd;
        qsizetype right = rightStart;
        if (left < 0 || right < 0)
            throw DataError(QStringLiteral("LIKE without an operand: %1").arg(sql));
        // An operand may be a qualified name: table.field.
        const auto isName = [&](qsizetype at) {
            return at >= 0 && (all.at(at).kind == Token::Word || all.at(at).kind == Token::Quoted);
        };
        const auto isDot = [&](qsizetype at) { return at >= 0 && all.at(at).text == QLatin1String("."); };
        // Or a call: coalesce("Ad", '').
        if (all.at(left).text == QLatin1String(")")) {
            int depth = 0;
            for (qsizetype at = left; at >= 0; --at) {
                if (all.at(at).text == QLatin1String(")"))
                    ++depth;
                else if (all.at(at).text == QLatin1String("(") && --depth == 0) {
                    const qsizetype name = previousSolid(all, at - 1);
                    left = name >= 0 && all.at(name).kind == Token::Word ? name : at;
                    break;
                }
            }
        }
        while (isDot(left - 1) && isName(left - 2))
            left -= 2;
        while (isDot(right + 1) && isName(right + 2))
            right += 2;
        const qsizetype escapeWord = nextSolid(all, right + 1);
        const bool escaped = escapeWord >= 0 && isWord(all.at(escapeWord), "escape");
        all[left].before = all[rightStart].before = QStringLiteral("trkey(");
        all[leftEnd].after = all[right].after = QStringLiteral(")");
        if (!escaped)
            all[right].after += QStringLiteral(" ESCAPE ''");
        likes = true;
    }

    QString text;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Token& token = all.at(i);
        text += token.before;
        switch (token.kind) {
        case Token::Mark:
            text += QLatin1Char('$') + QString::number(++result.parameters);
            break;
        case Token::Quoted:
            text += quotedName(nameOf(token));
            break;
        case Token::Word:
            if (isWord(token, "indexed")) {
                // INDEXED BY name: the three go.
                const qsizetype by = nextSolid(all, i + 1);
                const qsizetype name = by < 0 ? -1 : nextSolid(all, by + 1);
                if (name >= 0 && isWord(all.at(by), "by")) {
                    i = name;
                    break;
                }
            }
            if (isWord(token, "rowid") && table) {
                text += quotedName(keyColumn(*table));
                break;
            }
            text += token.text;
            break;
        default:
            text += token.text;
            break;
        }
        text += token.after;
    }
    const qsizetype first = nextSolid(all, 0);
    if (first >= 0 && isWord(all.at(first), "insert") && table) {
        text += QStringLiteral(" RETURNING ") + quotedName(keyColumn(*table));
        result.returnsKey = true;
    }
    result.text = text.toUtf8();
    result.plannedEachRun = likes && result.parameters > 0;
    return result;
}

} // namespace ServerSql
