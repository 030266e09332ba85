#include "platform/controls/dbcombobox.h"

#include "platform/controls/dbedit.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"

#include <QKeyEvent>
#include <QLineEdit>

// --- fixed drop-down ---------------------------------------------------------

DbComboBox::DbComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    m_link = new FieldLink(
        this, [this] { setEditText(m_link->editText()); },
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
    if (schema && schema->type == FieldType::Text)
        lineEdit()->setMaxLength(schema->size);
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
    return QComboBox::eventFilter(watched, event);
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
    m_link->commit();
}

// --- lookup drop-down --------------------------------------------------------

DbLookupComboBox::DbLookupComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    // The name is written the moment it is chosen; nothing waits in the control.
    m_link = new FieldLink(this, [this] { showValue(); }, [] {});
    connect(this, &QComboBox::activated, this, [this](int index) { choose(itemText(index)); });
}

void DbLookupComboBox::bind(Dataset* dataset, const QString& field)
{
    m_link->bind(dataset, field);
}

void DbLookupComboBox::setLookup(Dataset* source, const QString& nameField)
{
    m_source = source;
    m_nameField = nameField;
    reloadNames();
}

QStringList DbLookupComboBox::offered() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names << itemText(i);
    return names;
}

void DbLookupComboBox::reloadNames()
{
    QStringList names;
    if (m_source) {
        try {
            if (m_source->isActive())
                m_source->refresh();
            else
                m_source->open();
            const int field = m_source->fieldIndex(m_nameField);
            const int rows = m_source->recordCount();
            for (int row = 0; row < rows; ++row)
                names << m_source->valueAt(row, field).toString();
        } catch (const DataError& error) {
            reportDataError(this, error.message());
        }
    }
    const QSignalBlocker quiet(this);
    clear();
    addItems(names);
    showValue();
}

void DbLookupComboBox::showValue()
{
    const QSignalBlocker quiet(this);
    const QString value = m_link->editText();
    const int index = value.isEmpty() ? -1 : findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(index);
    // A name no longer in the list (renamed or deleted since) still shows.
    setPlaceholderText(index < 0 ? value : QString());
}

void DbLookupComboBox::choose(const QString& name)
{
    Table* table = m_link->table();
    if (!table || !m_link->beginEdit()) {
        showValue();
        return;
    }
    try {
        table->setValue(m_link->fieldIndex(), name);
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
    showValue();
}

void DbLookupComboBox::showPopup()
{
    reloadNames();
    QComboBox::showPopup();
}

void DbLookupComboBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        choose(QString());
        return;
    }
    QComboBox::keyPressEvent(event);
}
