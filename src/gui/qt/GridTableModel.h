#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include <map>

namespace travek {

class GridModel;

// Shows a GridModel in a QTableView. The grid's fixed rows become the view's horizontal header, so
// view row i is grid row i + fixedRows; the fixed columns stay ordinary view columns drawn like a
// header and cannot be selected. Nothing can be edited through the view.
class GridTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridTableModel(GridModel& grid, QObject* parent = nullptr);
    ~GridTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Background of the cells of one grid column; an invalid colour gives the view's default.
    void setColumnBackground(int col, const QColor& colour);
    // Background of the step cells of one grid row, over its column's (a verdict); an invalid
    // colour gives the column's back.
    void setRowBackground(int gridRow, const QColor& colour);

    // Loading a file changes the row count once per line; between these two calls the changes are
    // collected and the view is told once at the end.
    void beginBatch();
    void endBatch();

    int gridRow(const QModelIndex& index) const;
    QModelIndex indexOf(int col, int gridRow) const;

private:
    void cellChanged(int col, int row);
    void rowCountChanged(int oldCount, int newCount);

    GridModel& m_grid;
    std::vector<QColor> m_columnBackground;
    std::map<int, QColor> m_rowBackground; // by grid row
    int m_batchDepth = 0;
};

} // namespace travek
