#include "core/files/GridFile.h"
#include "core/files/GridModel.h"
#include "core/text/Error.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace travek;

namespace {

GridModel sequenceGrid() {
    GridModel grid(3, 100, 1, 1);
    for (int r = 1; r < 100; ++r)
        grid.setCell(0, r, std::to_string(r));
    return grid;
}

} // namespace

TEST(GridFile, SavesEveryNonBlankRowWithFirstPointAsComma) {
    test::TempDir dir;
    GridModel grid(3, 4, 1, 1);
    grid.setCell(0, 0, "Step");
    grid.setCell(0, 1, "1");
    grid.setCell(1, 1, "2");
    grid.setCell(2, 1, "1.5{TAB};");
    grid.setCell(2, 2, "   "); // blank row: left out
    grid.setCell(0, 3, "3");
    grid.setCell(2, 3, "1.2.3");
    saveGridToFile(grid, dir.file("a.abl"));
    EXPECT_EQ(dir.read("a.abl"), "1\t2\t1,5{TAB};\r\n3\t\t1,2.3\r\n");
    EXPECT_EQ(grid.cell(2, 1), "1.5{TAB};"); // the grid itself is not changed

    GridModel loaded = sequenceGrid();
    loadGridFromFile(loaded, dir.file("a.abl"));
    EXPECT_EQ(loaded.rowCount(), 3);
    EXPECT_EQ(loaded.cell(2, 1), "1,5{TAB};");
    EXPECT_EQ(loaded.cell(2, 2), "1,2.3");
}

TEST(GridFile, EmptyGridsAndEmptyFiles) {
    test::TempDir dir;
    GridModel blank(3, 5, 1, 1);
    saveGridToFile(blank, dir.file("empty.abl"));
    EXPECT_EQ(dir.read("empty.abl"), "");
    GridModel grid = sequenceGrid();
    grid.setCell(1, 4, "7");
    loadGridFromFile(grid, dir.file("empty.abl"));
    EXPECT_EQ(grid.rowCount(), 100);
    EXPECT_EQ(grid.cell(1, 4), "7");
}

TEST(GridFile, SplittingLinesIntoRows) {
    GridModel grid(3, 2, 1, 1);
    grid.setCell(1, 1, "old1");
    grid.setCell(2, 1, "old2");
    splitLineToRow("only", 1, grid);
    EXPECT_THAT((std::vector<std::string>{grid.cell(0, 1), grid.cell(1, 1), grid.cell(2, 1)}),
                testing::ElementsAre("only", "old1", "old2"));
    splitLineToRow("a\tb\tc\td\te", 1, grid);
    EXPECT_EQ(grid.cell(2, 1), "c\td\te");
    // Only the last field is cut, to its first 100 characters (cutKeyString).
    splitLineToRow(std::string(150, 'm') + "\t" + std::string(99, 'l') + ";rest;", 1, grid);
    EXPECT_EQ(grid.cell(0, 1).size(), 150u);
    EXPECT_EQ(grid.cell(1, 1), std::string(99, 'l') + ";");
    splitLineToRow("1\t" + std::string(150, 'l'), 1, grid);
    EXPECT_EQ(grid.cell(1, 1), std::string(100, 'l'));
}

TEST(GridFile, LineEndsAndCtrlZ) {
    test::TempDir dir;
    dir.write("mixed.abl", "1\t3\tx\r\n2\t4\ty\n3\t5\tz\r4\t6\tw\x1Aignored\r\n");
    GridModel grid = sequenceGrid();
    loadGridFromFile(grid, dir.file("mixed.abl"));
    ASSERT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.cell(2, 2), "y");
    EXPECT_EQ(grid.cell(2, 3), "z");
    EXPECT_EQ(grid.cell(2, 4), "w");

    std::string ten;
    for (int i = 1; i <= 10; ++i)
        ten += std::to_string(i) + "\t\t\r\n";
    dir.write("ten.abl", ten);
    GridModel seq = sequenceGrid();
    loadGridFromFile(seq, dir.file("ten.abl"));
    EXPECT_EQ(seq.rowCount(), 11);
}

TEST(GridFile, MissingFileEmptiesTheCellsButKeepsHeaders) {
    GridModel grid = sequenceGrid();
    grid.setCell(1, 0, "Kanal");
    grid.setCell(1, 3, "5");
    loadGridFromFile(grid, "/nonexistent/file.abl");
    EXPECT_EQ(grid.cell(1, 3), "");
    EXPECT_EQ(grid.cell(1, 0), "Kanal");
    EXPECT_EQ(grid.cell(0, 3), "3");
    EXPECT_EQ(grid.rowCount(), 100);
}

TEST(GridFile, FailedSaveLeavesTheOldFileWhole) {
    test::TempDir dir;
    GridModel grid = sequenceGrid();
    grid.setCell(1, 1, "3");
    saveGridToFile(grid, dir.file("keep.abl"));
    const std::string before = dir.read("keep.abl");
    // A directory in the way of the rename: the write fails after the temporary file was made.
    EXPECT_THROW(saveGridToFile(grid, dir.path()), Error);
    EXPECT_THROW(saveGridToFile(grid, dir.file("keep.abl/x")), Error);
    EXPECT_EQ(dir.read("keep.abl"), before);
    // No temporary files left behind.
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(GridFile, FirstBlankRow) {
    GridModel grid = sequenceGrid();
    grid.setCell(1, 1, "  ");
    EXPECT_EQ(firstBlankRow(grid, 1), 1);
    for (int r = 1; r < 100; ++r)
        grid.setCell(1, r, "1");
    EXPECT_EQ(firstBlankRow(grid, 1), 100);
}

TEST(GridFile, RandomRoundTrips) {
    test::TempDir dir;
    std::mt19937 rng(12345);
    const std::string alphabet = "ab{}^@;,. 0123456789\xe4\xf6";
    for (int round = 0; round < 200; ++round) {
        GridModel grid(3, 2 + rng() % 20, 1, 1);
        for (int r = 1; r < grid.rowCount(); ++r) {
            grid.setCell(0, r, std::to_string(r));
            for (int c = 1; c < 3; ++c) {
                std::string text;
                for (int n = rng() % (c == 2 ? 100 : 5); n > 0; --n)
                    text += alphabet[rng() % alphabet.size()];
                grid.setCell(c, r, text);
            }
        }
        saveGridToFile(grid, dir.file("r.abl"));
        GridModel loaded(3, 100, 1, 1);
        loadGridFromFile(loaded, dir.file("r.abl"));
        ASSERT_EQ(loaded.rowCount(), grid.rowCount());
        for (int r = 1; r < grid.rowCount(); ++r)
            for (int c = 0; c < 3; ++c) {
                std::string expected = grid.cell(c, r);
                if (auto p = expected.find('.'); p != std::string::npos)
                    expected[p] = ',';
                ASSERT_EQ(loaded.cell(c, r), expected) << "round " << round << " cell " << c << "," << r;
            }
    }
}
