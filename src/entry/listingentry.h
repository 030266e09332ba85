#pragma once

#include "kit/formentry.h"

#include <QList>
#include <QString>
#include <QStringList>

class DbLookupComboBox;

// What the four listing entry screens (flats and other properties, for rent and for
// sale) do differently. Everything else is the one design of ListingEntry. Whether the
// district is required is not here: the register's catalogue entry says so, and the
// cursor refuses the post.
struct ListingTwin {
    // Where the lift ("Asansör") sits: third in the left column on the flat screens,
    // between "Banyo" and "Kayıt Tarihi" in the middle column on the property screens.
    enum class Lift { LeftColumn, MiddleColumn };

    QString programName;   // object name, e.g. "RentalFlatEntry"
    QString caption;       // window title
    QString table;         // the register, as the screen names it
    QString row9Field;     // "Depozito" (rent) or "Döviz" (sale)
    QString row9Caption;
    QString priceCaption;  // row 10, field Fiyati: "Kirası" or "Fiyat"
    WriteThrough writeThrough; // RegisterAndLookups: the districts too
    bool refreshOnActivate;
    bool turkishHints;     // navigator tooltips in Turkish, else the toolkit's own
    Lift lift;
    bool kindLookup;       // the property kind ("Emlak") from emlaktanimlama
    QString listScreen;    // shown by "Liste"
    QString card;          // previewed by "Yazdır" (wired by the reports)

    // Durum's drop-down: the register's own list in the catalogue.
    const QStringList& statusItems() const;
    // The screen this twin makes.
    FormPlan plan() const;
};

// One listing register edited record by record through a table cursor: three
// columns of fields (the right one, the owner's details, under a stop-sign panel
// until "Emlak Sahibini Göster"), address and notes across the width, the record
// navigator across the top and "Liste", "Yazdır", "Çıkış" at the bottom.
class ListingEntry : public FormEntry {
    Q_OBJECT
public:
    ListingEntry(Screens& screens, const ListingTwin& twin);

    // The four twins, in start-up order.
    static const QList<ListingTwin>& twins();
    static const ListingTwin* twin(const QString& programName);

    const ListingTwin& twin() const { return m_twin; }
    Table* districts() const { return lookupCursor(QStringLiteral("semtler")); }
    Table* kinds() const { return lookupCursor(QStringLiteral("emlaktanimlama")); } // nullptr on the flat screens
    DbLookupComboBox* districtLookup() const;
    DbLookupComboBox* kindLookup() const;

private:
    const ListingTwin m_twin;
};

// Registers the four listing entry screens with the program's screen registry.
ScreenMakers listingEntryScreens();
