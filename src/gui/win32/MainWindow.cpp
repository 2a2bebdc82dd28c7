#include "gui/win32/MainWindow.h"

#include "core/session/Dialogs.h"
#include "core/session/Session.h"
#include "core/text/KeyString.h"
#include "gui/win32/Win32EventLoop.h"

#include <algorithm>
#include <commdlg.h>
#include <windowsx.h>

namespace travek {

namespace {

// The pale grey of the key column and the series string, a Windows colour reference.
constexpr COLORREF KeyColumnColour = 15000558;
constexpr COLORREF ActiveTextColour = RGB(0, 0, 128);
constexpr int ActiveHeight = 26;
constexpr int SeriesBarHeight = 24;
constexpr int RowHeight = 20;
constexpr int PanelMinWidth = 50;

int textWidth(HWND window, HFONT font, const std::string& text) {
    const HDC dc = ::GetDC(window);
    const HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return size.cx;
}

} // namespace

MainWindow::MainWindow(Win32EventLoop& loop) : m_loop(loop) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &MainWindow::windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WindowClass;
    ::RegisterClassA(&windowClass);

    m_font = DesignFont(false);
    m_activeFont = ::CreateFontA(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    m_keyColumnBrush = ::CreateSolidBrush(KeyColumnColour);
    m_whiteBrush = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));

    // The separator is read before the saved sequence that it is used on is loaded.
    m_session = std::make_unique<Session>(*this, m_loop, readKeySeparator());
    buildMenus();
    // 435 x 290 inside the frame, as the Qt window.
    RECT frame{0, 0, 435, 290};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    ::AdjustWindowRect(&frame, style, TRUE);
    m_window = ::CreateWindowExA(0, WindowClass, Session::Caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr, m_menus,
                                 instance, this);
    buildControls();

    m_serviceWindow.create(m_window);
    m_interfaceDialog.create(m_window);
    m_channelDialog.create(m_window);
    m_keyActionDialog.create(m_window);
    m_portListWindow = std::make_unique<PortListWindow>(m_session->portList(),
                                                        [this](const std::string& text) { showError(text); });
    m_portListWindow->create(m_window);
    m_comPortDialog = std::make_unique<ComPortDialog>(*m_portListWindow);
    m_comPortDialog->create(m_window);
    m_seriesCountDialog.create(m_window);
    m_targetWindowDialog.create(m_window);
    setFocusWindow(nullptr);

    GridModel& grid = m_session->grid();
    grid.onCellChanged = [this](int col, int row) { gridCellChanged(col, row); };
    grid.onRowCountChanged = [this](int, int) {
        if (!m_batch)
            syncRowCount();
    };
    m_session->open();
}

MainWindow::~MainWindow() {
    GridModel& grid = m_session->grid();
    grid.onCellChanged = nullptr;
    grid.onRowCountChanged = nullptr;
    // The port list refreshes itself through the event loop; it goes before the session it lists for.
    m_comPortDialog.reset();
    m_portListWindow.reset();
    m_session.reset();
    if (m_window)
        ::DestroyWindow(m_window);
    if (m_gridMenu)
        ::DestroyMenu(m_gridMenu);
    if (m_rowHeight)
        ImageList_Destroy(m_rowHeight);
    ::DeleteObject(m_font);
    ::DeleteObject(m_activeFont);
    ::DeleteObject(m_keyColumnBrush);
}

void MainWindow::buildMenus() {
    m_menus = ::CreateMenu();
    const HMENU datei = ::CreatePopupMenu();
    ::AppendMenuA(datei, MF_STRING, SaveCommand, "&Speichern");
    ::AppendMenuA(datei, MF_STRING, LoadCommand, "&Laden");
    ::AppendMenuA(datei, MF_STRING, QuitCommand, "&Beenden");
    ::AppendMenuA(m_menus, MF_POPUP, reinterpret_cast<UINT_PTR>(datei), "&Datei");
    const HMENU einstellungen = ::CreatePopupMenu();
    ::AppendMenuA(einstellungen, MF_STRING, InterfaceCommand, "&Interface");
    ::AppendMenuA(einstellungen, MF_STRING, ComPortCommand, "&Comport");
    ::AppendMenuA(einstellungen, MF_STRING, InitCommand, "&Init Interface");
    ::AppendMenuA(einstellungen, MF_STRING, TargetWindowCommand, "&Zielfenster\x85");
    m_settingsMenu = einstellungen;
    ::AppendMenuA(m_menus, MF_POPUP, reinterpret_cast<UINT_PTR>(einstellungen), "&Einstellungen");

    m_gridMenu = ::CreatePopupMenu();
    ::AppendMenuA(m_gridMenu, MF_STRING, InsertRowCommand, "Zeile &einf\xFCgen");
    ::AppendMenuA(m_gridMenu, MF_STRING, DeleteRowCommand, "Zeile ent&fernen");
}

void MainWindow::buildControls() {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    auto make = [&](DWORD exStyle, const char* className, const char* text, DWORD style, int id, HFONT font) {
        const HWND control =
            ::CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, m_window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };
    m_activeLabel =
        make(WS_EX_DLGMODALFRAME, "STATIC", "-", SS_CENTER | SS_CENTERIMAGE, ActiveId, m_activeFont);
    m_grid =
        make(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
             WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, GridId, m_font);
    ListView_SetExtendedListViewStyle(m_grid, LVS_EX_GRIDLINES);
    // The rows are as high as the row image.
    m_rowHeight = ImageList_Create(1, RowHeight, ILC_COLOR, 1, 0);
    ListView_SetImageList(m_grid, m_rowHeight, LVSIL_SMALL);
    const GridModel& grid = m_session->grid();
    for (int col = 0; col < grid.colCount(); ++col) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>("");
        column.cx = 60;
        column.iSubItem = col;
        ::SendMessageA(m_grid, LVM_INSERTCOLUMNA, static_cast<WPARAM>(col),
                       reinterpret_cast<LPARAM>(&column));
    }
    ListView_SetColumnWidth(m_grid, 0, std::max(30, textWidth(m_grid, m_font, "Step") + 12));
    ListView_SetColumnWidth(m_grid, 1, std::max(44, textWidth(m_grid, m_font, "Kanal") + 12));

    m_afterLabel = make(0, "STATIC", "Nach", SS_LEFT | SS_CENTERIMAGE, AfterId, m_font);
    // Their double-clicks edit the series settings.
    m_seriesCountLabel =
        make(0, "STATIC", "[ ]", SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY, SeriesCountId, m_font);
    m_seriesStringLabel = make(0, "STATIC", "", SS_LEFT | SS_CENTERIMAGE | SS_NOTIFY, SeriesStringId, m_font);
    m_panels = make(0, STATUSCLASSNAMEA, "", 0, PanelsId, m_font);
    layOutPanels();
    layOut();
}

void MainWindow::show(int how) {
    ::ShowWindow(m_window, how);
    ::UpdateWindow(m_window);
    ::SetFocus(m_grid);
}

void MainWindow::setKeyOutput(KeyOutput* keys, const std::string& whyNone) {
    m_session->setKeyOutput(keys, whyNone);
}

void MainWindow::scheduleStartUp() {
    m_session->scheduleStartUp();
}

void MainWindow::layOut() {
    RECT client;
    ::GetClientRect(m_window, &client);
    ::SendMessageA(m_panels, WM_SIZE, 0, 0);
    RECT panels;
    ::GetWindowRect(m_panels, &panels);
    const int width = client.right;
    const int panelsHeight = panels.bottom - panels.top;
    const int seriesTop = std::max<int>(ActiveHeight, client.bottom - panelsHeight - SeriesBarHeight);
    ::MoveWindow(m_activeLabel, 0, 0, width, ActiveHeight, TRUE);
    ::MoveWindow(m_grid, 0, ActiveHeight, width, seriesTop - ActiveHeight, TRUE);
    const int afterWidth = textWidth(m_window, m_font, "Nach") + 2;
    ::MoveWindow(m_afterLabel, 4, seriesTop + 2, afterWidth, SeriesBarHeight - 4, TRUE);
    ::MoveWindow(m_seriesCountLabel, 8 + afterWidth, seriesTop + 2, 41, SeriesBarHeight - 4, TRUE);
    const int stringLeft = 8 + afterWidth + 41 + 4;
    ::MoveWindow(m_seriesStringLabel, stringLeft, seriesTop + 2, std::max(0, width - stringLeft - 4),
                 SeriesBarHeight - 4, TRUE);
    // The key column takes what the other two leave.
    RECT gridClient;
    ::GetClientRect(m_grid, &gridClient);
    const int rest =
        gridClient.right - ListView_GetColumnWidth(m_grid, 0) - ListView_GetColumnWidth(m_grid, 1);
    ListView_SetColumnWidth(m_grid, 2, std::max(60, rest));
    layOutPanels();
}

void MainWindow::layOutPanels() {
    std::array<int, PanelCount> edges{};
    int right = 0;
    for (int i = 0; i < PanelCount; ++i) {
        const std::string& text = m_panelTexts[static_cast<std::size_t>(i)];
        right += std::max(PanelMinWidth, textWidth(m_panels, m_font, text) + 12);
        edges[static_cast<std::size_t>(i)] = right;
    }
    edges[PanelCount - 1] = -1; // the last panel stretches
    ::SendMessageA(m_panels, SB_SETPARTS, PanelCount, reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < PanelCount; ++i)
        ::SendMessageA(m_panels, SB_SETTEXTA, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(m_panelTexts[static_cast<std::size_t>(i)].c_str()));
}

void MainWindow::setPanelText(int panel, const std::string& text) {
    m_panelTexts.at(static_cast<std::size_t>(panel)) = text;
    layOutPanels();
}

void MainWindow::setActiveText(const std::string& text) {
    ::SetWindowTextA(m_activeLabel, text.c_str());
}

void MainWindow::setCaption(const std::string& text) {
    ::SetWindowTextA(m_window, text.c_str());
}

void MainWindow::showSeriesCount(const std::string& text) {
    ::SetWindowTextA(m_seriesCountLabel, text.c_str());
}

void MainWindow::showSeriesString(const std::string& text) {
    ::SetWindowTextA(m_seriesStringLabel, text.c_str());
}

void MainWindow::showServiceOutput(const std::string& text) {
    m_serviceWindow.setOutput(text);
}

void MainWindow::syncRowCount() {
    const GridModel& grid = m_session->grid();
    const int wanted = std::max(0, grid.rowCount() - grid.fixedRows());
    int shown = ListView_GetItemCount(m_grid);
    for (; shown < wanted; ++shown) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = shown;
        item.pszText = LPSTR_TEXTCALLBACKA;
        ::SendMessageA(m_grid, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (; shown > wanted; --shown)
        ListView_DeleteItem(m_grid, shown - 1);
    if (m_currentRow >= grid.rowCount())
        m_currentRow = grid.rowCount() > grid.fixedRows() ? grid.rowCount() - 1 : -1;
    ::InvalidateRect(m_grid, nullptr, TRUE);
}

void MainWindow::gridCellChanged(int, int row) {
    if (row < m_session->grid().fixedRows())
        updateHeader();
    else if (!m_batch)
        redrawRow(row);
}

void MainWindow::updateHeader() {
    const GridModel& grid = m_session->grid();
    for (int col = 0; col < grid.colCount(); ++col) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<char*>(grid.cell(col, 0).c_str());
        ::SendMessageA(m_grid, LVM_SETCOLUMNA, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
    }
}

void MainWindow::redrawRow(int row) {
    const int item = row - m_session->grid().fixedRows();
    if (item >= 0 && item < ListView_GetItemCount(m_grid))
        ListView_RedrawItems(m_grid, item, item);
}

void MainWindow::beginGridUpdate() {
    m_batch = true;
    ::SendMessageA(m_grid, WM_SETREDRAW, FALSE, 0);
}

void MainWindow::endGridUpdate() {
    m_batch = false;
    syncRowCount();
    updateHeader();
    ::SendMessageA(m_grid, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_grid, nullptr, TRUE);
}

int MainWindow::currentCol() const {
    return m_currentCol >= 0 ? m_currentCol : m_session->grid().fixedCols();
}

int MainWindow::currentRow() const {
    const GridModel& grid = m_session->grid();
    if (m_currentRow >= grid.fixedRows() && m_currentRow < grid.rowCount())
        return m_currentRow;
    return grid.rowCount() > grid.fixedRows() ? grid.fixedRows() : -1;
}

void MainWindow::setCurrentCell(int col, int row) {
    const GridModel& grid = m_session->grid();
    if (col < 0 || col >= grid.colCount() || row < grid.fixedRows() || row >= grid.rowCount())
        return;
    moveCurrent(col, row);
}

void MainWindow::moveCurrent(int col, int row) {
    const int oldRow = m_currentRow;
    // The step numbers cannot be chosen: the channel cell of the same row is.
    m_currentCol = std::max(col, m_session->grid().fixedCols());
    m_currentRow = row;
    const int item = row - m_session->grid().fixedRows();
    ListView_SetItemState(m_grid, item, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(m_grid, item, FALSE);
    if (oldRow != row)
        redrawRow(oldRow);
    redrawRow(row);
}

bool MainWindow::cellAt(POINT point, int& col, int& row) const {
    LVHITTESTINFO hit{};
    hit.pt = point;
    if (ListView_SubItemHitTest(m_grid, &hit) < 0 || hit.iItem < 0)
        return false;
    col = hit.iSubItem;
    row = hit.iItem + m_session->grid().fixedRows();
    return true;
}

LRESULT MainWindow::gridNotification(NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        if (info->item.mask & LVIF_TEXT) {
            const GridModel& grid = m_session->grid();
            const int row = info->item.iItem + grid.fixedRows();
            const std::string text = row < grid.rowCount() && info->item.iSubItem < grid.colCount()
                                         ? grid.cell(info->item.iSubItem, row)
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
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (change->iItem >= 0 && (change->uNewState & LVIS_FOCUSED) && !(change->uOldState & LVIS_FOCUSED)) {
            const int row = change->iItem + m_session->grid().fixedRows();
            if (row != m_currentRow)
                moveCurrent(currentCol(), row);
        }
        return 0;
    }
    case LVN_KEYDOWN: {
        const auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
        const GridModel& grid = m_session->grid();
        if (key->wVKey == VK_LEFT && currentCol() > grid.fixedCols() && currentRow() >= 0)
            moveCurrent(currentCol() - 1, currentRow());
        else if (key->wVKey == VK_RIGHT && currentCol() + 1 < grid.colCount() && currentRow() >= 0)
            moveCurrent(currentCol() + 1, currentRow());
        return 0;
    }
    case NM_CLICK:
    case NM_RCLICK:
    case NM_DBLCLK: {
        POINT point;
        ::GetCursorPos(&point);
        ::ScreenToClient(m_grid, &point);
        int col = 0;
        int row = 0;
        if (!cellAt(point, col, row))
            return 0;
        moveCurrent(col, row);
        if (header->code == NM_DBLCLK)
            m_session->editCell(currentCol(), currentRow());
        return 0;
    }
    case NM_CUSTOMDRAW:
        return drawGridCell(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    default:
        return 0;
    }
}

LRESULT MainWindow::drawGridCell(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const GridModel& grid = m_session->grid();
        const int row = static_cast<int>(draw->nmcd.dwItemSpec) + grid.fixedRows();
        const int col = draw->iSubItem;
        draw->clrText = ::GetSysColor(COLOR_WINDOWTEXT);
        if (row == m_currentRow && col == currentCol()) {
            draw->clrText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
            draw->clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
        } else if (col < grid.fixedCols()) {
            draw->clrTextBk = ::GetSysColor(COLOR_BTNFACE);
        } else if (col == grid.colCount() - 1) {
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

void MainWindow::command(int id, int code) {
    switch (id) {
    case SaveCommand:
        m_session->saveSequence();
        break;
    case LoadCommand:
        m_session->loadSequence(currentCol(), currentRow());
        break;
    case QuitCommand:
        close(false);
        break;
    case InterfaceCommand:
        m_session->chooseInterface();
        break;
    case ComPortCommand:
        m_session->choosePort();
        break;
    case InitCommand:
        m_session->initInterface();
        break;
    case InsertRowCommand:
        m_session->insertRow(currentCol(), currentRow());
        break;
    case DeleteRowCommand:
        m_session->deleteRow(currentCol(), currentRow());
        break;
    case TargetWindowCommand:
        m_session->chooseTargetWindow();
        break;
    case SeriesCountId:
        if (code == STN_DBLCLK)
            m_session->editSeriesCount();
        break;
    case SeriesStringId:
        if (code == STN_DBLCLK)
            m_session->editSeriesString();
        break;
    default:
        break;
    }
}

void MainWindow::close(bool unattended) {
    if (m_closed)
        return;
    m_closed = true;
    m_session->shutDown(unattended);
    ::DestroyWindow(m_window);
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_window = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || !self->m_grid)
        return ::DefWindowProcA(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        layOut();
        return 0;
    case WM_SETFOCUS:
        ::SetFocus(m_grid);
        return 0;
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        return header->hwndFrom == m_grid ? gridNotification(header) : 0;
    }
    case WM_CONTEXTMENU: {
        if (reinterpret_cast<HWND>(wParam) != m_grid)
            break;
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (at.x == -1 && at.y == -1) {
            // From the keyboard: at the current cell.
            RECT cell{};
            const int item = currentRow() - m_session->grid().fixedRows();
            ListView_GetSubItemRect(m_grid, std::max(0, item), currentCol(), LVIR_BOUNDS, &cell);
            at = {cell.left, cell.bottom};
            ::ClientToScreen(m_grid, &at);
        }
        ::TrackPopupMenu(m_gridMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_window, nullptr);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        const auto control = reinterpret_cast<HWND>(lParam);
        const auto dc = reinterpret_cast<HDC>(wParam);
        if (control == m_seriesCountLabel) {
            ::SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(m_whiteBrush);
        }
        if (control == m_seriesStringLabel) {
            ::SetBkColor(dc, KeyColumnColour);
            return reinterpret_cast<LRESULT>(m_keyColumnBrush);
        }
        if (control == m_activeLabel)
            ::SetTextColor(dc, ActiveTextColour);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
        close(false);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The user logs off or shuts down: nobody is there to answer a box.
        if (wParam)
            close(true);
        return 0;
    case WM_DESTROY:
        m_window = nullptr;
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcA(m_window, message, wParam, lParam);
}

HWND MainWindow::activeOwner() const {
    if (!m_window || ::IsWindowEnabled(m_window))
        return m_window;
    return ::GetLastActivePopup(m_window);
}

void MainWindow::setFocusWindow(FocusWindow* focus, const std::string& whyNone) {
    m_session->setFocusWindow(focus, whyNone);
    const bool available = m_session->targetWindowUnavailable().empty();
    ::EnableMenuItem(m_settingsMenu, TargetWindowCommand, MF_BYCOMMAND | (available ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::showError(const std::string& text) {
    ::MessageBoxA(activeOwner(), text.c_str(), "Fehler", MB_OK | MB_ICONERROR);
}

void MainWindow::beep() { ::MessageBeep(MB_OK); }

std::string MainWindow::chooseSequenceFile(bool save) {
    char file[MAX_PATH] = "";
    if (save)
        ::lstrcpynA(file, "ablauf.abl", sizeof file);
    char folder[MAX_PATH] = "";
    ::GetCurrentDirectoryA(sizeof folder, folder);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = activeOwner();
    dialog.lpstrFilter = "TRAVEK Skriptdateien (*.abl)\0*.abl\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrInitialDir = folder;
    dialog.lpstrDefExt = "abl";
    // The working directory holds the program's files: the dialog must not move it.
    dialog.Flags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? ::GetSaveFileNameA(&dialog) : ::GetOpenFileNameA(&dialog);
    return chosen ? std::string(file) : std::string();
}

bool MainWindow::runChannelDialog(ChannelChoice& choice) {
    m_channelDialog.showChoice(choice);
    const bool accepted = m_channelDialog.runModal(m_loop) == IDOK;
    choice.select(m_channelDialog.selectedPosition());
    return accepted;
}

bool MainWindow::runKeyActionDialog(KeyActionList& list) {
    m_keyActionDialog.setList(&list);
    const bool accepted = m_keyActionDialog.runModal(m_loop) == IDOK;
    m_keyActionDialog.setList(nullptr);
    return accepted;
}

bool MainWindow::runSeriesCountDialog(const SeriesCountInput& input, int& value) {
    m_seriesCountDialog.setText(input.text());
    if (m_seriesCountDialog.runModal(m_loop) != IDOK)
        return false;
    value = m_seriesCountDialog.value();
    return true;
}

bool MainWindow::runInterfaceDialog(const InterfaceChoice& choice, int& row) {
    m_interfaceDialog.showChoice(choice);
    if (m_interfaceDialog.runModal(m_loop) != IDOK)
        return false;
    row = m_interfaceDialog.chosenRow();
    return true;
}

bool MainWindow::runComPortDialog(ComPortChoice& choice) {
    m_comPortDialog->setChoice(&choice);
    const bool accepted = m_comPortDialog->runModal(m_loop) == IDOK;
    m_comPortDialog->setChoice(nullptr);
    return accepted;
}

bool MainWindow::runTargetWindowDialog(TargetWindowChoice& choice) {
    m_targetWindowDialog.setChoice(&choice);
    const bool accepted = m_targetWindowDialog.runModal(m_loop) == IDOK;
    m_targetWindowDialog.setChoice(nullptr);
    return accepted;
}

} // namespace travek
