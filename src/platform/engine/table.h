#pragma once

#include "platform/engine/dataset.h"

#include <functional>
#include <vector>

// An editable cursor over a whole table, in key order: the entry screens'
// dataset. States: inactive, browse, edit, insert.
//
// Posting writes the record in one transaction that is on disk when post()
// returns; a failed post leaves the record in edit or insert state with
// nothing written. New records get their key from the store on post.
class Table : public Dataset {
    Q_OBJECT
public:
    // tableName in any letter case, with or without ".db".
    Table(Database& database, const QString& tableName, QObject* parent = nullptr);

    void append();                 // a new empty record (the navigator's insert)
    void insert() { append(); }
    void edit();                   // on an empty table: append
    void post();
    void cancel();
    void remove();                 // the navigator's delete

    // Narrows the cursor to the rows `rows` selects, a statement over this
    // table; Statement(table) shows every row again. A pending edit is ended
    // first. The current record stays current when it is among the rows,
    // otherwise the first row becomes current. A record posted afterwards
    // stays in the rows until they are read again, whatever it holds.
    void setRowFilter(const Statement& rows);
    bool isFiltered() const { return !source().condition().isEmpty(); }

    // Writing fields of the current record (edit or insert state only).
    void setValue(int field, const QVariant& value);
    void setValue(const QString& field, const QVariant& value) { setValue(fieldIndex(field), value); }
    void setText(const QString& field, const QString& text);
    void setInteger(const QString& field, qint64 value);

    // Work that belongs with the record (its pictures, say): run by every
    // post inside the transaction that writes the record, after it, with its
    // key, so that both are on disk or neither is. A throw fails the post.
    // The record changed outside its fields (its pictures): moving away now
    // posts it, as a changed field would. Edit or insert state only.
    void markModified();
    void addWriteWithRecord(std::function<void(qint64 key)> work) { m_writesWithRecord.push_back(std::move(work)); }

signals:
    void beforePost();

protected:
    void postPending() override { post(); }
    void cancelPending() override { cancel(); }

private:
    void requireEditing() const;
    void checkRequired() const;
    qint64 writeRecord();
    // On a store several desks share: refuses the update of a row another
    // desk deleted, or changed since this edit began (naming its fields).
    void refuseWhatAnotherDeskChanged(qint64 key);

    // The row that was current when a new record was started, for cancel.
    qint64 m_keyBeforeInsert = -1;
    Place m_placeBeforeInsert = Place::Known;
    int m_positionBeforeInsert = -1;
    QVector<QVariant> m_savedRecord;
    QString m_insertSql, m_updateSql;
    std::vector<std::function<void(qint64)>> m_writesWithRecord;
};
