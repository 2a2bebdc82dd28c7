#include "core/session/Dialogs.h"

#include "core/files/DefinitionFiles.h"
#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "core/text/KeyString.h"
#include "core/text/TextHelpers.h"

#include <algorithm>

namespace travek {

const std::vector<std::string>& KeyActionList::tokens() {
    static const std::vector<std::string> list = {
        "{LEFT}", "{RIGHT}", "{ENTER}", "{TAB}",  "{UP}",  "{DOWN}", "{PGDN}", "{PGUP}", "{END}", "{HOME}",
        "{F1}",   "{F2}",    "{F3}",    "{F4}",   "{F5}",  "{F6}",   "{F7}",   "{F8}",   "{F9}",  "{F10}",
        "{F11}",  "{F12}",   "{SHIFT}", "{CTRL}", "{INS}", "{DEL}",  "{ESC}",  "{BACK}"};
    return list;
}

KeyActionList::KeyActionList(const std::string& keyString, char separator, std::size_t maxLength)
    : m_entries(splitKeyString(keyString, separator)), m_separator(separator), m_maxLength(maxLength) {}

bool KeyActionList::add(int tokenIndex, int selectedEntry) {
    // The token list can lose its selection (Ctrl+click); then there is nothing to add.
    if (tokenIndex < 0 || tokenIndex >= static_cast<int>(tokens().size()))
        return false;
    const std::string& token = tokens()[static_cast<std::size_t>(tokenIndex)];
    if (m_maxLength > 0) {
        std::vector<std::string> grown = m_entries;
        grown.push_back(token);
        if (joinKeyString(grown, m_separator).size() > m_maxLength) {
            m_limitMessage = "Nicht hinzugef\xFCgt: h\xF6"
                             "chstens " +
                             std::to_string(static_cast<std::int32_t>(m_maxLength)) + " Zeichen je Schritt.";
            return false;
        }
    }
    m_limitMessage.clear();
    if (selectedEntry < 0 || selectedEntry >= static_cast<int>(m_entries.size()))
        m_entries.push_back(token);
    else
        m_entries.insert(m_entries.begin() + selectedEntry + 1, token);
    return true;
}

void KeyActionList::remove(int selectedEntry) {
    if (selectedEntry < 0 || selectedEntry >= static_cast<int>(m_entries.size()))
        return;
    m_entries.erase(m_entries.begin() + selectedEntry);
    m_limitMessage.clear();
}

std::string KeyActionList::keyString() const {
    return joinKeyString(m_entries, m_separator);
}

SeriesCountInput::SeriesCountInput(std::int32_t current) : m_text(std::to_string(current)) {}

std::int32_t SeriesCountInput::valueOf(const std::string& typed) {
    return leadingInt(removeBlanks(typed));
}

void ChannelChoice::setChannelCount(int count) {
    m_entries.clear();
    for (int n = 1; n <= count; ++n)
        m_entries.push_back("Kanal " + std::to_string(n));
    m_selected = -1;
}

std::string ChannelChoice::cellText() const {
    return std::to_string(m_selected + 1);
}

InterfaceChoice::InterfaceChoice(const std::string& folder)
    : m_folder(folder == "." ? workingDirectoryForUser() : folder) {
    for (const std::string& file : findDefinitionFiles(folder))
        m_entries.push_back(definitionListEntry(file));
}

std::string InterfaceChoice::emptyText() const {
    if (!m_entries.empty())
        return {};
    return "Keine Schnittstellendefinition (*.VAL) im Ordner " + m_folder;
}

std::string InterfaceChoice::missingText(const std::string& file) const {
    std::string text = file + ": Schnittstellendefinition nicht gefunden. ";
    if (m_entries.empty())
        return text + emptyText() + ".";
    text += "\"Einstellungen > Interface\" bietet an: ";
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        text += (i == 0 ? "" : ", ") + removeBlanks(m_entries[i]);
    return text + ".";
}

std::string InterfaceChoice::nameAt(int row) const {
    if (row < 0 || row >= static_cast<int>(m_entries.size()))
        return {};
    return removeBlanks(m_entries[static_cast<std::size_t>(row)]);
}

ComPortChoice::ComPortChoice(int currentPort)
    : m_selected(currentPort >= 1 && currentPort <= PortCount ? currentPort - 1 : -1) {}

const std::vector<std::string>& ComPortChoice::entries() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> names;
        for (int n = 1; n <= PortCount; ++n)
            names.push_back("COM " + std::to_string(n));
        return names;
    }();
    return list;
}

void ComPortChoice::leave() {
    if (m_selected < 0)
        m_selected = 0;
}

std::string ComPortChoice::text() const {
    return m_selected >= 0 && m_selected < PortCount ? entries()[static_cast<std::size_t>(m_selected)]
                                                     : std::string();
}

int ComPortChoice::chosenPort() const {
    return std::max(m_selected, 0) + 1;
}

void PortList::start(std::function<void()> changed, std::function<void(const std::string&)> failed) {
    stop();
    m_changed = std::move(changed);
    m_failed = std::move(failed);
    // Each opening of the window hears of a failure again.
    m_reportedFailure.clear();
    m_running = true;
    refreshAndReport();
    if (m_running && !m_task.pending())
        schedule();
}

void PortList::stop() {
    m_running = false;
    m_task.cancel();
}

void PortList::refreshAndReport() {
    std::vector<std::string> lines;
    std::string failure;
    try {
        m_source(lines);
    } catch (const Error& error) {
        failure = systemTextToWin1252(error.what());
        if (failure.empty())
            failure = "Die Liste der Comports kann nicht gelesen werden";
    }
    if (lines != m_lines) { // leave the list alone while nothing changed
        m_lines = std::move(lines);
        if (m_changed)
            m_changed();
    }
    if (failure.empty()) {
        m_reportedFailure.clear();
        return;
    }
    if (m_reporting || failure == m_reportedFailure)
        return;
    m_reportedFailure = failure;
    if (!m_failed)
        return;
    // The report usually runs a modal loop, in which this list's own task can come due again.
    m_reporting = true;
    try {
        m_failed(failure);
    } catch (...) {
        m_reporting = false;
        throw;
    }
    m_reporting = false;
}

void PortList::schedule() {
    m_task = m_loop.after(std::chrono::milliseconds(RefreshMs), [this] {
        refreshAndReport();
        // Armed after the report: a box open meanwhile has no refresh running under it.
        if (m_running && !m_task.pending())
            schedule();
    });
}

} // namespace travek

namespace travek {

TargetWindowChoice::TargetWindowChoice(EventLoop& loop, FocusWindow& focus, TargetWindow current)
    : m_loop(loop), m_focus(focus), m_target(std::move(current)) {}

void TargetWindowChoice::capture() {
    stop();
    tick(CountdownSeconds);
}

void TargetWindowChoice::tick(int secondsLeft) {
    if (secondsLeft <= 0) {
        take();
        changed();
        return;
    }
    m_status = "Festlegen in " + std::to_string(secondsLeft) + " s: bitte in das Zielfenster klicken";
    m_task = m_loop.after(std::chrono::seconds(1), [this, secondsLeft] { tick(secondsLeft - 1); });
    changed();
}

void TargetWindowChoice::take() {
    std::optional<WindowInfo> window;
    try {
        window = m_focus.focused();
    } catch (const std::exception& error) {
        m_status = "Das Fenster mit dem Fokus ist nicht zu erfahren: " + systemTextToWin1252(error.what());
        return;
    }
    // Each refusal keeps the target as it was: a target that matches nothing, or TRAVEK itself,
    // would stop every value, and one without a name would let any nameless window through.
    if (!window)
        m_status = "Kein Fenster hat den Fokus: nichts festgelegt";
    else if (window->ownProcess)
        m_status = "Das ist TRAVEK selbst: bitte in das Zielfenster klicken";
    else if (window->program.empty() && window->windowClass.empty())
        m_status = "Das Fenster nennt weder Programm noch Klasse: nichts festgelegt";
    else {
        m_target = TargetWindow::of(*window, m_target.matchTitle);
        m_status.clear();
    }
}

void TargetWindowChoice::clear() {
    stop();
    const bool matchTitle = m_target.matchTitle;
    m_target = TargetWindow{};
    m_target.matchTitle = matchTitle;
    m_status.clear();
}

void TargetWindowChoice::stop() {
    m_task.cancel();
}

void TargetWindowChoice::changed() {
    if (onChanged)
        onChanged();
}

const char* RecordTextInput::label() const {
    return m_kind == Kind::Operator ? "Name des Bedieners:" : "Teil oder Los:";
}

bool RecordTextInput::take(const std::string& typed) {
    std::string text = typed;
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    text = std::string(trim(text)).substr(0, MaxLength);
    text = std::string(trim(text));
    if (text.empty() && m_kind == Kind::Operator) {
        m_message = "Bitte einen Namen eingeben: jede Zeile des Protokolls nennt ihren Bediener.";
        return false;
    }
    m_message.clear();
    m_text = std::move(text);
    return true;
}

} // namespace travek
