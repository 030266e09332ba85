#pragma once

#include "kit/screen.h"
#include "platform/controls/datasetmodel.h"
#include "platform/engine/dataset.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

class DbGrid;
class LabelButton;
class LookupComboBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class Query;
class Screens;
class Statement;
class Table;

// What a search screen differs in at the window level and in its register.
struct SearchSetup {
    QString programName;
    QString caption;
    QSize size;
    bool minimiseIcon = true;
    QString table;         // the register searched
    QString districtField; // the district column of that register
    QStringList statusItems;
    QList<DatasetModel::Column> columns; // the grid's, in order
    QString entryScreen;   // opened on the double-clicked row, by "No"
    QString report;        // the result list "Yazdır" previews
    bool opensAtCreation = true;
    bool districtsSaveAfterPost = false;
};

// The shared shape of the list-and-search screens: a read-only grid over one
// query on a register, criteria below it (bound edits supplied by the screen,
// a district picked from `semtler`, an editable status, a list of seven
// search options) and "Bul", "Tümünü Göster", "Yazdır" in the footer.
//
// "Bul" builds one statement from the chosen option with the typed values
// bound (never pasted into the SQL), closes the query, sets the statement and
// opens it. A statement that cannot be built or opened leaves the query closed
// and shows failureMessage(); the criteria stay as typed.
class SearchScreen : public Screen {
    Q_OBJECT
public:
    Query* query() const { return m_query; }
    Table* districts() const { return m_districts; }
    DbGrid* grid() const { return m_grid; }
    LookupComboBox* districtBox() const { return m_district; }
    QComboBox* statusBox() const { return m_status; }
    QListWidget* optionsBox() const { return m_options; }
    LabelButton* findAction() const { return m_find; }
    LabelButton* showAllAction() const { return m_showAll; }
    LabelButton* printAction() const { return m_print; }
    const SearchSetup& searchSetup() const { return m_search; }

    // The selected search option, -1 when none is selected.
    int selectedOption() const;
    void selectOption(int option); // -1 clears the selection

    // "Bul": the search. Nothing happens without a selected option.
    void find();
    // "Tümünü Göster": the whole register again; the criteria stay.
    void showAll();

    // The status the search filters on as the criteria stand; nothing when
    // it looks through every status (on the listing searches "Tümü", an
    // empty or a mistyped text).
    std::optional<QString> filteredStatus() const;

signals:
    // After a "Bul" whose statement ran, with the option it ran under.
    void searched(int option);

public:

    static const QString& failureMessage();
    static const QString& optionsTooltip();
    static const QString& allStatuses(); // "Tümü"

protected:
    SearchScreen(Screens& screens, const SearchSetup& setup);

    // The screen's own conditions. Each reads only the edits it needs and
    // marks the statement failed (Statement::number) on a bad bound.
    virtual void addPrice(Statement& statement) const = 0;
    virtual void addArea(Statement& statement) const = 0;
    virtual bool statusFilters(const QString& status) const = 0;

    // The shared criteria and the footer actions, made after the screen's own
    // edits; the tab order is grid, the edits in the order given, district,
    // search options, status.
    void buildCriteria(const QList<QWidget*>& edits, const QStringList& options, const QRect& districtRow,
                       const QRect& statusRow, const QRect& optionsRect, int captionWidth,
                       const QList<int>& footerWidths);

    // A caption with an edit to its right, taking at most maxLength characters.
    QLineEdit* boundEdit(const QString& name, const QString& caption, const QRect& row, int captionWidth,
                         int maxLength, bool digitsOnly = true);
    // The amount preview label just under a price edit, right-aligned with it,
    // reaching left to `left`.
    QLabel* previewBeneath(QLineEdit* edit, int left);
    QLabel* heading(const QString& text, const QRect& rect);
    QLabel* squareMetres(const QPoint& at);
    // The frames of the footer's action labels, centred as the background draws them.
    QList<QRect> footerFrames(const QList<int>& widths) const;

    // The body between the title band and the footer: grid above, criteria below.
    static constexpr int Margin = 10;
    static constexpr int CriteriaHeight = 150;
    static constexpr int OptionsWidth = 140;
    static constexpr int OptionsHeight = 120;
    int criteriaTop() const { return footerTop() - CriteriaHeight; }
    int footerTop() const { return height() - 44; }

private:
    Statement statementFor(int option) const;
    Statement wholeRegister() const;
    void reopen(const Statement& statement);
    void fitColumns();

    Screens& m_screens;
    const SearchSetup m_search;
    Query* m_query = nullptr;
    Table* m_districts = nullptr;
    DbGrid* m_grid = nullptr;
    LookupComboBox* m_district = nullptr;
    QComboBox* m_status = nullptr;
    QListWidget* m_options = nullptr;
    LabelButton* m_find = nullptr;
    LabelButton* m_showAll = nullptr;
    LabelButton* m_print = nullptr;
};

