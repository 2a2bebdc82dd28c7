#pragma once

#include "core/session/SessionView.h"
#include "gui/win32/ChannelDialog.h"
#include "gui/win32/ComPortDialog.h"
#include "gui/win32/GridView.h"
#include "gui/win32/InterfaceAssistantDialog.h"
#include "gui/win32/InterfaceDialog.h"
#include "gui/win32/KeyActionDialog.h"
#include "gui/win32/PortListWindow.h"
#include "gui/win32/RecordTextDialog.h"
#include "gui/win32/SeriesCountDialog.h"
#include "gui/win32/ServiceWindow.h"
#include "gui/win32/TargetWindowDialog.h"
#include "gui/win32/ToleranceDialog.h"
#include "gui/win32/TrendWindow.h"
#include "gui/win32/VerdictDisplay.h"

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <utility>

namespace travek {

class FocusWindow;
class KeyOutput;
class Session;
class Win32EventLoop;

// The main window ("Form1", class "TRAVEK"): the "Active" label, the sequence grid, the series
// settings beside "Nach", six status panels and the menus. It shows what the session reports and
// forwards the user's actions to it; every other window is owned by it.
class MainWindow : public SessionView {
public:
    static constexpr const char* WindowClass = "TRAVEK";
    static constexpr int PanelCount = StatusPanelCount;

    // Control ids: the grid ("SAGScript"), the labels and the status bar ("sb1").
    enum ControlId { ActiveId = 100, GridId, AfterId, SeriesCountId, SeriesStringId, PanelsId, NoticeId };
    // Menu commands.
    enum CommandId {
        SaveCommand = 200,
        LoadCommand,
        QuitCommand,
        InterfaceCommand,
        ComPortCommand,
        InitCommand,
        InsertRowCommand,
        DeleteRowCommand,
        TargetWindowCommand,
        OperatorCommand,
        PartCommand,
        SetUpCommand,
        TrendCommand // "Ansicht › Verlauf", and on the grid's menu
    };

    // Makes the window, its controls and dialogs and the session, which loads ./ablauf.abl and
    // ./ablauf.pst. The key string separator is read from SPLITSTRING.INI.
    explicit MainWindow(Win32EventLoop& loop);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return m_window; }
    Session& session() { return *m_session; }
    void show(int how);
    void setKeyOutput(KeyOutput* keys, const std::string& whyNone = {});
    // How the focused window is asked; none disables "Zielfenster" (Windows always says which
    // window is in the foreground: only until the program's start has given one).
    void setFocusWindow(FocusWindow* focus, const std::string& whyNone = {});
    // Arms the start-up; called once the window is shown, right before the event loop runs.
    void scheduleStartUp();

    // SessionView.
    void setPanelText(StatusPanel panel, const std::string& text) override;
    void setActiveText(const std::string& text) override;
    void setCaption(const std::string& text) override;
    void showSeriesCount(const std::string& text) override;
    void showSeriesString(const std::string& text) override;
    void showServiceOutput(const std::string& text) override;
    void setCurrentCell(int col, int row) override;
    void beginGridUpdate() override;
    void endGridUpdate() override;
    void showNotice(const std::string& text) override;
    void showError(const std::string& text) override;
    void beep() override;
    std::string chooseSequenceFile(bool save) override;
    bool runChannelDialog(ChannelChoice& choice) override;
    bool runKeyActionDialog(KeyActionList& list) override;
    bool runSeriesCountDialog(const SeriesCountInput& input, int& value) override;
    bool runInterfaceDialog(const InterfaceChoice& choice, int& row) override;
    bool runComPortDialog(ComPortChoice& choice) override;
    bool runTargetWindowDialog(TargetWindowChoice& choice) override;
    bool runRecordTextDialog(RecordTextInput& input) override {
        return m_recordTextDialog.run(m_loop, input);
    }
    void runInterfaceAssistant(InterfaceAssistant& assistant) override {
        InterfaceAssistantDialog::run(activeOwner(), m_loop, assistant);
    }
    bool ask(const std::string& question) override {
        return ::MessageBoxA(activeOwner(), question.c_str(), "TRAVEK", MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    // Colours the step's row, and feeds the control chart ("Verlauf"), which redraws when it shows
    // the value's characteristic.
    void showVerdict(const JudgedValue& value) override {
        m_gridView->setRowColour(value.step, verdictColourRef(value.verdict));
        if (m_trendWindow)
            m_trendWindow->take(value);
    }
    void showLineVerdict(Verdict verdict) override {
        if (std::exchange(m_lineColour, verdictColourRef(verdict)) != m_lineColour)
            layOutPanels();
    }
    void signalNok() override { soundNok(); }
    bool runToleranceDialog(ToleranceInput& input) override { return m_toleranceDialog.run(m_loop, input); }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void buildControls();
    void buildMenus();
    void layOut();
    void layOutPanels();
    bool noticeShown() const;
    void command(int id, int code);
    // The grid's current cell, the header being row 0; the row is -1 without step rows.
    int currentCol() const { return m_gridView->currentCol(); }
    int currentRow() const { return m_gridView->currentRow(); }
    // The window a box or dialog belongs to: a modal dialog while one is open, else this one.
    HWND activeOwner() const;
    void close(bool unattended);

    Win32EventLoop& m_loop;
    HWND m_window = nullptr;
    HWND m_activeLabel = nullptr;
    HWND m_afterLabel = nullptr;
    HWND m_seriesCountLabel = nullptr;
    HWND m_seriesStringLabel = nullptr;
    HWND m_panels = nullptr;
    // The standing notice below the grid, shown only while it has a text.
    HWND m_noticeLabel = nullptr;
    HMENU m_menus = nullptr;
    HMENU m_gridMenu = nullptr;
    HFONT m_font = nullptr;
    HFONT m_activeFont = nullptr;
    HBRUSH m_keyColumnBrush = nullptr;
    HBRUSH m_whiteBrush = nullptr;
    std::array<std::string, PanelCount> m_panelTexts;
    bool m_closed = false;

    ServiceWindow m_serviceWindow;
    InterfaceDialog m_interfaceDialog;
    ChannelDialog m_channelDialog;
    KeyActionDialog m_keyActionDialog;
    std::unique_ptr<PortListWindow> m_portListWindow;
    std::unique_ptr<ComPortDialog> m_comPortDialog;
    SeriesCountDialog m_seriesCountDialog;
    TargetWindowDialog m_targetWindowDialog;
    RecordTextDialog m_recordTextDialog;
    ToleranceDialog m_toleranceDialog;
    // The line panel's verdict colour; nothing while it shows no verdict.
    std::optional<COLORREF> m_lineColour;
    HMENU m_settingsMenu = nullptr;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<GridView> m_gridView;
    std::unique_ptr<TrendWindow> m_trendWindow;
};

} // namespace travek
