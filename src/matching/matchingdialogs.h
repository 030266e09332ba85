#pragma once

#include <QString>

class QPrinter;
class QWidget;

// The dialogs of the matching, behind one interface so that tests answer
// them instead of a clerk: where to save the comparison list, which printer
// to print it on, how far a long bulk comparison has come, and a notice.
class MatchingDialogs {
public:
    virtual ~MatchingDialogs() = default;

    // The file to save the list in, offering `suggested` (a full path) and
    // the filter "Metin Belgesi" (*.rtf); empty when the clerk cancels.
    virtual QString saveFileName(QWidget* parent, const QString& suggested) = 0;
    // Sets the printer up for the machine's current printer, to print on at
    // once: the default printer, or the only one where none is the default.
    // False when there is no such printer (then choosePrinter() asks).
    virtual bool useCurrentPrinter(QPrinter& printer) = 0;
    // Lets the clerk choose a printer, or a PDF file when the machine has no
    // printer; false when the clerk cancels.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
    // Told after each request of a bulk comparison how far it has come
    // (requests done of all, milliseconds since it began); shows it to the
    // clerk once the run has taken half a second. False once the clerk
    // cancels.
    virtual bool progress(QWidget* parent, int done, int total, qint64 elapsedMs) = 0;
    // Takes the progress away when the run ends.
    virtual void endProgress() = 0;
    // Tells the clerk something that is not a failure.
    virtual void inform(QWidget* parent, const QString& message) = 0;
};

MatchingDialogs& matchingDialogs();
// Puts a replacement in place (not owned); nullptr restores the dialogs.
void setMatchingDialogs(MatchingDialogs* replacement);
