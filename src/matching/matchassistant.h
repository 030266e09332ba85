#pragma once

#include "matching/matchrules.h"

#include <QObject>
#include <QRect>

class FindingsWindow;
class LabelButton;
class MatchScreen;
class QLabel;
class Screens;

// What MatchScreen tells beside its exact result, after each "Bul": how many
// listings miss the request by a small margin only ("Yakın Sonuçlar" lists
// them, closest first, with a mark per criterion), and how many listings the
// criterion can never find because the field it compares is empty (a link
// lists them). Each list's rows open their records.
class MatchAssistant final : public QObject {
    Q_OBJECT
public:
    // The action "Yakın Sonuçlar" sits in actionFrame of the footer.
    MatchAssistant(MatchScreen* screen, Screens& screens, const QRect& actionFrame);

    QLabel* notice() const { return m_notice; }
    LabelButton* nearMissAction() const { return m_nearAction; }
    FindingsWindow* nearMissWindow() const { return m_nearWindow; }
    FindingsWindow* missingWindow() const { return m_missingWindow; }

    // After "Bul": the notice for the current request and criterion.
    void matched();
    // After a criterion is chosen: nothing told until "Bul".
    void clear();

    void showNearMisses();
    void showMissing();

private:
    std::optional<Matching::Request> currentRequest() const;
    void fillNearMisses();
    void fillMissing();
    FindingsWindow* makeWindow(const QString& name, const QString& caption);
    void present(FindingsWindow* window, void (MatchAssistant::*fill)());

    MatchScreen* m_screen;
    Screens& m_screens;
    QLabel* m_notice = nullptr;
    LabelButton* m_nearAction = nullptr;
    FindingsWindow* m_nearWindow = nullptr;
    FindingsWindow* m_missingWindow = nullptr;
};
