#include "core/session/SequenceState.h"
#include "core/files/GridModel.h"

#include <gtest/gtest.h>

using namespace travek;

namespace {

GridModel grid(std::initializer_list<const char*> channels, int rows = 100) {
    GridModel g(3, rows, 1, 1);
    int r = 1;
    for (const char* c : channels)
        g.setCell(1, r++, c);
    return g;
}

SequenceTable refreshed(const GridModel& g) {
    SequenceTable t;
    t.currentStep = 5;
    restartSequence(g, t);
    copyStepsFromGrid(g, t);
    return t;
}

} // namespace

TEST(SequenceState, StepCountStopsAtTheFirstBlankChannel) {
    EXPECT_EQ(refreshed(grid({"1", "2", "3"})).stepCount, 3);
    EXPECT_EQ(refreshed(grid({"1", "2", "", "4"})).stepCount, 2);
    EXPECT_EQ(refreshed(grid({" ", "2"})).stepCount, 0);
    EXPECT_EQ(refreshed(grid({})).stepCount, 0);
    EXPECT_EQ(refreshed(grid({"1"})).currentStep, 1);
}

TEST(SequenceState, AtMost99Steps) {
    GridModel full(3, 100, 1, 1);
    for (int r = 1; r < 100; ++r)
        full.setCell(1, r, "1");
    EXPECT_EQ(refreshed(full).stepCount, 99);
    GridModel longer(3, 150, 1, 1);
    for (int r = 1; r < 150; ++r)
        longer.setCell(1, r, std::to_string(r % 48 + 1));
    const SequenceTable t = refreshed(longer);
    EXPECT_EQ(t.stepCount, 99);
    EXPECT_EQ(t.stepChannel[99], 99 % 48 + 1);
}

TEST(SequenceState, ChannelsAndKeysAreCopied) {
    GridModel g = grid({" 1 2", "7abc", "x", "-3"});
    // 15 page-downs are 105 characters: the limit of 100 falls inside the 15th, which is dropped
    // whole rather than typed as the text "{P".
    std::string pageDowns;
    for (int i = 0; i < 15; ++i)
        pageDowns += "{PGDN};";
    g.setCell(2, 1, pageDowns);
    g.setCell(2, 2, "{TAB};");
    const SequenceTable t = refreshed(g);
    EXPECT_EQ(t.stepChannel[1], 12);
    EXPECT_EQ(t.stepChannel[2], 7);
    EXPECT_EQ(t.stepChannel[3], 0);
    EXPECT_EQ(t.stepChannel[4], -3);
    EXPECT_EQ(t.stepKeys[1], pageDowns.substr(0, 14 * 7));
    EXPECT_EQ(t.stepKeys[2], "{TAB};");
    // A grid with fewer rows than steps (a short loaded file) leaves the rest empty.
    const SequenceTable shortTable = refreshed(grid({"1", "2"}, 3));
    EXPECT_EQ(shortTable.stepCount, 2);
    EXPECT_EQ(shortTable.stepChannel[3], 0);
}
