#pragma once

#include "platform/controls/editmask.h"
#include "platform/controls/fieldlink.h"

#include <QLineEdit>

// An edit bound to one field. On an editable table it takes the field's mask
// and size; over a query it only shows. Unfocused it shows the display text
// (currency in the currency format), focused the text to edit.
//
// A masked field stores nothing when untouched and the text with its
// literals when complete; a partly typed value is refused with the data
// layer's message and keeps the focus. Escape abandons the typed text.
class DbEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DbEdit(QWidget* parent = nullptr);

    void bind(Dataset* dataset, const QString& field);
    FieldLink& link() { return *m_link; }
    const EditMask& mask() const { return m_mask; }

    // Replaces the shown text as if typed (the registration-date stamp).
    void setTypedText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showValue();
    void showText(const QString& text);
    void writeValue();

    FieldLink* m_link;
    EditMask m_mask;
    int m_fieldLength = 32767; // what typing may reach
};

// Whether a key press changes an edit's text (so the record must be put into
// edit state before it lands).
bool keyChangesText(const QKeyEvent* event);
