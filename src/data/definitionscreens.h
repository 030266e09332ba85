#pragma once

#include "app/formentry.h"
#include "platform/engine/statement.h"

#include <QList>
#include <QString>

class DbEdit;
class DbGrid;
class DbMemo;
class LabelButton;
class QLineEdit;
class QPushButton;
class Query;

// The fixed definitions (districts, property kinds) are kept by two twin
// pairs of screens: an entry screen for record-by-record upkeep and a list
// screen finding a definition by the start of its name. One row per pair holds
// everything that differs; the field sizes come from the catalogue.
struct DefinitionTwin {
    const char* entryName;     // program name of the entry screen
    const char* entryCaption;
    const char* entryArt;      // background picture resource
    const char* listName;      // program name of the list screen
    const char* listCaption;
    const char* listArt;
    const char* tableFile;     // the table as the screens open it ("semtler.db")
    const char* table;         // the table as statements name it
    const char* nameField;     // the definition's name, copied into the registers
    const char* nameLabel;     // its caption on the entry screen
    const char* descriptionField;
    const char* searchLabel;   // caption of the list screen's search edit

    // Every definition whose name begins with what was typed (the store's LIKE:
    // Turkish letters, no regard to case); '%' and '_' keep their wildcard
    // meaning. A definition with an empty name is never found this way.
    Statement search(const QString& typed) const;
    // The whole table, empty names included.
    Statement showAll() const;
    // The grid's columns: the key and the name, titled with the field names.
    QList<QString> gridFields() const;
};

namespace DefinitionTwins {
const QList<DefinitionTwin>& all();
const DefinitionTwin& district();
const DefinitionTwin& propertyKind();
} // namespace DefinitionTwins

// An entry screen of one definition table: the name, the description, the
// record navigator (no tooltips), "Liste" and "Çıkış". Every post is written
// through to disk at once.
class DefinitionEntry : public FormEntry {
    Q_OBJECT
public:
    DefinitionEntry(Screens& screens, const DefinitionTwin& twin);

    const DefinitionTwin& twin() const { return m_twin; }
    DbEdit* nameEdit() const;
    DbMemo* descriptionMemo() const;

private:
    const DefinitionTwin& m_twin;
};

// A list screen of one definition table: a search by the start of the name,
// "Tümü" for the whole table, and a grid whose double-click opens the record
// on the entry screen. The result stays as it was until the next search.
class DefinitionList : public Screen {
    Q_OBJECT
public:
    DefinitionList(Screens& screens, const DefinitionTwin& twin);

    const DefinitionTwin& twin() const { return m_twin; }
    Query* query() const { return m_query; }
    QLineEdit* searchEdit() const { return m_search; }
    DbGrid* grid() const { return m_grid; }
    LabelButton* findButton() const { return m_find; }
    QPushButton* showAllButton() const { return m_showAll; }
    LabelButton* exitButton() const { return m_exit; }

    // What "Bul" and "Tümü" do.
    void LabelBulRelease();
    void ButtonTumuClick();

private:
    void run(const Statement& statement);

    const DefinitionTwin& m_twin;
    Query* m_query;
    QLineEdit* m_search;
    DbGrid* m_grid;
    LabelButton* m_find;
    QPushButton* m_showAll;
    LabelButton* m_exit;
};

// Registers the four definition screens with the screen registry.
void registerDefinitionScreens();
