#pragma once

#include "DialogRunner.h"
#include "GridModel.h"
#include "ReceiveHandler.h"
#include "SequenceState.h"

#include <QFont>
#include <QMainWindow>

#include <array>
#include <memory>
#include <string>

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTableView;
class QTimer;

namespace travek {

class GridTableModel;
class KeyOutput;
class TGetCount1;
class TRS232SERVICE;
class TSelIfDlg;
class TSel_channel;
class TSel_key;
class TSerialPortDriver;
class TSplitStrings;
class Tlist_coms;
class Tsel_com;
struct ProgramState;

// The main window: the sequence grid, the series settings beside "Nach", the status panels and
// the menus. It owns the grid and the running copy of the sequence.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // The windows made after this one; set once they exist. Every one lives as long as the
    // program. The main window uses only those it has been given.
    struct Windows {
        TRS232SERVICE* RS232SERVICE{};
        TSelIfDlg* SelIfDlg{};
        TSel_channel* Sel_channel{};
        TSel_key* Sel_key{};
        Tsel_com* sel_com{};
        Tlist_coms* list_coms{};
        TGetCount1* GetCount1{};
    };

    static constexpr int PanelCount = 6;
    static constexpr int GridRows = 100;
    static constexpr const char* SequenceFileName = "./ablauf.abl";
    static constexpr const char* SeriesFileName = "./ablauf.pst";
    static constexpr const char* SettingsFileName = "TRAVEK.INI";

    // Runs FormCreate, which loads ./ablauf.abl and ./ablauf.pst; an error box on the way goes
    // through runner (the default runner when none is given).
    TForm1(ProgramState& state, TSplitStrings& splitter, std::shared_ptr<DialogRunner> runner = {},
           QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls.
    QLabel* PanelActive;
    QTableView* SAGScript;
    QLabel* Label3;
    QLabel* Label_valX_count;
    QLabel* Label_string;
    QStatusBar* sb1;
    QMenuBar* MainMenu1;
    QMenu* PopupMenu1;
    QAction* Speichern1;
    QAction* Laden1;
    QAction* Beenden1;
    QAction* Interface1;
    QAction* Comport1;
    QAction* InitInteface1;
    QAction* Zeileeinfgen1;
    QAction* Zeileentfernen1;

    // The running copy of the grid that the receive handler follows.
    travek::SequenceTable SequenceTable;

    // The port to the measuring interface; received bytes go to the receive handler.
    TSerialPortDriver* SerialPortDriver1;
    // The one-shot start-up, about 100 ms after scheduleStartUp.
    QTimer* Timer1;

    // Arms the start-up; called once every window has been made, right before the event loop
    // starts. Later calls do nothing, so the start-up runs once.
    void scheduleStartUp();

    // Where values and keys are typed; none types nothing.
    void setKeyOutput(KeyOutput* keys) { m_keys = keys; }

    GridModel& grid() { return m_grid; }
    const GridModel& grid() const { return m_grid; }
    GridTableModel& gridModel() { return *m_gridModel; }
    ProgramState& state() { return m_state; }
    TSplitStrings& splitter() { return m_splitter; }

    Windows& windows() { return m_windows; }
    void setWindows(const Windows& windows) { m_windows = windows; }

    DialogRunner& dialogRunner() { return *m_runner; }
    void setDialogRunner(std::shared_ptr<DialogRunner> runner);

    void setPanelText(int index, const QString& text);
    QString panelText(int index) const;

    // The grid's current cell as (column, row) of the grid, the header being row 0; the row is -1
    // when the grid has no step rows.
    int currentCol() const;
    int currentRow() const;
    void setCurrentCell(int col, int row);

    // Error box: title "Fehler", error icon, one OK button; shown through the dialog runner.
    void showError(const QString& text);

    // What the keystroke sender runs between characters: the event loop without user input, so
    // serial data and repaints keep flowing, while a click in the middle of a value (a
    // double-click restarting the sequence, a dialog holding up the dispatch) waits until the
    // value is typed.
    static void dispatchWhileTyping();

    // The font the windows are designed for, or the platform's sans serif at 9 pt where that is
    // missing.
    static QFont designFont();

    // Shows the series settings in the labels beside "Nach".
    void showValXCount();
    void showSeriesString();

public slots:
    void FormCreate();
    void SAGScriptDblClick();
    void Zeileeinfgen1Click();
    void Zeileentfernen1Click();
    void Speichern1Click();
    void Laden1Click();
    void Label_valX_countDblClick();
    void Label_stringDblClick();
    void GetCountClick();
    void FillChannelsClick();

    // Wired in the start-up work.
    void Interface1Click();
    void Comport1Click();
    void InitInteface1Click();
    void SetChannelsClick();

    void Timer1Timer();
    // Saves the sequence, the interface name and the series settings; once, at the end.
    void FormDestroy();
    // Closes for a signal or the end of the session: nobody is there to answer a box, so a file
    // that cannot be saved is reported on standard error instead.
    void closeUnattended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    void loadSavedSequence();
    // Reads a series file into the series settings; on an error the box is shown, the settings
    // stay as they were and the result is false.
    bool readSeriesSettings(const std::string& file);
    // Fills the key action list from keyString, shows it and, on OK, gives the joined entries.
    // maxLength limits the joined result (0: no limit).
    bool editKeyString(const std::string& keyString, std::size_t maxLength, std::string& edited);
    // Close, configure from the interface definition and open the port; the error box on failure.
    bool reopenPort();
    // The save or open dialog for sequence files; empty when cancelled.
    QString chooseScriptFile(bool save);
    void showCaption();
    void onPortLost();

    ProgramState& m_state;
    TSplitStrings& m_splitter;
    std::shared_ptr<DialogRunner> m_runner;
    GridModel m_grid;
    GridTableModel* m_gridModel;
    std::array<QLabel*, PanelCount> m_panels{};
    Windows m_windows;
    KeyOutput* m_keys = nullptr;
    std::unique_ptr<ReceiveHandler> m_receiveHandler;
    bool m_destroyed = false;
    bool m_startUpScheduled = false;
    bool m_unattended = false;
};

} // namespace travek
