#pragma once

#include "platform/engine/schema.h"
#include "platform/engine/statement.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QVariant>
#include <QVector>
#include <vector>

class Database;

enum class DatasetState { Inactive, Browse, Edit, Insert };

// A control that holds typed text not yet written to the record (an edit
// being typed in). Before a post, the dataset asks each to write it; a
// conversion failure then stops the post.
class RecordEditor {
public:
    virtual ~RecordEditor() = default;
    virtual void writeToRecord() = 0; // may throw DataError
};

// Rows of one table, in key order, with a current record. The rows are
// reached through their keys, fetched in chunks as far as they are needed,
// and the row data in small pages, so a register of any size opens and moves
// to its end without being loaded into memory.
//
// Dataset is read-only; Table adds editing, Query a replaceable statement.
class Dataset : public QObject {
    Q_OBJECT
public:
    explicit Dataset(Database& database, QObject* parent = nullptr);
    ~Dataset() override;

    Database& database() const { return m_database; }
    const TableSchema& schema() const; // throws when no table is set
    bool hasSchema() const { return m_schema != nullptr; }

    DatasetState state() const { return m_state; }
    bool isActive() const { return m_state != DatasetState::Inactive; }
    bool isEditing() const { return m_state == DatasetState::Edit || m_state == DatasetState::Insert; }
    bool isModified() const { return m_modified; }

    virtual void open();
    void close();

    // Moving. Inside an edit, moving first posts a changed record and cancels
    // an unchanged one.
    void first();
    void prior();
    void next();
    void last();
    void moveTo(int row);
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    bool isEmpty() const;
    int position() const { return m_position; } // -1 when there is no current row
    int recordCount();                          // fetches every key
    int fetchedCount() const { return int(m_keys.size()); }
    bool canFetchMore() const { return isActive() && !m_allFetched; }
    void fetchMore();

    // Moves to the first row whose field equals value exactly. Not found:
    // the current row stays where it was and false is returned.
    bool locate(const QString& field, qint64 value);
    // Moves to the first row whose text field equals text, letter case folded
    // the Turkish way ("ışık" finds "IŞIK" but not "isik"). Not found: nothing
    // happens, a pending edit included, and false is returned.
    bool locateFolded(const QString& field, const QString& text);

    // Re-reads the rows from the store, keeping the current record where it
    // still exists (otherwise the row now in its place).
    void refresh();
    // Ends a pending edit: a changed record is posted, an unchanged one cancelled.
    void checkBrowseMode();

    // Fields of the current record.
    int fieldCount() const;
    int fieldIndex(const QString& field) const; // throws "Field '%s' not found"
    const FieldSchema& fieldSchema(int field) const;
    QVariant value(int field) const;
    QVariant value(const QString& field) const { return value(fieldIndex(field)); }
    QString text(const QString& field) const;
    QString displayText(const QString& field) const;
    qint64 integer(const QString& field) const;
    double number(const QString& field) const;
    bool isBlank(const QString& field) const;

    // Rows by their place, for grids.
    QVariant valueAt(int row, int field) const;
    QString displayTextAt(int row, int field) const;
    qint64 keyAt(int row) const;

    void addEditor(RecordEditor* editor);
    void removeEditor(RecordEditor* editor);

signals:
    void afterOpen();
    void afterClose();
    void afterScroll();
    void afterPost();
    void afterCancel();
    void afterDelete();
    void afterRefresh();
    void stateChanged(DatasetState state);
    void fieldChanged(int field);
    // The whole current record was (re)loaded: controls show it afresh.
    void recordChanged();
    // The set of rows changed (opened, closed, refreshed, row added or removed).
    void rowsReset();
    // More keys were fetched: rows [from, to] now exist at the end.
    void rowsFetched(int from, int to);

protected:
    void setSource(const TableSchema* schema, const Statement& statement);
    const Statement& source() const { return m_statement; }

    void setState(DatasetState state);
    // Reads the rows afresh and puts the row holding `key` current; when it is
    // gone, the row now in its place, or the first row with firstWhenGone.
    void reread(qint64 key, bool firstWhenGone);
    void loadCurrent();        // fills the record buffer from the current row
    void invalidateRows() const;
    bool fetchKeys(int count); // -1: all; returns whether any arrived
    void resetKeys();
    void ensureFetched(int row);
    void setPosition(int row);
    void flushEditors();
    int rowOfKey(qint64 key); // fetches as needed; -1 when not present
    qint64 currentKey() const;

    // Editing hooks for Table; the read-only dataset refuses.
    virtual void postPending();
    virtual void cancelPending();

    Database& m_database;
    const TableSchema* m_schema = nullptr;
    Statement m_statement;
    DatasetState m_state = DatasetState::Inactive;

    std::vector<qint64> m_keys;
    bool m_allFetched = true;
    int m_position = -1;
    bool m_bof = true;
    bool m_eof = true;

    QVector<QVariant> m_record; // the current record, as edited
    bool m_modified = false;

private:
    const QVector<QVariant>& row(int row) const;
    QString rowsWhere() const;

    mutable QHash<int, QVector<QVector<QVariant>>> m_pages; // page number -> rows
    mutable QList<int> m_pageOrder;                          // least recently used first
    QList<RecordEditor*> m_editors;
};
