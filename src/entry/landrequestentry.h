#pragma once

#include "app/behaviours/screen.h"
#include "app/screens.h"

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
// masked edit, fixed drop-down, lookup, memo), its mask, size, items and lookup
// source all follow from the field's catalogue entry.
struct FormRow {
    QString caption;  // shown beside the control; "M²" shows the M² picture instead
    QString field;
    QRect captionRect;
    QRect controlRect;
    QString heading = {}; // the group caption above it, part of its accessible name
};

// What one form entry screen is: its window, register, rows in tab order and
// where its list screen and footer actions are.
struct FormPlan {
    ScreenSetup window;
    QString table;          // the register, as the screen names it
    QList<FormRow> rows;    // in tab order (the order Enter moves the focus)
    QRect navigator;
    QRect listFrame, printFrame, exitFrame;
    QString listScreen;     // shown by "Liste"
    bool cornerIcons;       // minimise and exit pictures at the top right
};

// A register edited record by record through a table cursor bound directly to
// its controls, laid out from a FormPlan: the record navigator (Turkish hints)
// across the top, the fields, and "Liste", "Yazdır", "Çıkış" in the footer.
// Every post is written through to the store file at once. Each lookup field
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

    DbNavigator* navigator() const { return m_navigator; }
    LabelButton* listAction() const { return m_list; }
    LabelButton* printAction() const { return m_print; }
    LabelButton* exitAction() const { return m_exit; }

protected:
    FormEntry(Screens& screens, const FormPlan& plan);

private:
    void buildRow(const FormRow& row);
    void LabelListeRelease();

    Screens& m_screens;
    const QString m_listScreen;
    Table* m_table = nullptr;
    QHash<QString, Table*> m_lookups;
    QList<QWidget*> m_controls;
    QStringList m_fields;
    QStringList m_captions;
    DbNavigator* m_navigator = nullptr;
    LabelButton* m_list = nullptr;
    LabelButton* m_print = nullptr;
    LabelButton* m_exit = nullptr;
};

// "Arsa Ve Arazi Girişi": plots and farmland (table arsa), for sale or rent. The
// owner's details, price and status lie under the stop-sign panel until
// "Emlak Sahibini Göster".
class LandEntry : public FormEntry {
    Q_OBJECT
public:
    explicit LandEntry(Screens& screens);
    static const FormPlan& plan();

    QLabel* ownerPanel() const { return m_ownerPanel; }
    LabelButton* ownerToggle() const { return m_ownerToggle; }

private:
    QLabel* m_ownerPanel = nullptr;
    LabelButton* m_ownerToggle = nullptr;
};

// "Müşteri Talepleri Girişi": what a customer looks for (table
// musteritalepleri). The registration date (field Tavanlar) comes last in tab
// order and is stamped with today's date whenever it takes the focus.
class RequestEntry : public FormEntry {
    Q_OBJECT
public:
    explicit RequestEntry(Screens& screens);
    static const FormPlan& plan();

    DbEdit* registrationDate() const { return m_registrationDate; }

private:
    DbEdit* m_registrationDate = nullptr;
};

// Registers LandEntry and RequestEntry with the program's screen registry.
void registerLandAndRequestScreens();
