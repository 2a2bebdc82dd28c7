#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace travek {

class GridModel;

inline constexpr int MaxSteps = 99;
inline constexpr std::size_t MaxStepKeysLength = 100;

// The running copy of the sequence grid that the receive handler follows. Entries 1..99 are used.
struct SequenceTable {
    std::int32_t currentStep = 0;
    std::int32_t stepCount = 0;
    std::array<std::int32_t, MaxSteps + 1> stepChannel{};
    std::array<std::string, MaxSteps + 1> stepKeys{};
};

// After how many dispatched values the series string is typed (0 or less: never), how many have
// been dispatched since it was last typed, and the series key string itself.
struct SeriesSettings {
    std::int32_t valuesPerSeries = 0;
    std::int32_t valueCounter = 0;
    std::string seriesString;
};

// Counts the steps (the filled "Kanal" cells from row 1 down to the first blank one, at most 99)
// and starts the sequence again at step 1.
void restartSequence(const GridModel& grid, SequenceTable& table);

// Copies the channel and key columns of rows 1..99 into the table. Channel cells lose their blanks
// and are read as leading integers; key strings are cut to 100 characters without breaking a key
// (cutKeyString).
void copyStepsFromGrid(const GridModel& grid, SequenceTable& table);

} // namespace travek
