#include "gui/win32/MainWindow.h"

#include "core/session/Dialogs.h"
#include "core/session/Session.h"
#include "core/text/KeyString.h"
#include "gui/win32/Win32EventLoop.h"
#include "platform/win32/WideText.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <windowsx.h>

namespace travek {

namespace {

constexpr COLORREF KeyColumnColour = GridView::KeyColumnColour;
constexpr COLORREF ActiveTextColour = RGB(0, 0, 128);
constexpr int ActiveHeight = 26;
constexpr int SeriesBarHeight = 24;
constexpr int NoticeHeight = 20;
constexpr COLORREF NoticeTextColour = RGB(192, 0, 0);
constexpr int PanelMinWidth = 50;
constexpr int MinClientWidth = 320;
constexpr int MinClientHeight = 200;

} // namespace

MainWindow::MainWindow(Win32EventLoop& loop) : m_loop(loop) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &MainWindow::windowProc;
    windowClass.hInstance = instance;
    // The program's icon (resource 1 of travek.exe); the system's where a test program has none.
    windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
    if (!windowClass.hIcon)
        windowClass.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WindowClass;
    ::RegisterClassA(&windowClass);

    m_font = createDesignFont(false);
    m_activeFont =
        ::CreateFontA(-scaled(16), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    m_keyColumnBrush = ::CreateSolidBrush(KeyColumnColour);
    m_whiteBrush = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));

    // The separator is read before the saved sequence that it is used on is loaded.
    m_session = std::make_unique<Session>(*this, m_loop, readKeySeparator());
    buildMenus();
    // 560 x 290 inside the frame, as the Qt window.
    RECT frame{0, 0, scaled(560), scaled(290)};
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
    m_trendWindow = std::make_unique<TrendWindow>(*m_session);
    m_trendWindow->create(m_window);
    m_seriesCountDialog.create(m_window);
    m_targetWindowDialog.create(m_window);
    m_recordTextDialog.create(m_window);
    m_toleranceDialog.create(m_window);
    setFocusWindow(nullptr);

    m_session->open();
}

MainWindow::~MainWindow() {
    m_gridView.reset();
    // The port list refreshes itself through the event loop; it goes before the session it lists for.
    m_comPortDialog.reset();
    m_portListWindow.reset();
    m_session.reset();
    if (m_window)
        ::DestroyWindow(m_window);
    if (m_gridMenu)
        ::DestroyMenu(m_gridMenu);
    ::DeleteObject(m_font);
    ::DeleteObject(m_activeFont);
    ::DeleteObject(m_keyColumnBrush);
}

void MainWindow::buildMenus() {
    m_menus = ::CreateMenu();
    const HMENU datei = ::CreatePopupMenu();
    ::AppendMenuA(datei, MF_STRING, SaveCommand, "&Speichern");
    ::AppendMenuA(datei, MF_STRING, LoadCommand, "&Laden");
    ::AppendMenuA(datei, MF_STRING, PartCommand, "&Teil/Los\x85");
    ::AppendMenuA(datei, MF_STRING, QuitCommand, "&Beenden");
    ::AppendMenuA(m_menus, MF_POPUP, reinterpret_cast<UINT_PTR>(datei), "&Datei");
    const HMENU einstellungen = ::CreatePopupMenu();
    ::AppendMenuA(einstellungen, MF_STRING, InterfaceCommand, "&Interface");
    ::AppendMenuA(einstellungen, MF_STRING, SetUpCommand, "Interface &einrichten\x85");
    ::AppendMenuA(einstellungen, MF_STRING, ComPortCommand, "&Comport");
    ::AppendMenuA(einstellungen, MF_STRING, InitCommand, "&Init Interface");
    ::AppendMenuA(einstellungen, MF_STRING, TargetWindowCommand, "&Zielfenster\x85");
    ::AppendMenuA(einstellungen, MF_STRING, OperatorCommand, "&Bediener\x85");
    m_settingsMenu = einstellungen;
    ::AppendMenuA(m_menus, MF_POPUP, reinterpret_cast<UINT_PTR>(einstellungen), "&Einstellungen");
    const HMENU ansicht = ::CreatePopupMenu();
    ::AppendMenuA(ansicht, MF_STRING, TrendCommand, "&Verlauf");
    ::AppendMenuA(m_menus, MF_POPUP, reinterpret_cast<UINT_PTR>(ansicht), "&Ansicht");

    m_gridMenu = ::CreatePopupMenu();
    ::AppendMenuA(m_gridMenu, MF_STRING, InsertRowCommand, "Zeile &einf\xFCgen");
    ::AppendMenuA(m_gridMenu, MF_STRING, DeleteRowCommand, "Zeile ent&fernen");
    ::AppendMenuA(m_gridMenu, MF_STRING, TrendCommand, "&Verlauf");
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
    // A double-click anywhere in the grid restarts the sequence at step 1; on a step's cell, and with
    // Enter, F2 or Space, the cell is edited first.
    m_gridView = std::make_unique<GridView>(
        m_session->grid(), GridView::Handlers{[this](int col, int row) { m_session->editCell(col, row); },
                                              [this] { m_session->restartSequence(); }});
    m_gridView->create(m_window, GridId, m_font);

    m_afterLabel = make(0, "STATIC", "Nach", SS_LEFT | SS_CENTERIMAGE, AfterId, m_font);
    // Their double-clicks edit the series settings.
    m_seriesCountLabel =
        make(0, "STATIC", "[ ]", SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY, SeriesCountId, m_font);
    m_seriesStringLabel = make(0, "STATIC", "", SS_LEFT | SS_CENTERIMAGE | SS_NOTIFY, SeriesStringId, m_font);
    m_noticeLabel =
        make(0, "STATIC", "", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX, NoticeId, m_font);
    ::ShowWindow(m_noticeLabel, SW_HIDE);
    m_panels = make(0, STATUSCLASSNAMEA, "", 0, PanelsId, m_font);
    layOutPanels();
    layOut();
}

void MainWindow::show(int how) {
    ::ShowWindow(m_window, how);
    ::UpdateWindow(m_window);
    ::SetFocus(m_gridView->handle());
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
    const int activeHeight = scaled(ActiveHeight);
    const int barHeight = scaled(SeriesBarHeight);
    const int seriesTop = std::max<int>(activeHeight, client.bottom - panelsHeight - barHeight);
    const int noticeHeight = noticeShown() ? scaled(NoticeHeight) : 0;
    const int gridBottom = std::max<int>(activeHeight, seriesTop - noticeHeight);
    ::MoveWindow(m_activeLabel, 0, 0, width, activeHeight, TRUE);
    m_gridView->place(0, activeHeight, width, gridBottom - activeHeight);
    ::MoveWindow(m_noticeLabel, scaled(4), gridBottom, std::max(0, width - scaled(8)), seriesTop - gridBottom,
                 TRUE);
    const int afterWidth = textWidth(m_window, m_font, "Nach") + scaled(2);
    const int labelTop = seriesTop + scaled(2);
    const int labelHeight = barHeight - scaled(4);
    const int countLeft = scaled(8) + afterWidth;
    ::MoveWindow(m_afterLabel, scaled(4), labelTop, afterWidth, labelHeight, TRUE);
    ::MoveWindow(m_seriesCountLabel, countLeft, labelTop, scaled(41), labelHeight, TRUE);
    const int stringLeft = countLeft + scaled(41 + 4);
    ::MoveWindow(m_seriesStringLabel, stringLeft, labelTop, std::max(0, width - stringLeft - scaled(4)),
                 labelHeight, TRUE);
    layOutPanels();
    // Moving a static control repaints only what the move uncovers: a centred text such as
    // "Active" kept its old picture beside the new one, and labels moved into a part of the
    // window that had been painted already stayed blank. Everything is painted anew.
    ::RedrawWindow(m_window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void MainWindow::layOutPanels() {
    std::array<int, PanelCount> edges{};
    int right = 0;
    for (int i = 0; i < PanelCount; ++i) {
        const std::string& text = m_panelTexts[static_cast<std::size_t>(i)];
        right += std::max(scaled(PanelMinWidth), textWidth(m_panels, m_font, text) + scaled(12));
        edges[static_cast<std::size_t>(i)] = right;
    }
    edges[PanelCount - 1] = -1; // the last panel stretches
    ::SendMessageA(m_panels, SB_SETPARTS, PanelCount, reinterpret_cast<LPARAM>(edges.data()));
    // The line panel in a verdict's colour is drawn by the window (WM_DRAWITEM).
    for (int i = 0; i < PanelCount; ++i)
        ::SendMessageA(m_panels, SB_SETTEXTA,
                       static_cast<WPARAM>(i) |
                           (i == int(StatusPanel::Line) && m_lineColour ? SBT_OWNERDRAW : 0),
                       reinterpret_cast<LPARAM>(m_panelTexts[static_cast<std::size_t>(i)].c_str()));
}

void MainWindow::setPanelText(StatusPanel panel, const std::string& text) {
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

void MainWindow::beginGridUpdate() {
    m_gridView->beginUpdate();
}

void MainWindow::endGridUpdate() {
    m_gridView->endUpdate();
}

void MainWindow::setCurrentCell(int col, int row) {
    m_gridView->setCurrentCell(col, row);
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
    case SetUpCommand:
        m_session->setUpInterface();
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
    case OperatorCommand:
    case PartCommand:
        id == OperatorCommand ? m_session->editOperator() : m_session->editPart();
        break;
    case TrendCommand:
        m_trendWindow->showStep(currentRow());
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
    if (!self || !self->m_gridView)
        return ::DefWindowProcA(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        layOut();
        return 0;
    case WM_GETMINMAXINFO: {
        // Small enough for a corner of the screen, large enough that the label, a few steps of the
        // grid, the series line and the status bar stay readable.
        RECT frame{0, 0, scaled(MinClientWidth), scaled(MinClientHeight)};
        ::AdjustWindowRect(&frame, static_cast<DWORD>(::GetWindowLongPtrA(m_window, GWL_STYLE)), TRUE);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        return 0;
    }
    case WM_SETFOCUS:
        ::SetFocus(m_gridView->handle());
        return 0;
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        return header->hwndFrom == m_gridView->handle() ? m_gridView->notify(header) : 0;
    }
    case WM_CONTEXTMENU: {
        if (reinterpret_cast<HWND>(wParam) != m_gridView->handle())
            break;
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (at.x == -1 && at.y == -1) // from the keyboard: at the current cell
            at = m_gridView->currentCellCorner();
        ::TrackPopupMenu(m_gridMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_window, nullptr);
        return 0;
    }
    case WM_DRAWITEM:
        if (const auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            item->hwndItem == m_panels && m_lineColour)
            drawColouredPanel(*item, *m_lineColour, m_panelTexts[std::size_t(StatusPanel::Line)]);
        return TRUE;
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
        if (control == m_noticeLabel)
            ::SetTextColor(dc, NoticeTextColour);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
        // Disabled under a box or dialog: the request comes from outside (taskkill, the session).
        close(!::IsWindowEnabled(m_window));
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

bool MainWindow::noticeShown() const {
    // Its own flag: IsWindowVisible says no for every control while the window is not shown yet.
    return (::GetWindowLongPtrA(m_noticeLabel, GWL_STYLE) & WS_VISIBLE) != 0;
}

void MainWindow::showNotice(const std::string& text) {
    ::SetWindowTextA(m_noticeLabel, text.c_str());
    const bool show = !text.empty();
    if (show != noticeShown()) {
        ::ShowWindow(m_noticeLabel, show ? SW_SHOWNA : SW_HIDE);
        layOut();
    }
}

void MainWindow::setFocusWindow(FocusWindow* focus, const std::string& whyNone) {
    m_session->setFocusWindow(focus, whyNone);
    const bool available = m_session->targetWindowUnavailable().empty();
    ::EnableMenuItem(m_settingsMenu, TargetWindowCommand,
                     MF_BYCOMMAND | (available ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::showError(const std::string& text) {
    // Once the window is gone nobody is there to answer; while it is made, the box comes over it.
    if (!m_window) {
        std::fprintf(stderr, "travek: %s\n", text.c_str());
        return;
    }
    if (!::IsWindowVisible(m_window))
        show(SW_SHOWDEFAULT);
    ::MessageBoxA(activeOwner(), text.c_str(), "Fehler", MB_OK | MB_ICONERROR);
}

void MainWindow::beep() {
    ::MessageBeep(MB_OK);
}

} // namespace travek
