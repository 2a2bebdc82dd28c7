#include "core/files/GridFile.h"

#include "core/files/FileIo.h"
#include "core/files/GridModel.h"
#include "core/text/Error.h"
#include "core/text/KeyString.h"
#include "core/text/TextHelpers.h"

#include <algorithm>
#include <cerrno>

namespace travek {

namespace {

constexpr std::size_t MaxLastFieldLength = 100;

bool isBlank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

std::string firstPointToComma(std::string text) {
    const auto point = text.find('.');
    if (point != std::string::npos)
        text[point] = ',';
    return text;
}

} // namespace

void saveGridToFile(const GridModel& grid, const std::string& fileName) {
    std::string content;
    const int columns = std::min(grid.colCount(), SequenceFileColumns);
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        bool allBlank = true;
        for (int col = 0; col < columns && allBlank; ++col)
            allBlank = isBlank(grid.cell(col, row));
        if (allBlank)
            continue;
        for (int col = 0; col < columns; ++col) {
            content += firstPointToComma(grid.cell(col, row));
            content += col + 1 < columns ? std::string(1, GridFileSeparator) : std::string("\r\n");
        }
    }
    writeFileAtomically(fileName, content);
}

namespace {

// The lines of a sequence file that make rows: all up to the last that is not empty.
std::size_t countRows(std::string_view data) {
    std::size_t rows = 0;
    std::size_t lines = 0;
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t end = data.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = data.size();
        ++lines;
        if (end > pos)
            rows = lines;
        pos = end;
        if (pos < data.size() && data[pos] == '\r')
            ++pos;
        if (pos < data.size() && data[pos] == '\n')
            ++pos;
    }
    return rows;
}

} // namespace

void loadGridFromFile(GridModel& grid, const std::string& fileName) {
    const auto content = readWholeFile(fileName, FileLimit::Sequence);
    if (!content) {
        clearGridCells(grid);
        return;
    }
    const std::string& data = *content;
    const std::size_t size = std::min(data.find('\x1A'), data.size());
    // A sequence has at most MaxSequenceRows steps; a longer file is not one of TRAVEK's, and
    // loading a part of it would lose the rest at the next save.
    if (countRows(std::string_view(data).substr(0, size)) > MaxSequenceRows)
        throw Error(EFBIG,
                    nameForUser(fileName) + ": mehr als " + std::to_string(MaxSequenceRows) + " Zeilen");
    std::size_t pos = 0;
    int row = grid.fixedRows();
    while (pos < size) {
        grid.setRowCount(row + 1);
        std::size_t end = data.find_first_of("\r\n", pos);
        if (end == std::string::npos || end > size)
            end = size;
        splitLineToRow(std::string_view(data).substr(pos, end - pos), row, grid);
        pos = end;
        if (pos < size && data[pos] == '\r')
            ++pos;
        if (pos < size && data[pos] == '\n')
            ++pos;
        ++row;
    }
}

int firstBlankRow(const GridModel& grid, int column) {
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        if (isBlank(grid.cell(column, row)))
            return row;
    return grid.rowCount();
}

void splitLineToRow(std::string_view line, int row, GridModel& grid) {
    int col = 0;
    const int last = std::min(grid.colCount(), SequenceFileColumns) - 1;
    for (auto tab = line.find(GridFileSeparator); tab != std::string_view::npos && col != last;
         tab = line.find(GridFileSeparator)) {
        grid.setCell(col, row, std::string(line.substr(0, tab)));
        line.remove_prefix(tab + 1);
        ++col;
    }
    grid.setCell(col, row, cutKeyString(line, MaxLastFieldLength));
}

void clearGridCells(GridModel& grid) {
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        for (int col = grid.fixedCols(); col < grid.colCount(); ++col)
            grid.setCell(col, row, std::string());
}

} // namespace travek
