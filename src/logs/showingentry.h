#pragma once

#include "kit/formentry.h"

#include <QList>
#include <QString>

class DbMemo;

// What the two shown-property log screens (rental and for-sale showings) do
// differently.
struct ShowingTwin {
    QString programName;    // object name, e.g. "ShownRentalEntry"
    QString caption;        // window title, also drawn on the background
    QString table;          // the log, as the screen names it
    QString listScreen;     // shown by "Liste"
    bool rereadBeforeList;  // "Liste" re-reads the log first
    ListOnExit listOnExit;  // "Çıkış" closes the list as well
    bool refreshOnActivate; // re-read (posting a pending change) on every return
    bool turkishHints;      // navigator tooltips in Turkish, else the toolkit's own

    FormPlan plan() const;
};

// One customer visit per record: the customer's name, the date, three phones
// and the address in the upper box with "Liste" and "Çıkış" beside them, and
// the places shown, one line each, in the lower box "Gösterilen Yerler".
class ShowingEntry : public FormEntry {
    Q_OBJECT
public:
    ShowingEntry(Screens& screens, const ShowingTwin& twin);

    // The two twins, in start-up order.
    static const QList<ShowingTwin>& twins();
    static constexpr int PlaceCount = 4;

    const ShowingTwin& twin() const { return m_twin; }
    // The place memo 1 to 4 (fields G1-G4).
    DbMemo* place(int number) const;

private:
    const ShowingTwin m_twin;
};
