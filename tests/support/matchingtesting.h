#pragma once

// A small set of listings in all five registers and of customer requests,
// known by their names (the Isim field), and stand-ins for the matching's
// dialogs: what the matching tests share.

#include "matching/matchingdialogs.h"
#include "matching/matchrules.h"
#include "support/searchtesting.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocumentFragment>

namespace matchingtest {

using searchtest::insertRow;

inline const QString Kadikoy = QStringLiteral("Kadıköy");
inline const QString Besiktas = QStringLiteral("Beşiktaş");
inline const QString ToRent = QStringLiteral("Kiralanmadı");
inline const QString ToBuy = QStringLiteral("Satılmadı");
inline const QString Shop = QStringLiteral("Dükkan");
inline const QString FlowerShop = QStringLiteral("Çiçekçi Dükkanı"); // a kind the agency defined
inline const QString EitherLand = QStringLiteral("Arsa ve Arazi");

// One listing; the area is a number on the building registers and text on
// land. (Text is never NULL in the store: empty texts are written as such.)
struct Listing {
    const char* name;
    QString district;
    QString status;
    double price;
    QVariant area;
    QString kind = QString(); // the property registers only
};

inline void addListing(Database& db, Matching::Register where, const Listing& listing)
{
    const Matching::RegisterRule& rule = Matching::rule(where);
    QVariantMap values{{QStringLiteral("Isim"), QString::fromUtf8(listing.name)},
                       {rule.districtField, Statement::text(listing.district)},
                       {QStringLiteral("Durum"), Statement::text(listing.status)},
                       {QStringLiteral("Fiyati"), listing.price},
                       {QStringLiteral("Metre2"), listing.area}};
    if (rule.byKind)
        values.insert(QStringLiteral("Emlak"), Statement::text(listing.kind));
    insertRow(db, rule.table, values);
}

// The listings every matching test starts from:
//   rental flats kd1..kd6: Kadıköy 1000/100 and 2000/150 available, one let,
//     one in Beşiktaş 1500/120, one a unit under (999/99) and one over (2001/151);
//   sale flats sd1..sd3; rental properties ke1..ke4 (a shop, a user-defined
//     kind, "Arsa ve Arazi", a let shop); sale properties se1, se2;
//   land ar1..ar6: areas "100", "1.250" (grouped), "yüz" (no number), "90",
//     statuses for sale, to let and empty.
inline void seedListings(Database& db)
{
    using Matching::Register;
    searchtest::addDistrict(db, Kadikoy);
    searchtest::addDistrict(db, Besiktas);
    const QString let = QStringLiteral("Kiralandı"), sold = QStringLiteral("Satıldı");
    for (const Listing& l : QList<Listing>{{"kd1", Kadikoy, ToRent, 1000, 100.0},
                                           {"kd2", Kadikoy, ToRent, 2000, 150.0},
                                           {"kd3", Kadikoy, let, 1500, 120.0},
                                           {"kd4", Besiktas, ToRent, 1500, 120.0},
                                           {"kd5", Kadikoy, ToRent, 999, 99.0},
                                           {"kd6", Kadikoy, ToRent, 2001, 151.0}})
        addListing(db, Register::RentalFlats, l);
    for (const Listing& l : QList<Listing>{{"sd1", Kadikoy, ToBuy, 100000, 100.0},
                                           {"sd2", Kadikoy, sold, 100000, 100.0},
                                           {"sd3", Besiktas, ToBuy, 150000, 85.5}})
        addListing(db, Register::SaleFlats, l);
    for (const Listing& l : QList<Listing>{{"ke1", Kadikoy, ToRent, 1000, 100.0, Shop},
                                           {"ke2", Kadikoy, ToRent, 1500, 120.0, FlowerShop},
                                           {"ke3", Kadikoy, ToRent, 1200, 300.0, EitherLand},
                                           {"ke4", Kadikoy, let, 1000, 100.0, Shop}})
        addListing(db, Register::RentalProperties, l);
    for (const Listing& l : QList<Listing>{{"se1", Kadikoy, ToBuy, 100000, 100.0, Shop},
                                           {"se2", Kadikoy, ToBuy, 1250000, 500.0, EitherLand}})
        addListing(db, Register::SaleProperties, l);
    for (const Listing& l : QList<Listing>{{"ar1", Kadikoy, ToBuy, 100000, QStringLiteral("100")},
                                           {"ar2", Kadikoy, ToBuy, 100000, QStringLiteral("1.250")},
                                           {"ar3", Kadikoy, ToRent, 1000, QStringLiteral("100")},
                                           {"ar4", Kadikoy, ToBuy, 100000, QStringLiteral("yüz")},
                                           {"ar5", Kadikoy, QString(QLatin1String("")), 100000, QStringLiteral("100")},
                                           {"ar6", Besiktas, ToBuy, 150000, QStringLiteral("90")}})
        addListing(db, Register::Land, l);
}

// A customer request; bounds left null are empty.
struct Wish {
    const char* name;
    QString kind;
    QString wish;
    QString district = Kadikoy;
    QVariant lowestPrice = QVariant(), highestPrice = QVariant();
    QVariant smallestArea = QVariant(), largestArea = QVariant();
    QString phone = QString();
};

inline void addRequest(Database& db, const Wish& w)
{
    const QVariant none(QMetaType::fromType<double>());
    const auto number = [&](const QVariant& v) { return v.isValid() ? QVariant(v.toDouble()) : none; };
    insertRow(db, QStringLiteral("musteritalepleri"),
              {{QStringLiteral("Isim"), QString::fromUtf8(w.name)},
               {QStringLiteral("Telefon"), Statement::text(w.phone)},
               {QStringLiteral("Semtadi"), Statement::text(w.district)},
               {QStringLiteral("Emlak"), Statement::text(w.kind)},
               {QStringLiteral("Istek"), Statement::text(w.wish)},
               {QStringLiteral("Fiyatilkdeger"), number(w.lowestPrice)},
               {QStringLiteral("Ikincifiyat"), number(w.highestPrice)},
               {QStringLiteral("IlkMetre2"), number(w.smallestArea)},
               {QStringLiteral("Ikincimetre2"), number(w.largestArea)}});
}

inline Matching::Request requestOf(const Wish& w)
{
    Matching::Request request;
    request.name = QString::fromUtf8(w.name);
    request.phone = w.phone;
    request.district = w.district;
    request.kind = w.kind;
    request.wish = w.wish;
    request.lowestPrice = w.lowestPrice.isValid() ? QVariant(w.lowestPrice.toDouble()) : QVariant();
    request.highestPrice = w.highestPrice.isValid() ? QVariant(w.highestPrice.toDouble()) : QVariant();
    request.smallestArea = w.smallestArea.isValid() ? QVariant(w.smallestArea.toDouble()) : QVariant();
    request.largestArea = w.largestArea.isValid() ? QVariant(w.largestArea.toDouble()) : QVariant();
    return request;
}

// Answers the matching's dialogs: a file name and a printer set up by the
// test, a run cancelled after a given request, notices collected.
struct AnsweringDialogs : MatchingDialogs {
    QString saveAs;                 // empty: the clerk cancels the save dialog
    QString suggested;              // what the save dialog offered
    QString printToPdf;             // empty: the clerk cancels the printer dialog
    QString currentPrinterPdf;      // the current printer, a PDF file; empty: the machine has none
    int printerDialogs = 0;         // how often the printer dialog was shown
    int cancelAfter = -1;           // requests done when the clerk presses "İptal"
    QList<int> progressSeen;        // requests done, as reported
    int progressEnded = 0;
    QStringList notices;

    QString saveFileName(QWidget*, const QString& offered) override
    {
        suggested = offered;
        return saveAs;
    }
    bool useCurrentPrinter(QPrinter& printer) override
    {
        if (currentPrinterPdf.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(currentPrinterPdf);
        return true;
    }
    bool choosePrinter(QWidget*, QPrinter& printer) override
    {
        ++printerDialogs;
        if (printToPdf.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printToPdf);
        return true;
    }
    bool progress(QWidget*, int done, int, qint64) override
    {
        progressSeen << done;
        return cancelAfter < 0 || done < cancelAfter;
    }
    void endProgress() override { ++progressEnded; }
    void inform(QWidget*, const QString& message) override { notices << message; }
};

// Runs an independent reader of the program's files ("unrtf", "pdftotext"),
// which scripts/setup.sh installs; the text it writes, or a failure.
inline QString readWith(const QString& program, const QStringList& arguments, bool* ok)
{
    *ok = false;
    if (QStandardPaths::findExecutable(program).isEmpty())
        return QStringLiteral("%1 is not installed (scripts/setup.sh installs it)").arg(program);
    QProcess reader;
    reader.start(program, arguments);
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(program, QString::fromUtf8(reader.readAllStandardError()));
    *ok = true;
    return QString::fromUtf8(reader.readAllStandardOutput());
}

// A Rich Text Format file as unrtf reads it, line by line. unrtf writes what
// it reads as HTML (its plain-text output has no Unicode), which is taken
// apart here: line breaks, tags, character references. unrtf itself writes
// a run of blanks as one (compare with withSingleBlanks()).
inline QStringList rtfReadBack(const QString& path, bool* ok)
{
    const QString html = readWith(QStringLiteral("unrtf"), {QStringLiteral("--html"), path}, ok);
    if (!*ok)
        return {html};
    const qsizetype body = html.indexOf(QLatin1String("<body>"));
    const qsizetype end = html.lastIndexOf(QLatin1String("</body>"));
    QString text = html.mid(body + 6, end - body - 6);
    text.remove(QLatin1Char('\n'));
    text.replace(QLatin1String("<br>"), QLatin1String("\n"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    text.remove(tag);
    static const QRegularExpression reference(QStringLiteral("&#?[A-Za-z0-9]+;"));
    QString plain;
    qsizetype done = 0;
    for (auto match = reference.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        plain += text.mid(done, found.capturedStart() - done);
        plain += QTextDocumentFragment::fromHtml(found.captured()).toPlainText();
        done = found.capturedEnd();
    }
    plain += text.mid(done);
    QStringList lines = plain.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // after the last line's break
    return lines;
}

// The lines with every run of blanks written as one blank, as unrtf reads them.
inline QStringList withSingleBlanks(QStringList lines)
{
    static const QRegularExpression blanks(QStringLiteral(" {2,}"));
    for (QString& line : lines)
        line.replace(blanks, QStringLiteral(" "));
    return lines;
}

} // namespace matchingtest
