#include "platform/controls/dbedit.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"

#include <algorithm>
#include <QKeyEvent>

bool keyChangesText(const QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
        || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
        return true;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

DbEdit::DbEdit(QWidget* parent)
    : QLineEdit(parent), m_link(new FieldLink(this, [this] { showValue(); }, [this] { writeValue(); }))
{
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (!m_link->table() || !m_link->table()->isEditing())
            m_link->beginEditKeepingText();
        m_link->setDirty(true);
    });
}

void DbEdit::bind(Dataset* dataset, const QString& field)
{
    m_link->bind(dataset, field);
    const FieldSchema* schema = m_link->field();
    const bool editable = qobject_cast<Table*>(dataset) != nullptr;
    setReadOnly(!editable || (schema && schema->isKey()));
    m_mask = (editable && schema) ? EditMask(schema->mask) : EditMask();
    if (!m_mask.isEmpty() || !inputMask().isEmpty())
        setInputMask(m_mask.inputMask()); // setting no mask on an edit without one is not free
    m_fieldLength = schema && schema->type == FieldType::Text && m_mask.isEmpty() ? schema->size : 32767;
    showValue();
}

void DbEdit::showText(const QString& text)
{
    // Typing stops at the field's size; a stored text that is longer (brought
    // in from older files) is still shown whole, never cut on the way.
    setMaxLength(std::max<int>(m_fieldLength, int(text.size())));
    setText(text);
}

void DbEdit::showValue()
{
    if (!m_mask.isEmpty())
        setText(m_mask.typedCharacters(m_link->editText()));
    else
        showText(hasFocus() ? m_link->editText() : m_link->displayText());
    setCursorPosition(0);
}

void DbEdit::writeValue()
{
    Table* table = m_link->table();
    const QString& name = m_link->field()->name;
    if (m_mask.isEmpty()) {
        table->setText(name, text());
        return;
    }
    switch (m_mask.fill(displayText())) {
    case EditMask::Fill::Empty:
        table->setText(name, QString());
        break;
    case EditMask::Fill::Partial:
        throw DataError(InvalidInputMessage);
    case EditMask::Fill::Complete:
        table->setText(name, m_mask.stored(displayText()));
        break;
    }
}

void DbEdit::setTypedText(const QString& text)
{
    if (!m_link->beginEdit())
        return;
    setText(text);
    m_link->setDirty(true);
}

void DbEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_link->isDirty()) {
        m_link->reset();
        selectAll();
        return;
    }
    if (!isReadOnly() && keyChangesText(event) && !m_link->beginEdit()) {
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DbEdit::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    // A click into an empty masked field starts typing at its first place,
    // wherever the click fell among the blanks.
    if (!m_mask.isEmpty() && m_mask.fill(displayText()) == EditMask::Fill::Empty)
        setCursorPosition(0);
}

void DbEdit::focusInEvent(QFocusEvent* event)
{
    if (m_mask.isEmpty() && !m_link->isDirty() && m_link->isBound())
        showText(m_link->editText());
    QLineEdit::focusInEvent(event);
}

void DbEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!m_link->focusLeft(event->reason()))
        return;
    if (m_mask.isEmpty() && !m_link->isDirty() && m_link->isBound())
        showText(m_link->displayText());
}
