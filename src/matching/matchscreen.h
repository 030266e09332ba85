#pragma once

#include "kit/screen.h"
#include "matching/matchrules.h"

#include <array>

class DbGrid;
class MatchAssistant;
class LabelButton;
class QListWidget;
class Query;
class Screens;

namespace Matching {
struct BulkOutcome;
}

// "Karşılaştırma": the current request of the request list matched against
// the listing registers. Its request grid is a second grid over the request
// list's own query, so both screens have one current request. The clerk picks
// a criterion and presses "Bul": the request's kind and wish decide which
// register is searched (Matching::registersFor) and that register's grid,
// one of five lying in one place, shows what it found; a double-click opens
// the listing in its entry screen. "Yazdır" runs the bulk comparison over
// every request of the list and shows the comparison list; "Aranacaklar"
// runs it into the call sheet ("Aranacak Müşteriler").
class MatchScreen : public Screen {
    Q_OBJECT
public:
    explicit MatchScreen(Screens& screens);

    static const QString& programName();
    static const QString& criteriaHint();

    Query* requests() const { return m_requests; }
    DbGrid* requestGrid() const { return m_requestGrid; }
    QListWidget* criteriaBox() const { return m_criteria; }
    LabelButton* findAction() const { return m_find; }
    LabelButton* compareAllAction() const { return m_compareAll; }
    LabelButton* callSheetAction() const { return m_callSheet; }
    Query* results(Matching::Register id) const { return m_results[size_t(id)]; }
    DbGrid* resultGrid(Matching::Register id) const { return m_grids[size_t(id)]; }
    // The result grid on show; nullptr while all five are hidden.
    DbGrid* visibleResultGrid() const;

    // Near misses and listings the search can never find, told beside the result.
    MatchAssistant* assistant() const { return m_assistant; }

    // The selected criterion, -1 when none is.
    int selectedCriterion() const;
    void selectCriterion(int criterion);

    // "Bul": the current request matched under the selected criterion.
    void match();
    // "Yazdır": every request of the request list, into the comparison list.
    void compareAll();
    // "Aranacaklar": every request of the request list, into the call sheet,
    // which is remembered and previewed.
    void makeCallSheet();

private:
    void criterionChosen();
    void showOnly(Matching::Register id);
    void rerun(Matching::Register id, const Statement& statement);
    void settle(const Matching::BulkOutcome& outcome);

    Screens& m_screens;
    Query* m_requests = nullptr;
    DbGrid* m_requestGrid = nullptr;
    QListWidget* m_criteria = nullptr;
    LabelButton* m_find = nullptr;
    LabelButton* m_compareAll = nullptr;
    LabelButton* m_callSheet = nullptr;
    std::array<Query*, Matching::RegisterCount> m_results{};
    std::array<DbGrid*, Matching::RegisterCount> m_grids{};
    MatchAssistant* m_assistant = nullptr;
};
