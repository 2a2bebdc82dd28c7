#pragma once

#include <string>
#include <string_view>

namespace travek {

class GridModel;

// Grid text files: one line per row below the fixed rows, cells separated by TAB, CR LF line ends.
inline constexpr char GridFileSeparator = '\t';

// Writes every non-fixed row that is not wholly blank, the first "." of each cell written as ",".
// The file is replaced atomically; on failure (Error) the old file stays whole.
void SaveGridToFile(const GridModel& grid, const std::string& fileName);

// Fills the grid from the file, one row per line. A file that cannot be opened empties the
// non-fixed cells instead, silently. Lines end at CR, CR LF or LF; a Ctrl-Z ends the file.
// pieceSeparator is the key-string separator: the last field is a key string, cut to whole pieces.
void LoadGridFromFile(GridModel& grid, const std::string& fileName, char pieceSeparator = ';');

// The first non-fixed row whose cell in column is blank, or the row count when none is.
int FirstBlankRow(const GridModel& grid, int column);

// Stores the TAB-separated fields of line into row from column 0; the last field stored takes the
// rest of the line, cut to at most 100 characters without breaking a piece of the key string.
void SplitLineToRow(std::string_view line, int row, GridModel& grid, char pieceSeparator = ';');

// Empties every non-fixed cell; headers, fixed columns and the row count stay.
void ClearGridCells(GridModel& grid);

} // namespace travek
