#pragma once

#include <QString>

class QWidget;

// Asks the user to confirm (OK / Cancel), behind an interface so tests can
// answer instead of a modal dialog.
class Confirmer {
public:
    virtual ~Confirmer() = default;
    virtual bool confirm(QWidget* parent, const QString& question) = 0;
};

Confirmer& confirmer();
// Puts a replacement in place (not owned); nullptr restores the dialog.
void setConfirmer(Confirmer* replacement);
