#include "platform/controls/fieldlink.h"

#include "platform/engine/dataerror.h"
#include "platform/engine/fieldformat.h"
#include "platform/engine/table.h"
#include "platform/system/errorreporter.h"

#include <QScopedValueRollback>
#include <QTimer>
#include <QWidget>

void reportDataError(QWidget* parent, const QString& message)
{
    errorReporter().report(parent, message);
}

FieldLink::FieldLink(QWidget* control, std::function<void()> show, std::function<void()> write)
    : QObject(control), m_control(control), m_show(std::move(show)), m_write(std::move(write))
{
}

FieldLink::~FieldLink()
{
    if (m_dataset)
        m_dataset->removeEditor(this);
}

void FieldLink::bind(Dataset* dataset, const QString& fieldName)
{
    for (const auto& connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    if (m_dataset)
        m_dataset->removeEditor(this);
    m_dataset = dataset;
    m_field = dataset ? dataset->fieldIndex(fieldName) : -1;
    if (!dataset)
        return;
    // An amount is shown in the currency another field names: shown afresh when that changes.
    const QString& currencyField = dataset->fieldSchema(m_field).currencyField;
    const int naming = currencyField.isEmpty() ? -1 : dataset->schema().indexOf(currencyField);
    dataset->addEditor(this);
    m_connections << connect(dataset, &Dataset::recordChanged, this, &FieldLink::refreshFromRecord)
                  << connect(dataset, &Dataset::fieldChanged, this, [this, naming](int field) {
                         if (field == m_field)
                             refreshFromRecord();
                         else if (field == naming && naming >= 0 && !m_dirty)
                             refreshFromRecord();
                     })
                  << connect(dataset, &Dataset::stateChanged, this, [this](DatasetState state) {
                         // Cancel and post end the edit: what was typed is settled.
                         if (state != DatasetState::Edit && state != DatasetState::Insert)
                             refreshFromRecord();
                     });
    refreshFromRecord();
}

Table* FieldLink::table() const
{
    return qobject_cast<Table*>(m_dataset.data());
}

const FieldSchema* FieldLink::field() const
{
    return isBound() ? &m_dataset->fieldSchema(m_field) : nullptr;
}

bool FieldLink::canModify() const
{
    return table() && table()->isActive() && !field()->isKey();
}

bool FieldLink::beginEdit()
{
    if (!canModify())
        return false;
    if (table()->isEditing())
        return true;
    try {
        table()->edit();
    } catch (const DataError& error) {
        reportDataError(m_control, error.message());
        return false;
    }
    return true;
}

bool FieldLink::beginEditKeepingText()
{
    const QScopedValueRollback<bool> keep(m_keepText, true);
    return beginEdit();
}

void FieldLink::writeToRecord()
{
    if (!m_dirty || !canModify())
        return;
    if (!table()->isEditing())
        table()->edit();
    m_write(); // throws on text the field cannot take; stays dirty then
    m_dirty = false;
}

bool FieldLink::commit()
{
    try {
        writeToRecord();
        return true;
    } catch (const DataError& error) {
        reportDataError(m_control, error.message());
        // Keep the user in the control until the text is right or abandoned.
        QTimer::singleShot(0, m_control, [control = m_control] { control->setFocus(); });
        return false;
    }
}

bool FieldLink::focusLeft(Qt::FocusReason reason)
{
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    return commit();
}

bool FieldLink::isEntering(Qt::FocusReason reason)
{
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason
           && reason != Qt::MenuBarFocusReason;
}

void FieldLink::reset()
{
    m_dirty = false;
    refreshFromRecord();
}

void FieldLink::refreshFromRecord()
{
    if (m_keepText)
        return;
    m_dirty = false;
    m_show();
}

QVariant FieldLink::value() const
{
    return isBound() ? m_dataset->value(m_field) : QVariant();
}

QString FieldLink::editText() const
{
    return isBound() ? FieldFormat::editText(*field(), value()) : QString();
}

QString FieldLink::displayText() const
{
    return isBound() ? m_dataset->displayText(m_field) : QString();
}
