// The one exception type of the core: it carries the message the user will read.
#pragma once

#include <QString>
#include <stdexcept>

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const QString& message);

    // The text shown to the user, exactly as the failing step phrased it.
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};
