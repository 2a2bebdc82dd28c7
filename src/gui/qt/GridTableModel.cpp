#include "gui/qt/GridTableModel.h"

#include "core/files/GridModel.h"
#include "gui/qt/Win1252.h"

#include <QApplication>
#include <QPalette>

namespace travek {

GridTableModel::GridTableModel(GridModel& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid),
      m_columnBackground(static_cast<std::size_t>(grid.colCount())) {
    m_grid.onCellChanged = [this](int col, int row) { cellChanged(col, row); };
    m_grid.onRowCountChanged = [this](int oldCount, int newCount) { rowCountChanged(oldCount, newCount); };
}

GridTableModel::~GridTableModel() {
    m_grid.onCellChanged = nullptr;
    m_grid.onRowCountChanged = nullptr;
}

int GridTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, m_grid.rowCount() - m_grid.fixedRows());
}

int GridTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grid.colCount();
}

int GridTableModel::gridRow(const QModelIndex& index) const {
    return index.isValid() ? index.row() + m_grid.fixedRows() : -1;
}

QModelIndex GridTableModel::indexOf(int col, int gridRow) const {
    return index(gridRow - m_grid.fixedRows(), col);
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int col = index.column();
    const bool fixed = col < m_grid.fixedCols();
    switch (role) {
    case Qt::DisplayRole:
        return fromWin1252(m_grid.cell(col, gridRow(index)));
    case Qt::BackgroundRole:
        if (fixed)
            return QApplication::palette().button();
        if (const auto row = m_rowBackground.find(gridRow(index)); row != m_rowBackground.end())
            return row->second;
        if (m_columnBackground[static_cast<std::size_t>(col)].isValid())
            return m_columnBackground[static_cast<std::size_t>(col)];
        return {};
    case Qt::TextAlignmentRole:
        return fixed ? QVariant(Qt::AlignCenter) : QVariant(Qt::AlignVCenter | Qt::AlignLeft);
    default:
        return {};
    }
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && m_grid.fixedRows() > 0 && section >= 0 &&
        section < m_grid.colCount())
        return fromWin1252(m_grid.cell(section, 0));
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignVCenter | Qt::AlignLeft);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() < m_grid.fixedCols())
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void GridTableModel::setColumnBackground(int col, const QColor& colour) {
    m_columnBackground.at(static_cast<std::size_t>(col)) = colour;
    if (rowCount() > 0)
        emit dataChanged(index(0, col), index(rowCount() - 1, col), {Qt::BackgroundRole});
}

void GridTableModel::setRowBackground(int gridRow, const QColor& colour) {
    if (colour.isValid())
        m_rowBackground[gridRow] = colour;
    else if (m_rowBackground.erase(gridRow) == 0)
        return;
    const QModelIndex first = indexOf(m_grid.fixedCols(), gridRow);
    if (first.isValid())
        emit dataChanged(first, first.siblingAtColumn(columnCount() - 1), {Qt::BackgroundRole});
}

void GridTableModel::beginBatch() {
    if (m_batchDepth++ == 0) {
        beginResetModel();
    }
}

void GridTableModel::endBatch() {
    if (--m_batchDepth == 0)
        endResetModel();
}

void GridTableModel::cellChanged(int col, int row) {
    if (m_batchDepth > 0)
        return;
    if (row < m_grid.fixedRows()) {
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    const QModelIndex i = indexOf(col, row);
    emit dataChanged(i, i);
}

void GridTableModel::rowCountChanged(int, int) {
    if (m_batchDepth > 0)
        return;
    // The grid has already changed when it tells us, so the view cannot be given the usual
    // before/after pair for the rows concerned; it is reset instead.
    beginResetModel();
    endResetModel();
}

} // namespace travek
