#pragma once

#include "kit/formentry.h"

#include <QList>
#include <QString>

class DbLookupComboBox;

// What the two closed-deal entry screens (flats rented out, flats sold) do
// differently. A deal is a record of its own, typed in by hand or filled from
// a listing of the register it closes (DealFromListing), which the clerk may
// then mark as closed.
struct DealTwin {
    QString programName;   // object name, e.g. "RentedFlatEntry"
    QString caption;       // window title
    QString table;         // the register, as the screen names it
    QString priceCaption;  // row 4, field Fiyati: "Kirası" or "Fiyatı"
    QString listScreen;    // shown by "Liste"
    bool rereadBeforeList; // "Liste" re-reads the register first
    ListOnExit listOnExit; // "Çıkış" closes the list as well
    WriteThrough writeThrough;
    bool turkishHints;     // navigator tooltips in Turkish, else the toolkit's own
    QString listings;      // the listing register a deal can be filled from
    QString closedStatus;  // what that listing becomes once the deal is posted

    FormPlan plan() const;
};

// A closed deal edited record by record: tenant (buyer), district, rent
// (price), owner, date and address in two columns, the navigator across the
// top, "Liste" and "Çıkış" at the bottom.
class DealEntry : public FormEntry {
    Q_OBJECT
public:
    DealEntry(Screens& screens, const DealTwin& twin);

    // The two twins, in start-up order.
    static const QList<DealTwin>& twins();

    const DealTwin& twin() const { return m_twin; }
    DbLookupComboBox* districtLookup() const;

private:
    const DealTwin m_twin;
};
