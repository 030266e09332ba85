#include "platform/system/localeformats.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cmath>

namespace LocaleFormats {

bool useTurkish()
{
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    QLocale::setDefault(turkish);
    auto* app = QCoreApplication::instance();
    if (!app)
        return false;
    static QTranslator* toolkit = nullptr;
    if (toolkit)
        return true;
    auto* translator = new QTranslator(app);
    if (!translator->load(turkish, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    toolkit = translator;
    return true;
}

QString shortDate(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString longTime(const QTime& time)
{
    // The locale's long time pattern ends in a time-zone name ("HH:mm:ss t"); a desk
    // clock shows the time only, so drop the unquoted zone letters.
    const QString pattern = QLocale().timeFormat(QLocale::LongFormat);
    QString cleaned;
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        cleaned += c;
    }
    cleaned = cleaned.simplified();
    return QLocale().toString(time, cleaned);
}

QString shortTime(const QTime& time)
{
    return QLocale().toString(time, QLocale::ShortFormat);
}

QString thousands(double value)
{
    const double whole = std::round(value);
    if (whole == 0.0)
        return QString();
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(whole, 'f', 0);
}

QString currency(double value)
{
    return QLocale().toCurrencyString(value);
}

double readNumber(const QString& text, bool* ok)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool converted = false;
    double value = locale.toDouble(text.trimmed(), &converted);
    converted = converted && std::isfinite(value);
    if (ok)
        *ok = converted;
    return converted ? value : 0.0;
}

} // namespace LocaleFormats
