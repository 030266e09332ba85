#pragma once

#include "kit/screen.h"
#include "kit/screens.h"

#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class DbEdit;
class DbNavigator;
class LabelButton;
class QLabel;
class Table;

// One data control of a form entry screen. What kind of control it is (edit,
// masked edit, fixed drop-down, lookup, memo, picture), its mask, size, items
// and lookup source all follow from the field's catalogue entry.
struct FormRow {
    QString caption;  // shown beside the control; "M²" shows the M² picture instead
    QString field;
    QRect captionRect; // empty: the caption is not shown, only names the control
    QRect controlRect;
    QString heading = {}; // the group caption above it, part of its accessible name
};

// A column of captioned single-line controls: the caption at x, the control
// beside it, one line every `pitch` pixels from `top`.
struct FormColumn {
    int x;
    int captionWidth;
    int controlWidth;
    int top;
    int pitch;
    int height = 21;

    FormRow row(int line, const QString& caption, const QString& field, const QString& heading = {}) const;
    // A memo reaching to `right`, its caption at this column's caption place.
    FormRow memo(int memoTop, int right, int memoHeight, const QString& caption, const QString& field) const;
};

// Which of a form's cursors write every post through to the store file at once.
enum class WriteThrough { None, Register, RegisterAndLookups };

// What "Çıkış" does with the list screen: leaves it as it is, or closes it
// too, before or after this screen.
enum class ListOnExit { Stays, ClosedBefore, ClosedAfter };

// Everything one form entry screen does differently: its window, register, rows
// in tab order, footer frames and behaviours. An empty rectangle leaves its
// piece out; an empty field name its behaviour.
struct FormPlan {
    ScreenSetup window;
    QString table;             // the register, as the screen names it
    QList<FormRow> rows;       // in tab order (the order Enter moves the focus)
    QRect navigator;
    QStringList navigatorHints; // the buttons' tooltips; none when empty
    QRect listFrame, printFrame, exitFrame;
    QString listScreen;        // shown by "Liste"
    bool rereadBeforeList = false; // "Liste" re-reads the register first
    ListOnExit listOnExit = ListOnExit::Stays;
    bool cornerIcons = false;  // minimise and exit pictures at the top right
    bool cornerPictures = false; // the same two acting on a plain click, no pressed look
    // The stop-sign panel over the owner's details, and "Emlak Sahibini Göster".
    QRect ownerPanel, ownerToggleFrame;
    QString todayField = {};   // stamped with today's date whenever it takes the focus
    QStringList enterStops = {}; // fields where Enter does nothing of the screen's own
    WriteThrough writeThrough = WriteThrough::Register;
    bool refreshOnActivate = false; // re-read (posting a pending change) on every return
};

// A register edited record by record through a table cursor bound directly to
// its controls, laid out from a FormPlan: the record navigator across the top,
// the fields, the owner panel where there is one, and "Liste", "Yazdır",
// "Çıkış" in the footer where the plan has their frames. Each lookup field
// gets a cursor of its own over its lookup table.
class FormEntry : public Screen, public CursorOwner {
    Q_OBJECT
public:
    Table* cursor() const override { return m_table; }
    // The cursor feeding the lookups over `table` ("semtler", "emlaktanimlama").
    Table* lookupCursor(const QString& table) const { return m_lookups.value(table); }

    // The data controls in tab order, with their fields and captions.
    const QList<QWidget*>& dataControls() const { return m_controls; }
    const QStringList& fields() const { return m_fields; }
    const QStringList& captions() const { return m_captions; }
    QWidget* control(const QString& field) const;
    DbEdit* registrationDate() const { return m_registrationDate; } // the plan's todayField

    DbNavigator* navigator() const { return m_navigator; }
    LabelButton* listAction() const { return m_list; }
    LabelButton* printAction() const { return m_print; }
    LabelButton* exitAction() const { return m_exit; }
    QLabel* ownerPanel() const { return m_ownerPanel; }
    LabelButton* ownerToggle() const { return m_ownerToggle; }

protected:
    FormEntry(Screens& screens, const FormPlan& plan);

private:
    void buildRow(const FormRow& row);
    void buildActions(const FormPlan& plan);
    void installBehaviours(const FormPlan& plan);
    Table* lookupSource(const QString& table);
    void showListScreen();
    void closeListScreen();

    Screens& m_screens;
    const QString m_listScreen;
    const bool m_rereadBeforeList;
    Table* m_table = nullptr;
    QHash<QString, Table*> m_lookups;
    QList<QWidget*> m_controls;
    QStringList m_fields;
    QStringList m_captions;
    DbEdit* m_registrationDate = nullptr;
    DbNavigator* m_navigator = nullptr;
    LabelButton* m_list = nullptr;
    LabelButton* m_print = nullptr;
    LabelButton* m_exit = nullptr;
    QLabel* m_ownerPanel = nullptr;
    LabelButton* m_ownerToggle = nullptr;
};
