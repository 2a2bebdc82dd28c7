#include "core/files/GridModel.h"

#include <stdexcept>

namespace travek {

GridModel::GridModel(int colCount, int rowCount, int fixedCols, int fixedRows)
    : m_colCount(colCount), m_fixedCols(fixedCols), m_fixedRows(fixedRows),
      m_cells(static_cast<std::size_t>(rowCount),
              std::vector<std::string>(static_cast<std::size_t>(colCount))) {}

void GridModel::setRowCount(int rowCount) {
    if (rowCount < 0)
        rowCount = 0;
    const int old = this->rowCount();
    if (old == rowCount)
        return;
    m_cells.resize(static_cast<std::size_t>(rowCount),
                   std::vector<std::string>(static_cast<std::size_t>(m_colCount)));
    if (onRowCountChanged)
        onRowCountChanged(old, rowCount);
}

const std::string& GridModel::cell(int col, int row) const {
    return m_cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col));
}

void GridModel::setCell(int col, int row, std::string text) {
    auto& c = m_cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col));
    if (c == text)
        return;
    c = std::move(text);
    if (onCellChanged)
        onCellChanged(col, row);
}

} // namespace travek
