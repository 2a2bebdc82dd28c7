#include "core/session/DefinitionDraft.h"

#include "core/files/IniFile.h"
#include "core/text/TextHelpers.h"

#include <algorithm>

namespace travek {

namespace {

constexpr const char* Section = "PARAMETER";

bool isControl(unsigned char c) {
    // The five codes that Windows-1252 leaves undefined show nothing either.
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

std::string channelList(const std::vector<int>& channels) {
    std::string text;
    for (int n : channels)
        text += (text.empty() ? "" : ", ") + std::to_string(n);
    return text;
}

// A value as the profile reader gives it back: in quotes where the reader would trim its ends or
// take quotes of its own off.
std::string fileValue(const std::string& value) {
    const bool trimmed = trim(value).size() != value.size();
    const bool enclosed =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return trimmed || enclosed ? '"' + value + '"' : value;
}

// In a definition file "_" stands for the identifier's first blank.
std::string identifierValue(std::string identifier) {
    if (const auto blank = identifier.find(' '); blank != std::string::npos)
        identifier[blank] = '_';
    return fileValue(identifier);
}

} // namespace

std::string shownText(std::string_view bytes) {
    std::string text;
    for (char c : bytes)
        text += c == ' ' ? '\xB7' : isControl(static_cast<unsigned char>(c)) ? '\xA4' : c;
    return text;
}

std::string quotedText(std::string_view bytes) {
    return "\x84" + shownText(bytes) + "\x93";
}

const std::vector<int>& DefinitionDraft::baudRates() {
    // Those that the port set-up knows (configurePort); 115200 is not among them.
    static const std::vector<int> rates = {110,  300,   600,   1200,  2400,  4800,
                                           9600, 14400, 19200, 38400, 56000, 57600};
    return rates;
}

const std::vector<std::string>& DefinitionDraft::parityNames() {
    static const std::vector<std::string> names = {"keine", "ungerade", "gerade", "Mark", "Space"};
    return names;
}

void DefinitionDraft::takeOver(const std::string& content, int port) {
    const IniFile file(content);
    InterfaceDefinition d;
    loadInterfaceDefinition(d, file);
    m_base = content;
    const auto& rates = baudRates();
    connection.port = port > 0 ? port : d.portNumber;
    connection.baud = std::find(rates.begin(), rates.end(), d.baud) != rates.end() ? d.baud : 9600;
    connection.dataBits = d.byteLength >= 5 && d.byteLength <= 8 ? d.byteLength : 8;
    connection.parity = d.parityCode >= 0 && d.parityCode <= 4 ? d.parityCode : 0;
    connection.stopBits = d.stopBitCode == 2 ? 2 : 1;
    connection.rts = d.useRts;
    valueStart = std::clamp<int>(d.startPos, 1, MaxPosition);
    valueEnd = std::clamp<int>(int(d.endPos) - 1, 1, MaxPosition);
    disableAll = file.readString(Section, "DISALL", "D0").substr(0, MaxCommandLength);
    endCharacter = d.endChar1;
    // Every channel that has an identifier or a command stays in sight, even beyond CNTCH.
    channelCount = std::clamp<int>(d.channelCount, 1, MaxChannels);
    for (int n = 1; n <= MaxChannels; ++n) {
        Channel& channel = channels[static_cast<std::size_t>(n)];
        channel.identifier = d.channelIds[static_cast<std::size_t>(n)];
        channel.command =
            file.readString(Section, "MWI_SIGN" + std::to_string(n), "").substr(0, MaxCommandLength);
        if (!channel.identifier.empty() || !channel.command.empty())
            channelCount = std::max(channelCount, n);
    }
    update();
}

void DefinitionDraft::update() {
    IniFile file(m_base.empty() ? std::string("[PARAMETER]\r\n") : m_base);
    auto set = [&](const std::string& key, const std::string& value) { file.setValue(Section, key, value); };
    set("COMx", std::to_string(connection.port));
    set("BAUD", std::to_string(connection.baud));
    set("BYTELEN", std::to_string(connection.dataBits));
    set("PARITY", std::to_string(connection.parity));
    set("STOPBITS", std::to_string(connection.stopBits));
    set("USE_RTS", connection.rts ? "1" : "0");
    set("STARTPOS", std::to_string(valueStart));
    set("ENDPOS", std::to_string(valueEnd));
    set("CNTCH", std::to_string(channelCount));
    set("DISALL", fileValue(disableAll));
    set("ENDCHAR1", std::to_string(endCharacter));
    for (int n = 1; n <= MaxChannels; ++n) {
        const std::string idKey = "MW_SIGN" + std::to_string(n);
        const std::string commandKey = "MWI_SIGN" + std::to_string(n);
        const Channel& channel = channels[static_cast<std::size_t>(n)];
        if (n <= channelCount) {
            set(idKey, identifierValue(channel.identifier));
            set(commandKey, fileValue(channel.command));
            continue;
        }
        // Identifiers are looked for in every line whatever the channel count: a channel that the
        // draft dropped must not go on matching.
        if (file.value(Section, idKey))
            set(idKey, "");
        if (file.value(Section, commandKey))
            set(commandKey, "");
    }
    m_content = file.content();
    m_definition = InterfaceDefinition{};
    loadInterfaceDefinition(m_definition, IniFile(m_content));
}

std::vector<std::string> DefinitionDraft::problems() const {
    std::vector<std::string> list;
    if (valueEnd < valueStart)
        list.push_back("Der Wert endet (Stelle " + std::to_string(valueEnd) + ") vor seinem Anfang (Stelle " +
                       std::to_string(valueStart) + "): TRAVEK schnitte nichts aus.");
    for (int n = 1; n <= channelCount; ++n) {
        const Channel& channel = channels[static_cast<std::size_t>(n)];
        const std::string number = std::to_string(n);
        if (channel.identifier.size() > MaxIdentifierLength)
            list.push_back("Die Kennung von Kanal " + number + " hat mehr als 5 Zeichen.");
        else if (m_definition.channelIds[static_cast<std::size_t>(n)] != channel.identifier)
            list.push_back(
                "Die Kennung von Kanal " + number + " (" + quotedText(channel.identifier) +
                ") l\xE4sst sich so nicht speichern: in der .VAL-Datei steht das erste \x84_\x93 "
                "f\xFCr das erste Leerzeichen, ein \x84_\x93 davor l\xE4sst sich nicht schreiben.");
        if (channel.command.size() > MaxCommandLength)
            list.push_back("Der Befehl von Kanal " + number + " hat mehr als 12 Zeichen.");
    }
    if (disableAll.size() > MaxCommandLength)
        list.push_back("Der Befehl \x84"
                       "Alle aus\x93 hat mehr als 12 Zeichen.");
    if (endCharacter < 0 || endCharacter > 255)
        list.push_back("Das Endezeichen ist ein Zeichencode von 0 bis 255 (13 ist CR).");
    return list;
}

std::vector<std::string> DefinitionDraft::warnings(const std::vector<std::string>& lines) const {
    std::vector<std::string> list;
    auto id = [this](int n) -> const std::string& {
        return m_definition.channelIds[static_cast<std::size_t>(n)];
    };
    std::vector<int> withId, without;
    for (int n = 1; n <= channelCount; ++n)
        (id(n).empty() ? without : withId).push_back(n);
    // When several identifiers occur in a line, the highest channel takes it.
    for (int low : withId)
        for (int high : withId)
            if (high > low && id(low).find(id(high)) != std::string::npos)
                list.push_back("Zeilen von Kanal " + std::to_string(low) + " nimmt TRAVEK f\xFCr Kanal " +
                               std::to_string(high) + ": dessen Kennung " + quotedText(id(high)) +
                               " steht auch in " + quotedText(id(low)) + ", und der h\xF6here Kanal gilt.");
    if (lines.size() >= 2 && withId.size() >= 2)
        for (int n : withId)
            if (std::all_of(lines.begin(), lines.end(),
                            [&](const std::string& line) { return line.find(id(n)) != std::string::npos; }))
                list.push_back("Die Kennung von Kanal " + std::to_string(n) + " (" + quotedText(id(n)) +
                               ") steht in jeder Zeile: auf die Zeilen anderer Kan\xE4le passen dann mehrere "
                               "Kan\xE4le, und TRAVEK nimmt den h\xF6"
                               "chsten.");
    if (!without.empty())
        list.push_back("Ohne Kennung: Kanal " + channelList(without) + ". TRAVEK nimmt f\xFCr " +
                       (without.size() == 1 ? "ihn" : "sie") + " keine Zeile.");
    return list;
}

std::string DefinitionDraft::nameProblem(const std::string& name) {
    if (name.empty())
        return "Geben Sie der Interface-Definition einen Namen.";
    if (name.size() > MaxNameLength)
        return "Der Name hat mehr als " + std::to_string(MaxNameLength) + " Zeichen.";
    for (char c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return "Der Name darf keines der Zeichen \\ / : * ? \" < > | enthalten: Windows speichert ihn so "
                   "nicht.";
        if (c == ' ')
            return "Der Name darf kein Leerzeichen enthalten: die Interface-Auswahl nimmt Leerzeichen "
                   "heraus.";
        if (c == '.')
            return "Der Name darf keinen Punkt enthalten: die Interface-Auswahl liest nur bis zum ersten "
                   "Punkt.";
        if (code < 0x20 || code >= 0x7F)
            return "Der Name darf nur Buchstaben A bis Z, Ziffern und Zeichen wie - und _ enthalten (keine "
                   "Umlaute): nicht jedes System speichert andere gleich.";
    }
    // The device names of Windows, which no file can take, whatever its extension.
    const std::string upper = asciiUpper(name);
    const bool numbered = upper.size() == 4 && (upper.rfind("COM", 0) == 0 || upper.rfind("LPT", 0) == 0) &&
                          upper[3] >= '1' && upper[3] <= '9';
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || numbered)
        return "\x84" + name + "\x93 ist unter Windows ein Ger\xE4tename, kein Dateiname.";
    return {};
}

} // namespace travek
