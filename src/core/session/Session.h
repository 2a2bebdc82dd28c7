#pragma once

#include "core/files/GridModel.h"
#include "core/files/MeasurementLog.h"
#include "core/gauge/InterfaceActivation.h"
#include "core/loop/EventLoop.h"
#include "core/serial/SerialPort.h"
#include "core/session/Dialogs.h"
#include "core/session/ProgramState.h"
#include "core/session/ReceiveHandler.h"
#include "core/session/SequenceState.h"
#include "core/target/TargetGuard.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace travek {

class KeyOutput;
class SessionView;

// The program's workflow: owns its state (definition, series settings, decimals, the grid, the
// running sequence, the port, the separator) and offers the user's actions. It reaches the user
// interface only through its SessionView, and time only through its EventLoop.
class Session {
public:
    static constexpr int GridRows = 100;
    static constexpr const char* SequenceFileName = "./ablauf.abl";
    static constexpr const char* SeriesFileName = "./ablauf.pst";
    static constexpr const char* SettingsFileName = "TRAVEK.INI";
    static constexpr const char* Caption = "TRAVEK v1.01";
    // What a line's outcome says when no key output was given.
    static constexpr const char* NoKeyboard = "no keyboard types the keys";
    // How often a lost port is tried again.
    static constexpr std::chrono::milliseconds ReconnectInterval{1000};
    // The least time between two tries that changes in the device's folder start.
    static constexpr std::chrono::milliseconds DeviceEventSpacing{100};
    // The pause after each channel command, so the box can switch the channel on.
    static constexpr std::chrono::milliseconds ChannelCommandPause{100};
    static constexpr std::chrono::milliseconds StartUpDelay{100};
    // How long after the last change the files are saved.
    static constexpr std::chrono::milliseconds SaveDelay{1000};

    // separator is the key string separator; the device is the serial port's (the platform's when
    // none is given). Nothing is shown before open().
    Session(SessionView& view, EventLoop& loop, char separator, std::unique_ptr<SerialDevice> device = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Sets up the grid and loads ./ablauf.abl and ./ablauf.pst of the working directory into it and
    // the series settings, reporting a file that cannot be read through the view. Once, when the
    // view is ready to show.
    void open();

    // Where values and keys are typed; none types nothing, and whyNone (when given) says why in the
    // line panel, now and at every line received.
    void setKeyOutput(KeyOutput* keys, const std::string& whyNone = {});

    // How the focused window is asked before a value is typed; none (with the reason) where the
    // desktop does not say, and then "Zielfenster" cannot be chosen.
    void setFocusWindow(FocusWindow* focus, const std::string& whyNone = {});
    // Why no target window can be chosen here; empty when it can.
    const std::string& targetWindowUnavailable() const { return m_target.unavailableReason(); }
    // "Zielfenster": the dialog, then the target kept in TRAVEK.INI.
    void chooseTargetWindow();
    const TargetWindow& targetWindow() const { return m_target.target(); }

    // Arms the start-up, StartUpDelay from now; called once every window exists. Later calls do
    // nothing, so the start-up runs once.
    void scheduleStartUp();
    // Reads TRAVEK.INI and the interface definition, opens the port and initialises the box.
    void startUp();

    // The user's actions on the grid. col and row are the grid's current cell (row 0 the header).
    // A double-click: a "Kanal" cell asks for the channel, a key cell for its key actions; the
    // sequence starts again at step 1 whatever happened.
    void editCell(int col, int row);
    void insertRow(int col, int row);
    void deleteRow(int col, int row);
    // Counts the steps, copies the grid into the running sequence and starts it at step 1.
    void restartSequence();

    void saveSequence();
    void loadSequence(int col, int row);
    void editSeriesCount();
    void editSeriesString();

    void chooseInterface();
    void choosePort();
    // Sends the disable-all command and the command of every channel the grid uses, with a pause
    // after each channel command; the labels say "Init", then "Active". Again while running starts
    // over; closing the port stops it.
    void initInterface();
    bool activating() const { return m_activationTask != 0; }

    // The adapter was pulled or the device went away; the port is closed already. The same port
    // is tried again every ReconnectInterval, and when its device's folder changes, until it opens
    // (then it is set up and the box initialised as by "Init Interface", and the sequence goes on
    // where it was) or until the user chooses a port or an interface. Only the same device is
    // opened (SerialDevice::checkReturn): a port whose device cannot be told from the next one
    // waits for the user's "Comport".
    void portLost();
    bool reconnecting() const { return m_reconnectTask != 0; }

    // Saves the sequence, the interface name and the series settings, each on its own, and closes
    // the port; once. (They are saved SaveDelay after every change as well.) Unattended (a signal, the end of the desktop session) nobody is there to
    // answer a box, so a file that cannot be saved is reported on standard error instead.
    void shutDown(bool unattended);

    ProgramState& state() { return m_state; }
    GridModel& grid() { return m_grid; }
    const GridModel& grid() const { return m_grid; }
    SequenceTable& sequence() { return m_sequence; }
    SerialPort& port() { return m_port; }
    ReceiveHandler& receiver() { return m_receiver; }
    ChannelChoice& channels() { return m_channels; }
    ServiceLog& serviceLog() { return m_serviceLog; }
    PortList& portList() { return m_portList; }
    EventLoop& loop() { return m_loop; }

private:
    void buildGrid();
    void loadSavedSequence();
    // Reads a series file into the series settings; on an error the box is shown, the settings
    // stay as they were and the result is false.
    bool readSeriesSettings(const std::string& file);
    void showSeriesCount();
    void showSeriesString();
    void showCaption();
    // Close, configure from the interface definition and open the port; the error box on failure.
    bool reopenPort();
    void closePort();
    void loadDefinition();
    void fillChannelList();
    void sendActivationStep(std::size_t index);
    void scheduleReconnect(std::chrono::milliseconds delay = ReconnectInterval);
    void reconnect();
    void cancelReconnect();
    void deviceFolderChanged();
    // The lost port is not tried again by itself; the line panel says how to open it.
    void portGoneForGood();
    // Opens the measurement log that TRAVEK.INI names ([LOG] FILE=), or none.
    void configureLog(const std::string& file);
    bool mayType(LineOutcome& outcome);
    void lineHandled(const LineOutcome& outcome);
    // Shows the standing notice: what lasts of the keyboard's and the log's failures.
    void showNotice();
    void logLine(const LineOutcome& outcome);
    // Throws Error when there is no keyboard or it fails.
    void typeKeys(std::string_view keys);
    void cancelActivation();
    bool editKeyString(const std::string& keyString, std::size_t maxLength, std::string& edited);
    // Runs one of the user's actions: an Error (or any other exception) on the way is shown in the
    // error box.
    template <typename Action> void reporting(Action&& action);
    // Runs action after delay, through reporting.
    template <typename Action> EventLoop::TaskId later(std::chrono::milliseconds delay, Action&& action);
    // The grid, the series settings or the interface changed: the files are saved SaveDelay later.
    void changed();
    // Writes ablauf.abl, TRAVEK.INI's interface name and ablauf.pst; the errors, one line each.
    std::vector<std::string> saveFiles();

    SessionView& m_view;
    EventLoop& m_loop;
    ProgramState m_state;
    GridModel m_grid;
    SequenceTable m_sequence;
    SerialPort m_port;
    ReceiveHandler m_receiver;
    KeyOutput* m_keys = nullptr;
    ChannelChoice m_channels;
    InterfaceChoice m_interfaces;
    ServiceLog m_serviceLog;
    PortList m_portList;
    std::vector<InitCommand> m_activation;
    EventLoop::TaskId m_activationTask = 0;
    EventLoop::TaskId m_startUpTask = 0;
    EventLoop::TaskId m_reconnectTask = 0;
    EventLoop::TaskId m_saveTask = 0;
    EventLoop::TaskId m_deviceEventsTask = 0;
    bool m_deviceEventMissed = false;
    // The failures of the last save as they were shown; empty after a save that worked.
    std::string m_saveFailureShown;
    // The files (as DisplayName gives them) that were refused when the session opened: the
    // session's state is not theirs, so they are never written over.
    std::set<std::string> m_notLoaded;
    std::unique_ptr<EventLoop::Watch> m_deviceWatch;
    TargetGuard m_target;
    std::unique_ptr<MeasurementLog> m_log;
    bool m_logFailureShown = false;
    // The log's failure while it lasts; empty while the log is written.
    std::string m_logNotice;
    std::string m_shownNotice;
    // Why there is no keyboard; empty when there is one.
    std::string m_noKeys = NoKeyboard;
    // The keyboard's failure last said on standard error; empty while it types.
    std::string m_reportedKeyFailure = m_noKeys;
    bool m_startUpScheduled = false;
    bool m_shutDown = false;
};

} // namespace travek
