#pragma once

#include <functional>
#include <memory>

class LabelButton;
class ReportWindow;

// "Yazdır": every press makes a new report window, bound to the screen's
// dataset as it is at that moment, and opens its preview; the action ends
// when the preview is closed. Earlier report windows are never reused.
namespace PrintButton {

using ReportFactory = std::function<std::unique_ptr<ReportWindow>()>;

void install(LabelButton* button, ReportFactory makeReport);
// What a press does, for callers without a button (the main window's panel items).
void print(const ReportFactory& makeReport);

} // namespace PrintButton
