#include "core/session/Session.h"

#include "core/files/FileIo.h"
#include "core/files/GridFile.h"
#include "core/files/IniFile.h"
#include "core/files/SeriesFile.h"
#include "core/gauge/InterfaceActivation.h"
#include "core/gauge/PortControl.h"
#include "core/serial/DeviceWatch.h"
#include "core/serial/PortList.h"
#include "core/session/SessionView.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"
#include "core/typing/KeyOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <utility>

namespace travek {

namespace {

std::string errorText(const Error& error) { return SystemTextToWin1252(error.what()); }

// The series file that goes with a sequence file: its name without the folder, ".pst" appended,
// in the working directory.
std::string seriesFileFor(const std::string& sequenceFile) {
    const auto slash = sequenceFile.find_last_of("/\\");
    return "./" + (slash == std::string::npos ? sequenceFile : sequenceFile.substr(slash + 1)) + ".pst";
}

} // namespace

// The one guard where the user's actions and the timers are served: a refusal says why, and even
// a failure nobody foresaw (the library's own exceptions) is an error box, not the end of the
// program with the session's work unsaved.
template <typename Action> void Session::reporting(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        m_view.showError(errorText(error));
    } catch (const std::exception& error) {
        m_view.showError(SystemTextToWin1252(error.what()));
    }
}

template <typename Action> EventLoop::TaskId Session::later(std::chrono::milliseconds delay, Action&& action) {
    return m_loop.after(delay, [this, action = std::forward<Action>(action)]() mutable { reporting(action); });
}

Session::Session(SessionView& view, EventLoop& loop, char separator, std::unique_ptr<SerialDevice> device)
    : m_view(view), m_loop(loop), m_grid(3, 2, 1, 1),
      m_port(loop, device ? std::move(device) : CreatePlatformSerialDevice()),
      m_receiver(m_state.Definition, m_sequence, m_state.Series, m_state.NK, separator,
                 ReceiveHandler::Outputs{[this](std::string_view keys) { typeKeys(keys); },
                                         [this](int panel, const std::string& text) { m_view.setPanelText(panel, text); },
                                         [this](const LineOutcome& outcome) { lineHandled(outcome); },
                                         [this](LineOutcome& outcome) { return mayType(outcome); }}),
      m_portList(loop, [](std::vector<std::string>& lines) { ListComPorts(lines); }) {
    m_state.Separator = separator;
    m_port.setComPortPollingDelay(0);
    m_port.OnReceiveData = [this](const void* data, std::int32_t size) {
        reporting([&] { m_receiver.receive(data, size); });
    };
    m_port.OnPortLost = [this] { portLost(); };
    m_serviceLog.onChanged = [this](const std::string& text) { m_view.showServiceOutput(text); };
}

void Session::open() {
    m_view.setCaption(Caption);
    buildGrid();
    reporting([this] { loadSavedSequence(); });
    restartSequence();
    m_view.setCurrentCell(1, 1);
    // The list of interface definitions is read once, as the program starts; an empty one is
    // heard then, not only when the dialog is opened.
    if (m_interfaces.entries().empty())
        m_view.beep();
}

Session::~Session() {
    cancelActivation();
    cancelReconnect();
    if (m_startUpTask != 0)
        m_loop.cancel(m_startUpTask);
    if (m_saveTask != 0)
        m_loop.cancel(m_saveTask);
}

void Session::buildGrid() {
    m_view.beginGridUpdate();
    m_grid.setCell(0, 0, "Step");
    m_grid.setCell(1, 0, "Kanal");
    m_grid.setCell(2, 0, "Taste(n)");
    m_grid.setRowCount(GridRows);
    for (int row = 1; row < GridRows; ++row)
        m_grid.setCell(0, row, IntToStr(row));
    m_view.endGridUpdate();
}

void Session::loadSavedSequence() {
    // Anything of the name is looked at, so that a folder or a FIFO in a file's place is reported
    // now and not only when the exit cannot save.
    const std::string sequenceFile = FindPathIgnoreCase(SequenceFileName);
    if (!PathExists(sequenceFile))
        return;
    try {
        m_view.beginGridUpdate();
        LoadGridFromFile(m_grid, sequenceFile);
        m_view.endGridUpdate();
    } catch (const Error& error) {
        m_view.endGridUpdate();
        // A file too large to be a sequence was not loaded, and the empty grid must not replace it.
        if (error.code() == EFBIG)
            m_notLoaded.insert(DisplayName(sequenceFile));
        m_view.showError(errorText(error));
    }
    // After a failed read the grid is loaded all the same, and the running sequence is still
    // refreshed from it.
    const std::string seriesFile = FindPathIgnoreCase(SeriesFileName);
    if (PathExists(seriesFile) && readSeriesSettings(seriesFile)) {
        showSeriesString();
        showSeriesCount();
    }
}

bool Session::readSeriesSettings(const std::string& file) {
    try {
        const SeriesFileContent series = ReadSeriesFile(file);
        m_state.Series.ValXCount = series.ValXCount;
        m_state.Series.SeriesString = series.SeriesString;
        return true;
    } catch (const Error& error) {
        if (error.code() == EFBIG)
            m_notLoaded.insert(DisplayName(file));
        m_view.showError(errorText(error));
        return false;
    }
}

void Session::showSeriesCount() { m_view.showSeriesCount("[" + IntToStr(m_state.Series.ValXCount) + "]"); }

void Session::showSeriesString() { m_view.showSeriesString(m_state.Series.SeriesString); }

void Session::showCaption() { m_view.setCaption(std::string(Caption) + "  " + m_state.Definition.InterfaceName); }

void Session::restartSequence() {
    travek::restartSequence(m_grid, m_sequence);
    m_view.setPanelText(2, IntToStr(m_sequence.StepCount));
    m_view.setPanelText(3, IntToStr(m_sequence.CurrentStep));
    copyStepsFromGrid(m_grid, m_sequence);
}

bool Session::editKeyString(const std::string& keyString, std::size_t maxLength, std::string& edited) {
    KeyActionList list(keyString, m_state.Separator, maxLength);
    if (!m_view.runKeyActionDialog(list))
        return false;
    edited = list.keyString();
    return true;
}

void Session::editCell(int col, int row) {
    reporting([&] {
        if (row >= m_grid.fixedRows() && row < m_grid.rowCount()) {
            if (col == 1) {
                if (m_view.runChannelDialog(m_channels)) {
                    m_grid.setCell(1, row, m_channels.cellText());
                    // The channel commands sent at initialisation depend on the channels in the grid.
                    m_view.setActiveText("Init Interface notwendig");
                    changed();
                }
            } else if (col == 2) {
                std::string edited;
                if (editKeyString(m_grid.cell(2, row), MaxStepKeysLength, edited)) {
                    m_grid.setCell(2, row, std::move(edited));
                    changed();
                }
            }
        }
    });
    // Whatever happened, the running copy is refreshed and starts again at step 1.
    restartSequence();
}

void Session::insertRow(int col, int at) {
    const int last = m_grid.rowCount() - 1;
    if (at < m_grid.fixedRows() || at > last)
        return;
    for (int row = last; row > at; --row) {
        m_grid.setCell(1, row, m_grid.cell(1, row - 1));
        m_grid.setCell(2, row, m_grid.cell(2, row - 1));
    }
    m_grid.setCell(1, at, std::string());
    m_grid.setCell(2, at, std::string());
    m_view.setCurrentCell(col, at);
    changed();
}

void Session::deleteRow(int col, int at) {
    const int last = m_grid.rowCount() - 1;
    if (at < m_grid.fixedRows() || at > last)
        return;
    for (int row = at; row < last; ++row) {
        m_grid.setCell(1, row, m_grid.cell(1, row + 1));
        m_grid.setCell(2, row, m_grid.cell(2, row + 1));
    }
    m_grid.setCell(1, last, std::string());
    m_grid.setCell(2, last, std::string());
    m_view.setCurrentCell(col, at);
    changed();
}

void Session::saveSequence() {
    const std::string file = m_view.chooseSequenceFile(true);
    if (file.empty())
        return;
    reporting([&] {
        SaveGridToFile(m_grid, file);
        WriteSeriesFile(seriesFileFor(file), m_state.Series.ValXCount, m_state.Series.SeriesString);
    });
}

void Session::loadSequence(int col, int row) {
    const std::string file = m_view.chooseSequenceFile(false);
    if (file.empty())
        return;
    reporting([&] {
        // A refused file (a folder, too long) changes nothing: the grid and the series settings
        // stay as they were.
        GridModel loaded = m_grid;
        loaded.onRowCountChanged = nullptr;
        loaded.onCellChanged = nullptr;
        LoadGridFromFile(loaded, file);
        m_state.Series.ValXCount = 0;
        m_state.Series.SeriesString.clear();
        m_view.beginGridUpdate();
        m_grid.setRowCount(loaded.rowCount());
        for (int r = 0; r < loaded.rowCount(); ++r)
            for (int c = 0; c < loaded.colCount(); ++c)
                m_grid.setCell(c, r, loaded.cell(c, r));
        m_view.endGridUpdate();
        m_view.setCurrentCell(col, std::clamp(row, m_grid.fixedRows(), m_grid.rowCount() - 1));

        const std::string seriesFile = seriesFileFor(file);
        if (FileExists(seriesFile))
            readSeriesSettings(seriesFile);
        // Shown also after a failed read, so that the labels never claim settings that were dropped.
        showSeriesString();
        showSeriesCount();
        changed();
    });
}

void Session::editSeriesCount() {
    int value = 0;
    if (!m_view.runSeriesCountDialog(SeriesCountInput(m_state.Series.ValXCount), value))
        return;
    m_state.Series.ValXCount = value;
    showSeriesCount();
    changed();
}

void Session::editSeriesString() {
    std::string edited;
    if (!editKeyString(m_state.Series.SeriesString, 0, edited))
        return;
    m_state.Series.SeriesString = std::move(edited);
    showSeriesString();
    changed();
}

void Session::closePort() {
    cancelActivation();
    cancelReconnect();
    m_receiver.dropReceived();
    ClosePortIfOpen(m_port);
}

bool Session::reopenPort() {
    cancelActivation();
    // The user's own choice of port or interface ends the waiting for the old one.
    cancelReconnect();
    m_receiver.dropReceived();
    try {
        ReopenPort(m_port, m_state.Definition);
        return true;
    } catch (const Error& error) {
        m_view.showError(errorText(error));
        return false;
    }
}

void Session::loadDefinition() {
    // The whole definition is read again, so the port used is the one that the file now holds. A
    // refused file leaves the defaults, as a missing one does, and the steps after it still run.
    try {
        LoadInterfaceDefinition(m_state.Definition, m_state.Definition.InterfaceName + ".VAL");
    } catch (const Error& error) {
        m_view.showError(errorText(error));
    }
}

void Session::fillChannelList() { m_channels.setChannelCount(m_state.Definition.ChannelCount); }

void Session::portLost() {
    cancelActivation();
    m_receiver.dropReceived();
    m_view.setPanelText(0, "COM ?");
    m_view.setActiveText("Comport ??");
    if (m_port.checkDeviceReturn() == SerialDevice::Return::NeverByItself) {
        portGoneForGood();
        return;
    }
    scheduleReconnect();
}

void Session::portGoneForGood() {
    cancelReconnect();
    m_view.setPanelText(ReceiveHandler::LinePanel,
                        "COM" + IntToStr(m_state.Definition.ComPortNumber) +
                            " ist fort; \"Einstellungen > Comport\" \xF6" "ffnet den Port wieder");
}

void Session::scheduleReconnect(std::chrono::milliseconds delay) {
    if (m_reconnectTask != 0)
        m_loop.cancel(m_reconnectTask);
    m_reconnectTask = later(delay, [this] {
        m_reconnectTask = 0;
        reconnect();
    });
    // A new entry where the device lives (udev making the node or the by-id link) is tried at
    // once, through the loop, so that the watch is never ended inside its own callback.
    if (!m_deviceWatch)
        m_deviceWatch = WatchForDevice(m_loop, m_port.ComPort(), [this] { deviceFolderChanged(); });
}

// A folder such as /dev changes all the time on a busy machine: at most one try per
// DeviceEventSpacing, and one more at its end for what came meanwhile.
void Session::deviceFolderChanged() {
    if (m_deviceEventsTask != 0) {
        m_deviceEventMissed = true;
        return;
    }
    scheduleReconnect(std::chrono::milliseconds(0));
    m_deviceEventsTask = later(DeviceEventSpacing, [this] {
        m_deviceEventsTask = 0;
        if (std::exchange(m_deviceEventMissed, false) && reconnecting())
            deviceFolderChanged();
    });
}

void Session::reconnect() {
    // Only the device that was lost is opened by itself: another program's terminal or another
    // adapter under the same name would be switched to raw mode and sent the box's commands.
    switch (m_port.checkDeviceReturn()) {
    case SerialDevice::Return::Back:
        break;
    case SerialDevice::Return::NotBack:
        scheduleReconnect();
        return;
    case SerialDevice::Return::NeverByItself:
        portGoneForGood();
        return;
    }
    // Quietly: an adapter that is still unplugged is no news. A port mapped by its device name
    // (/dev/serial/by-id/...) comes back in any USB socket, as the name is resolved anew.
    try {
        ReopenPort(m_port, m_state.Definition);
    } catch (const Error&) {
        scheduleReconnect();
        return;
    }
    cancelReconnect();
    m_view.setPanelText(0, "COM " + IntToStr(m_state.Definition.ComPortNumber));
    initInterface();
}

void Session::cancelReconnect() {
    if (m_reconnectTask != 0)
        m_loop.cancel(m_reconnectTask);
    m_reconnectTask = 0;
    if (m_deviceEventsTask != 0)
        m_loop.cancel(m_deviceEventsTask);
    m_deviceEventsTask = 0;
    m_deviceEventMissed = false;
    m_deviceWatch.reset();
}

void Session::configureLog(const std::string& file) {
    if (file.empty() || !m_log || m_log->path() != file) {
        // Another log, or none: the old one's failure is no longer the situation.
        m_logNotice.clear();
        m_logFailureShown = false;
        showNotice();
    }
    if (file.empty()) {
        m_log.reset();
        return;
    }
    if (!m_log || m_log->path() != file)
        m_log = std::make_unique<MeasurementLog>(file);
}

bool Session::mayType(LineOutcome& outcome) {
    TargetGuard::Verdict verdict = m_target.check();
    outcome.window = std::move(verdict.window);
    if (!verdict.mayType)
        outcome.failure = std::move(verdict.focused);
    return verdict.mayType;
}

// A keyboard fails when the desktop takes it away (the compositor or the portal session ended).
// That shows while lines arrive, where a modal box would stop the port's handling, and every
// later line fails the same way: the reason goes to the line panel at every such line, and to
// standard error once until typing works again.
void Session::lineHandled(const LineOutcome& outcome) {
    if (outcome.note == LineOutcome::Note::NotTyped) {
        const std::string message = SystemTextToWin1252(outcome.failure);
        m_view.setPanelText(ReceiveHandler::LinePanel, message);
        if (message != m_reportedKeyFailure)
            std::fprintf(stderr, "travek: %s\n", message.c_str());
        m_reportedKeyFailure = message;
    } else if (outcome.note == LineOutcome::Note::Typed) {
        m_reportedKeyFailure.clear();
    } else if (outcome.note == LineOutcome::Note::WrongWindow) {
        // The operator looks at the gauge, not at the screen: the beep says to look.
        m_view.beep();
        m_view.setPanelText(ReceiveHandler::LinePanel, "Zielfenster nicht aktiv: " + outcome.failure);
    }
    logLine(outcome);
    showNotice();
}

// A GUI program on Windows has no standard error, and the line panel is overwritten by the next
// line: what lasts stays in sight in the window until it changes.
void Session::showNotice() {
    std::string text = m_reportedKeyFailure;
    if (!m_logNotice.empty())
        text += (text.empty() ? "" : "  \x95  ") + m_logNotice;
    if (text == m_shownNotice)
        return;
    m_shownNotice = text;
    m_view.showNotice(text);
}

void Session::logLine(const LineOutcome& outcome) {
    if (!m_log)
        return;
    MeasurementLog::Row row{"COM" + IntToStr(m_state.Definition.ComPortNumber), outcome.channel, outcome.step,
                            outcome.line, outcome.typed, {}, outcome.window};
    // Where a value was due, the window was looked at right before typing; for any other line it
    // is the one that has the focus now.
    const bool due = outcome.note == LineOutcome::Note::Typed || outcome.note == LineOutcome::Note::NotTyped ||
                     outcome.note == LineOutcome::Note::WrongWindow;
    if (!due)
        row.window = m_target.focusedTitle();
    switch (outcome.note) {
    case LineOutcome::Note::Typed:
        break;
    case LineOutcome::Note::NotTyped: {
        // A quality record must not claim a value that never reached the form, nor hide that the
        // keys after it did not arrive.
        static constexpr const char* Parts[] = {"nicht getippt: ", "Tasten des Schritts nicht getippt: ",
                                                "Reihenstring nicht getippt: "};
        row.note = Parts[static_cast<int>(outcome.failedPart)] + SystemTextToWin1252(outcome.failure);
        break;
    }
    case LineOutcome::Note::OtherChannel:
        row.note = "Schritt " + IntToStr(outcome.step) + " erwartet Kanal " +
                   IntToStr(outcome.step >= 1 && outcome.step <= MaxSteps ? m_sequence.StepChannel[outcome.step] : 0);
        break;
    case LineOutcome::Note::NoNumber:
        row.note = "keine Zahl im Wert";
        break;
    case LineOutcome::Note::NoSequence:
        row.note = "kein Ablauf";
        break;
    case LineOutcome::Note::CutShort: {
        // What went out before the exit may have arrived in part; the record claims only a value
        // that went out whole.
        static constexpr const char* Parts[] = {"abgebrochen: ", "Tasten des Schritts abgebrochen: ",
                                                "Reihenstring abgebrochen: "};
        row.note = std::string(Parts[static_cast<int>(outcome.failedPart)]) + "TRAVEK wurde beendet";
        break;
    }
    case LineOutcome::Note::WrongWindow:
        row.note = "nicht getippt: Zielfenster nicht aktiv (" + outcome.failure + ")";
        break;
    }
    try {
        m_log->append(row);
        m_logFailureShown = false;
        m_logNotice.clear();
    } catch (const Error& error) {
        // Measurements go on without the log; the user hears of each outage once, not with every
        // value (the first failure after a row that was written), and the notice keeps it in
        // sight while it lasts.
        const std::string message = "Protokoll " + m_log->path() + ": " + errorText(error);
        m_logNotice = message;
        if (m_logFailureShown)
            return;
        m_logFailureShown = true;
        m_view.setPanelText(ReceiveHandler::LinePanel, message);
        std::fprintf(stderr, "travek: %s\n", message.c_str());
    }
}

void Session::setKeyOutput(KeyOutput* keys, const std::string& whyNone) {
    m_keys = keys;
    m_noKeys = keys ? std::string() : whyNone.empty() ? NoKeyboard : whyNone;
    // Whoever opened the keyboard has said why on standard error already.
    m_reportedKeyFailure = m_noKeys;
    if (!keys && !whyNone.empty())
        m_view.setPanelText(ReceiveHandler::LinePanel, m_noKeys);
    showNotice();
}

void Session::setFocusWindow(FocusWindow* focus, const std::string& whyNone) { m_target.setFocusWindow(focus, whyNone); }

void Session::chooseTargetWindow() {
    FocusWindow* focus = m_target.focusWindow();
    if (!focus) {
        m_view.showError("Zielfenster: " + m_target.unavailableReason());
        return;
    }
    TargetWindowChoice choice(m_loop, *focus, m_target.target());
    if (!m_view.runTargetWindowDialog(choice))
        return;
    // In force at once, even when the settings file cannot take it.
    m_target.setTarget(choice.target());
    reporting([&] { m_target.target().write(FindPathIgnoreCase(SettingsFileName)); });
}

void Session::typeKeys(std::string_view keys) {
    if (!m_keys)
        throw Error(m_noKeys);
    m_keys->SendKeys(keys);
}

void Session::chooseInterface() {
    int row = -1;
    if (!m_view.runInterfaceDialog(m_interfaces, row))
        return;
    const std::string name = m_interfaces.nameAt(row);
    if (name.empty())
        return;
    reporting([&] {
        m_state.Definition.InterfaceName = name;
        changed();
        loadDefinition();
        m_view.setPanelText(1, m_state.Definition.InterfaceName);
        reopenPort();
        fillChannelList();
        initInterface();
        m_view.setPanelText(0, "DONE");
        showCaption();
    });
}

void Session::choosePort() {
    ComPortChoice choice(m_state.Definition.ComPortNumber);
    if (!m_view.runComPortDialog(choice))
        return;
    reporting([&] {
        m_state.Definition.ComPortNumber = choice.chosenPort();
        changed();
        // The choice counts even when the definition file cannot take it.
        reporting([&] { StoreComPortNumber(m_state.Definition, m_state.Definition.InterfaceName + ".VAL"); });
        m_view.setPanelText(0, "COM ?");
        loadDefinition();
        if (reopenPort())
            m_view.setPanelText(0, "COM " + IntToStr(m_state.Definition.ComPortNumber));
        initInterface();
    });
}

void Session::initInterface() {
    cancelActivation();
    m_view.setActiveText("Init");
    if (!m_port.IsPortOpen()) {
        m_view.setActiveText("Comport ??");
        return;
    }
    m_activation = InitCommands(m_state.Definition, m_grid);
    sendActivationStep(0);
}

void Session::sendActivationStep(std::size_t index) {
    m_activationTask = 0;
    // Commands without a pause go out together; after a channel command the box needs the time
    // to switch the channel on, and the window stays alive meanwhile.
    for (; index < m_activation.size(); ++index) {
        const InitCommand& command = m_activation[index];
        SendCommand(m_port, command.text);
        m_serviceLog.record(command.text);
        if (command.pauseAfter) {
            m_activationTask = later(ChannelCommandPause, [this, next = index + 1] { sendActivationStep(next); });
            return;
        }
    }
    m_activation.clear();
    m_view.setActiveText("Active");
}

void Session::cancelActivation() {
    if (m_activationTask != 0)
        m_loop.cancel(m_activationTask);
    m_activationTask = 0;
    m_activation.clear();
}

void Session::scheduleStartUp() {
    if (m_startUpScheduled)
        return;
    m_startUpScheduled = true;
    m_startUpTask = later(StartUpDelay, [this] {
        m_startUpTask = 0;
        startUp();
    });
}

void Session::startUp() {
    if (m_startUpTask != 0) {
        m_loop.cancel(m_startUpTask);
        m_startUpTask = 0;
    }
    InterfaceDefinition& definition = m_state.Definition;
    // A settings file that is refused reads as a missing one, and the start-up goes on.
    IniFile settings(std::string{});
    reporting([&] { settings = IniFile::load(FindPathIgnoreCase(SettingsFileName)); });
    definition.InterfaceName = settings.readString("PARAMETER", "INTERFACE", definition.InterfaceName);
    m_state.NK = static_cast<std::uint8_t>(settings.readInteger("PARAMETER", "NK", m_state.NK) & 0xFF);
    configureLog(settings.readString("LOG", "FILE", ""));
    m_target.setTarget(TargetWindow::read(settings));
    if (m_target.target().isSet() && m_target.focusWindow() == nullptr) {
        // Refusing every value would leave the operator stuck with a dialog that cannot be opened
        // here; typing unguarded is what this desktop always did, and it is said, not hidden.
        const std::string message = "Zielfenster wird nicht gepr\xFC" "ft: " + m_target.unavailableReason();
        m_view.setPanelText(ReceiveHandler::LinePanel, message);
        std::fprintf(stderr, "travek: %s\n", message.c_str());
    }
    // The typing pace for slow targets (remote desktops, web forms). Beyond a second per key a
    // value would take minutes; the nearest allowed pace is used, and the user is told.
    const int keyDelay = settings.readInteger("PARAMETER", "KEYDELAY", 0);
    const int usedKeyDelay = std::clamp(keyDelay, 0, KeyOutput::MaxKeyDelay);
    if (m_keys)
        m_keys->setKeyDelay(usedKeyDelay);
    if (usedKeyDelay != keyDelay)
        m_view.showError("KEYDELAY=" + IntToStr(keyDelay) + " in TRAVEK.INI: erlaubt sind 0 bis " +
                         IntToStr(KeyOutput::MaxKeyDelay) + " ms; es gilt " + IntToStr(usedKeyDelay));
    m_view.setPanelText(0, "COM ?");
    loadDefinition();
    m_view.setPanelText(1, definition.InterfaceName);
    if (reopenPort())
        m_view.setPanelText(0, "COM " + IntToStr(definition.ComPortNumber));
    fillChannelList();
    initInterface();
    showCaption();
    showSeriesCount();
}

std::vector<std::string> Session::saveFiles() {
    // Each file is written on its own: one that cannot be written must not cost the others. The
    // files are found without regard to letter case, so that ABLAUF.ABL copied from Windows is
    // the one written, not a second file beside it.
    std::vector<std::string> errors;
    auto attempt = [this, &errors](const char* name, const auto& write) {
        const std::string path = FindPathIgnoreCase(name);
        try {
            if (m_notLoaded.count(DisplayName(path)))
                throw Error(DisplayName(path) + ": beim Start nicht geladen, daher nicht \xFC" "berschrieben");
            write(path);
        } catch (const std::exception& error) {
            errors.push_back(SystemTextToWin1252(error.what()));
        }
    };
    attempt(SequenceFileName, [this](const std::string& path) { SaveGridToFile(m_grid, path); });
    attempt(SettingsFileName, [this](const std::string& path) {
        IniFile::writeValue(path, "PARAMETER", "INTERFACE", m_state.Definition.InterfaceName);
    });
    attempt(SeriesFileName, [this](const std::string& path) {
        WriteSeriesFile(path, m_state.Series.ValXCount, m_state.Series.SeriesString);
    });
    return errors;
}

// Saving as things change, as the exit does: a signal that kills, a desktop that crashes, a power
// cut then loses at most the last second. Changes in a row (a dialog after a dialog) are saved
// once.
void Session::changed() {
    if (m_shutDown)
        return;
    if (m_saveTask != 0)
        m_loop.cancel(m_saveTask);
    m_saveTask = later(SaveDelay, [this] {
        m_saveTask = 0;
        // An error box in the middle of a value would hold the typing up until it is answered.
        if (m_receiver.typing()) {
            changed();
            return;
        }
        std::string text;
        for (const std::string& line : saveFiles())
            text += (text.empty() ? "" : "\n") + line;
        // A file that stays unwritable (write-protected on purpose) is said once, not at every
        // edit; a new failure, or the same after a success, is said again.
        if (!text.empty() && text != m_saveFailureShown)
            m_view.showError(text);
        m_saveFailureShown = text;
    });
}

void Session::shutDown(bool unattended) {
    if (m_shutDown)
        return;
    m_shutDown = true;
    // A value being typed is dropped, and nothing is typed after the window has gone.
    if (m_keys)
        m_keys->stop();
    if (m_startUpTask != 0) {
        m_loop.cancel(m_startUpTask);
        m_startUpTask = 0;
    }
    if (m_saveTask != 0) {
        m_loop.cancel(m_saveTask);
        m_saveTask = 0;
    }
    const std::vector<std::string> errors = saveFiles();
    if (!errors.empty() && unattended) {
        for (const std::string& line : errors)
            std::fprintf(stderr, "travek: %s\n", line.c_str());
    } else if (!errors.empty()) {
        std::string text;
        for (const std::string& line : errors)
            text += (text.empty() ? "" : "\n") + line;
        m_view.showError(text);
    }
    closePort();
}

} // namespace travek
