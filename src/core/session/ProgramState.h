#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/session/SequenceState.h"
#include "core/text/KeyString.h"

#include <cstdint>

namespace travek {

// The settings that live as long as the program: the current interface definition, the series
// settings, the number of decimal places typed and the key string separator.
struct ProgramState {
    InterfaceDefinition definition;
    SeriesSettings series;
    std::uint8_t decimals = 3;
    char separator = DefaultKeySeparator;
};

} // namespace travek
