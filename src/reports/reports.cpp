#include "reports/reports.h"

#include "kit/behaviours/printbutton.h"

#include "platform/reporting/report.h"
#include "platform/reporting/reportpreview.h"
#include "platform/system/clock.h"
#include "reports/reportrows.h"
#include "reports/reportplans.h"

namespace reports {

std::unique_ptr<reporting::Report> makeReport(const QString& name, Dataset& dataset)
{
    const QDateTime now = systemClock().now();
    if (const CardPlan* card = cardPlan(name))
        return std::make_unique<reporting::Report>(cardLayout(*card), std::make_unique<CurrentRecord>(dataset), now);
    if (const ListPlan* list = listPlan(name))
        return std::make_unique<reporting::Report>(listLayout(*list), std::make_unique<DatasetRows>(dataset), now);
    return nullptr;
}

std::unique_ptr<ReportWindow> forScreen(const QString& name, Dataset& dataset, QWidget* parent)
{
    std::unique_ptr<reporting::Report> report = makeReport(name, dataset);
    if (!report)
        return nullptr;
    return std::make_unique<reporting::PreviewWindow>(std::move(report), parent);
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
    return std::make_unique<reporting::PreviewWindow>(std::move(report), parent);
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
