#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the data layer. Its message is what the user sees,
// word for word ("Field 'Semtadi' must have a value", ...), so callers show
// message() as it stands and never rephrase it.
class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// The store's own pages are damaged: nothing may be written to it, and a
// backup is the way back.
class DamagedStoreError : public DataError {
public:
    using DataError::DataError;
};

// The engine itself failed (a full disk, a lock, a disk error): code is its
// result code and engineText its own words, kept to choose the advice; the
// message is already the clerk's.
class EngineError : public DataError {
public:
    EngineError(int code, const QString& engineText, const QString& message, int systemError = 0)
        : DataError(message), m_code(code), m_engineText(engineText), m_systemError(systemError) {}
    int code() const { return m_code; }
    const QString& engineText() const { return m_engineText; }
    // The system's errno behind a disk error, 0 when not known.
    int systemError() const { return m_systemError; }

private:
    int m_code;
    QString m_engineText;
    int m_systemError;
};
