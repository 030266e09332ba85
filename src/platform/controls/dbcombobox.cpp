#include "platform/controls/dbcombobox.h"

#include "platform/controls/dbedit.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"

#include <algorithm>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

// --- typed drop-down ---------------------------------------------------------

TypedComboBox::TypedComboBox(QWidget* parent) : QComboBox(parent)
{
    // Editable through a line edit given as setEditable(true) would make it:
    // setEditable also builds the window of the drop-down list at once, which
    // the box otherwise makes when it first drops down (a box on a screen
    // nobody has opened never needs it). The edit comes with a completer so
    // that the box makes none of its own over its items, only to drop it; one
    // such stand-in, never used to complete, serves every box.
    static QPointer<QCompleter> standIn;
    if (!standIn)
        standIn = new QCompleter(QCoreApplication::instance());
    auto* edit = new QLineEdit(this);
    edit->setPalette(palette());
    edit->setCompleter(standIn);
    setLineEdit(edit);
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    setInsertPolicy(QComboBox::NoInsert);
    // The completer both completes inline and, being blind to letter case, hands
    // back the item's own letters; Enter would pick the item matching the text
    // without regard to case. Neither may touch what the clerk typed.
    setCompleter(nullptr);
    standIn->setWidget(nullptr);
    disconnect(lineEdit(), &QLineEdit::returnPressed, this, nullptr);
}

// --- fixed drop-down ---------------------------------------------------------

DbComboBox::DbComboBox(QWidget* parent) : TypedComboBox(parent)
{
    m_link = new FieldLink(
        this,
        [this] {
            // As in DbEdit: a stored text longer than the field shows whole.
            const QString text = m_link->editText();
            lineEdit()->setMaxLength(std::max(m_fieldLength, int(text.size())));
            setEditText(text);
        },
        [this] { m_link->table()->setText(m_link->field()->name, currentText()); });
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_link->setDirty(true); });
    connect(this, &QComboBox::activated, this, [this](int index) {
        const QString chosen = itemText(index);
        if (!m_link->beginEdit()) {
            m_link->reset();
            return;
        }
        setEditText(chosen);
        m_link->setDirty(true);
    });
}

void DbComboBox::bind(Dataset* dataset, const QString& field, const QStringList& items)
{
    clear();
    m_link->bind(dataset, field);
    const FieldSchema* schema = m_link->field();
    addItems(items.isEmpty() && schema ? schema->choices : items);
    m_fieldLength = schema && schema->type == FieldType::Text ? schema->size : 32767;
    lineEdit()->setMaxLength(m_fieldLength);
    m_link->reset();
}

bool DbComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && m_link->isDirty()) {
            m_link->reset();
            return true;
        }
        if (keyChangesText(key) && !m_link->beginEdit())
            return true;
    }
    return TypedComboBox::eventFilter(watched, event);
}

void DbComboBox::keyPressEvent(QKeyEvent* event)
{
    // Typed keys reach the combo box, which hands them to its line edit
    // directly (past the filter above): start the edit before they land.
    if (event->key() == Qt::Key_Escape && m_link->isDirty()) {
        m_link->reset();
        return;
    }
    if (keyChangesText(event) && !m_link->beginEdit())
        return;
    QComboBox::keyPressEvent(event);
}

void DbComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    m_link->focusLeft(event->reason());
}

// --- lookup drop-down --------------------------------------------------------

DbLookupComboBox::DbLookupComboBox(QWidget* parent) : LookupComboBox(parent)
{
    // The name is written the moment it is chosen; nothing waits in the control.
    m_link = new FieldLink(this, [this] { showValue(); }, [] {});
}

void DbLookupComboBox::bind(Dataset* dataset, const QString& field)
{
    m_link->bind(dataset, field);
}

void DbLookupComboBox::choose(const QString& name)
{
    Table* table = m_link->table();
    if (table && m_link->beginEdit()) {
        try {
            table->setValue(m_link->fieldIndex(), name);
        } catch (const DataError& error) {
            reportDataError(this, error.message());
        }
    }
    showValue();
}
