#pragma once

#include <QString>
#include <stdexcept>

namespace Paradox {

// A table or memo file that cannot be read as it claims to be. The message is
// for the clerk, in Turkish, and names the file (and the record, when one is
// to blame) so that they know which file to look at.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace Paradox
