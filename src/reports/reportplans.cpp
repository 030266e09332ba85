#include "reports/reportplans.h"

#include <algorithm>

namespace reports {

using reporting::Band;
using reporting::FontStyle;
using reporting::PictureItem;
using reporting::ReportLayout;
using reporting::Source;
using reporting::TextItem;

namespace {

// --- the cards ---------------------------------------------------------------------

// The flat and property cards differ in the price caption, the last line's
// right pair, and line 4 (the property kind in place of the year).
QVector<CardLine> listingLines(const QString& priceCaption, const QString& lastCaption, const QString& lastField,
                               bool property)
{
    return {
        {QStringLiteral("Semt"), QStringLiteral("Semtadi"), QStringLiteral("Kapılar"), QStringLiteral("Kapilar")},
        {priceCaption, QStringLiteral("Fiyati"), QStringLiteral("Mutfak"), QStringLiteral("Mutfak")},
        {QStringLiteral("Metre Kare"), QStringLiteral("Metre2"), QStringLiteral("Asansör"), QStringLiteral("Asansor")},
        property ? CardLine{QStringLiteral("Emlak"), QStringLiteral("Emlak"), QStringLiteral("Isı Sistemi"),
                            QStringLiteral("Isisistemi")}
                 : CardLine{QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi"), QStringLiteral("Yıl"),
                            QStringLiteral("Yil")},
        {QStringLiteral("Oda"), QStringLiteral("Oda"), QStringLiteral("Kayıt Tarihi"), QStringLiteral("Satis")},
        {QStringLiteral("Kat"), QStringLiteral("Kat"), QStringLiteral("Anahtar"), QStringLiteral("Anahtar")},
        {QStringLiteral("Otopark"), QStringLiteral("Otopark"), QStringLiteral("Durum"), QStringLiteral("Durum")},
        {QStringLiteral("Duvarlar"), QStringLiteral("Duvarlar"), QStringLiteral("Zeminler"),
         QStringLiteral("Zeminler")},
        {QStringLiteral("Tavan"), QStringLiteral("Tavanlar"), QStringLiteral("Hidrofor"), QStringLiteral("Hidrofor")},
        {QStringLiteral("Banyo"), QStringLiteral("Banyo"), lastCaption, lastField},
    };
}

const CardColumns ListingColumns{
    .leftCaption = 14.6, .leftValue = 39.7, .rightCaption = 95.3, .rightValue = 115.9, .pitch = 6.35};
const CardColumns LandColumns{
    .leftCaption = 14.6, .leftValue = 39.7, .rightCaption = 95.3, .rightValue = 111.7, .pitch = 8.5};
const CardColumns RequestColumns{
    .leftCaption = 14.6, .leftValue = 50.3, .rightCaption = 97.1, .rightValue = 124.4, .pitch = 8.5};

// --- the shared design ---------------------------------------------------------------

constexpr double Width = 190; // A4 less the margins

FontStyle arial(double points, bool bold = false)
{
    return FontStyle{.pointSize = points, .bold = bold};
}

TextItem literal(const QString& text, double left, double top, const FontStyle& font)
{
    return TextItem{.source = Source::Literal, .text = text, .left = left, .top = top, .font = font};
}

TextItem field(const QString& name, double left, double top, double width, const FontStyle& font)
{
    return TextItem{.source = Source::Field, .text = name, .left = left, .top = top, .width = width, .font = font};
}

TextItem stamp(Source source, double left, double top)
{
    return TextItem{.source = source, .left = left, .top = top, .font = arial(10)};
}

TextItem centredTitle(const QString& text, const FontStyle& font)
{
    return TextItem{.source = Source::Literal, .text = text, .centred = true, .centredVertically = true, .font = font};
}

// A card: title, the caption/value lines and the notes under them, date and time.
constexpr double CardFirstLine = 14.8;
constexpr double NotesGap = 4.2;    // between the last line and "Açıklama"
constexpr double NotesBelow = 6.35; // from "Açıklama" down to the block
constexpr double NotesIndent = 5.3; // the block stands in from the captions
constexpr double NotesWidth = 118.8;
// The pictures: the first under the notes, the rest on pages of their own.
constexpr double PictureGap = 6;
constexpr int PicturesPerPage = 2;
constexpr double PicturePageFrame = 125;
constexpr double PictureCaptionRoom = 13;
constexpr double ValueGap = 1.0; // a value stops short of the next column

} // namespace

const QVector<CardPlan>& cardPlans()
{
    static const QVector<CardPlan> plans{
        {.name = QStringLiteral("RentalFlatCard"),
         .title = QStringLiteral("Kiralık Daire"),
         .table = QStringLiteral("kdgiris"),
         .columns = ListingColumns,
         .lines = listingLines(QStringLiteral("Kirası"), QStringLiteral("Depozito"), QStringLiteral("Depozito"), false),
         .notesHeight = 13},
        {.name = QStringLiteral("SaleFlatCard"),
         .title = QStringLiteral("Satalık Daire"),
         .table = QStringLiteral("sdgiris"),
         .columns = ListingColumns,
         .lines = listingLines(QStringLiteral("Fiyat"), QStringLiteral("Döviz"), QStringLiteral("Döviz"), false),
         .notesHeight = 36},
        {.name = QStringLiteral("RentalPropertyCard"),
         .title = QStringLiteral("Kiralık Emlaklar"),
         .table = QStringLiteral("kegiris"),
         .columns = ListingColumns,
         .lines = listingLines(QStringLiteral("Kirası"), QStringLiteral("Depozito"), QStringLiteral("Depozito"), true),
         .notesHeight = 27.5},
        {.name = QStringLiteral("SalePropertyCard"),
         .title = QStringLiteral("Satılık Emlaklar"),
         .table = QStringLiteral("segiris"),
         .columns = ListingColumns,
         .lines = listingLines(QStringLiteral("Fiyat"), QStringLiteral("Döviz"), QStringLiteral("Döviz"), true),
         .notesHeight = 26},
        {.name = QStringLiteral("LandCard"),
         .title = QStringLiteral("Arsa Ve Arazi"),
         .table = QStringLiteral("arsa"),
         .columns = LandColumns,
         .lines = {{QStringLiteral("Semt"), QStringLiteral("Semt"), QStringLiteral("Ada"), QStringLiteral("Ada")},
                   {QStringLiteral("Fiyat"), QStringLiteral("Fiyati"), QStringLiteral("Parsel"),
                    QStringLiteral("Parsel")},
                   {QStringLiteral("Metre Kare"), QStringLiteral("Metre2"), QStringLiteral("Pafta"),
                    QStringLiteral("Pafta")},
                   {QStringLiteral("Döviz"), QStringLiteral("Doviz"), QStringLiteral("İmar"), QStringLiteral("Imar")},
                   {QStringLiteral("Durum"), QStringLiteral("Durum")}},
         .notesHeight = 13},
        {.name = QStringLiteral("RequestCard"),
         .title = QStringLiteral("Müşteri Talepleri Listesi"),
         .table = QStringLiteral("musteritalepleri"),
         .columns = RequestColumns,
         .lines = {{QStringLiteral("Semt"), QStringLiteral("Semtadi"), QStringLiteral("Oda"), QStringLiteral("Oda")},
                   {QStringLiteral("Emlak"), QStringLiteral("Emlak"), QStringLiteral("Kat"), QStringLiteral("Kat")},
                   {QStringLiteral("Metre İlk Değer"), QStringLiteral("IlkMetre2"), QStringLiteral("Isı Sistemi"),
                    QStringLiteral("Isisistemi")},
                   {QStringLiteral("Metre İkinci Değer"), QStringLiteral("Ikincimetre2")},
                   {QStringLiteral("Fiyat İlk Değer"), QStringLiteral("Fiyatilkdeger")},
                   {QStringLiteral("Fiyet İkinci Değer"), QStringLiteral("Ikincifiyat")}},
         .notesHeight = 20},
    };
    return plans;
}

const QVector<ListPlan>& listPlans()
{
    static const QVector<ListPlan> plans{
        {.name = QStringLiteral("RentalFlatListReport"),
         .title = QStringLiteral("İstenilen Özellikteki Kiralık Listesi"),
         .table = QStringLiteral("kdgiris"),
         .columns = {{QStringLiteral("Semt Adı"), QStringLiteral("Semtadi"), 8.5},
                     {QStringLiteral("Kirası"), QStringLiteral("Fiyati"), 40.2},
                     {QStringLiteral("Metre Karesi"), QStringLiteral("Metre2"), 69.8, 74.1},
                     {QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi"), 103.7},
                     {QStringLiteral("Kat"), QStringLiteral("Kat"), 139.7},
                     {QStringLiteral("Oda"), QStringLiteral("Oda"), 163.0}},
         .wholeRegister = false},
        {.name = QStringLiteral("SaleFlatListReport"),
         .title = QStringLiteral("İstenilen Özellikteki Satılık Daire Listesi"),
         .table = QStringLiteral("sdgiris"),
         .columns = {{QStringLiteral("Semt Adı"), QStringLiteral("Semtadi"), 8.5},
                     {QStringLiteral("Fiyatı"), QStringLiteral("Fiyati"), 40.2},
                     {QStringLiteral("Metre Karesi"), QStringLiteral("Metre2"), 65.6, 69.8},
                     {QStringLiteral("Kat"), QStringLiteral("Kat"), 107.9},
                     {QStringLiteral("Oda"), QStringLiteral("Oda"), 129.1},
                     {QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi"), 156.6}},
         .wholeRegister = false},
        {.name = QStringLiteral("RentalPropertyListReport"),
         .title = QStringLiteral("İstenilen Özellikteki Kiralık Emlak Listesi"),
         .table = QStringLiteral("kegiris"),
         .columns = {{QStringLiteral("Semt Adı"), QStringLiteral("Semtadi"), 10.6},
                     {QStringLiteral("Kirası"), QStringLiteral("Fiyati"), 42.3},
                     {QStringLiteral("Metre Karesi"), QStringLiteral("Metre2"), 74.1},
                     {QStringLiteral("Kat"), QStringLiteral("Kat"), 112.2},
                     {QStringLiteral("Oda"), QStringLiteral("Oda"), 137.6, 139.7},
                     {QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi"), 163.0}},
         .wholeRegister = false},
        {.name = QStringLiteral("SalePropertyListReport"),
         .title = QStringLiteral("İstenilen Özellikteki Satılık Emlak  Listesi"),
         .table = QStringLiteral("segiris"),
         .columns = {{QStringLiteral("Semt Adı"), QStringLiteral("Semtadi"), 10.6},
                     {QStringLiteral("Fiyatı"), QStringLiteral("Fiyati"), 48.7},
                     {QStringLiteral("Metre Karesi"), QStringLiteral("Metre2"), 80.4, 84.7},
                     {QStringLiteral("Kat"), QStringLiteral("Kat"), 114.3},
                     {QStringLiteral("Oda"), QStringLiteral("Oda"), 133.3},
                     {QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi"), 154.5}},
         .wholeRegister = false},
        {.name = QStringLiteral("RequestListReport"),
         .title = QStringLiteral("İstenilen Özellikteki Müşteri Talepleri Listesi"),
         .table = QStringLiteral("musteritalepleri"),
         .columns = {{QStringLiteral("Semt Adı"), QStringLiteral("Semtadi"), 6.3},
                     {QStringLiteral("Emlak"), QStringLiteral("Emlak"), 33.9},
                     {QStringLiteral("Fiyatı İlk Değer"), QStringLiteral("Fiyatilkdeger"), 55.0},
                     {QStringLiteral("Fiyat İkinci Değer"), QStringLiteral("Ikincifiyat"), 86.8},
                     {QStringLiteral("Metre İlk Değer"), QStringLiteral("IlkMetre2"), 122.8},
                     {QStringLiteral("Metre İkinci Değer"), QStringLiteral("Ikincimetre2"), 152.4}},
         .wholeRegister = false},
        {.name = QStringLiteral("LandListReport"),
         .title = QStringLiteral("İstenilen Özellikteki Arsa Ve Arazi Listesi"),
         .table = QStringLiteral("arsa"),
         .columns = {{QStringLiteral("Semt Adı"), QStringLiteral("Semt"), 10.6},
                     {QStringLiteral("Fiyatı"), QStringLiteral("Fiyati"), 48.7},
                     {QStringLiteral("Metre Karesi"), QStringLiteral("Metre2"), 78.3, 82.5},
                     {QStringLiteral("Ada"), QStringLiteral("Ada"), 112.2},
                     {QStringLiteral("Parsel"), QStringLiteral("Parsel"), 129.1},
                     {QStringLiteral("Pafta"), QStringLiteral("Pafta"), 150.3},
                     {QStringLiteral("İmar"), QStringLiteral("Imar"), 169.3}},
         .wholeRegister = false},
        {.name = QStringLiteral("RentalPropertyListPrint"),
         .title = QStringLiteral("Kiralık Emlak Listesi"),
         .table = QStringLiteral("kegiris"),
         .columns = {{QStringLiteral("Semt Adı"), QStringLiteral("Semtadi"), 6.3},
                     {QStringLiteral("Fiyatı"), QStringLiteral("Fiyati"), 46.6},
                     {QStringLiteral("Metre Karesi"), QStringLiteral("Metre2"), 82.5},
                     {QStringLiteral("Kat"), QStringLiteral("Kat"), 116.4},
                     {QStringLiteral("Oda"), QStringLiteral("Oda"), 135.5},
                     {QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi"), 158.8}},
         .wholeRegister = true},
        {.name = QStringLiteral("SalePropertyListPrint"),
         .title = QStringLiteral("Satılık Emlak Listesi"),
         .table = QStringLiteral("segiris"),
         .columns = {{QStringLiteral("Semt Adı"), QStringLiteral("Semtadi"), 8.5},
                     {QStringLiteral("Fiyatı"), QStringLiteral("Fiyati"), 42.3},
                     {QStringLiteral("Emlak"), QStringLiteral("Emlak"), 72.0},
                     {QStringLiteral("Metre Karesi"), QStringLiteral("Metre2"), 97.4},
                     {QStringLiteral("Isı Sistemi"), QStringLiteral("Isisistemi"), 124.9},
                     {QStringLiteral("Kat"), QStringLiteral("Kat"), 154.5},
                     {QStringLiteral("Oda"), QStringLiteral("Oda"), 169.3}},
         .wholeRegister = true},
        {.name = QStringLiteral("LandListPrint"),
         .title = QStringLiteral("Arsa Ve Arazi Listesi"),
         .table = QStringLiteral("arsa"),
         .columns = {{QStringLiteral("Semt Adı"), QStringLiteral("Semt"), 6.3},
                     {QStringLiteral("Fiyatı"), QStringLiteral("Fiyati"), 36.0},
                     {QStringLiteral("Metre Karesi"), QStringLiteral("Metre2"), 67.7},
                     {QStringLiteral("Ada"), QStringLiteral("Ada"), 101.6},
                     {QStringLiteral("Parsel"), QStringLiteral("Parsel"), 120.6},
                     {QStringLiteral("Pafta"), QStringLiteral("Pafta"), 143.9},
                     {QStringLiteral("İmar"), QStringLiteral("Imar"), 165.1}},
         .wholeRegister = true},
    };
    return plans;
}

const CardPlan* cardPlan(const QString& name)
{
    for (const CardPlan& plan : cardPlans())
        if (plan.name == name)
            return &plan;
    return nullptr;
}

const ListPlan* listPlan(const QString& name)
{
    for (const ListPlan& plan : listPlans())
        if (plan.name == name)
            return &plan;
    return nullptr;
}

ReportLayout cardLayout(const CardPlan& plan)
{
    ReportLayout layout;
    layout.name = plan.title;
    layout.title = Band{.height = 24.1,
                        .items = {centredTitle(plan.title, FontStyle{.pointSize = 36, .bold = true, .heavy = true})}};

    const CardColumns& c = plan.columns;
    const FontStyle pair = arial(10, true);
    Band& detail = layout.detail;
    detail.height = 203.5;
    double top = CardFirstLine;
    for (const CardLine& line : plan.lines) {
        detail.items << literal(line.leftCaption, c.leftCaption, top, pair)
                     << field(line.leftField, c.leftValue, top, c.rightCaption - c.leftValue - ValueGap, pair);
        if (!line.rightCaption.isEmpty())
            detail.items << literal(line.rightCaption, c.rightCaption, top, pair)
                         << field(line.rightField, c.rightValue, top, Width - c.rightValue, pair);
        top += c.pitch;
    }
    const double notesCaption = CardFirstLine + plan.lines.size() * c.pitch + NotesGap;
    TextItem notes =
        field(QStringLiteral("Notlar"), c.leftCaption + NotesIndent, notesCaption + NotesBelow, NotesWidth, arial(10));
    notes.height = plan.notesHeight;
    detail.items << literal(QStringLiteral("Açıklama"), c.leftCaption, notesCaption, pair) << notes;

    layout.summary =
        Band{.height = 17.2,
             .items = {literal(QStringLiteral("Tarih"), 101.6, 4.2, arial(10)), stamp(Source::Date, 116.4, 4.2),
                       literal(QStringLiteral("Saat"), 137.6, 4.2, arial(10)), stamp(Source::Time, 152.4, 4.2)}};
    return layout;
}

void addPictures(ReportLayout& layout, const CardPlan& plan, const QVector<CardPicture>& pictures, bool everyPicture)
{
    if (pictures.isEmpty())
        return;
    const CardColumns& c = plan.columns;
    const double notesEnd = CardFirstLine + plan.lines.size() * c.pitch + NotesGap + NotesBelow + plan.notesHeight;
    const double top = notesEnd + PictureGap;
    layout.detail.pictures << PictureItem{.image = pictures.first().image,
                                          .left = c.leftCaption,
                                          .top = top,
                                          .width = Width - 2 * c.leftCaption,
                                          .height = std::min(layout.detail.height - top - PictureGap, 100.0)};
    if (!everyPicture)
        return;
    for (int i = 0; i < pictures.size(); i += PicturesPerPage) {
        Band page{.height = PicturePageFrame * PicturesPerPage};
        for (int j = i; j < i + PicturesPerPage && j < pictures.size(); ++j)
            page.pictures << PictureItem{.image = pictures.at(j).image,
                                         .left = 0,
                                         .top = (j - i) * (PicturePageFrame + PictureCaptionRoom),
                                         .width = Width,
                                         .height = PicturePageFrame,
                                         .caption = pictures.at(j).caption};
        layout.closingPages << page;
    }
}

ReportLayout listLayout(const ListPlan& plan)
{
    ReportLayout layout;
    layout.name = plan.title;
    layout.title = Band{.height = 10.6, .items = {centredTitle(plan.title, arial(18, true))}};
    layout.columnHeader.height = 10.6;
    layout.detail.height = 17.7;
    for (int i = 0; i < plan.columns.size(); ++i) {
        const ListColumn& column = plan.columns.at(i);
        // A value stops short of the next column.
        const double end = i + 1 < plan.columns.size() ? plan.columns.at(i + 1).left - ValueGap : Width;
        layout.columnHeader.items << literal(column.caption, column.left, 4.2, arial(10));
        layout.detail.items << field(column.field, column.valueAt(), 4.2, end - column.valueAt(), arial(10));
    }
    layout.summary =
        Band{.height = 15.6,
             .items = {literal(QStringLiteral("Saat"), 88.9, 3.7, arial(10)), stamp(Source::Time, 103.7, 3.7),
                       literal(QStringLiteral("Tarih"), 124.9, 3.7, arial(10)), stamp(Source::Date, 146.0, 3.7)}};
    return layout;
}

QStringList CallSheetFields::all()
{
    return {Request, Name, Phones, Wants, Listing, District, Area, Price, Address, Shown, New};
}

ReportLayout callSheetLayout(const QString& subtitle, const QString& summary)
{
    namespace F = CallSheetFields;
    constexpr double Across = 277; // A4 across, less the margins
    ReportLayout layout;
    layout.name = QStringLiteral("Aranacak Müşteriler");
    layout.page.orientation = QPageLayout::Landscape;
    layout.title = Band{.height = 20,
                        .items = {TextItem{.text = layout.name, .top = 1, .centred = true, .font = arial(18, true)},
                                  TextItem{.text = subtitle, .top = 11.5, .centred = true, .font = arial(10)}}};
    struct Column {
        QString caption, field;
        double left;
        bool bold = false;
    };
    const QVector<Column> columns{{QStringLiteral("İlan"), F::Listing, 6},      {QStringLiteral("Semt"), F::District, 58},
                                  {QStringLiteral("M²"), F::Area, 98},          {QStringLiteral("Fiyat"), F::Price, 114},
                                  {QStringLiteral("Adres"), F::Address, 150},   {QStringLiteral("Gösterildi"), F::Shown, 222},
                                  {QStringLiteral("Yeni"), F::New, 258, true}};
    layout.columnHeader.height = 8;
    layout.detail.height = 6.4;
    for (int i = 0; i < columns.size(); ++i) {
        const Column& column = columns.at(i);
        const double end = i + 1 < columns.size() ? columns.at(i + 1).left - ValueGap : Across;
        layout.columnHeader.items << literal(column.caption, column.left, 2, arial(10, true));
        layout.detail.items << field(column.field, column.left, 1, end - column.left, arial(10, column.bold));
    }
    // The customer over his listings: name and phones, then what he asks for.
    layout.groupField = F::Request;
    layout.groupHeader = Band{.height = 12.5,
                              .items = {field(F::Name, 0, 1.5, 86, arial(11, true)),
                                        field(F::Phones, 88, 1.5, Across - 88, arial(11, true)),
                                        field(F::Wants, 0, 6.8, Across, arial(9))}};
    layout.summary = Band{.height = 14,
                          .items = {literal(summary, 0, 2, arial(10, true)),
                                    literal(QStringLiteral("Saat"), 200, 8, arial(10)), stamp(Source::Time, 212, 8),
                                    literal(QStringLiteral("Tarih"), 228, 8, arial(10)), stamp(Source::Date, 242, 8)}};
    return layout;
}

} // namespace reports
