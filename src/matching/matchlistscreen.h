#pragma once

#include "kit/screen.h"
#include "platform/spreadsheet/sheet.h"

#include <QStringList>

class LabelButton;
class ListTextEdit;
class QLabel;

// "Karşılaştırma Listesi": the comparison list that the bulk comparison
// writes, in a box the clerk may edit freely, with its line count beside it.
// "Yazdır" prints the box's lines as they stand, one font height apart, on
// the current printer at once; where the machine has none, on the printer
// (or PDF file) the clerk picks;
// "Kaydet" saves them as a Rich Text Format document; "Excel'e Aktar" and
// "CSV olarak kaydet" write them as a table for a spreadsheet (see
// ListOutput::sheetRows). Closing only hides the screen; the list stays
// until the next bulk comparison.
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
    LabelButton* xlsxAction() const { return m_xlsx; }
    LabelButton* csvAction() const { return m_csv; }

    void setList(QStringList lines);
    void clearList();

    void print(); // "Yazdır"
    void save();  // "Kaydet"
    void exportXlsx(); // "Excel'e Aktar"
    void exportCsv();  // "CSV olarak kaydet"

private:
    void exportList(spreadsheet::Format format);

    ListTextEdit* m_box = nullptr;
    QLabel* m_counter = nullptr;
    LabelButton* m_print = nullptr;
    LabelButton* m_save = nullptr;
    LabelButton* m_exit = nullptr;
    LabelButton* m_xlsx = nullptr;
    LabelButton* m_csv = nullptr;
};
