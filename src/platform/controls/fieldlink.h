#pragma once

#include "platform/engine/dataset.h"

#include <QPointer>
#include <functional>

class QWidget;
class Table;

// Ties one control to one field of a dataset: the control shows the current
// record's value whenever it changes, puts the dataset into edit state before
// the user's first change, and writes its pending text into the record when it
// loses the focus or before a post.
class FieldLink : public QObject, public RecordEditor {
    Q_OBJECT
public:
    // show: put the field's value into the control; write: store the control's
    // text into the record (may throw DataError).
    FieldLink(QWidget* control, std::function<void()> show, std::function<void()> write);
    ~FieldLink() override;

    void bind(Dataset* dataset, const QString& field);
    Dataset* dataset() const { return m_dataset; }
    Table* table() const;
    int fieldIndex() const { return m_field; }
    const FieldSchema* field() const;
    bool isBound() const { return m_dataset && m_field >= 0; }

    bool canModify() const;
    // Puts the dataset into edit (or, when empty, insert) state; false when it
    // cannot be edited. Failures are reported to the user.
    bool beginEdit();
    // The same, for a change already in the control (pasted from its menu,
    // dropped): the control keeps its text when a new record is started.
    bool beginEditKeepingText();
    // The control has text the record does not have yet.
    void setDirty(bool dirty) { m_dirty = dirty; }
    bool isDirty() const { return m_dirty; }

    // Writes pending text now; on failure reports it, keeps the focus in the
    // control and returns false.
    bool commit();
    // The one rule for every bound control losing the focus: moving to another
    // control writes the pending text (commit()); a context menu opening over
    // the control or a switch to another window is not leaving the field, so
    // the text stays pending (a half-typed value is not refused then; it is
    // still written when the focus moves on or before a post). False when a
    // write was tried and refused, or nothing was written.
    bool focusLeft(Qt::FocusReason reason);
    // Whether the focus arriving for this reason is the clerk entering the
    // field (mouse, Tab, Enter, a shortcut, the program's own move) rather
    // than coming back from another window or a popup.
    static bool isEntering(Qt::FocusReason reason);
    void writeToRecord() override; // for the dataset, before a post: throws
    void reset();                  // shows the record's value again, dropping typed text

    QVariant value() const;
    QString editText() const;
    QString displayText() const;

private:
    void refreshFromRecord();

    QWidget* m_control;
    std::function<void()> m_show;
    std::function<void()> m_write;
    QPointer<Dataset> m_dataset;
    int m_field = -1;
    bool m_dirty = false;
    bool m_keepText = false;
    QList<QMetaObject::Connection> m_connections;
};

// Shows a data-layer failure to the user through the application's reporter.
void reportDataError(QWidget* parent, const QString& message);
