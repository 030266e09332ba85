#pragma once

#include "platform/reporting/reportlayout.h"

#include <QImage>
#include <QString>
#include <QVector>

// The program's printed reports as plans: what each card and list prints and
// where, in millimetres from the band's edges. Every card is the one card
// design and every list the one list design, filled in from its row here.
namespace reports {

// One line of a card: a caption with its value on the left, another on the right.
struct CardLine {
    QString leftCaption;
    QString leftField;
    QString rightCaption; // empty: nothing on the right
    QString rightField;
};

// Where a card's columns stand, from the detail band's left edge.
struct CardColumns {
    double leftCaption;
    double leftValue;
    double rightCaption;
    double rightValue;
    double pitch; // from one line to the next
};

struct CardPlan {
    QString name; // the program's name for the card, e.g. "RentalFlatCard"
    QString title;
    QString table; // the register whose current record it prints
    CardColumns columns;
    QVector<CardLine> lines;
    double notesHeight; // the Notlar block; what does not fit is cut off
};

struct ListColumn {
    QString caption;
    QString field;
    double left;          // the caption's left edge, and the value's unless valueLeft is set
    double valueLeft = 0; // 0: under the caption
    double valueAt() const { return valueLeft > 0 ? valueLeft : left; }
};

struct ListPlan {
    QString name; // e.g. "RentalFlatListReport"
    QString title;
    QString table;
    QVector<ListColumn> columns;
    bool wholeRegister; // one of the main window's prints, over its own query
};

const QVector<CardPlan>& cardPlans();
const QVector<ListPlan>& listPlans();
const CardPlan* cardPlan(const QString& name);
const ListPlan* listPlan(const QString& name);

reporting::ReportLayout cardLayout(const CardPlan& plan);

// A listing card's pictures, in order, with their captions.
struct CardPicture {
    QImage image;
    QString caption;
};
// The first picture fitted in a frame under the card's notes, where no line
// of the card stands; with everyPicture (the "Resimli" card) every picture
// follows on pages of its own, two to a page, each with its caption.
void addPictures(reporting::ReportLayout& layout, const CardPlan& plan, const QVector<CardPicture>& pictures,
                 bool everyPicture);
reporting::ReportLayout listLayout(const ListPlan& plan);

// The call sheet, "Aranacak Müşteriler", on A4 across: a group per customer
// (name, phones, what the request asks for) over a row per listing found,
// with its marks. The fields its rows give, by these names:
namespace CallSheetFields {
inline const QString Request = QStringLiteral("Talep"); // the request's key: one group per request
inline const QString Name = QStringLiteral("Isim");
inline const QString Phones = QStringLiteral("Telefonlar");
inline const QString Wants = QStringLiteral("Istek");
inline const QString Listing = QStringLiteral("Ilan"); // kind and key
inline const QString District = QStringLiteral("Semt");
inline const QString Area = QStringLiteral("Metre2");
inline const QString Price = QStringLiteral("Fiyat");
inline const QString Address = QStringLiteral("Adres");
inline const QString Shown = QStringLiteral("Gosterildi");
inline const QString New = QStringLiteral("Yeni");
QStringList all();
} // namespace CallSheetFields
// subtitle under the title: the criterion and the sheet it compares with;
// summary: the counts at the end.
reporting::ReportLayout callSheetLayout(const QString& subtitle, const QString& summary);

} // namespace reports
