#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <optional>

namespace travek {

class GridModel;

// The sequence grid ("SAGScript") on a list view in report mode, as the Qt side shows it through
// its table model: the grid's fixed row is the list view's header, its rows are the items, and the
// current cell is drawn instead of a selected row. It shows the GridModel and says what the user
// did with it; the window decides what that means.
//
// The keyboard works as in any Windows grid: the arrow keys, Home, End, Page Up and Page Down move
// the current cell, and Enter, F2 and Space act on it as a double-click does. A double-click
// anywhere else in the grid (the header row, the empty area below the steps) is a double-click on
// the grid all the same.
class GridView {
public:
    struct Handlers {
        // A double-click, Enter, F2 or Space on the cell (column, row of the grid, header row 0).
        std::function<void(int col, int row)> activateCell;
        // A double-click on the grid outside its cells.
        std::function<void()> activateGrid;
    };

    // The pale grey of the key column (and of the series string beside "Nach"), a Windows colour
    // reference.
    static constexpr COLORREF KeyColumnColour = 15000558;
    static constexpr int RowHeight = 20;
    // The key column, drawn in KeyColumnColour; the tolerance column after it takes the width left.
    static constexpr int KeyColumn = 2;

    GridView(GridModel& grid, Handlers handlers);
    ~GridView();
    GridView(const GridView&) = delete;
    GridView& operator=(const GridView&) = delete;

    // Makes the list view as a child of parent with the control id id.
    void create(HWND parent, int id, HFONT font);
    HWND handle() const { return m_list; }
    // Places it; the last column takes the width the others leave.
    void place(int x, int y, int width, int height);

    // The current cell, the header being row 0; the row is -1 without step rows.
    int currentCol() const;
    int currentRow() const;
    // Ignored outside the steps.
    void setCurrentCell(int col, int row);
    // Where a menu opened from the keyboard appears: below the current cell, in screen coordinates.
    POINT currentCellCorner() const;

    // The background of a row's step cells (a verdict); nothing gives the columns' own back.
    void setRowColour(int row, std::optional<COLORREF> colour);

    // Many changes follow until endUpdate: the rows and the header are brought up to date once.
    void beginUpdate();
    void endUpdate();

    // The list view's WM_NOTIFY, which arrives at the parent.
    LRESULT notify(NMHDR* header);

private:
    static LRESULT CALLBACK listProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    static LRESULT CALLBACK headerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    // True when the key was one of the grid's own.
    bool key(WPARAM virtualKey);
    void doubleClick(POINT point);
    LRESULT customDraw(NMLVCUSTOMDRAW* draw);
    // The grid cell under a point of the list view's client area; false off the steps.
    bool cellAt(POINT point, int& col, int& row) const;
    void moveCurrent(int col, int row);
    void redrawRow(int row);
    void syncRowCount();
    void cellChanged(int row);
    void updateHeader();
    int rowsPerPage() const;

    GridModel& m_grid;
    Handlers m_handlers;
    HWND m_list = nullptr;
    HWND m_header = nullptr;
    HFONT m_font = nullptr;
    HIMAGELIST m_rowHeight = nullptr;
    int m_currentCol = -1;
    int m_currentRow = -1;
    bool m_batch = false;
    std::map<int, COLORREF> m_rowColours; // by grid row
};

} // namespace travek
