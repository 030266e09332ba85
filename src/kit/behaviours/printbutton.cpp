#include "kit/behaviours/printbutton.h"

#include "kit/behaviours/pressbutton.h"
#include "platform/reporting/reportwindow.h"

namespace PrintButton {

void print(const ReportFactory& makeReport)
{
    if (std::unique_ptr<ReportWindow> report = makeReport())
        report->preview();
}

void install(LabelButton* button, ReportFactory makeReport)
{
    QObject::connect(button, &PressButton::activated, button, [makeReport] { print(makeReport); });
}

} // namespace PrintButton
