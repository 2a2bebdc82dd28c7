#include "gui/win32/GridView.h"

#include "core/files/GridModel.h"
#include "gui/win32/DialogWindow.h"

#include <algorithm>
#include <string>
#include <windowsx.h>

namespace travek {

namespace {

constexpr UINT_PTR SubclassId = 1;

} // namespace

GridView::GridView(GridModel& grid, Handlers handlers) : m_grid(grid), m_handlers(std::move(handlers)) {}

GridView::~GridView() {
    m_grid.onCellChanged = nullptr;
    m_grid.onRowCountChanged = nullptr;
    if (m_header)
        ::RemoveWindowSubclass(m_header, &GridView::headerProc, SubclassId);
    if (m_list)
        ::RemoveWindowSubclass(m_list, &GridView::listProc, SubclassId);
    if (m_rowHeight)
        ImageList_Destroy(m_rowHeight);
}

void GridView::create(HWND parent, int id, HFONT font) {
    m_font = font;
    m_list = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                   LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                               0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_GRIDLINES);
    // The rows are as high as the row image.
    m_rowHeight = ImageList_Create(1, scaled(RowHeight), ILC_COLOR, 1, 0);
    ListView_SetImageList(m_list, m_rowHeight, LVSIL_SMALL);
    for (int col = 0; col < m_grid.colCount(); ++col) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>("");
        column.cx = 60;
        column.iSubItem = col;
        ::SendMessageA(m_list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(col),
                       reinterpret_cast<LPARAM>(&column));
    }
    ListView_SetColumnWidth(m_list, 0, std::max(scaled(30), textWidth(m_list, font, "Step") + scaled(12)));
    ListView_SetColumnWidth(m_list, 1, std::max(scaled(44), textWidth(m_list, font, "Kanal") + scaled(12)));
    // The list view's own handling of keys and double-clicks selects whole rows, which the grid
    // refuses, and knows nothing of cells: the grid takes them first.
    ::SetWindowSubclass(m_list, &GridView::listProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
    m_header = ListView_GetHeader(m_list);
    if (m_header)
        ::SetWindowSubclass(m_header, &GridView::headerProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));

    m_grid.onCellChanged = [this](int, int row) { cellChanged(row); };
    m_grid.onRowCountChanged = [this](int, int) {
        if (!m_batch)
            syncRowCount();
    };
}

void GridView::place(int x, int y, int width, int height) {
    ::MoveWindow(m_list, x, y, width, height, TRUE);
    RECT client;
    ::GetClientRect(m_list, &client);
    const int last = m_grid.colCount() - 1;
    if (last > KeyColumn)
        ListView_SetColumnWidth(m_list, KeyColumn, scaled(150));
    int rest = client.right;
    for (int col = 0; col < last; ++col)
        rest -= ListView_GetColumnWidth(m_list, col);
    ListView_SetColumnWidth(m_list, last, std::max(scaled(60), rest));
}

void GridView::setRowColour(int row, std::optional<COLORREF> colour) {
    if (colour)
        m_rowColours[row] = *colour;
    else if (m_rowColours.erase(row) == 0)
        return;
    redrawRow(row);
}

int GridView::currentCol() const {
    return m_currentCol >= 0 ? m_currentCol : m_grid.fixedCols();
}

int GridView::currentRow() const {
    if (m_currentRow >= m_grid.fixedRows() && m_currentRow < m_grid.rowCount())
        return m_currentRow;
    return m_grid.rowCount() > m_grid.fixedRows() ? m_grid.fixedRows() : -1;
}

void GridView::setCurrentCell(int col, int row) {
    if (col < 0 || col >= m_grid.colCount() || row < m_grid.fixedRows() || row >= m_grid.rowCount())
        return;
    moveCurrent(col, row);
}

POINT GridView::currentCellCorner() const {
    RECT cell{};
    const int item = std::max(0, currentRow() - m_grid.fixedRows());
    ListView_GetSubItemRect(m_list, item, currentCol(), LVIR_BOUNDS, &cell);
    POINT at{cell.left, cell.bottom};
    ::ClientToScreen(m_list, &at);
    return at;
}

void GridView::beginUpdate() {
    m_batch = true;
    ::SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
}

void GridView::endUpdate() {
    m_batch = false;
    syncRowCount();
    updateHeader();
    ::SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_list, nullptr, TRUE);
}

void GridView::syncRowCount() {
    const int wanted = std::max(0, m_grid.rowCount() - m_grid.fixedRows());
    int shown = ListView_GetItemCount(m_list);
    for (; shown < wanted; ++shown) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = shown;
        item.pszText = LPSTR_TEXTCALLBACKA;
        ::SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (; shown > wanted; --shown)
        ListView_DeleteItem(m_list, shown - 1);
    if (m_currentRow >= m_grid.rowCount())
        m_currentRow = m_grid.rowCount() > m_grid.fixedRows() ? m_grid.rowCount() - 1 : -1;
    ::InvalidateRect(m_list, nullptr, TRUE);
}

void GridView::cellChanged(int row) {
    if (row < m_grid.fixedRows())
        updateHeader();
    else if (!m_batch)
        redrawRow(row);
}

void GridView::updateHeader() {
    for (int col = 0; col < m_grid.colCount(); ++col) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<char*>(m_grid.cell(col, 0).c_str());
        ::SendMessageA(m_list, LVM_SETCOLUMNA, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
    }
}

void GridView::redrawRow(int row) {
    const int item = row - m_grid.fixedRows();
    if (item >= 0 && item < ListView_GetItemCount(m_list))
        ListView_RedrawItems(m_list, item, item);
}

void GridView::moveCurrent(int col, int row) {
    const int oldRow = m_currentRow;
    // The step numbers cannot be chosen: the channel cell of the same row is.
    m_currentCol = std::clamp(col, m_grid.fixedCols(), m_grid.colCount() - 1);
    m_currentRow = row;
    const int item = row - m_grid.fixedRows();
    // The focus mark follows (screen readers announce it), never the selection.
    ListView_SetItemState(m_list, item, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(m_list, item, FALSE);
    if (oldRow != row)
        redrawRow(oldRow);
    redrawRow(row);
}

bool GridView::cellAt(POINT point, int& col, int& row) const {
    LVHITTESTINFO hit{};
    hit.pt = point;
    if (ListView_SubItemHitTest(m_list, &hit) < 0 || hit.iItem < 0)
        return false;
    col = hit.iSubItem;
    row = hit.iItem + m_grid.fixedRows();
    return true;
}

int GridView::rowsPerPage() const {
    return std::max(1, ListView_GetCountPerPage(m_list));
}

bool GridView::key(WPARAM virtualKey) {
    const int row = currentRow();
    if (row < 0)
        return false;
    const int first = m_grid.fixedRows();
    const int last = m_grid.rowCount() - 1;
    const int col = currentCol();
    switch (virtualKey) {
    case VK_UP:
        moveCurrent(col, std::max(first, row - 1));
        return true;
    case VK_DOWN:
        moveCurrent(col, std::min(last, row + 1));
        return true;
    case VK_PRIOR:
        moveCurrent(col, std::max(first, row - rowsPerPage()));
        return true;
    case VK_NEXT:
        moveCurrent(col, std::min(last, row + rowsPerPage()));
        return true;
    case VK_HOME:
        moveCurrent(col, first);
        return true;
    case VK_END:
        moveCurrent(col, last);
        return true;
    case VK_LEFT:
        moveCurrent(col - 1, row);
        return true;
    case VK_RIGHT:
        moveCurrent(col + 1, row);
        return true;
    case VK_RETURN:
    case VK_F2:
    case VK_SPACE:
        if (m_handlers.activateCell)
            m_handlers.activateCell(col, row);
        return true;
    default:
        return false;
    }
}

void GridView::doubleClick(POINT point) {
    int col = 0;
    int row = 0;
    if (cellAt(point, col, row)) {
        moveCurrent(col, row);
        if (m_handlers.activateCell)
            m_handlers.activateCell(currentCol(), currentRow());
    } else if (m_handlers.activateGrid) {
        m_handlers.activateGrid();
    }
}

LRESULT CALLBACK GridView::listProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data) {
    auto* self = reinterpret_cast<GridView*>(data);
    switch (message) {
    case WM_GETDLGCODE:
        // Enter and the arrows belong to the grid, also where a dialog manager runs.
        return ::DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTARROWS |
               (wParam == VK_RETURN ? DLGC_WANTALLKEYS : 0);
    case WM_KEYDOWN:
        if (self->key(wParam))
            return 0;
        break;
    case WM_CHAR:
        // The characters of the keys above would only make the list view search for an item.
        if (wParam == '\r' || wParam == ' ')
            return 0;
        break;
    case WM_LBUTTONDBLCLK:
        self->doubleClick({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK GridView::headerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
    // The header row is a row of the grid: its double-click is one on the grid, not the sizing of
    // a column (the layout sizes them).
    if (message == WM_LBUTTONDBLCLK) {
        auto* self = reinterpret_cast<GridView*>(data);
        if (self->m_handlers.activateGrid)
            self->m_handlers.activateGrid();
        return 0;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT GridView::notify(NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        if (info->item.mask & LVIF_TEXT) {
            const int row = info->item.iItem + m_grid.fixedRows();
            const std::string text = row < m_grid.rowCount() && info->item.iSubItem < m_grid.colCount()
                                         ? m_grid.cell(info->item.iSubItem, row)
                                         : std::string();
            ::lstrcpynA(info->item.pszText, text.c_str(), info->item.cchTextMax);
        }
        return 0;
    }
    case LVN_ITEMCHANGING: {
        // Rows are never selected as a whole: the current cell is drawn instead.
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        return (change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) ? TRUE : FALSE;
    }
    case LVN_ITEMCHANGED: {
        // The list view moves its focus itself too (typing a step's first digits finds it).
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (change->iItem >= 0 && (change->uNewState & LVIS_FOCUSED) && !(change->uOldState & LVIS_FOCUSED)) {
            const int row = change->iItem + m_grid.fixedRows();
            if (row != m_currentRow)
                moveCurrent(currentCol(), row);
        }
        return 0;
    }
    case NM_CLICK:
    case NM_RCLICK: {
        POINT point;
        ::GetCursorPos(&point);
        ::ScreenToClient(m_list, &point);
        int col = 0;
        int row = 0;
        if (cellAt(point, col, row))
            moveCurrent(col, row);
        return 0;
    }
    case NM_CUSTOMDRAW:
        return customDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    default:
        return 0;
    }
}

LRESULT GridView::customDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int row = static_cast<int>(draw->nmcd.dwItemSpec) + m_grid.fixedRows();
        const int col = draw->iSubItem;
        draw->clrText = ::GetSysColor(COLOR_WINDOWTEXT);
        if (row == m_currentRow && col == currentCol()) {
            draw->clrText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
            draw->clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
        } else if (col < m_grid.fixedCols()) {
            draw->clrTextBk = ::GetSysColor(COLOR_BTNFACE);
        } else if (const auto verdict = m_rowColours.find(row); verdict != m_rowColours.end()) {
            draw->clrTextBk = verdict->second;
        } else if (col == KeyColumn) {
            draw->clrTextBk = KeyColumnColour;
        } else {
            draw->clrTextBk = ::GetSysColor(COLOR_WINDOW);
        }
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

} // namespace travek
