#include "platform/engine/turkishtext.h"

#include <QLocale>
#include <cmath>
#include <sqlite3.h>

namespace TurkishText {

namespace {

QChar foldChar(QChar c)
{
    if (c == QChar(u'I'))
        return QChar(u'ı');
    if (c == QChar(u'İ'))
        return QChar(u'i');
    return c.toLower();
}

QString fromSqlite(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char16_t*>(sqlite3_value_text16(value));
    if (!text)
        return {};
    return QString::fromUtf16(text, sqlite3_value_bytes16(value) / 2);
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    // LIKE with a NULL operand is NULL, as in standard SQL.
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return;
    QChar escape;
    if (argc == 3) {
        const QString esc = fromSqlite(argv[2]);
        if (esc.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = esc.at(0);
    }
    // SQLite calls like(pattern, text) for "text LIKE pattern".
    sqlite3_result_int(context, like(fromSqlite(argv[0]), fromSqlite(argv[1]), escape) ? 1 : 0);
}

void foldFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    const QString folded = fold(fromSqlite(argv[0]));
    sqlite3_result_text16(context, folded.utf16(), int(folded.size() * 2), SQLITE_TRANSIENT);
}

int collate(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    const QString left = fold(QString::fromUtf16(static_cast<const char16_t*>(a), lengthA / 2));
    const QString right = fold(QString::fromUtf16(static_cast<const char16_t*>(b), lengthB / 2));
    return left.compare(right);
}

} // namespace

QString spellings(QChar c)
{
    const QChar folded = foldChar(c);
    QString all(folded);
    for (const QChar candidate : {c, folded.toUpper(), folded.toTitleCase(), QChar(u'I'), QChar(u'İ')}) {
        if (foldChar(candidate) == folded && !all.contains(candidate))
            all += candidate;
    }
    return all;
}

QString fold(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(foldChar(c));
    return out;
}

QString searchKey(const QString& text)
{
    static const QString marked = QStringLiteral("çğıöşüâîû");
    static const QString plain = QStringLiteral("cgiosuaiu");
    QString key = fold(text);
    for (QChar& c : key) {
        const qsizetype at = marked.indexOf(c);
        if (at >= 0)
            c = plain.at(at);
    }
    return key;
}

std::optional<double> readNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    bool ok = false;
    double value = turkish.toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool equalsFolded(const QString& a, const QString& b)
{
    return a.size() == b.size() && fold(a) == fold(b);
}

bool like(const QString& pattern, const QString& text, QChar escape)
{
    const QString p = searchKey(pattern);
    const QString t = searchKey(text);
    qsizetype pi = 0, ti = 0;
    qsizetype starP = -1, starT = -1; // where the last '%' was, for backtracking
    while (ti < t.size()) {
        if (pi < p.size()) {
            QChar pc = p.at(pi);
            if (!escape.isNull() && pc == escape && pi + 1 < p.size()) {
                if (p.at(pi + 1) == t.at(ti)) {
                    pi += 2;
                    ++ti;
                    continue;
                }
            } else if (pc == QChar(u'%')) {
                starP = ++pi;
                starT = ti;
                continue;
            } else if (pc == QChar(u'_') || pc == t.at(ti)) {
                ++pi;
                ++ti;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP;
        ti = ++starT;
    }
    while (pi < p.size() && p.at(pi) == QChar(u'%'))
        ++pi;
    return pi == p.size();
}

void asNumberFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        sqlite3_result_double(context, sqlite3_value_double(argv[0]));
        return;
    case SQLITE_TEXT:
        if (const auto number = readNumber(fromSqlite(argv[0])))
            sqlite3_result_double(context, *number);
        return;
    default:
        return; // NULL: not a number
    }
}

void installOn(sqlite3* handle)
{
    const int flags = SQLITE_UTF16 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(handle, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "trfold", 1, flags, nullptr, foldFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "asnumber", 1, flags, nullptr, asNumberFunction, nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(handle, "TURKISH_CI", SQLITE_UTF16, nullptr, collate, nullptr);
}

} // namespace TurkishText
