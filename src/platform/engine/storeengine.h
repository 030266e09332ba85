#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class EngineError;
struct TableSchema;

// What the program asks of the engine that holds its store, whichever it is:
// statements prepared from SQL text and run with bound values, rows read
// column by column, and transactions that are durable when they commit.
// Everything above the engine (datasets, searches, matching, reports,
// import) speaks only this, so no screen knows which store it has.

// Whether opening a store reads every page for damage, or leaves that to a
// check the caller runs (the start-up backup reads every page anyway).
enum class ConsistencyCheck { AtOpen, ByCaller };

// A column of the current row as the engine gave it, not yet converted.
// Text and blob bytes stay the engine's until the statement steps again.
struct ColumnView {
    enum Type { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 };
    int type = Null;
    qint64 integer = 0;
    double real = 0; // also set for an integer
    const char* bytes = nullptr;
    int size = 0;
};

// One prepared statement. Positions of bound values and of columns follow
// the engine's own counting: values from 1, columns from 0.
class EngineStatement {
public:
    virtual ~EngineStatement() = default;

    virtual void bindNull(int at) = 0;
    virtual void bindInteger(int at, qint64 value) = 0;
    virtual void bindReal(int at, double value) = 0;
    virtual void bindText(int at, QByteArrayView utf8) = 0;
    virtual void bindBlob(int at, QByteArrayView bytes) = 0;

    // True while rows come; throws EngineError with the clerk's message.
    virtual bool step() = 0;
    // Ends any read and forgets the bound values, ready to run again.
    virtual void reset() = 0;

    virtual int columnCount() const = 0;
    virtual ColumnView column(int at) const = 0;
    // The column read as a whole number (0 for NULL): keys and counts.
    virtual qint64 integer(int at) const = 0;
};

class StoreEngine {
public:
    virtual ~StoreEngine() = default;

    // Throws EngineError when the text does not prepare.
    virtual std::unique_ptr<EngineStatement> prepare(const QByteArray& sql) = 0;
    // Runs statements that take no values and return no rows.
    virtual void execute(const char* sql) = 0;

    virtual void begin() = 0;
    // On disk when it returns.
    virtual void commit() = 0;
    // Never throws: it runs while another failure is on its way out.
    virtual void rollback() noexcept = 0;
    virtual bool inTransaction() const = 0;

    // The key the last insert gave its row.
    virtual qint64 lastInsertKey() const = 0;
    // Rows the last insert, update or delete changed.
    virtual qint64 lastChanges() const = 0;
    // Grows with every change written through this connection, so that what
    // was read ahead can tell whether it is still what the store holds.
    virtual qint64 changeCount() const = 0;

    // Calls changed with a table's name whenever another desk has committed a
    // change to it; from the program's event loop, never inside a statement.
    virtual void watchOtherDesks(std::function<void(const QString& table)> changed) { (void)changed; }

    // Whether other desks write to the same store while this one works.
    virtual bool sharedByDesks() const { return false; }
    // Rows were written with their keys given (an import): the table's
    // numbering must go on after the highest. The embedded store's does so
    // by itself.
    virtual void keysGivenIn(const TableSchema& table) { (void)table; }

    // What the clerk is told when a post fails with this error: the cause,
    // and that the changes wait on the screen for another try.
    virtual QString postFailureMessage(const EngineError& error) const = 0;
};

// Binds a value as the engine should hold it: whole numbers and truth values
// as integers, reals as reals, bytes as a blob, NULL as NULL, anything else as
// its text.
void bindValue(EngineStatement& statement, int at, const QVariant& value);

// An identifier quoted for SQL, any quote in it doubled.
QString quotedIdentifier(const QString& identifier);
