#pragma once

#include "app/behaviours/screen.h"
#include "app/screens.h"

#include <QList>
#include <QString>
#include <QStringList>

class DbEdit;
class DbLookupComboBox;
class DbNavigator;
class LabelButton;
class QLabel;
class Table;

// What the four listing entry screens (flats and other properties, for rent and for
// sale) do differently. Everything else is the one design of ListingEntry. Whether the
// district is required is not here: the register's catalogue entry says so, and the
// cursor refuses the post.
struct ListingTwin {
    // Where the lift ("Asansör") sits: third in the left column on the flat screens,
    // between "Banyo" and "Kayıt Tarihi" in the middle column on the property screens.
    enum class Lift { LeftColumn, MiddleColumn };
    // Which cursors write through to the store file after every post.
    enum class SaveAfterPost { None, Register, RegisterAndDistricts };

    QString programName;   // object name, e.g. "RentalFlatEntry"
    QString caption;       // window title
    QString table;         // the register, as the screen names it
    QString row9Field;     // "Depozito" (rent) or "Döviz" (sale)
    QString row9Caption;
    QString priceCaption;  // row 10, field Fiyati: "Kirası" or "Fiyat"
    const QStringList* statusItems; // Durum's drop-down, one of the catalogue's lists
    SaveAfterPost saveAfterPost;
    bool refreshOnActivate;
    bool turkishHints;     // navigator tooltips in Turkish, else the toolkit's own
    Lift lift;
    bool kindLookup;       // the property kind ("Emlak") from emlaktanimlama
    QString listScreen;    // shown by "Liste"
    QString card;          // previewed by "Yazdır" (wired by the reports)
};

// One listing register edited record by record through a table cursor: three
// columns of fields (the right one, the owner's details, under a stop-sign panel
// until "Emlak Sahibini Göster"), address and notes across the width, the record
// navigator across the top and "Liste", "Yazdır", "Çıkış" at the bottom.
class ListingEntry : public Screen, public CursorOwner {
    Q_OBJECT
public:
    ListingEntry(Screens& screens, const ListingTwin& twin);

    // The four twins, in start-up order.
    static const QList<ListingTwin>& twins();
    static const ListingTwin* twin(const QString& programName);
    // The navigator's tooltips where the screen keeps the toolkit's own.

    const ListingTwin& twin() const { return m_twin; }
    Table* cursor() const override { return m_table; }
    Table* districts() const { return m_districts; }
    Table* kinds() const { return m_kinds; } // nullptr on the flat screens

    // The data controls in tab order (rows 1-26), their captions ("" for the M²
    // picture) and fields.
    const QList<QWidget*>& dataControls() const { return m_controls; }
    const QStringList& captions() const { return m_captions; }
    const QStringList& fields() const { return m_fields; }
    QWidget* control(const QString& field) const;
    DbLookupComboBox* districtLookup() const { return m_districtLookup; }
    DbLookupComboBox* kindLookup() const { return m_kindLookup; }
    DbEdit* registrationDate() const { return m_registrationDate; }

    DbNavigator* navigator() const { return m_navigator; }
    QLabel* ownerPanel() const { return m_ownerPanel; }
    LabelButton* ownerToggle() const { return m_ownerToggle; }
    LabelButton* listAction() const { return m_list; }
    LabelButton* printAction() const { return m_print; }
    LabelButton* exitAction() const { return m_exit; }

private:
    void buildFields();
    void buildOwnerPanel();
    void buildActions();
    void LabelListeRelease();

    Screens& m_screens;
    const ListingTwin m_twin;
    Table* m_table = nullptr;
    Table* m_districts = nullptr;
    Table* m_kinds = nullptr;

    QList<QWidget*> m_controls;
    QStringList m_captions;
    QStringList m_fields;
    DbLookupComboBox* m_districtLookup = nullptr;
    DbLookupComboBox* m_kindLookup = nullptr;
    DbEdit* m_registrationDate = nullptr;
    DbNavigator* m_navigator = nullptr;
    QLabel* m_ownerPanel = nullptr;
    LabelButton* m_ownerToggle = nullptr;
    LabelButton* m_list = nullptr;
    LabelButton* m_print = nullptr;
    LabelButton* m_exit = nullptr;
};

// Registers the four listing entry screens with the program's screen registry.
void registerListingEntryScreens();
