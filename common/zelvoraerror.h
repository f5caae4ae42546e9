#pragma once

#include <QString>
#include <stdexcept>

// Base of the failures that travel to a caller; the print run logs className() and message().
class ZelvoraError : public std::runtime_error {
public:
    explicit ZelvoraError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    const QString &message() const noexcept { return m_message; }
    virtual QString className() const = 0;

private:
    QString m_message;
};
