#pragma once

#include "kit/screen.h"

#include <QStringList>

class LabelButton;
class ListTextEdit;
class QLabel;

// "Karşılaştırma Listesi": the comparison list that the bulk comparison
// writes, in a box the clerk may edit freely, with its line count beside it.
// "Yazdır" prints the box's lines as they stand, one font height apart, on
// the current printer at once; where the machine has none, on the printer
// (or PDF file) the clerk picks;
// "Kaydet" saves them as a Rich Text Format document. Closing only hides the
// screen; the list stays until the next bulk comparison.
class MatchListScreen : public Screen {
    Q_OBJECT
public:
    explicit MatchListScreen(QWidget* parent = nullptr);

    static const QString& programName();
    // The name the save dialog offers, in the clerk's documents folder.
    static const QString& suggestedFileName();

    ListTextEdit* box() const { return m_box; }
    QLabel* lineCounter() const { return m_counter; }
    LabelButton* printAction() const { return m_print; }
    LabelButton* saveAction() const { return m_save; }
    LabelButton* exitAction() const { return m_exit; }

    void setList(QStringList lines);
    void clearList();

    void print(); // "Yazdır"
    void save();  // "Kaydet"

private:
    ListTextEdit* m_box = nullptr;
    QLabel* m_counter = nullptr;
    LabelButton* m_print = nullptr;
    LabelButton* m_save = nullptr;
    LabelButton* m_exit = nullptr;
};
