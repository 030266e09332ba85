#include "platform/engine/fieldformat.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/turkishtext.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <optional>

namespace FieldFormat {

namespace {

QLocale numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

std::optional<double> parseNumber(QString text)
{
    const QLocale locale;
    text.remove(locale.currencySymbol(QLocale::CurrencySymbol));
    text.remove(locale.currencySymbol(QLocale::CurrencyIsoCode));
    for (const QChar sign : {QChar(u'$'), QChar(u'€'), QChar(u'£'), QChar(u'₺')}) // as an amount is shown
        text.remove(sign);
    text = text.trimmed();
    bool ok = false;
    double value = locale.toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

// General format: up to 15 significant digits, no grouping, the locale's
// decimal separator. A whole number of at most 15 digits (nearly every price
// and area) is its digits alone in a locale that writes Western digits, and
// is written without asking the locale to round: a whole register's worth
// of prices is written in one bulk comparison.
namespace {

// A whole number the locale writes with western digits and a plain minus is
// written as its digits (what QLocale would write, without its cost).
bool writtenAsPlainDigits(double value)
{
    return localeUsesPlainDigits() && value == std::trunc(value) && std::abs(value) < 1e15
           && !(value == 0 && std::signbit(value));
}

} // namespace

bool localeUsesPlainDigits()
{
    struct Digits {
        QLocale locale;
        bool western = false;
    };
    thread_local Digits digits{QLocale::c(), true};
    const QLocale current;
    if (current != digits.locale)
        digits = {current, current.zeroDigit() == QLatin1String("0") && current.negativeSign() == QLatin1String("-")};
    return digits.western;
}

QString generalNumber(double value)
{
    if (writtenAsPlainDigits(value))
        return QString::number(qint64(value));
    return numberLocale().toString(value, 'g', 15);
}

void appendGeneralNumber(QString& out, double value)
{
    if (!writtenAsPlainDigits(value)) {
        out.append(numberLocale().toString(value, 'g', 15));
        return;
    }
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, qint64(value));
    out.append(QLatin1StringView(digits, written.ptr - digits));
}

QString editText(const FieldSchema& field, const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (field.type) {
    case FieldType::AutoIncrement:
        return QString::number(value.toLongLong());
    case FieldType::Float:
    case FieldType::Currency:
        return generalNumber(value.toDouble());
    case FieldType::Graphic:
        return {};
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return value.toString();
}

QString currencySign(const QString& currency)
{
    const QString written = currency.trimmed();
    if (written.isEmpty())
        return {};
    // Compared without letter case, Turkish marks, dots or spaces: "ABD Doları", "abd dolari", "U.S.D."
    QString key = TurkishText::searchKey(written);
    key.remove(QLatin1Char('.'));
    key.remove(QLatin1Char(' '));
    static const QStringList Lira{QStringLiteral("tl"),   QStringLiteral("ytl"),  QStringLiteral("try"),
                                  QStringLiteral("₺"),    QStringLiteral("lira"), QStringLiteral("turklirasi"),
                                  QStringLiteral("turklira")};
    static const QStringList Dollar{QStringLiteral("usd"),   QStringLiteral("$"),    QStringLiteral("us$"),
                                    QStringLiteral("dolar"), QStringLiteral("dollar"), QStringLiteral("abddolari"),
                                    QStringLiteral("amerikandolari")};
    static const QStringList Euro{QStringLiteral("eur"), QStringLiteral("€"), QStringLiteral("euro"),
                                  QStringLiteral("avro")};
    static const QStringList Pound{QStringLiteral("gbp"),     QStringLiteral("£"), QStringLiteral("sterlin"),
                                   QStringLiteral("ingilizsterlini"), QStringLiteral("ingilizsterlin"),
                                   QStringLiteral("pound"),
                                   QStringLiteral("ingilizpoundu")};
    if (Lira.contains(key))
        return {};
    if (Dollar.contains(key))
        return QStringLiteral("$");
    if (Euro.contains(key))
        return QStringLiteral("€");
    if (Pound.contains(key))
        return QStringLiteral("£");
    return written;
}

QString currencyText(double value, const QString& currency)
{
    const QLocale locale;
    const QString sign = currencySign(currency);
    if (sign.isEmpty())
        return locale.toCurrencyString(value);
    if (sign.size() == 1 && !sign.front().isLetterOrNumber())
        return locale.toCurrencyString(value, sign);
    // A code reads apart from the number, on whichever side the locale puts its sign.
    const QChar mark(0xE000);
    QString text = locale.toCurrencyString(value, QString(mark));
    const qsizetype at = text.indexOf(mark);
    const bool before = at + 1 < text.size() && text.at(at + 1).isDigit();
    text.replace(at, 1, before ? sign + QLatin1Char(' ') : QLatin1Char(' ') + sign);
    return text;
}

QString displayText(const FieldSchema& field, const QVariant& value, const QString& currency)
{
    if (field.type == FieldType::Currency && !value.isNull())
        return currencyText(value.toDouble(), currency);
    if (field.type == FieldType::Graphic)
        return value.toByteArray().isEmpty() ? QStringLiteral("(graphic)") : QStringLiteral("(GRAPHIC)");
    return editText(field, value);
}

QVariant blank(const FieldSchema& field)
{
    if (field.isTextual())
        return QString(QLatin1String(""));
    if (field.type == FieldType::Graphic)
        return QVariant(QMetaType::fromType<QByteArray>());
    if (field.type == FieldType::AutoIncrement)
        return QVariant(QMetaType::fromType<qlonglong>());
    return QVariant(QMetaType::fromType<double>());
}

bool isBlank(const FieldSchema& field, const QVariant& value)
{
    if (value.isNull())
        return true;
    if (field.isTextual())
        return value.toString().isEmpty();
    if (field.type == FieldType::Graphic)
        return value.toByteArray().isEmpty();
    return false;
}

// Quotes the start of the text only: a long paste must not fill the screen.
static QString tooLongMessage(const QString& text, const FieldSchema& field)
{
    constexpr int Quoted = 40;
    const QString start = text.size() > Quoted ? text.left(Quoted) + QChar(0x2026) : text;
    return QStringLiteral("'%1' metni '%2' alanına sığmıyor (en çok %3 karakter)")
        .arg(start, field.name)
        .arg(field.size);
}

// Half of a pair of UTF-16 units with no other half (text pasted from a
// damaged file, say): stored, it would turn into another character.
static bool holdsBrokenCharacter(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (unit.isSurrogate())
            return true;
    }
    return false;
}

QVariant parse(const FieldSchema& field, const QString& text)
{
    if ((field.type == FieldType::Text || field.type == FieldType::Memo) && holdsBrokenCharacter(text))
        throw DataError(QStringLiteral("'%1' alanına yazılan metinde bozuk bir karakter var; metni yeniden yazın.")
                            .arg(field.name));
    switch (field.type) {
    case FieldType::AutoIncrement:
        throw DataError(QStringLiteral("Field '%1' cannot be modified").arg(field.name));
    case FieldType::Text:
        if (text.size() > field.size)
            throw DataError(tooLongMessage(text, field));
        return text.isNull() ? QString(QLatin1String("")) : text;
    case FieldType::Memo:
        return text.isNull() ? QString(QLatin1String("")) : text;
    case FieldType::Float:
    case FieldType::Currency: {
        if (text.trimmed().isEmpty())
            return blank(field);
        const auto number = parseNumber(text);
        if (!number)
            throw DataError(QStringLiteral("'%1' is not a valid floating point value for field '%2'")
                                .arg(text, field.name));
        return *number;
    }
    case FieldType::Graphic:
        return text.isEmpty() ? blank(field) : QVariant(text.toUtf8());
    }
    return text;
}

} // namespace FieldFormat
