#pragma once

#include <QString>

class QWidget;

// Asks the user to confirm (OK / Cancel), behind an interface so tests can
// answer instead of a modal dialog.
class Confirmer {
public:
    enum class SaveChoice { Save, Discard, Stay };

    virtual ~Confirmer() = default;
    virtual bool confirm(QWidget* parent, const QString& question) = 0;
    // Asks whether a pending change is to be kept: "Evet" saves it, "Hayır"
    // throws it away, "Vazgeç" (and Escape) stays where the user was. A
    // stand-in that only confirms answers Save for OK and Stay for Cancel.
    virtual SaveChoice askToSave(QWidget* parent, const QString& question);
};

Confirmer& confirmer();
// Puts a replacement in place (not owned); nullptr restores the dialog.
void setConfirmer(Confirmer* replacement);
