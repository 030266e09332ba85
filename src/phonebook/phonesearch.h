#pragma once

#include "kit/screen.h"

#include <QList>
#include <QString>
#include <QStringList>

class ClickLabel;
class DbGrid;
class QComboBox;
class QLineEdit;
class Query;
class Screens;
class Statement;

// What the two phone-book searches do differently: only their grids.
struct PhoneSearchTwin {
    enum class Selection { Cells, WholeRows };

    QString programName; // "PhoneSearch", "PhoneEdit"
    QString caption;
    Selection selection;  // a cell with its row marked, or the whole row
};

// Contacts found by first name, surname or province: a field choice, a match
// choice ("Eşleşir", "İle Başlar", "İle Biter", "İçerir"), the text, a search
// picture and a show-all picture, and a grid of the result whose double-click
// opens the contact on PhoneEntry.
//
// The search compares as a Turkish reader does (I with ı, İ with i, no regard
// to case or to the letters' marks) and binds the typed text, so a quote in a
// name finds that name. With no field or no match chosen, the search leaves
// the statement and the result as they were.
class PhoneSearch : public Screen {
    Q_OBJECT
public:
    PhoneSearch(Screens& screens, const PhoneSearchTwin& twin);

    static const QList<PhoneSearchTwin>& twins();
    static const QStringList& fieldItems(); // "Ad", "Soyad", "İl"
    static const QStringList& matchItems(); // "Eşleşir", "İle Başlar", "İle Biter", "İçerir"

    // The statement of one search; field and match are positions in the
    // lists above.
    static Statement statementFor(int field, int match, const QString& typed);
    static Statement wholeBook();

    const PhoneSearchTwin& twin() const { return m_twin; }
    Query* query() const { return m_query; }
    DbGrid* grid() const { return m_grid; }
    QComboBox* fieldChoice() const { return m_field; }
    QComboBox* matchChoice() const { return m_match; }
    QLineEdit* searchText() const { return m_text; }
    ClickLabel* searchButton() const { return m_search; }
    ClickLabel* showAllButton() const { return m_showAll; }

    // What the two pictures do.
    void search();
    void showAll();

private:
    void run(const Statement& statement);

    const PhoneSearchTwin m_twin;
    Query* m_query = nullptr;
    DbGrid* m_grid = nullptr;
    QComboBox* m_field = nullptr;
    QComboBox* m_match = nullptr;
    QLineEdit* m_text = nullptr;
    ClickLabel* m_search = nullptr;
    ClickLabel* m_showAll = nullptr;
};
