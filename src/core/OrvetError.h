#pragma once

#include <QString>
#include <stdexcept>

// The one error type the program raises. Its text is shown as it stands by
// the general error display, so it must already read well to the user.
class OrvetError : public std::runtime_error {
public:
    explicit OrvetError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    QString message() const { return m_message; }

private:
    QString m_message;
};
