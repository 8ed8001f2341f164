#include "db/RuntimeError.h"

RuntimeError::RuntimeError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}
