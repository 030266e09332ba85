#include "platform/engine/turkishtext.h"

#include <QLocale>
#include <cmath>
#include <memory>
#include <string>
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

// --- the same folding on UTF-8 bytes, for the store's SQL functions -----------
//
// SQLite keeps the text as UTF-8; these functions read it where it lies,
// fold one code point at a time and never build a string per row.

// Reads one code point; invalid bytes read as U+FFFD, one byte each.
inline char32_t readUtf8(const unsigned char* text, size_t size, size_t& at)
{
    const unsigned char lead = text[at];
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    int length = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        least = 0x10000;
    } else {
        ++at;
        return 0xFFFD;
    }
    if (at + size_t(length) > size) {
        ++at;
        return 0xFFFD;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = text[at + size_t(i)];
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++at;
        return 0xFFFD;
    }
    at += size_t(length);
    return cp;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

// fold() of one code point. Letters beyond the 16-bit range stay as they
// are, as they do where text is folded one UTF-16 unit at a time.
inline char32_t foldCodePoint(char32_t cp)
{
    if (cp < 0x80)
        return cp == U'I' ? U'ı' : (cp >= U'A' && cp <= U'Z' ? cp + 32 : cp);
    if (cp == U'İ')
        return U'i';
    return cp <= 0xFFFF ? QChar::toLower(cp) : cp;
}

// searchKey() of one code point: folded, then the marks dropped.
inline char32_t searchKeyCodePoint(char32_t cp)
{
    if (cp < 0x80)
        return cp >= U'A' && cp <= U'Z' ? cp + 32 : cp; // "I" folds to "ı" and loses its mark: "i"
    switch (cp = foldCodePoint(cp)) {
    case U'ç': return U'c';
    case U'ğ': return U'g';
    case U'ı': return U'i';
    case U'ö': return U'o';
    case U'ş': return U's';
    case U'ü': return U'u';
    case U'â': return U'a';
    case U'î': return U'i';
    case U'û': return U'u';
    default: return cp;
    }
}

// A LIKE pattern turned into search-key code points, made once per statement.
struct FoldedPattern {
    std::u32string keys;
    size_t onlyPercentFrom = 0; // from here on the pattern is nothing but '%'

    static FoldedPattern* make(sqlite3_value* value)
    {
        auto* pattern = new FoldedPattern;
        const auto* text = sqlite3_value_text(value);
        const size_t size = size_t(sqlite3_value_bytes(value));
        for (size_t at = 0; at < size;)
            pattern->keys.push_back(searchKeyCodePoint(readUtf8(text, size, at)));
        pattern->onlyPercentFrom = pattern->keys.size();
        while (pattern->onlyPercentFrom > 0 && pattern->keys[pattern->onlyPercentFrom - 1] == U'%')
            --pattern->onlyPercentFrom;
        return pattern;
    }
    static void destroy(void* pattern) { delete static_cast<FoldedPattern*>(pattern); }
};

// like() on UTF-8 text against a folded pattern, step for step the same
// matching as like() on QStrings, one code point where that takes one
// UTF-16 unit.
bool likeUtf8(const FoldedPattern& pattern, const unsigned char* text, size_t size, char32_t escape)
{
    const std::u32string& p = pattern.keys;
    const size_t pn = p.size();
    size_t pi = 0, ti = 0;
    size_t starP = 0, starT = 0;
    bool star = false;
    while (ti < size) {
        size_t next = ti;
        const char32_t tc = searchKeyCodePoint(readUtf8(text, size, next));
        if (pi < pn) {
            const char32_t pc = p[pi];
            if (escape && pc == escape && pi + 1 < pn) {
                if (p[pi + 1] == tc) {
                    pi += 2;
                    ti = next;
                    continue;
                }
            } else if (pc == U'%') {
                if (pi >= pattern.onlyPercentFrom)
                    return true; // nothing but '%' is left: whatever follows matches
                star = true;
                starP = ++pi;
                starT = ti;
                continue;
            } else if (pc == U'_' || pc == tc) {
                ++pi;
                ti = next;
                continue;
            }
        }
        if (!star)
            return false;
        pi = starP;
        readUtf8(text, size, starT);
        ti = starT;
    }
    while (pi < pn && p[pi] == U'%')
        ++pi;
    return pi == pn;
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    // LIKE with a NULL operand is NULL, as in standard SQL.
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return;
    char32_t escape = 0;
    if (argc == 3) {
        const auto* esc = sqlite3_value_text(argv[2]);
        const size_t size = size_t(sqlite3_value_bytes(argv[2]));
        size_t at = 0;
        if (esc && size > 0)
            escape = readUtf8(esc, size, at);
        if (!esc || size == 0 || at != size || escape > 0xFFFF) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
    }
    // SQLite calls like(pattern, text) for "text LIKE pattern". The pattern
    // is a constant of the statement: folded on the first row, kept for the rest.
    auto* pattern = static_cast<FoldedPattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        pattern = FoldedPattern::make(argv[0]);
        sqlite3_set_auxdata(context, 0, pattern, FoldedPattern::destroy);
        pattern = static_cast<FoldedPattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) { // not a constant: fold it for this row only
            std::unique_ptr<FoldedPattern> once(FoldedPattern::make(argv[0]));
            const auto* text = sqlite3_value_text(argv[1]);
            sqlite3_result_int(context, likeUtf8(*once, text, size_t(sqlite3_value_bytes(argv[1])), escape));
            return;
        }
    }
    const auto* text = sqlite3_value_text(argv[1]);
    sqlite3_result_int(context, likeUtf8(*pattern, text, size_t(sqlite3_value_bytes(argv[1])), escape) ? 1 : 0);
}

void foldFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    const auto* text = sqlite3_value_text(argv[0]);
    const size_t size = size_t(sqlite3_value_bytes(argv[0]));
    std::string folded;
    folded.reserve(size);
    for (size_t at = 0; at < size;)
        appendUtf8(folded, foldCodePoint(readUtf8(text, size, at)));
    sqlite3_result_text(context, folded.data(), int(folded.size()), SQLITE_TRANSIENT);
}

// Compares folded code points; code point order is UTF-16 order for every
// letter of the 16-bit range.
int collate(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    const auto* left = static_cast<const unsigned char*>(a);
    const auto* right = static_cast<const unsigned char*>(b);
    size_t i = 0, j = 0;
    while (i < size_t(lengthA) && j < size_t(lengthB)) {
        const char32_t l = foldCodePoint(readUtf8(left, size_t(lengthA), i));
        const char32_t r = foldCodePoint(readUtf8(right, size_t(lengthB), j));
        if (l != r)
            return l < r ? -1 : 1;
    }
    if (i < size_t(lengthA))
        return 1;
    return j < size_t(lengthB) ? -1 : 0;
}

QString fromSqlite(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (!text)
        return {};
    return QString::fromUtf8(text, sqlite3_value_bytes(value));
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
    case SQLITE_TEXT: {
        // Plain digits, the way an area is usually typed, read without a
        // locale: a whole register's areas are read in one search.
        const auto* digits = sqlite3_value_text(argv[0]);
        const int length = sqlite3_value_bytes(argv[0]);
        if (length > 0 && length <= 15) {
            qint64 whole = 0;
            int i = 0;
            for (; i < length && digits[i] >= '0' && digits[i] <= '9'; ++i)
                whole = whole * 10 + (digits[i] - '0');
            if (i == length) {
                sqlite3_result_double(context, double(whole));
                return;
            }
        }
        if (const auto number = readNumber(fromSqlite(argv[0])))
            sqlite3_result_double(context, *number);
        return;
    }
    default:
        return; // NULL: not a number
    }
}

void installOn(sqlite3* handle)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(handle, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "trfold", 1, flags, nullptr, foldFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "asnumber", 1, flags, nullptr, asNumberFunction, nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(handle, "TURKISH_CI", SQLITE_UTF8, nullptr, collate, nullptr);
}

} // namespace TurkishText
