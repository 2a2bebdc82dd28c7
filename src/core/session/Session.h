#pragma once

#include "core/files/GridModel.h"
#include "core/loop/EventLoop.h"
#include "core/session/BoxConnection.h"
#include "core/session/Dialogs.h"
#include "core/session/Inspection.h"
#include "core/session/LineRecorder.h"
#include "core/session/ProgramState.h"
#include "core/session/ReceiveHandler.h"
#include "core/session/SequenceState.h"
#include "core/session/SessionFiles.h"
#include "core/target/TargetGuard.h"

#include <memory>
#include <string>

namespace travek {

class KeyOutput;
class SessionView;

// The program's workflow: owns its state (definition, series settings, decimals, the grid, the
// running sequence, the port, the separator) and offers the user's actions. The side jobs are
// helpers it owns: the box's activation, the reconnect of a lost port, the record of each line and
// the session's files. It reaches the user interface only through its SessionView, and time only
// through its EventLoop.
class Session {
public:
    static constexpr int GridRows = 100;
    static constexpr const char* Caption = "TRAVEK v1.01";
    // What a line's outcome says when no key output was given.
    static constexpr const char* NoKeyboard = "no keyboard types the keys";
    static constexpr std::chrono::milliseconds StartUpDelay{100};
    // The label above the grid while the interface definition named is not there.
    static constexpr const char* NoDefinition = "Interface ??";

    // separator is the key string separator; the device is the serial port's (the platform's when
    // none is given). Nothing is shown before open().
    Session(SessionView& view, EventLoop& loop, char separator, std::unique_ptr<SerialDevice> device = {});
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
    // "Interface einrichten": the assistant, with the session's port let go meanwhile; then the
    // port taken up again, or the interface the assistant made switched to.
    void setUpInterface();
    void choosePort();
    // "Bediener" and "Teil/Los": who measures and what, for the measurement record.
    void editOperator() { m_recorder.editOperator(); }
    void editPart() { m_recorder.editPart(); }
    const LineRecorder& recorder() const { return m_recorder; }
    void restartTrend(const std::string& characteristic) { m_recorder.trendRestarted(characteristic); }
    // "Init Interface": opens the port first when it is closed, then activates the box.
    void initInterface();
    bool activating() const { return m_box.activating(); }

    // The adapter was pulled or the device went away; the port is closed already. It is waited
    // for (PortReconnect) until it opens, then set up and the box initialised as by "Init
    // Interface", and the sequence goes on where it was; or until the user chooses a port or an
    // interface.
    void portLost() { m_box.portLost(); }
    bool reconnecting() const { return m_box.reconnecting(); }

    // Saves the sequence, the interface name and the series settings, each on its own, and closes
    // the port; once. Unattended (a signal, the end of the desktop session) a file that cannot be
    // saved is reported on standard error. It may come while a box waits inside one of the user's
    // actions or the start-up: what follows the box then opens no port and sends no command.
    void shutDown(bool unattended);

    ProgramState& state() { return m_state; }
    GridModel& grid() { return m_grid; }
    const GridModel& grid() const { return m_grid; }
    SequenceTable& sequence() { return m_sequence; }
    SerialPort& port() { return m_box.port(); }
    ChannelChoice& channels() { return m_channels; }
    PortList& portList() { return m_portList; }

private:
    void buildGrid();
    void showSeriesSettings();
    void showCaption();
    // Loads the definition of name, reconnects and initialises the box.
    void switchInterface(const std::string& name);
    bool mayType(LineOutcome& outcome);
    // Throws Error when there is no keyboard or it fails.
    void typeKeys(std::string_view keys);
    bool editKeyString(const std::string& keyString, std::size_t maxLength, std::string& edited);
    // Runs one of the user's actions through the error guard.
    template <typename Action> void reporting(Action&& action);

    SessionView& m_view;
    EventLoop& m_loop;
    ProgramState m_state;
    GridModel m_grid;
    SequenceTable m_sequence;
    ReceiveHandler m_receiver;
    KeyOutput* m_keys = nullptr;
    // Why there is no keyboard; empty when there is one.
    std::string m_noKeys = NoKeyboard;
    ChannelChoice m_channels;
    InterfaceChoice m_interfaces;
    PortList m_portList;
    TargetGuard m_target;
    BoxConnection m_box;
    LineRecorder m_recorder;
    SessionFiles m_files;
    Inspection m_inspection;
    EventLoop::Task m_startUp;
    enum class Stage { Created, StartUpArmed, Ended } m_stage = Stage::Created;
};

} // namespace travek
