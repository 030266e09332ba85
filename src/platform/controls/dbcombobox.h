#pragma once

#include "platform/controls/fieldlink.h"

#include "platform/controls/lookupcombobox.h"

#include <QComboBox>

// An editable drop-down that takes what is typed exactly as typed: it neither
// completes a word begun ("Soba" stays "Soba"), nor puts a typed text into the
// letter case of a list item ("kiralanmadı" stays small), nor turns Enter into
// the pick of an item. The list is only offered.
class TypedComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TypedComboBox(QWidget* parent = nullptr);
};

// A fixed drop-down bound to a field: it offers its items, but any typed
// text is stored as typed.
class DbComboBox : public TypedComboBox {
    Q_OBJECT
public:
    explicit DbComboBox(QWidget* parent = nullptr);

    // Items default to the field's own drop-down list.
    void bind(Dataset* dataset, const QString& field, const QStringList& items = {});
    FieldLink& link() { return *m_link; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    FieldLink* m_link;
    int m_fieldLength = 32767; // what typing may reach
};

// A lookup drop-down bound to a field: offers exactly the names of its
// lookup table, read afresh each time it opens (so a district added a moment
// ago is there), and stores the chosen name itself. Delete clears the value.
class DbLookupComboBox : public LookupComboBox {
    Q_OBJECT
public:
    explicit DbLookupComboBox(QWidget* parent = nullptr);

    void bind(Dataset* dataset, const QString& field);
    // The dataset the names come from and the field that holds them.
    void setLookup(Dataset* source, const QString& nameField) { setSource(source, nameField); }
    FieldLink& link() { return *m_link; }

protected:
    QString shownName() const override { return m_link->editText(); }
    void choose(const QString& name) override;

private:
    FieldLink* m_link;
};
