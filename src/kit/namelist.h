#pragma once

#include "kit/screen.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

class Dataset;
class DbGrid;
class LabelButton;
class QLineEdit;
class QPushButton;
class Query;
class Screens;
class Statement;
class Table;

// Everything one name list does differently: its window, the register and the
// name searched, the grid's columns, where its controls stand, and the entry
// screen a double-click opens. An empty rectangle leaves its piece out.
struct NameListPlan {
    ScreenSetup window;
    QString table;            // the register, as statements name it
    QString nameField;        // searched by the start of the name
    QStringList gridFields;   // the grid's columns, titled with the field names
    QString entryScreen;      // shown by a double-click on the grid
    QString keyField;         // located there by the row's value of it; empty: only shown
    QRect gridRect;
    QRect searchRect;         // the name edit
    QRect showAllRect;        // "Tümü"
    QRect findFrame, exitFrame; // "Bul" and "Çıkış"
    QString searchCaption = {}; // a caption before the name edit; none when empty
    QRect searchCaptionRect = {}; // empty: the caption only names the edit, unseen
    QList<int> columnWidths = {}; // widths of the leading columns; the last one stretches
    bool refreshOnActivate = false; // re-read the result each time the screen is entered
    // The grid shows the entry screen's own cursor (made before this screen)
    // rather than a query of this screen's: moving in either moves both, and
    // cells edit the record in place. "Bul" and "Tümü" then narrow that cursor
    // and show all of it again, for as long as this screen is open.
    bool gridOverEntryCursor = false;
    // Every change of the name edit moves to the first record whose whole name
    // is the typed text, letter case folded the Turkish way; with no such
    // record nothing moves.
    bool lookUpWhileTyping = false;
};

// A register listed by name: "Bul" narrows the grid to the names that begin
// with the typed text (Turkish letters, no regard to case; the text is bound,
// so a quote is just a character), "Tümü" lists the whole register again, and
// a double-click opens the record on the entry screen. The result stays as it
// was until the next search.
class NameList : public Screen {
    Q_OBJECT
public:
    NameList(Screens& screens, const NameListPlan& plan);

    const NameListPlan& plan() const { return m_plan; }
    // The screen's own result; nullptr when the grid shows the entry screen's cursor.
    Query* query() const { return m_query; }
    // What the grid shows: the query, or the entry screen's cursor.
    Dataset* rows() const { return m_rows; }
    QLineEdit* searchEdit() const { return m_search; }
    DbGrid* grid() const { return m_grid; }
    LabelButton* findButton() const { return m_find; }
    QPushButton* showAllButton() const { return m_showAll; }
    LabelButton* exitButton() const { return m_exit; }

    // Every record whose name begins with `typed`; '%' and '_' keep their
    // wildcard meaning. A record with an empty name is never found this way.
    static Statement nameSearch(const NameListPlan& plan, const QString& typed);
    static Statement wholeRegister(const NameListPlan& plan);

    // What "Bul" and "Tümü" do.
    void find();
    void showAll();
    // What a change of the name edit does where the plan looks names up.
    void lookUp(const QString& typed);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void run(const Statement& statement);

    const NameListPlan m_plan;
    Query* m_query = nullptr;
    QPointer<Table> m_cursor; // the entry screen's, where the grid shows it
    Dataset* m_rows = nullptr;
    QLineEdit* m_search = nullptr;
    DbGrid* m_grid = nullptr;
    LabelButton* m_find = nullptr;
    QPushButton* m_showAll = nullptr;
    LabelButton* m_exit = nullptr;
};
