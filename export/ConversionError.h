// The failure of turning a source value into statement text.
#pragma once

#include "db/RuntimeError.h"

class ConversionError final : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};
