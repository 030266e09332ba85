#pragma once

#include "platform/engine/schema.h"
#include "platform/engine/statement.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

class Database;
class SqlStatement;
struct DatasetTexts;

enum class DatasetState { Inactive, Browse, Edit, Insert };

// A control that holds typed text not yet written to the record (an edit
// being typed in). Before a post, the dataset asks each to write it; a
// conversion failure then stops the post.
class RecordEditor {
public:
    virtual ~RecordEditor() = default;
    virtual void writeToRecord() = 0; // may throw DataError
};

// Rows of one table, in key order, with a current record.
//
// Nothing is loaded that is not shown: the current record is read alone, by
// its key, and every move (first, next, prior, last, locate) asks SQLite for
// the one row it lands on. Only a cursor walked on with next() reads ahead:
// rows after it, in runs that double as the walk goes on, handed out while
// nothing has been written to the store since they were read. A grid's rows are read in small pages, only those
// it paints. The number of rows comes from SQLite's count(*) when someone
// asks for it, and so does a row's place when it is not known from the way
// the cursor got there. So a register of any size opens, moves to its end and
// locates a far key at the cost of one row.
//
// Dataset is read-only; Table adds editing, Query a replaceable statement.
// Whole-register work that only reads goes through RowStream instead.
class Dataset : public QObject {
    Q_OBJECT
public:
    // Rows read at once for a grid.
    static constexpr int RowsPerPage = 64;

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
    // A grid shows this dataset's rows, a page at a time: opening then reads
    // the first page at once and takes the first record from it, rather than
    // running the statement twice (which, where it sorts, sorts twice).
    void setPagedByGrid() { m_pagedByGrid = true; }
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
    bool isEmpty() const { return !m_hasRows; }
    // The current row's place, 0-based; -1 when there is none (an empty
    // dataset, a new record). Counted by SQLite when the cursor got there
    // by key (locate, refresh).
    int position() const;
    // The number of rows, from SQLite's count(*); kept until this dataset
    // changes its rows or is refreshed or reopened.
    int recordCount() const;
    // The rows a grid offers so far: the first page's worth after opening,
    // growing by fetchMore() as the grid scrolls and by fetchTo() when the
    // cursor goes further. Only a number: no key or row is read for it, and
    // rows beyond it can be read all the same.
    int fetchedCount() const;
    bool canFetchMore() const;
    void fetchMore();
    void fetchTo(int row);

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
    // What a grid or a label shows: an amount in the currency its record
    // names (FieldSchema::currencyField), as the record stands.
    QString displayText(const QString& field) const;
    QString displayText(int field) const;
    qint64 integer(const QString& field) const;
    double number(const QString& field) const;
    bool isBlank(const QString& field) const;

    // Rows by their place, for grids: read a page at a time.
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
    // The rows offered grew: rows [from, to] now exist at the end.
    void rowsFetched(int from, int to);

protected:
    // Where the current row stands, as far as the cursor knows without asking.
    enum class Place { Known, FromEnd, Unknown };

    void setSource(const TableSchema* schema, const Statement& statement);
    const Statement& source() const { return m_statement; }

    void setState(DatasetState state);
    void invalidateRows() const;    // forgets the pages and the count
    qint64 currentKey() const { return m_currentKey; }
    // Reads the rows afresh and puts the row holding `key` current; when it is
    // gone, the row now in its place, or the first row with firstWhenGone.
    void reread(qint64 key, bool firstWhenGone);
    void flushEditors();

    // Reads the row with this key into the record (no condition applied);
    // false when it is gone.
    bool readAtKey(qint64 key);
    // Reads the first row at or after the key (with the dataset's condition),
    // else the last row; sets the place. False when there are no rows at all.
    bool readInPlaceOf(qint64 key);
    bool hasRowAfter(qint64 key) const;
    bool hasRowBefore(qint64 key) const;
    void setCurrent(qint64 key, Place place, int position);
    void clearRecord();
    void announceMove(); // recordChanged + afterScroll

    // Editing hooks for Table; the read-only dataset refuses.
    virtual void postPending();
    virtual void cancelPending();

    Database& m_database;
    const TableSchema* m_schema = nullptr;
    Statement m_statement;
    DatasetState m_state = DatasetState::Inactive;

    qint64 m_currentKey = -1; // -1: no current row
    bool m_hasRows = false;
    mutable Place m_place = Place::Known;
    mutable int m_position = -1; // the row's place when Known; rows after it when FromEnd
    mutable int m_count = -1;    // -1: not counted yet
    int m_horizon = 0;           // rows a grid may offer (fetchedCount() before the end is reached)
    mutable int m_offered = -1;  // min(m_horizon, rows), -1: not counted yet
    bool m_bof = true;
    bool m_eof = true;

    // The current record, as edited. Taken from the rows read ahead, its
    // fields become values only when asked for (recordValue()); whoever sets
    // the record whole sets m_recordAhead to -1 first, and editing starts
    // from the record made whole (wholeRecord()).
    mutable QVector<QVariant> m_record;
    mutable int m_recordAhead = -1; // its row in the rows read ahead, or -1
    // Per field, the row read ahead that its value was made from (-1: none):
    // a value the next row repeats (a district, "Var") is kept, not made again.
    mutable std::vector<int> m_recordRows;
    const QVariant& recordValue(int field) const;
    void makeRecordWhole() const;
    bool m_modified = false;
    bool m_pagedByGrid = false;

private:
    // A page keeps its rows as SQLite gave them (a cell per field, row by
    // row, the texts in one buffer): a grid shows a few of its cells, and
    // only those become values, when they are asked for.
    struct Cell {
        int type = 5; // as Database::ColumnView
        int size = 0;
        union {
            qint64 integer = 0;
            double real;
            qsizetype offset; // of a text's or blob's bytes in the page's buffer
        };
    };
    struct Page {
        std::vector<qint64> keys; // -1: a row gone since the rows were counted
        int fields = 0;
        std::vector<Cell> cells; // keys.size() rows of `fields` cells
        QByteArray bytes;
        QVariant value(int row, int field, const FieldSchema& schema) const;
        bool sameCell(int row, int otherRow, int field) const;
    };
    DatasetTexts& texts() const;
    // Runs a statement of this dataset: binds the condition's values, then
    // the extra integers; reads at most one row into the record.
    bool readOne(const QString& sql, std::initializer_list<qint64> extra);
    qint64 countOf(const QString& sql, std::initializer_list<qint64> extra) const;
    void readRecordFrom(SqlStatement& statement);
    const Page& page(int number) const;
    // Reads what a page statement gives into rows (row by row, every field).
    static void readRowsInto(SqlStatement& statement, int fields, Page& rows);
    // The row after the current one from the rows read ahead, reading on
    // when they are used up or stale; false when there is none.
    bool readNextAhead();
    void forgetRowsAhead(bool keepRoom = false);
    // The field of the record naming the currency of an amount, or -1.
    int currencyFieldOf(int field) const;
    // The value a row holds here: the record's own for the current row, the
    // page's otherwise (for a picture, only whether there is one); key is
    // the row's key when the value came from a page, else -1.
    QVariant heldAt(int rowNumber, int field, qint64* key) const;
    bool placeInPages(qint64 key, int* row) const;
    bool move(const QString& sql, std::initializer_list<qint64> extra);

    mutable std::shared_ptr<DatasetTexts> m_texts;
    mutable QHash<int, Page> m_pages; // page number -> rows
    mutable QList<int> m_pageOrder;   // least recently used first
    // The page read last: a grid asks for its cells one after another.
    mutable int m_lastPageNumber = -1;
    mutable const Page* m_lastPage = nullptr;
    // Rows after m_aheadAfter, read in one go for a cursor walked on with
    // next(); m_aheadTaken of them handed out. They stand while the store's
    // change count is m_aheadChanges.
    Page m_ahead;
    qint64 m_aheadAfter = -1;
    size_t m_aheadTaken = 0;
    qint64 m_aheadChanges = -1;
    int m_aheadRun = 0; // rows read ahead last time
    QVector<QVariant> m_blankRecord;
    QList<RecordEditor*> m_editors;
};
