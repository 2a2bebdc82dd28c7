#pragma once

#include "core/gauge/InterfaceDefinition.h"

#include <array>
#include <string>
#include <vector>

namespace travek {

class GridModel;

// The channels that the sequence grid uses: the "Kanal" cell of every data row, read as the
// decimal digits after its leading blanks; 1..48 set the channel's flag, anything else is ignored.
std::array<bool, MaxChannels + 1> UsedChannels(const GridModel& grid);

// One command of the interface initialisation, its end character appended, and whether the
// program waits 100 ms after it so the box can switch the channel on.
struct InitCommand {
    std::string text;
    bool pauseAfter = false;
};

// The disable-all command first, then the command of every used channel by rising channel number.
std::vector<InitCommand> initCommands(const InterfaceDefinition& definition, const GridModel& grid);

} // namespace travek
