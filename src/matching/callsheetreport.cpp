#include "matching/callsheetreport.h"

#include "matching/matchrules.h"
#include "platform/reporting/report.h"
#include "platform/reporting/reportpreview.h"
#include "platform/system/localeformats.h"
#include "reports/reportplans.h"

#include <QLocale>

namespace CallSheet {

namespace {

QString listingName(const Listing& listing)
{
    return QStringLiteral("%1 %2").arg(listing.kind).arg(listing.key);
}

// Every listing's row, its customer's texts in each: the report groups them
// by the request's key.
QVector<QStringList> rowsOf(const Sheet& sheet)
{
    QVector<QStringList> rows;
    rows.reserve(sheet.listings);
    for (const Customer& customer : sheet.customers) {
        const QString request = QString::number(customer.request);
        const QString phones = customer.phones.join(QStringLiteral("   "));
        const QString name = customer.name.isEmpty() ? QStringLiteral("(isimsiz)") : customer.name;
        for (const Listing& listing : customer.listings)
            rows.append({request, name, phones, customer.wants, listingName(listing), listing.district, listing.area,
                         listing.price, listing.address, shownMark(listing), newMark(listing)});
    }
    return rows;
}

QString count(int n)
{
    return QLocale().toString(n);
}

} // namespace

QString shownMark(const Listing& listing)
{
    if (!listing.shown)
        return {};
    if (!listing.shownOn.isValid())
        return QStringLiteral("gösterildi");
    return QStringLiteral("gösterildi ") + listing.shownOn.toString(QStringLiteral("dd.MM.yyyy"));
}

QString newMark(const Listing& listing)
{
    return listing.isNew ? QStringLiteral("YENİ") : QString();
}

QString subtitle(const Sheet& sheet)
{
    const QString criterion = Matching::criteria().value(sheet.criterion).item;
    if (!sheet.previousRun.isValid())
        return QStringLiteral("%1 · bu ölçütle ilk liste: \"YENİ\" işareti bir sonraki listede başlar").arg(criterion);
    return QStringLiteral("%1 · \"YENİ\": %2 %3 tarihli önceki listede olmayan")
        .arg(criterion, LocaleFormats::shortDate(sheet.previousRun.date()),
             LocaleFormats::shortTime(sheet.previousRun.time()));
}

QString summary(const Sheet& sheet)
{
    return QStringLiteral("%1 müşteri, %2 ilan: %3 yeni, %4 daha önce gösterilmiş (%5 talep karşılaştırıldı)")
        .arg(count(int(sheet.customers.size())), count(sheet.listings), count(sheet.newListings),
             count(sheet.shownListings), count(sheet.requestsRead));
}

std::unique_ptr<reporting::Report> makeReport(const Sheet& sheet)
{
    return std::make_unique<reporting::Report>(
        reports::callSheetLayout(subtitle(sheet), summary(sheet)),
        std::make_unique<reporting::ListRows>(reports::CallSheetFields::all(), rowsOf(sheet)), sheet.madeAt);
}

spreadsheet::Source spreadsheetOf(const Sheet& sheet)
{
    using spreadsheet::Kind;
    spreadsheet::Sheet columns{QStringLiteral("Aranacak Müşteriler"),
                               {{QStringLiteral("Talep No"), Kind::Number},
                                {QStringLiteral("Müşteri"), Kind::Text},
                                {QStringLiteral("Telefonlar"), Kind::Text},
                                {QStringLiteral("İstek"), Kind::Text},
                                {QStringLiteral("İlan"), Kind::Text},
                                {QStringLiteral("Semt"), Kind::Text},
                                {QStringLiteral("M²"), Kind::Number},
                                {QStringLiteral("Fiyat"), Kind::Text},
                                {QStringLiteral("Adres"), Kind::Text},
                                {QStringLiteral("Gösterildi"), Kind::Text},
                                {QStringLiteral("Yeni"), Kind::Text}}};
    return {columns, [rows = rowsOf(sheet)] { return std::make_unique<spreadsheet::TextRows>(rows); }};
}

std::unique_ptr<ReportWindow> previewWindow(const Sheet& sheet, QWidget* parent)
{
    return std::make_unique<reporting::PreviewWindow>(makeReport(sheet), parent, spreadsheetOf(sheet));
}

} // namespace CallSheet
