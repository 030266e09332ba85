#pragma once

// Stand-ins for the system services, so that no test ever waits on a modal
// dialog, the real clock or the speaker, and the way to put one in place.
// (Window helpers are in testsupport.h.)

#include "platform/spreadsheet/sheetdialogs.h"
#include "platform/system/beeper.h"
#include "platform/system/clock.h"
#include "platform/system/confirmer.h"
#include "platform/system/errorreporter.h"
#include "platform/system/shutdownrequest.h"

#include <QDateTime>
#include <QStringList>
#include <optional>
#include <utility>

class QWidget;

// Collects the messages a dialog would have shown.
struct CollectingReporter : ErrorReporter {
    QStringList shown;
    void report(QWidget*, const QString& message) override { shown << message; }
};

// Answers every question with `answer`, noting each question asked; the
// save question ("Kaydedilsin mi?") with `saveChoice` once one is set.
struct AnsweringConfirmer : Confirmer {
    explicit AnsweringConfirmer(bool answer = false) : answer(answer) {}
    bool answer;
    std::optional<SaveChoice> saveChoice;
    QStringList questions;
    bool confirm(QWidget*, const QString& question) override
    {
        questions << question;
        return answer;
    }
    SaveChoice askToSave(QWidget* parent, const QString& question) override
    {
        if (!saveChoice)
            return Confirmer::askToSave(parent, question);
        questions << question;
        return *saveChoice;
    }
};

// Always the same moment.
struct FixedClock : Clock {
    explicit FixedClock(const QDateTime& at) : at(at) {}
    QDateTime at;
    QDateTime now() const override { return at; }
};

// Counts the beeps instead of sounding them.
struct CountingBeeper : Beeper {
    int count = 0;
    void beep() override { ++count; }
};

// Stands in for the system's shut-down: counts the requests, and answers as
// told (true: the system took the request).
struct CountingShutdown : ShutdownRequest {
    int requests = 0;
    bool accepted = true;
    bool request() override
    {
        ++requests;
        return accepted;
    }
};

// Answers the export's save dialog with `saveAs` (empty: the clerk cancels),
// noting what it offered, and collects what the clerk is told on success.
struct AnsweringSheetDialogs : spreadsheet::SheetDialogs {
    QString saveAs;
    QString offered;
    QList<spreadsheet::Format> asked;
    QStringList told;
    QString chooseFile(QWidget*, spreadsheet::Format format, const QString& suggestedName) override
    {
        asked << format;
        offered = suggestedName;
        return saveAs;
    }
    void saved(QWidget*, const QString& message) override { told << message; }
};

// Puts a service in place; nullptr restores the real one (for the shut-down,
// the one that refuses: tests never reach the real request).
void putInPlace(ErrorReporter* fake);
void putInPlace(Confirmer* fake);
void putInPlace(Clock* fake);
void putInPlace(Beeper* fake);
void putInPlace(ShutdownRequest* fake);
void putInPlace(spreadsheet::SheetDialogs* fake);

// A fake that is the program's service for as long as it lives; the real
// service is back once it is gone. As a test class's member, for the whole
// test; as a local, for one case.
template <class Fake> struct Installed : Fake {
    template <class... Args> explicit Installed(Args&&... args) : Fake(std::forward<Args>(args)...)
    {
        putInPlace(static_cast<Fake*>(this));
    }
    ~Installed() { putInPlace(static_cast<Fake*>(nullptr)); }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
};
