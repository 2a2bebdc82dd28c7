#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace travek {

class GridModel;

// Grid text files: one line per row below the fixed rows, cells separated by TAB, CR LF line ends.
inline constexpr char GridFileSeparator = '\t';

// The columns a sequence file holds: the step, its channel and its keys. A grid's further columns
// (the tolerance shown beside a step) are not part of the format, which other programs read.
inline constexpr int SequenceFileColumns = 3;

// Writes every non-fixed row that is not wholly blank, the first "." of each cell written as ",";
// of the first SequenceFileColumns columns only.
// The file is replaced atomically; on failure (Error) the old file stays whole.
void saveGridToFile(const GridModel& grid, const std::string& fileName);

// The most rows a sequence file may have: one per step.
inline constexpr std::size_t MaxSequenceRows = 99;

// Fills the grid from the file, one row per line. A file that cannot be opened empties the
// non-fixed cells instead, silently. A file that is refused (not a regular file, too large, more
// than MaxSequenceRows rows) throws Error naming it, and the grid stays as it was. Lines end at CR, CR LF or
// LF; a Ctrl-Z ends the file. The last field is a key string, cut to 100 characters without breaking a key
// (cutKeyString).
void loadGridFromFile(GridModel& grid, const std::string& fileName);

// The first non-fixed row whose cell in column is blank, or the row count when none is.
int firstBlankRow(const GridModel& grid, int column);

// Stores the TAB-separated fields of line into row from column 0, into the first
// SequenceFileColumns columns at most; the last field stored takes the rest of the line, cut to at most 100
// characters without breaking a key (cutKeyString).
void splitLineToRow(std::string_view line, int row, GridModel& grid);

// Empties every non-fixed cell; headers, fixed columns and the row count stay.
void clearGridCells(GridModel& grid);

} // namespace travek
