#include "core/session/SequenceState.h"

#include "core/files/GridFile.h"
#include "core/files/GridModel.h"
#include "core/text/KeyString.h"
#include "core/text/TextHelpers.h"

#include <algorithm>

namespace travek {

void restartSequence(const GridModel& grid, SequenceTable& table) {
    // A loaded sequence file may give the grid more than 99 step rows; only the first 99 count.
    table.stepCount = std::clamp(firstBlankRow(grid, 1) - grid.fixedRows(), 0, MaxSteps);
    table.currentStep = 1;
}

void copyStepsFromGrid(const GridModel& grid, SequenceTable& table) {
    for (int row = 1; row <= MaxSteps; ++row) {
        if (row < grid.rowCount()) {
            table.stepChannel[row] = leadingInt(removeBlanks(grid.cell(1, row)));
            table.stepKeys[row] = cutKeyString(grid.cell(2, row), MaxStepKeysLength);
        } else {
            table.stepChannel[row] = 0;
            table.stepKeys[row].clear();
        }
    }
}

} // namespace travek
