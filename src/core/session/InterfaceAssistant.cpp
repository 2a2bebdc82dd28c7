#include "core/session/InterfaceAssistant.h"

#include "core/files/DefinitionFiles.h"
#include "core/files/FileIo.h"
#include "core/gauge/PortControl.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace travek {

InterfaceAssistant::InterfaceAssistant(EventLoop& loop, std::unique_ptr<SerialDevice> device,
                                       const InterfaceDefinition& current, std::uint8_t decimals)
    : m_loop(loop), m_decimals(decimals), m_port(loop, std::move(device)),
      m_lines(loop, [this] { changed(); }) {
    m_port.setPollingDelay(0);
    m_port.onReceiveData = [this](const void* bytes, std::int32_t size) {
        receive(std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(size)));
    };
    m_port.onPortLost = [this] {
        m_silence.cancel();
        m_portMessage = portName() + " ist fort (Adapter gezogen?); \x84\xD6"
                                     "ffnen\x93 versucht es wieder.";
        changed();
    };
    std::string content;
    const std::string file = findPathIgnoreCase(current.interfaceName + ".VAL");
    bool found = false;
    if (!current.interfaceName.empty() && fileExists(file)) {
        try {
            content = readWholeFile(file).value_or(std::string());
            found = true;
        } catch (const Error& error) {
            m_note = systemTextToWin1252(error.what());
        }
    }
    if (found)
        m_name = current.interfaceName;
    m_draft.takeOver(content, found ? 0 : current.portNumber);
    openPort();
}

InterfaceAssistant::~InterfaceAssistant() {
    m_port.onReceiveData = nullptr;
    m_port.onPortLost = nullptr;
    closePortIfOpen(m_port);
}

std::vector<std::string> InterfaceAssistant::templates() {
    std::vector<std::string> names;
    // Named as the interface dialog names them.
    for (const std::string& file : findDefinitionFiles("."))
        names.push_back(removeBlanks(definitionListEntry(file)));
    return names;
}

void InterfaceAssistant::startFrom(const std::string& name) {
    const std::string file = findPathIgnoreCase(name + ".VAL");
    std::optional<std::string> content;
    try {
        content = readWholeFile(file);
    } catch (const Error& error) {
        content.reset();
        m_note = systemTextToWin1252(error.what());
    }
    if (!content) {
        if (m_note.empty())
            m_note = nameForUser(file) + " l\xE4sst sich nicht lesen.";
        changed();
        return;
    }
    const Connection before = m_draft.connection;
    m_name = name;
    m_note.clear();
    m_draft.takeOver(*content);
    if (m_portWanted && m_draft.connection != before)
        openPort();
    else
        changed();
}

void InterfaceAssistant::update() {
    m_draft.update();
    changed();
}

void InterfaceAssistant::changed() {
    if (onChanged)
        onChanged();
}

std::string InterfaceAssistant::portName() const {
    return "COM" + std::to_string(m_draft.connection.port);
}

void InterfaceAssistant::setConnection(const Connection& given) {
    Connection connection = given;
    connection.port = std::clamp(connection.port, 1, 99);
    connection.dataBits = std::clamp(connection.dataBits, 5, 8);
    connection.parity = std::clamp(connection.parity, 0, 4);
    connection.stopBits = std::clamp(connection.stopBits, 1, 2);
    if (connection == m_draft.connection)
        return;
    m_draft.connection = connection;
    m_draft.update();
    if (m_portWanted)
        openPort();
    else
        changed();
}

void InterfaceAssistant::openPort() {
    m_portWanted = true;
    m_silence.cancel();
    m_lines.restart();
    m_silent = false;
    // Opened and set up by the code that opens the session's port, from the definition the file
    // would give.
    try {
        reopenPort(m_port, definition());
        m_portMessage = portName() + " ist offen: " + std::to_string(m_draft.connection.baud) + " Baud, " +
                        std::to_string(m_draft.connection.dataBits) + " Datenbits, Parit\xE4t " +
                        DefinitionDraft::parityNames()[static_cast<std::size_t>(m_draft.connection.parity)] +
                        (m_draft.connection.rts ? ", RTS/CTS." : ".");
        m_silence = m_loop.after(SilenceLimit, [this] {
            m_silent = true;
            changed();
        });
    } catch (const Error&) {
        m_portMessage = portName() +
                        " l\xE4sst sich nicht \xF6"
                        "ffnen. Gibt es den Port auf diesem Rechner, und "
                        "hat ihn kein anderes Programm offen? Unter Linux: Sind Sie in der Gruppe \x84"
                        "dialout\x93, "
                        "und nennt [COMPORTS] in TRAVEK.INI das Ger\xE4t des Adapters?";
    }
    changed();
}

void InterfaceAssistant::closePort() {
    m_portWanted = false;
    m_silence.cancel();
    closePortIfOpen(m_port);
    m_portMessage = portName() + " ist geschlossen.";
    changed();
}

void InterfaceAssistant::togglePort() {
    if (m_port.isOpen())
        closePort();
    else
        openPort();
}

void InterfaceAssistant::setValuePositions(int start, int end) {
    m_draft.valueStart = std::clamp(start, 1, DefinitionDraft::MaxPosition);
    m_draft.valueEnd = std::clamp(end, 1, DefinitionDraft::MaxPosition);
    m_note.clear();
    update();
}

void InterfaceAssistant::setChannelCount(int count) {
    m_draft.channelCount = std::clamp(count, 1, MaxChannels);
    update();
}

void InterfaceAssistant::setIdentifier(int n, std::string identifier) {
    if (n < 1 || n > MaxChannels)
        return;
    m_draft.channels[static_cast<std::size_t>(n)].identifier = std::move(identifier);
    m_note.clear();
    update();
}

void InterfaceAssistant::setCommand(int n, std::string command) {
    if (n < 1 || n > MaxChannels)
        return;
    m_draft.channels[static_cast<std::size_t>(n)].command = std::move(command);
    update();
}

void InterfaceAssistant::setDisableAllCommand(std::string command) {
    m_draft.disableAll = std::move(command);
    update();
}

void InterfaceAssistant::setEndCharacter(int code) {
    m_draft.endCharacter = code;
    update();
}

void InterfaceAssistant::setName(std::string name) {
    m_name = std::move(name);
    changed();
}

std::vector<std::string> InterfaceAssistant::channelEntries() const {
    std::vector<std::string> entries;
    for (int n = 1; n <= m_draft.channelCount; ++n) {
        const Channel& channel = m_draft.channels[static_cast<std::size_t>(n)];
        entries.push_back("Kanal " + std::to_string(n) + ": Kennung " + quotedText(channel.identifier) +
                          ", Befehl " + quotedText(channel.command));
    }
    return entries;
}

void InterfaceAssistant::sendChannelCommand(int n) {
    if (n >= 1 && n <= m_draft.channelCount)
        send(definition().channelCommands[static_cast<std::size_t>(n)]);
}

void InterfaceAssistant::sendDisableAll() {
    send(definition().disableAllCommand);
}

void InterfaceAssistant::send(const std::string& command) {
    if (!m_port.isOpen()) {
        m_note = portName() + " ist nicht offen: nichts gesendet.";
        changed();
        return;
    }
    // As the interface initialisation sends it: the command the file gives, then the end character.
    const std::string bytes = command + static_cast<char>(definition().endChar1);
    sendCommand(m_port, bytes);
    m_note.clear();
    m_lines.sent(bytes);
    changed();
}

void InterfaceAssistant::receive(std::string_view bytes) {
    if (bytes.empty())
        return;
    m_silent = false;
    m_silence.cancel();
    m_lines.receive(bytes);
    changed();
}

void InterfaceAssistant::clearLines() {
    m_lines.clear();
    changed();
}

std::vector<InterfaceAssistant::Row> InterfaceAssistant::rows() const {
    return m_lines.rows(definition(), m_decimals);
}

std::string InterfaceAssistant::marks(int row) const {
    return m_lines.marks(row, definition());
}

std::string InterfaceAssistant::details(int row) const {
    return m_lines.details(row, definition(), m_decimals);
}

std::string InterfaceAssistant::typedHeading() const {
    return "TRAVEK tippt (NK " + std::to_string(m_decimals) + ")";
}

std::string InterfaceAssistant::ruler() {
    std::string text;
    for (int position = 1; position <= DefinitionDraft::MaxPosition; ++position)
        text += position % 10 == 0 ? static_cast<char>('0' + position / 10) : position % 5 == 0 ? ':' : '.';
    return text;
}

bool InterfaceAssistant::markedText(int row, int first, int last, std::string& text) {
    const std::optional<std::string> line = m_lines.readPart(row, definition());
    if (!line) {
        m_note = "Markieren Sie Zeichen einer empfangenen Zeile.";
        return false;
    }
    if (first < 0 || last < first) {
        m_note =
            "Markieren Sie zuerst die Zeichen in der Zeile (mit der Maus, oder Umschalt und Pfeiltasten).";
        return false;
    }
    if (last >= static_cast<int>(line->size())) {
        m_note = "TRAVEK liest nur die ersten 30 Zeichen einer Zeile (vor dem \xA6): markieren Sie dort.";
        return false;
    }
    text = line->substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
    return true;
}

void InterfaceAssistant::markValue(int row, int first, int last) {
    std::string text;
    if (markedText(row, first, last, text))
        setValuePositions(first + 1, last + 1);
    else
        changed();
}

void InterfaceAssistant::markIdentifier(int row, int first, int last, int n) {
    std::string text;
    if (n < 1 || n > m_draft.channelCount) {
        m_note = "W\xE4hlen Sie zuerst den Kanal.";
    } else if (markedText(row, first, last, text)) {
        if (text.size() <= DefinitionDraft::MaxIdentifierLength) {
            setIdentifier(n, text);
            return;
        }
        m_note = "Eine Kennung hat h\xF6"
                 "chstens 5 Zeichen: markieren Sie weniger.";
    }
    changed();
}

std::vector<std::string> InterfaceAssistant::hints() const {
    std::vector<std::string> list;
    if (!m_portMessage.empty())
        list.push_back(m_portMessage);
    if (m_silent)
        list.push_back(
            "Seit " + std::to_string(SilenceLimit.count() / 1000) + " Sekunden kommt nichts von " +
            portName() +
            ". Ist die Box eingeschaltet und an diesem Port? Passt das Kabel (manche Boxen brauchen "
            "ein Nullmodemkabel)? Sendet sie erst auf einen Befehl (\x84Senden\x93) oder auf die Taste "
            "am Messmittel? Braucht sie RTS/CTS?");
    std::size_t noise = 0, lookedAt = 0;
    if (m_lines.noisy(noise, lookedAt))
        list.push_back("Was von " + portName() +
                       " kommt, ist zum gro\xDF"
                       "en Teil kein Text (" +
                       std::to_string(noise) + " von " + std::to_string(lookedAt) +
                       " Zeichen): Stimmen Geschwindigkeit, Datenbits und Parit\xE4t mit der Box \xFC"
                       "berein? H\xE4ufig sind 9600 Baud, 8 Datenbits, keine Parit\xE4t.");
    if (m_lines.unended())
        list.push_back(
            m_lines.unendedHadLf()
                ? "Die Box beendet ihre Zeilen mit LF statt mit CR: TRAVEK nimmt eine Zeile erst an "
                  "ihrem CR (13). Stellen Sie an der Box CR oder CR LF als Zeilenende ein."
                : "Von " + portName() +
                      " kommen Zeichen ohne CR (13) danach: TRAVEK nimmt eine Zeile erst an ihrem CR. "
                      "Stimmt das Zeilenende der Box (CR oder CR LF)?");
    for (std::string& problem : m_draft.problems())
        list.push_back(std::move(problem));
    for (std::string& warning : m_draft.warnings(m_lines.readLines(definition())))
        list.push_back(std::move(warning));
    if (!m_name.empty())
        if (std::string problem = DefinitionDraft::nameProblem(m_name); !problem.empty())
            list.push_back(std::move(problem));
    if (!m_note.empty())
        list.push_back(m_note);
    return list;
}

InterfaceAssistant::Saved InterfaceAssistant::save() {
    auto refuse = [this](const std::string& text) {
        if (showError)
            showError(text);
        return Saved::No;
    };
    if (const std::string problem = DefinitionDraft::nameProblem(m_name); !problem.empty())
        return refuse(problem);
    if (const std::vector<std::string> list = m_draft.problems(); !list.empty()) {
        std::string text = "Nicht gespeichert:";
        for (const std::string& problem : list)
            text += "\n" + problem;
        return refuse(text);
    }
    const std::string file = findPathIgnoreCase(m_name + ".VAL");
    const std::string shown = nameForUser(file);
    if (fileExists(file) && !(confirm && confirm(shown + " gibt es schon. Ersetzen?")))
        return Saved::No;
    try {
        writeFileAtomically(file, m_draft.fileContent());
    } catch (const Error& error) {
        return refuse(systemTextToWin1252(error.what()));
    }
    m_savedAny = true;
    m_note = shown + " ist gespeichert.";
    changed();
    if (confirm && confirm(shown + " ist gespeichert. Jetzt zu " + m_name +
                           " wechseln? TRAVEK \xF6"
                           "ffnet dann den Port mit diesen Einstellungen und schaltet die "
                           "Kan\xE4le des Ablaufs ein.")) {
        m_switchTo = m_name;
        return Saved::YesAndSwitch;
    }
    return Saved::Yes;
}

} // namespace travek
