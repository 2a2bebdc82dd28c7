#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/quality/StepTolerances.h"
#include "core/session/SequenceState.h"
#include "core/text/KeyString.h"

#include <cstdint>

namespace travek {

// The settings that live as long as the program: the current interface definition, the series
// settings, the number of decimal places typed, the key string separator and the steps'
// tolerances.
struct ProgramState {
    InterfaceDefinition definition;
    SeriesSettings series;
    std::uint8_t decimals = 3;
    char separator = DefaultKeySeparator;
    StepTolerances tolerances;
};

} // namespace travek
