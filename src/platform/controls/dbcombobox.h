#pragma once

#include "platform/controls/fieldlink.h"

#include <QComboBox>

// A fixed drop-down bound to a field: it offers its items, but any typed
// text is stored as typed.
class DbComboBox : public QComboBox {
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
};

// A lookup drop-down: offers exactly the names of its lookup table, read
// afresh each time it opens (so a district added a moment ago is there), and
// stores the chosen name itself. Delete clears the value.
class DbLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DbLookupComboBox(QWidget* parent = nullptr);

    void bind(Dataset* dataset, const QString& field);
    // The dataset the names come from and the field that holds them.
    void setLookup(Dataset* source, const QString& nameField);
    FieldLink& link() { return *m_link; }
    QStringList offered() const;

    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void reloadNames();
    void showValue();
    void choose(const QString& name);

    FieldLink* m_link;
    QPointer<Dataset> m_source;
    QString m_nameField;
};
