#include "core/session/AssistantLines.h"

#include "core/gauge/LineReading.h"
#include "core/session/DefinitionDraft.h"
#include "core/text/TextHelpers.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace travek {

namespace {

// Between what TRAVEK reads of a line and the rest.
constexpr char ReadEnd = '\xA6';
constexpr std::size_t MaxRestShown = 60;
// Noise is told from text by the last bytes received.
constexpr std::size_t RecentBytes = 64;
constexpr std::size_t NoiseSample = 16;

bool isControl(unsigned char c) {
    // The five codes that Windows-1252 leaves undefined show nothing either.
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// The bytes as they came, with the control characters named.
std::string escapedText(std::string_view bytes) {
    std::string text;
    for (char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (code == '\r')
            text += "<CR>";
        else if (code == '\n')
            text += "<LF>";
        else if (code == '\t')
            text += "<TAB>";
        else if (code == 0)
            text += "<NUL>";
        else if (code == 27)
            text += "<ESC>";
        else if (isControl(code)) {
            char name[8];
            std::snprintf(name, sizeof name, "<x%02X>", code);
            text += name;
        } else
            text += c;
    }
    return text;
}

// A gauge box sends text: line ends aside, control characters and bytes above 127 are what wrong
// line settings make of it.
bool looksLikeNoise(unsigned char c) {
    return c != '\r' && c != '\n' && c != '\t' && (c < 0x20 || c >= 0x7F);
}

std::string channelList(const std::vector<int>& channels) {
    std::string text;
    for (int n : channels)
        text += (text.empty() ? "" : ", ") + std::to_string(n);
    return text;
}

} // namespace

AssistantLines::AssistantLines(EventLoop& loop, std::function<void()> changed)
    : m_loop(loop), m_changed(std::move(changed)) {}

void AssistantLines::receive(std::string_view bytes) {
    m_recent.append(bytes);
    if (m_recent.size() > RecentBytes)
        m_recent.erase(0, m_recent.size() - RecentBytes);
    for (char c : bytes) {
        if (c == '\r') {
            add(Entry::Line, std::exchange(m_partial, std::string()));
            m_sawUnended = false;
            continue;
        }
        m_partial += c;
        if (m_partial.size() >= MaxUnended)
            flushUnended();
    }
    // The LF of a CR LF line end waits for the next line; anything else shows UnendedWait after its
    // first character came, also while more keeps coming (a box that ends its lines with LF alone).
    if (m_partial.empty() || m_partial == "\n")
        m_unended.cancel();
    else if (!m_unended.pending())
        m_unended = m_loop.after(UnendedWait, [this] {
            flushUnended();
            if (m_changed)
                m_changed();
        });
}

void AssistantLines::sent(std::string bytes) {
    add(Entry::Sent, std::move(bytes));
}

void AssistantLines::flushUnended() {
    if (m_partial.empty())
        return;
    m_sawUnended = true;
    m_unendedHadLf = m_partial.find('\n', 1) != std::string::npos;
    add(Entry::Unended, std::exchange(m_partial, std::string()));
}

void AssistantLines::add(Entry::Kind kind, std::string bytes) {
    m_entries.push_back({kind, std::move(bytes)});
    if (m_entries.size() > MaxEntries) {
        m_entries.pop_front();
        ++m_firstNumber;
    }
}

void AssistantLines::clear() {
    m_firstNumber += m_entries.size();
    m_entries.clear();
    m_sawUnended = false;
    m_recent.clear();
}

void AssistantLines::restart() {
    m_unended.cancel();
    m_partial.clear();
    m_recent.clear();
    m_sawUnended = m_unendedHadLf = false;
}

bool AssistantLines::noisy(std::size_t& noise, std::size_t& lookedAt) const {
    noise = static_cast<std::size_t>(std::count_if(m_recent.begin(), m_recent.end(), [](char c) {
        return looksLikeNoise(static_cast<unsigned char>(c));
    }));
    lookedAt = m_recent.size();
    return lookedAt >= NoiseSample && noise * 4 > lookedAt;
}

const AssistantLines::Entry* AssistantLines::entryAt(int row) const {
    if (row < 0 || row >= static_cast<int>(m_entries.size()))
        return nullptr;
    return &m_entries[static_cast<std::size_t>(row)];
}

std::vector<AssistantLines::Row> AssistantLines::rows(const InterfaceDefinition& definition,
                                                      std::uint8_t decimals) const {
    std::vector<Row> rows;
    rows.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        rows.push_back(rowOf(entry, definition, decimals));
    return rows;
}

std::vector<std::string> AssistantLines::readLines(const InterfaceDefinition& definition) const {
    std::vector<std::string> lines;
    for (const Entry& entry : m_entries)
        if (entry.kind == Entry::Line)
            lines.push_back(readLine(definition, entry.bytes).line);
    return lines;
}

std::optional<std::string> AssistantLines::readPart(int row, const InterfaceDefinition& definition) const {
    const Entry* entry = entryAt(row);
    if (!entry || entry->kind == Entry::Sent)
        return std::nullopt;
    return readLine(definition, entry->bytes).line;
}

AssistantLines::Row AssistantLines::rowOf(const Entry& entry, const InterfaceDefinition& definition,
                                          std::uint8_t decimals) const {
    Row row;
    if (entry.kind == Entry::Sent) {
        row.text = shownText(entry.bytes);
        row.readLength = row.text.size();
        row.typed = "gesendet";
        return row;
    }
    // The channel and the value are those of the program's own line reader.
    const LineReading reading = readLine(definition, entry.bytes);
    // Characters that no CR ended were never read as a line: they show as they came.
    const std::string_view read = std::string_view(entry.bytes).substr(0, LineReading::MaxLength);
    row.text = shownText(entry.kind == Entry::Unended ? read : std::string_view(reading.line));
    row.readLength = row.text.size();
    if (entry.bytes.size() > LineReading::MaxLength) {
        const std::string_view rest = std::string_view(entry.bytes).substr(LineReading::MaxLength);
        row.text +=
            ReadEnd + shownText(rest.substr(0, MaxRestShown)) + (rest.size() > MaxRestShown ? "\x85" : "");
    }
    if (entry.kind == Entry::Unended) {
        row.channel = "-";
        row.typed = "nichts: kein CR am Ende";
        return row;
    }
    if (reading.channel == 0) {
        row.channel = "-";
        row.typed = "nichts: keine Kennung";
        return row;
    }
    row.channel = std::to_string(reading.channel);
    std::vector<int> others;
    for (int n = 1; n <= MaxChannels; ++n) {
        const std::string& id = definition.channelIds[static_cast<std::size_t>(n)];
        if (n != reading.channel && !id.empty() && reading.line.find(id) != std::string::npos)
            others.push_back(n);
    }
    if (!others.empty())
        row.channel += " (auch " + channelList(others) + ")";
    row.typed = reading.value ? formatValue(0, decimals, *reading.value) : "nichts: keine Zahl im Wert";
    return row;
}

std::string AssistantLines::marks(int row, const InterfaceDefinition& definition) const {
    const Entry* entry = entryAt(row);
    if (!entry || entry->kind == Entry::Sent)
        return {};
    const LineReading reading = readLine(definition, entry->bytes);
    std::string marks(DefinitionDraft::MaxPosition, ' ');
    if (reading.channel != 0) {
        const std::string& id = definition.channelIds[static_cast<std::size_t>(reading.channel)];
        const auto at = reading.line.find(id);
        for (std::size_t i = 0; i < id.size() && at + i < marks.size(); ++i)
            marks[at + i] = '~';
    }
    const int start = definition.startPos == 0 ? 1 : definition.startPos;
    for (int position = start; position < definition.endPos && position <= DefinitionDraft::MaxPosition;
         ++position)
        marks[static_cast<std::size_t>(position - 1)] = '^';
    marks.erase(marks.find_last_not_of(' ') + 1);
    return marks;
}

std::string AssistantLines::details(int row, const InterfaceDefinition& definition,
                                    std::uint8_t decimals) const {
    const Entry* entry = entryAt(row);
    if (!entry)
        return {};
    if (entry->kind == Entry::Sent)
        return "Gesendet: " + escapedText(entry->bytes);
    std::string text = "Empfangen: " + escapedText(entry->bytes) + (entry->kind == Entry::Line ? "<CR>" : "");
    if (entry->kind == Entry::Unended)
        return text + ". Ohne CR am Ende nimmt TRAVEK das nicht als Zeile.";
    const LineReading reading = readLine(definition, entry->bytes);
    if (reading.channel == 0)
        return text +
               ". Keine Kennung steht in den ersten 30 Zeichen: TRAVEK nimmt die Zeile f\xFCr keinen Kanal.";
    text += ". Kanal " + std::to_string(reading.channel) + " (Kennung " +
            quotedText(definition.channelIds[static_cast<std::size_t>(reading.channel)]) +
            "), Wert von Stelle " + std::to_string(std::max<int>(definition.startPos, 1)) + " bis " +
            std::to_string(int(definition.endPos) - 1) + ": " + quotedText(reading.valueText);
    return text + (reading.value ? ", TRAVEK tippt " + formatValue(0, decimals, *reading.value)
                                 : ", keine Zahl: TRAVEK tippt nichts");
}

} // namespace travek
