#include "reports/reports.h"

#include "kit/behaviours/printbutton.h"

#include "data/catalogue.h"
#include "data/listingpictures.h"

#include "platform/engine/database.h"
#include "platform/engine/dataset.h"
#include "platform/reporting/report.h"
#include "platform/reporting/reportpreview.h"
#include "platform/system/clock.h"
#include "reports/reportrows.h"
#include "reports/reportplans.h"

namespace reports {

using reporting::ReportLayout;

namespace {

QStringList fieldsOf(const ListPlan& plan)
{
    QStringList fields;
    for (const ListColumn& column : plan.columns)
        fields << column.field;
    return fields;
}

// A list's columns as a spreadsheet's: its captions as titles, amounts and
// floor areas as numbers. Land keeps its area as text; the sheet has the
// number the text reads as, as the matching reads it.
spreadsheet::Sheet sheetOf(const ListPlan& plan, const TableSchema& table)
{
    spreadsheet::Sheet sheet{plan.title, {}};
    for (const ListColumn& column : plan.columns) {
        const FieldSchema* field = table.field(column.field);
        spreadsheet::Kind kind = spreadsheet::Kind::Text;
        if (field && field->type == FieldType::Currency)
            kind = spreadsheet::Kind::Amount;
        else if ((field && field->type == FieldType::Float) || column.field == QLatin1String("Metre2"))
            kind = spreadsheet::Kind::Number;
        sheet.columns.append({column.caption, kind});
    }
    return sheet;
}

} // namespace

std::optional<spreadsheet::Source> listSheet(const QString& name, Dataset& dataset)
{
    const ListPlan* plan = listPlan(name);
    if (!plan || plan->wholeRegister || !dataset.hasSchema())
        return std::nullopt;
    return spreadsheet::Source{sheetOf(*plan, dataset.schema()),
                               [&dataset, fields = fieldsOf(*plan)]() -> std::unique_ptr<spreadsheet::Rows> {
                                   auto rows = std::make_unique<DatasetRows>(dataset);
                                   rows->bind(fields);
                                   return rows;
                               }};
}

std::optional<spreadsheet::Source> registerSheet(const QString& name, Database& store)
{
    const ListPlan* plan = listPlan(name);
    if (!plan || !plan->wholeRegister)
        return std::nullopt;
    return spreadsheet::Source{sheetOf(*plan, store.table(plan->table)),
                               [&store, table = plan->table, fields = fieldsOf(*plan)]()
                                   -> std::unique_ptr<spreadsheet::Rows> {
                                   auto rows = std::make_unique<StatementRows>(store, Statement(table));
                                   rows->bind(fields);
                                   return rows;
                               }};
}

namespace {

// The current listing's pictures as its card prints them: the first, or all.
QVector<CardPicture> cardPictures(Dataset& dataset, bool everyPicture)
{
    QVector<CardPicture> pictures;
    if (!dataset.hasSchema() || dataset.isEmpty() || dataset.state() == DatasetState::Insert
        || !Catalogue::Pictures::registers().contains(dataset.schema().name))
        return pictures;
    const qint64 key = dataset.integer(QStringLiteral("No"));
    if (everyPicture) {
        for (const PictureStore::Stored& stored : PictureStore::pictures(dataset.database(), dataset.schema().name, key))
            pictures.append({QImage::fromData(stored.bytes, "JPEG"), stored.caption});
        return pictures;
    }
    // Only the first is printed: the others are not read at all.
    const QVector<PictureStore::Stored> listed = PictureStore::thumbnails(dataset.database(), dataset.schema().name, key);
    if (!listed.isEmpty())
        pictures.append({QImage::fromData(PictureStore::picture(dataset.database(), listed.first().id), "JPEG"),
                         listed.first().caption});
    return pictures;
}

std::unique_ptr<reporting::Report> makeCard(const CardPlan& card, Dataset& dataset, bool everyPicture)
{
    ReportLayout layout = cardLayout(card);
    addPictures(layout, card, cardPictures(dataset, everyPicture), everyPicture);
    if (everyPicture)
        layout.name += QStringLiteral(" (Resimli)");
    return std::make_unique<reporting::Report>(std::move(layout), std::make_unique<CurrentRecord>(dataset),
                                               systemClock().now());
}

} // namespace

std::unique_ptr<reporting::Report> makePicturedCard(const QString& name, Dataset& dataset)
{
    const CardPlan* card = cardPlan(name);
    return card ? makeCard(*card, dataset, true) : nullptr;
}

std::unique_ptr<ReportWindow> picturedCardForScreen(const QString& name, Dataset& dataset, QWidget* parent)
{
    std::unique_ptr<reporting::Report> report = makePicturedCard(name, dataset);
    if (!report)
        return nullptr;
    return std::make_unique<reporting::PreviewWindow>(std::move(report), parent);
}

std::unique_ptr<reporting::Report> makeReport(const QString& name, Dataset& dataset)
{
    const QDateTime now = systemClock().now();
    if (const CardPlan* card = cardPlan(name))
        return makeCard(*card, dataset, false);
    if (const ListPlan* list = listPlan(name))
        return std::make_unique<reporting::Report>(listLayout(*list), std::make_unique<DatasetRows>(dataset), now);
    return nullptr;
}

std::unique_ptr<ReportWindow> forScreen(const QString& name, Dataset& dataset, QWidget* parent)
{
    std::unique_ptr<reporting::Report> report = makeReport(name, dataset);
    if (!report)
        return nullptr;
    return std::make_unique<reporting::PreviewWindow>(std::move(report), parent, listSheet(name, dataset));
}

std::unique_ptr<ReportWindow> registerPrint(const QString& name, Database& store, QWidget* parent)
{
    const ListPlan* plan = listPlan(name);
    if (!plan || !plan->wholeRegister)
        return nullptr;
    // Its own statement over the whole register ("select * from kegiris"),
    // read as the pages are laid out.
    auto rows = std::make_unique<StatementRows>(store, Statement(plan->table));
    auto report = std::make_unique<reporting::Report>(listLayout(*plan), std::move(rows), systemClock().now());
    return std::make_unique<reporting::PreviewWindow>(std::move(report), parent, registerSheet(name, store));
}

QStringList cardNames()
{
    QStringList names;
    for (const CardPlan& plan : cardPlans())
        names << plan.name;
    return names;
}

QStringList listReportNames()
{
    QStringList names;
    for (const ListPlan& plan : listPlans())
        if (!plan.wholeRegister)
            names << plan.name;
    return names;
}

QStringList registerPrintNames()
{
    QStringList names;
    for (const ListPlan& plan : listPlans())
        if (plan.wholeRegister)
            names << plan.name;
    return names;
}

void installPrintButton(LabelButton* button, const QString& name, Dataset& dataset, QWidget* parent)
{
    if (!button)
        return;
    PrintButton::install(button, [name, &dataset, parent] { return forScreen(name, dataset, parent); });
}

} // namespace reports
