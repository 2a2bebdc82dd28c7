#pragma once

#include <functional>
#include <string>
#include <vector>

namespace travek {

// A grid of text cells with fixed (header) rows and columns, addressed (column, row) from 0. It is
// the content of the sequence table; the window's view shows it and listens for changes.
class GridModel {
public:
    GridModel(int colCount, int rowCount, int fixedCols, int fixedRows);

    int colCount() const { return m_colCount; }
    int rowCount() const { return static_cast<int>(m_cells.size()); }
    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }

    // Rows added are empty; rows removed lose their cells.
    void setRowCount(int rowCount);

    const std::string& cell(int col, int row) const;
    void setCell(int col, int row, std::string text);

    // Called after setRowCount with the old and new counts, and after setCell.
    std::function<void(int oldCount, int newCount)> onRowCountChanged;
    std::function<void(int col, int row)> onCellChanged;

private:
    int m_colCount;
    int m_fixedCols;
    int m_fixedRows;
    std::vector<std::vector<std::string>> m_cells; // [row][col]
};

} // namespace travek
