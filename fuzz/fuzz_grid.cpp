// Sequence files: any bytes load into the grid, and saving is stable: what was saved once loads
// and saves again to the same file. The first "." of a cell is written as ",", so a cell with
// several points changes once more per save; apart from that the files must be equal.

#include "FuzzSupport.h"
#include "core/files/GridFile.h"
#include "core/files/GridModel.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <algorithm>

using namespace travek;
using namespace travek::fuzz;

namespace {

// The grid of the main window: step, channel and keys columns, one header row.
GridModel sequenceGrid() {
    GridModel grid(3, 2, 1, 1);
    grid.setCell(0, 0, "Step");
    grid.setCell(1, 0, "Kanal");
    grid.setCell(2, 0, "Taste(n)");
    return grid;
}

std::string readBack(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        fail("saved file missing: " + path);
    std::string content;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        content.append(buf, n);
    std::fclose(f);
    return content;
}

std::string pointsAsCommas(std::string text) {
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const std::string input = ScratchDir::file("input.abl");
    static const std::string first = ScratchDir::file("first.abl");
    static const std::string second = ScratchDir::file("second.abl");
    writeFile(input, std::string_view(reinterpret_cast<const char*>(bytes), size));

    GridModel grid = sequenceGrid();
    try {
        loadGridFromFile(grid, input);
    } catch (const Error&) {
        // More rows than a sequence has: refused whole, the grid as it was.
        if (grid.rowCount() != 2 || !grid.cell(1, 1).empty())
            fail("a refused file changed the grid");
        return 0;
    }
    if (!(grid.rowCount() >= 1 && grid.cell(1, 0) == "Kanal"))
        fail("loading changed the header row");
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        for (int col = 0; col < grid.colCount(); ++col)
            if (grid.cell(col, row).find_first_of("\r\n\x1A") != std::string::npos)
                fail("a cell holds a line end or Ctrl-Z");
    saveGridToFile(grid, first);
    const std::string once = readBack(first);

    GridModel again = sequenceGrid();
    loadGridFromFile(again, first);
    saveGridToFile(again, second);
    const std::string twice = readBack(second);

    const bool same =
        once.find('.') == std::string::npos ? twice == once : pointsAsCommas(twice) == pointsAsCommas(once);
    if (!same)
        fail("saving the loaded file again changed it:\n" + printable(once) + "\n" + printable(twice));
    return 0;
}
