#pragma once

#include "kit/formentry.h"
#include "kit/namelist.h"

#include <QList>
#include <QString>

class DbEdit;
class DbMemo;

// The fixed definitions (districts, property kinds) are kept by two twin
// pairs of screens: an entry screen for record-by-record upkeep and a name
// list finding a definition by the start of its name. One row per pair holds
// everything that differs; the field sizes come from the catalogue.
struct DefinitionTwin {
    QString entryName;        // program name of the entry screen
    QString entryCaption;
    QString entryArt;         // background picture resource
    QString listName;         // program name of the list screen
    QString listCaption;
    QString listArt;
    QString tableFile;        // the table as the screens open it ("semtler.db")
    QString table;            // the table as statements name it
    QString nameField;        // the definition's name, copied into the registers
    QString nameCaption;      // its caption on the entry screen
    QString descriptionField;
    QString searchCaption;    // caption of the list screen's search edit

    FormPlan entryPlan() const;
    NameListPlan listPlan() const;
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

// The four definition screens.
ScreenMakers definitionScreens();
