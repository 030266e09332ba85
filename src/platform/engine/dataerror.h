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
