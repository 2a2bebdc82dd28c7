#pragma once

#include "core/session/SessionView.h"
#include "gui/qt/DialogRunner.h"
#include "gui/qt/InterfaceAssistantDialog.h"
#include "gui/qt/QtEventLoop.h"
#include "gui/qt/VerdictView.h"
#include "gui/qt/Win1252.h"

#include <QFont>
#include <QMainWindow>

#include <array>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTableView;

namespace travek {

class ChannelDialog;
class ComPortDialog;
class GridTableModel;
class GridModel;
class InterfaceDialog;
class KeyActionDialog;
class KeyOutput;
class PortListWindow;
class RecordTextDialog;
class SeriesCountDialog;
class TargetWindowDialog;
class TrendWindow;
class FocusWindow;
class ServiceWindow;
class Session;

// The main window: the sequence grid, the series settings beside "Nach", the status panels and
// the menus. It shows what the session reports and forwards the user's actions to it; every
// other window is its child, so closing it ends them all.
class MainWindow : public QMainWindow, public SessionView {
    Q_OBJECT
public:
    // The windows it shows for the session, made with it.
    struct Windows {
        ServiceWindow* serviceWindow{};
        InterfaceDialog* interfaceDialog{};
        ChannelDialog* channelDialog{};
        KeyActionDialog* keyActionDialog{};
        PortListWindow* portListWindow{};
        ComPortDialog* comPortDialog{};
        SeriesCountDialog* seriesCountDialog{};
        TargetWindowDialog* targetWindowDialog{};
        RecordTextDialog* recordTextDialog{};
        TrendWindow* trendWindow{}; // "Verlauf"
    };

    static constexpr int PanelCount = StatusPanelCount;

    // Makes the windows and the session, which loads ./ablauf.abl and ./ablauf.pst; an error box
    // on the way goes through runner (the default runner when none is given). The key string
    // separator is read from the working directory's SPLITSTRING.INI.
    explicit MainWindow(std::shared_ptr<DialogRunner> runner = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Controls; their object names are the original identifiers.
    QLabel* activeLabel;       // "PanelActive"
    QLabel* noticeLabel;       // "PanelNotice": what lasts of a failure, hidden without one
    QTableView* gridView;      // "SAGScript"
    QLabel* afterLabel;        // "Label3"
    QLabel* seriesCountLabel;  // "Label_valX_count"
    QLabel* seriesStringLabel; // "Label_string"
    QStatusBar* panels;        // "sb1"
    QMenuBar* menus;           // "MainMenu1"
    QMenu* gridMenu;           // "PopupMenu1"
    QAction* saveAction;
    QAction* loadAction;
    QAction* quitAction;
    QAction* interfaceAction;
    QAction* setUpAction; // "Interface &einrichten…"
    QAction* comPortAction;
    QAction* initAction;
    QAction* targetWindowAction; // "&Zielfenster…", disabled with the reason where the desktop cannot tell
    QAction* operatorAction;     // "&Bediener…"
    QAction* partAction;         // "&Teil/Los…"
    QAction* trendAction;        // "Ansicht › Verlauf"
    QAction* insertRowAction;
    QAction* deleteRowAction;

    Session& session() { return *m_session; }
    QtEventLoop& loop() { return m_loop; }
    Windows& windows() { return m_windows; }
    GridTableModel& gridModel() { return *m_gridModel; }
    GridModel& grid();

    DialogRunner& dialogRunner() { return *m_runner; }
    void setDialogRunner(std::shared_ptr<DialogRunner> runner);

    // Where values and keys are typed; none types nothing, and whyNone says why in the line panel.
    void setKeyOutput(KeyOutput* keys, const std::string& whyNone = {});
    // How the focused window is asked; none (with the reason) disables "Zielfenster".
    void setFocusWindow(FocusWindow* focus, const std::string& whyNone = {});
    // Arms the start-up; called once every window exists, right before the event loop starts.
    void scheduleStartUp();

    QString panelText(StatusPanel panel) const;
    // The grid's current cell as (column, row) of the grid, the header being row 0; the row is -1
    // when the grid has no step rows.
    int currentCol() const;
    int currentRow() const;

    // Error box: title "Fehler", error icon, one OK button; shown through the dialog runner.
    void showErrorBox(const QString& text);

    // The font the windows are designed for, or the platform's sans serif at 9 pt where that is
    // missing.
    static QFont designFont();
    // Qt's own texts (the buttons of message boxes, the file dialogs) in German, as every text of
    // TRAVEK is; false when the translations are not installed.
    static bool installGermanQtTexts();

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
    bool runRecordTextDialog(RecordTextInput& input) override;
    void runInterfaceAssistant(InterfaceAssistant& assistant) override {
        InterfaceAssistantDialog dialog(assistant, *m_runner, this);
        m_runner->run(dialog);
    }
    // Colours the step's row, and feeds the control chart ("Verlauf"), which redraws when it shows
    // the value's characteristic.
    void showVerdict(const JudgedValue& value) override;
    bool ask(const std::string& question) override {
        return askYesNo(*m_runner, this, fromWin1252(question));
    }
    void showLineVerdict(Verdict verdict) override { m_verdicts->showLineVerdict(verdict); }
    void signalNok() override { m_verdicts->signalNok(); }
    bool runToleranceDialog(ToleranceInput& input) override {
        return m_verdicts->runToleranceDialog(*m_runner, input);
    }

public slots:
    // The user's actions, forwarded to the session with the grid's current cell.
    void editCurrentCell();
    void insertRow();
    void deleteRow();
    void saveSequence();
    void loadSequence();
    void editSeriesCount();
    void editSeriesString();
    void chooseInterface();
    void choosePort();
    void initInterface();
    void chooseTargetWindow();
    // "Verlauf" for the step of the grid's current row.
    void showTrend();
    // Closes for a signal or the end of the session: nobody is there to answer a box, so an open
    // box or dialog closes as Cancel, none is shown after it, and a file that cannot be saved is
    // reported on standard error instead.
    void closeUnattended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildGrid(QWidget* parent);
    QWidget* buildSeriesBar(QWidget* parent);
    void buildStatusPanels();
    void buildMenus();
    void buildWindows();

    QtEventLoop m_loop;
    std::shared_ptr<DialogRunner> m_runner;
    std::array<QLabel*, PanelCount> m_panels{};
    Windows m_windows;
    GridTableModel* m_gridModel = nullptr;
    std::unique_ptr<VerdictView> m_verdicts;
    std::unique_ptr<Session> m_session;
    bool m_unattended = false;
};

} // namespace travek
