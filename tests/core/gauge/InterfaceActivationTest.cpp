#include "core/gauge/InterfaceActivation.h"
#include "core/files/GridModel.h"

#include <gtest/gtest.h>

using namespace travek;

namespace {

GridModel gridWith(std::initializer_list<const char*> channels) {
    GridModel grid(3, 100, 1, 1);
    int row = 1;
    for (const char* c : channels)
        grid.setCell(1, row++, c);
    return grid;
}

std::vector<std::string> texts(const std::vector<InitCommand>& commands) {
    std::vector<std::string> result;
    for (const auto& c : commands)
        result.push_back(c.text + (c.pauseAfter ? "|pause" : ""));
    return result;
}

} // namespace

TEST(InterfaceActivation, DisableAllThenEachUsedChannelOnceByRisingNumber) {
    InterfaceDefinition d;
    d.channelCommands[1] = "ON1";
    d.channelCommands[3] = "ON3";
    EXPECT_EQ(texts(initCommands(d, gridWith({"3", "1", "3"}))),
              (std::vector<std::string>{"D0\r", "ON1\r|pause", "ON3\r|pause"}));
}

TEST(InterfaceActivation, WhichCellsSwitchAChannelOn) {
    InterfaceDefinition d;
    EXPECT_EQ(texts(initCommands(d, gridWith({}))), (std::vector<std::string>{"D0\r"}));
    EXPECT_EQ(initCommands(d, gridWith({"49", "0", " ", "abc", "-3"})).size(), 1u);
    const auto used = UsedChannels(gridWith({"7abc", "  12", "1 5", "48"}));
    EXPECT_TRUE(used[7]);
    EXPECT_TRUE(used[12]);
    EXPECT_TRUE(used[1]);
    EXPECT_FALSE(used[15]);
    EXPECT_TRUE(used[48]);
    // Rows after a blank row count too: every data row of the grid is read.
    EXPECT_TRUE(UsedChannels(gridWith({"1", "", "5"}))[5]);
}

TEST(InterfaceActivation, DefaultsAndOddEndCharacters) {
    InterfaceDefinition d; // the defaults: "D0" and lone carriage returns for the channels
    EXPECT_EQ(texts(initCommands(d, gridWith({"2"}))), (std::vector<std::string>{"D0\r", "\r|pause"}));
    d.endChar1 = 0;
    const auto commands = initCommands(d, gridWith({"2"}));
    EXPECT_EQ(commands[0].text, std::string("D0\0", 3));
    EXPECT_EQ(commands[1].text, std::string(1, '\0'));
}
