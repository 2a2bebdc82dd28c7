#include "core/session/Session.h"

#include "core/files/IniFile.h"
#include "core/gauge/InterfaceActivation.h"
#include "core/gauge/PortControl.h"
#include "core/serial/PortList.h"
#include "core/session/InterfaceAssistant.h"
#include "core/session/Reporting.h"
#include "core/session/SessionView.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"
#include "core/typing/KeyOutput.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>

namespace travek {

template <typename Action> void Session::reporting(Action&& action) {
    travek::reporting(m_view, std::forward<Action>(action));
}

Session::Session(SessionView& view, EventLoop& loop, char separator, std::unique_ptr<SerialDevice> device)
    : m_view(view), m_loop(loop), m_grid(4, 2, 1, 1),
      m_receiver(m_state.definition, m_sequence, m_state.series, m_state.decimals, separator,
                 ReceiveHandler::Outputs{
                     [this](std::string_view keys) { typeKeys(keys); },
                     [this](StatusPanel panel, const std::string& text) { m_view.setPanelText(panel, text); },
                     [this](const LineOutcome& outcome) {
                         m_inspection.lineHandled(outcome);
                         m_recorder.lineHandled(outcome);
                     },
                     [this](LineOutcome& outcome) { return mayType(outcome); },
                     [this] {
                         if (m_keys)
                             m_keys->awaitTaken();
                     },
                     [this] { return m_keys ? m_keys->takeUntyped() : std::string(); },
                     std::bind_front(&Inspection::judge, &m_inspection)}),
      m_portList(loop, [](std::vector<std::string>& lines) { listComPorts(lines); }),
      m_box(loop, view, std::move(device), m_state.definition, m_grid,
            BoxConnection::Outputs{[this] { m_receiver.dropReceived(); }, [this] { m_recorder.portLost(); },
                                   [this] { m_recorder.portBack(); }}),
      m_recorder(view, loop, m_state, m_sequence, m_target, Caption, m_noKeys),
      m_files(view, loop, m_grid, m_state, [this] { return m_receiver.typing(); }),
      m_inspection(view, m_grid, m_state, m_files) {
    m_state.separator = separator;
    m_box.port().onReceiveData = [this](const void* data, std::int32_t size) {
        reporting([&] { m_receiver.receive(data, size); });
    };
}

void Session::open() {
    m_view.setCaption(Caption);
    buildGrid();
    reporting([this] {
        if (m_files.loadSaved())
            showSeriesSettings();
    });
    restartSequence();
    m_view.setCurrentCell(1, 1);
    // The list of interface definitions is read once, as the program starts; an empty one is
    // heard then, not only when the dialog is opened.
    if (m_interfaces.entries().empty())
        m_view.beep();
}

void Session::buildGrid() {
    m_view.beginGridUpdate();
    m_grid.setCell(0, 0, "Step");
    m_grid.setCell(1, 0, "Kanal");
    m_grid.setCell(2, 0, "Taste(n)");
    m_grid.setCell(ToleranceColumn, 0, "Toleranz");
    m_grid.setRowCount(GridRows);
    for (int row = 1; row < GridRows; ++row)
        m_grid.setCell(0, row, std::to_string(row));
    m_view.endGridUpdate();
}

void Session::showSeriesSettings() {
    m_view.showSeriesString(m_state.series.seriesString);
    m_view.showSeriesCount("[" + std::to_string(m_state.series.valuesPerSeries) + "]");
}

void Session::showCaption() {
    m_view.setCaption(std::string(Caption) + "  " + m_state.definition.interfaceName);
}

void Session::restartSequence() {
    travek::restartSequence(m_grid, m_sequence);
    m_view.setPanelText(StatusPanel::StepCount, std::to_string(m_sequence.stepCount));
    m_view.setPanelText(StatusPanel::CurrentStep, std::to_string(m_sequence.currentStep));
    copyStepsFromGrid(m_grid, m_sequence);
}

bool Session::editKeyString(const std::string& keyString, std::size_t maxLength, std::string& edited) {
    KeyActionList list(keyString, m_state.separator, maxLength);
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
                    m_files.changed();
                }
            } else if (col == 2) {
                std::string edited;
                if (editKeyString(m_grid.cell(2, row), MaxStepKeysLength, edited)) {
                    m_grid.setCell(2, row, std::move(edited));
                    m_files.changed();
                }
            } else if (col == ToleranceColumn) {
                m_inspection.edit(row);
            }
        }
    });
    // Whatever happened, the running copy is refreshed and starts again at step 1.
    restartSequence();
}

void Session::insertRow(int col, int at) {
    int last = m_grid.rowCount() - 1;
    if (at < m_grid.fixedRows() || at > last)
        return;
    // A loaded file gives the grid one row per line: while there is room for a step the grid
    // grows, so that the new row pushes no step out. At the last step, only an empty one may go.
    if (m_grid.rowCount() - m_grid.fixedRows() < MaxSteps) {
        m_grid.setRowCount(++last + 1);
        m_grid.setCell(0, last, std::to_string(last - m_grid.fixedRows() + 1));
    } else if (!removeBlanks(m_grid.cell(1, last)).empty() || !removeBlanks(m_grid.cell(2, last)).empty() ||
               !m_grid.cell(ToleranceColumn, last).empty()) {
        m_view.showError("Zeile einf\xFCgen: Der Ablauf hat schon " + std::to_string(MaxSteps) +
                         " Schritte, und der letzte ginge verloren. Bitte erst eine Zeile entfernen.");
        return;
    }
    for (int row = last; row > at; --row) {
        m_grid.setCell(1, row, m_grid.cell(1, row - 1));
        m_grid.setCell(2, row, m_grid.cell(2, row - 1));
    }
    m_grid.setCell(1, at, std::string());
    m_grid.setCell(2, at, std::string());
    m_inspection.rowInserted(at);
    m_view.setCurrentCell(col, at);
    m_files.changed();
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
    m_inspection.rowRemoved(at);
    m_view.setCurrentCell(col, at);
    m_files.changed();
}

void Session::saveSequence() {
    const std::string file = m_view.chooseSequenceFile(true);
    if (file.empty())
        return;
    reporting([&] { m_files.saveSequenceAs(file); });
}

void Session::loadSequence(int col, int row) {
    const std::string file = m_view.chooseSequenceFile(false);
    if (file.empty())
        return;
    reporting([&] {
        m_files.loadSequenceFrom(file);
        m_view.setCurrentCell(col, std::clamp(row, m_grid.fixedRows(), m_grid.rowCount() - 1));
        // Shown also after a failed read of the series file, so that the labels never claim
        // settings that were dropped.
        showSeriesSettings();
    });
}

void Session::editSeriesCount() {
    int value = 0;
    if (!m_view.runSeriesCountDialog(SeriesCountInput(m_state.series.valuesPerSeries), value))
        return;
    m_state.series.valuesPerSeries = value;
    showSeriesSettings();
    m_files.changed();
}

void Session::editSeriesString() {
    std::string edited;
    if (!editKeyString(m_state.series.seriesString, 0, edited))
        return;
    m_state.series.seriesString = std::move(edited);
    showSeriesSettings();
    m_files.changed();
}

bool Session::mayType(LineOutcome& outcome) {
    // Without a target, the focused window only names the log's Fenster column: nobody asks the
    // desktop when there is no log, as the question costs round trips to it before the first key.
    if (!m_target.target().isSet() && !m_recorder.logging())
        return true;
    TargetGuard::Verdict verdict = m_target.check();
    outcome.window = std::move(verdict.window);
    if (!verdict.mayType)
        outcome.failure = std::move(verdict.focused);
    return verdict.mayType;
}

void Session::setKeyOutput(KeyOutput* keys, const std::string& whyNone) {
    m_keys = keys;
    m_noKeys = keys ? std::string() : whyNone.empty() ? NoKeyboard : whyNone;
    // Whoever opened the keyboard has said why on standard error already.
    m_recorder.keyboardChanged(m_noKeys);
    if (!keys && !whyNone.empty())
        m_view.setPanelText(StatusPanel::Line, m_noKeys);
}

void Session::setFocusWindow(FocusWindow* focus, const std::string& whyNone) {
    m_target.setFocusWindow(focus, whyNone);
}

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
    m_recorder.targetChosen();
    reporting(
        [&] { m_files.writeSettings([this](const std::string& path) { m_target.target().write(path); }); });
}

void Session::typeKeys(std::string_view keys) {
    if (!m_keys)
        throw Error(m_noKeys);
    // With a target, the focus is asked again before every key press: it may move in the middle of
    // a value (KEYDELAY gives plenty of time), and then nothing more of the line may go out.
    m_keys->sendKeys(keys, m_target.guarding() ? &m_target : nullptr);
}

void Session::chooseInterface() {
    int row = -1;
    if (!m_view.runInterfaceDialog(m_interfaces, row))
        return;
    const std::string name = m_interfaces.nameAt(row);
    if (!name.empty())
        switchInterface(name);
}

void Session::switchInterface(const std::string& name) {
    reporting([&] {
        m_state.definition.interfaceName = name;
        m_files.changed();
        m_box.loadDefinition(true, m_interfaces);
        m_view.setPanelText(StatusPanel::Interface, m_state.definition.interfaceName);
        const bool activateNow = m_box.reopen();
        m_recorder.interfaceChosen();
        m_channels.setChannelCount(m_state.definition.channelCount);
        if (activateNow)
            m_box.activate();
        m_view.setPanelText(StatusPanel::Port, "DONE");
        showCaption();
    });
}

void Session::setUpInterface() {
    // The assistant opens the box's port itself, and it may be the very device of the session's:
    // the session lets go of its port until the assistant has closed its own.
    const BoxConnection::Released released = m_box.release();
    if (released.wasOpen)
        m_view.setActiveText("Interface einrichten");
    std::string switchTo;
    bool saved = false;
    reporting([&] {
        InterfaceAssistant assistant(m_loop, createPlatformSerialDevice(), m_state.definition,
                                     m_state.decimals);
        m_view.runInterfaceAssistant(assistant);
        switchTo = assistant.switchTo();
        saved = assistant.savedAny();
    });
    // The program was ended while the assistant was open: its port stays closed.
    if (m_stage == Stage::Ended)
        return;
    // A definition made here is offered by "Interface" at once, not only after the next start.
    if (saved)
        m_interfaces = InterfaceChoice();
    if (!switchTo.empty()) {
        switchInterface(switchTo);
    } else if (released.wasOpen) {
        m_box.reopen();
        initInterface();
    } else if (released.wasWaiting) {
        m_box.waitAgain();
    }
}

void Session::choosePort() {
    ComPortChoice choice(m_state.definition.portNumber);
    if (!m_view.runComPortDialog(choice))
        return;
    reporting([&] {
        m_state.definition.portNumber = choice.chosenPort();
        m_files.changed();
        // A port for a definition that is not there would make a file of that one key, and a box
        // that nothing describes would be sent the default commands.
        const std::string file = m_state.definition.interfaceName + ".VAL";
        if (!fileExists(findPathIgnoreCase(file))) {
            m_view.showError(m_interfaces.missingText(file));
            return;
        }
        // The choice counts even when the definition file cannot take it.
        reporting([&] { storeComPortNumber(m_state.definition, file); });
        m_box.loadDefinition(false, m_interfaces);
        const bool open = m_box.reopen();
        m_recorder.portChosen();
        if (open)
            m_box.activate();
    });
}

void Session::initInterface() {
    if (m_stage == Stage::Ended)
        return;
    // A definition missing at the start may have been put in the folder since.
    if (!m_box.definitionLoaded()) {
        if (!m_box.loadDefinition(true, m_interfaces)) {
            m_view.setActiveText(NoDefinition);
            return;
        }
        m_channels.setChannelCount(m_state.definition.channelCount);
    }
    // A port that is closed (it did not open, or it was lost) is opened first.
    if (!m_box.port().isOpen() && !m_box.reopen(true))
        return;
    m_box.activate();
}

void Session::scheduleStartUp() {
    if (m_stage != Stage::Created)
        return;
    m_stage = Stage::StartUpArmed;
    m_startUp = later(m_loop, m_view, StartUpDelay, [this] { startUp(); });
}

void Session::startUp() {
    m_startUp.cancel();
    InterfaceDefinition& definition = m_state.definition;
    // A settings file that is refused reads as a missing one, and the start-up goes on.
    IniFile settings(std::string{});
    reporting([&] { settings = m_files.loadSettings(); });
    definition.interfaceName = settings.readString("PARAMETER", "INTERFACE", definition.interfaceName);
    m_state.decimals =
        static_cast<std::uint8_t>(settings.readInteger("PARAMETER", "NK", m_state.decimals) & 0xFF);
    m_target.setTarget(TargetWindow::read(settings));
    if (m_target.target().isSet() && m_target.focusWindow() == nullptr) {
        // Refusing every value would leave the operator stuck with a dialog that cannot be opened
        // here; typing unguarded is what this desktop always did, and it is said, not hidden.
        const std::string message = "Zielfenster wird nicht gepr\xFC"
                                    "ft: " +
                                    m_target.unavailableReason();
        m_view.setPanelText(StatusPanel::Line, message);
        std::fprintf(stderr, "travek: %s\n", message.c_str());
    }
    // The typing pace for slow targets (remote desktops, web forms). Beyond a second per key a
    // value would take minutes; the nearest allowed pace is used, and the user is told.
    const int keyDelay = settings.readInteger("PARAMETER", "KEYDELAY", 0);
    const int usedKeyDelay = std::clamp(keyDelay, 0, KeyOutput::MaxKeyDelay);
    if (m_keys)
        m_keys->setKeyDelay(usedKeyDelay);
    if (usedKeyDelay != keyDelay)
        m_view.showError("KEYDELAY=" + std::to_string(keyDelay) + " in TRAVEK.INI: erlaubt sind 0 bis " +
                         std::to_string(KeyOutput::MaxKeyDelay) + " ms; es gilt " +
                         std::to_string(usedKeyDelay));
    m_box.showPortState();
    // A folder without any definition is the assistant's question below, not an error first.
    const bool loaded = m_box.loadDefinition(!m_interfaces.entries().empty(), m_interfaces);
    m_recorder.setUp(settings);
    m_view.setPanelText(StatusPanel::Interface, definition.interfaceName);
    const bool activateNow = loaded && m_box.reopen();
    m_channels.setChannelCount(definition.channelCount);
    if (activateNow)
        m_box.activate();
    else if (!loaded)
        m_view.setActiveText(NoDefinition);
    showCaption();
    showSeriesSettings();
    // Without a definition no line names a channel: the beep alone tells a new user nothing.
    if (m_interfaces.entries().empty() &&
        m_view.ask("Im Arbeitsordner " + systemTextToWin1252(workingDirectoryPath("")) +
                   " gibt es keine Interface-Definition (*.VAL): TRAVEK kann so keine Zeile der Box einem "
                   "Kanal zuordnen.\n\nJetzt eine mit \x84Interface einrichten\x85\x93 anlegen?"))
        setUpInterface();
}

void Session::shutDown(bool unattended) {
    if (m_stage == Stage::Ended)
        return;
    m_stage = Stage::Ended;
    // A value being typed is dropped, and nothing is typed after the window has gone.
    if (m_keys)
        m_keys->stop();
    m_startUp.cancel();
    m_files.saveAtExit(unattended);
    m_recorder.ended();
    m_box.end();
}

} // namespace travek
