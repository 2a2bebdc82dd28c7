#pragma once

#include "InterfaceDefinition.h"
#include "SequenceState.h"

#include <cstdint>
#include <string>

namespace travek {

// The program-wide settings that live as long as the program: the current interface definition,
// the series settings, the number of decimal places typed, and the main window's caption as
// designed. One instance is made at start and handed to the windows that use it.
struct ProgramState {
    InterfaceDefinition Definition;
    SeriesSettings Series;
    std::uint8_t NK = 3;
    std::string BaseCaption;
};

} // namespace travek
