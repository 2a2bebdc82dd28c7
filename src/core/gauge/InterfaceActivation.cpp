#include "core/gauge/InterfaceActivation.h"

#include "core/files/GridModel.h"
#include "core/text/TextHelpers.h"

namespace travek {

std::array<bool, MaxChannels + 1> UsedChannels(const GridModel& grid) {
    std::array<bool, MaxChannels + 1> used{};
    for (int row = 1; row < grid.rowCount(); ++row) {
        const int channel = leadingDigitsAfterBlanks(grid.cell(1, row));
        if (channel >= 1 && channel <= MaxChannels)
            used[channel] = true;
    }
    return used;
}

std::vector<InitCommand> initCommands(const InterfaceDefinition& definition, const GridModel& grid) {
    const char end = static_cast<char>(definition.endChar1);
    std::vector<InitCommand> commands{{definition.disableAllCommand + end, false}};
    const auto used = UsedChannels(grid);
    for (int n = 1; n <= MaxChannels; ++n)
        if (used[n])
            commands.push_back({definition.channelCommands[n] + end, true});
    return commands;
}

} // namespace travek
