#pragma once

#include "platform/reporting/reportwindow.h"
#include "platform/spreadsheet/sheet.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class Database;
class Dataset;
class QWidget;

namespace reporting {
class Report;
}

// The program's printed reports, by their names: the six record cards
// ("RentalFlatCard", "SaleFlatCard", "RentalPropertyCard", "SalePropertyCard",
// "LandCard", "RequestCard"), the six result lists ("RentalFlatListReport",
// "SaleFlatListReport", "RentalPropertyListReport", "SalePropertyListReport",
// "RequestListReport", "LandListReport") and the three whole-register prints
// ("RentalPropertyListPrint", "SalePropertyListPrint", "LandListPrint").
//
// A new report is made for every print and bound to the dataset as it stands:
// a card reads its current record, a list its rows from first to last. No
// report moves the dataset's cursor. The date and time printed are those of
// the moment the report is made.
class LabelButton;

namespace reports {

// "Yazdır" on a screen: the card or result list `name` over the screen's
// dataset (the entry screen's table cursor, the search screen's query), as a
// window whose preview() is modal. nullptr for a name that is no such report.
std::unique_ptr<ReportWindow> forScreen(const QString& name, Dataset& dataset, QWidget* parent = nullptr);

// The main window's prints: for every click a new report with its own
// statement over the whole register ("select * from kegiris" and so on),
// read through a streaming reader as the pages are laid out.
std::unique_ptr<ReportWindow> registerPrint(const QString& name, Database& store, QWidget* parent = nullptr);

// The report itself, without a window (for PDF export): any of the fifteen
// names over a dataset. nullptr for an unknown name. A listing's card prints
// the record's first picture, when it has one, in a frame under its notes.
std::unique_ptr<reporting::Report> makeReport(const QString& name, Dataset& dataset);

// The "Resimli" card: the card `name` with every picture of the record, each
// with its caption, on pages after the card's own. nullptr for a name that
// is no card.
std::unique_ptr<reporting::Report> makePicturedCard(const QString& name, Dataset& dataset);
std::unique_ptr<ReportWindow> picturedCardForScreen(const QString& name, Dataset& dataset, QWidget* parent = nullptr);

// What the preview of a list writes with "Excel'e Aktar" and "CSV olarak
// kaydet": the result list `name` over the screen's dataset, or the
// whole-register print `name` over its own statement, read afresh for each
// export. Nothing for a card or an unknown name.
std::optional<spreadsheet::Source> listSheet(const QString& name, Dataset& dataset);
std::optional<spreadsheet::Source> registerSheet(const QString& name, Database& store);

// Makes "Yazdır" preview the report `name` over the screen's dataset: a new
// report on every press, as the dataset stands then. Nothing when button is null.
void installPrintButton(LabelButton* button, const QString& name, Dataset& dataset, QWidget* parent);

QStringList cardNames();
QStringList listReportNames();    // the six result lists
QStringList registerPrintNames(); // the three whole-register prints

} // namespace reports
