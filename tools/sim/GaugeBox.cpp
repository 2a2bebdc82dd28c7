#include "GaugeBox.h"

#include "core/text/TextHelpers.h"

#include <algorithm>
#include <cstdio>

namespace travek::sim {

namespace {

// A command that never ends (a wrong end character, line noise) must not grow without bound;
// no command of a definition comes near this.
constexpr std::size_t MaxPendingCommand = 64;

std::string channelList(const std::vector<int>& channels) {
    std::string text;
    for (int n : channels) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(n);
    }
    return text;
}

} // namespace

std::string CommandResult::describe() const {
    std::string text = "command " + GaugeBox::quoted(Command) + " -> ";
    switch (Result) {
    case AllOff:
        return text + "all channels off";
    case ChannelOn:
        return text + "channel " + std::to_string(Channels.front()) + " on";
    case NoIdentifier:
        return text + "channel " + std::to_string(Channels.front()) + ", which has no identifier (MW_SIGN" +
               std::to_string(Channels.front()) + " is empty)";
    case Ambiguous:
        return text + "ambiguous: channels " + channelList(Channels) + " have this command; nothing switched";
    case Unknown:
        break;
    }
    return text + "unknown";
}

GaugeBox::GaugeBox(const InterfaceDefinition& definition, LineStyle style)
    : m_definition(definition), m_style(style) {}

std::vector<CommandResult> GaugeBox::receive(std::string_view bytes) {
    std::vector<CommandResult> results;
    const char end = static_cast<char>(m_definition.endChar1);
    for (char byte : bytes) {
        if (byte != end) {
            m_pending.push_back(byte);
            if (m_pending.size() > MaxPendingCommand) {
                results.push_back({CommandResult::Unknown, m_pending, {}});
                m_pending.clear();
            }
            continue;
        }
        CommandResult result = resolve(m_pending);
        // A command may hold the end character itself (a "#13" escape with CR as the end): when
        // no command matches yet but one goes on this way, wait for the rest.
        if (result.Result == CommandResult::Unknown && startsAnyCommand(m_pending + end)) {
            m_pending.push_back(end);
            continue;
        }
        m_pending.clear();
        if (result.Result == CommandResult::AllOff)
            switchAllOff();
        else if (result.Result == CommandResult::ChannelOn)
            switchOn(result.Channels.front());
        results.push_back(std::move(result));
    }
    return results;
}

CommandResult GaugeBox::resolve(const std::string& command) const {
    CommandResult result{CommandResult::Unknown, command, {}};
    if (command == m_definition.disableAllCommand) {
        result.Result = CommandResult::AllOff;
        return result;
    }
    std::vector<int> matches;
    for (int n = 1; n <= MaxChannels; ++n)
        if (m_definition.channelCommands[n] == command)
            matches.push_back(n);
    if (matches.empty())
        return result;
    if (matches.size() > 1) {
        // Channels without identifier send nothing TRAVEK can use, so they do not make a command
        // ambiguous; typically every unused channel has the empty command.
        std::vector<int> usable;
        std::copy_if(matches.begin(), matches.end(), std::back_inserter(usable),
                     [this](int n) { return hasIdentifier(n); });
        if (usable.size() != 1) {
            result.Result = CommandResult::Ambiguous;
            result.Channels = usable.empty() ? matches : usable;
            return result;
        }
        matches = usable;
    }
    result.Channels = matches;
    result.Result = hasIdentifier(matches.front()) ? CommandResult::ChannelOn : CommandResult::NoIdentifier;
    return result;
}

bool GaugeBox::startsAnyCommand(const std::string& prefix) const {
    auto startsWith = [&](const std::string& command) {
        return command.compare(0, prefix.size(), prefix) == 0;
    };
    if (startsWith(m_definition.disableAllCommand))
        return true;
    for (int n = 1; n <= MaxChannels; ++n)
        if (startsWith(m_definition.channelCommands[n]))
            return true;
    return false;
}

bool GaugeBox::isOn(int channel) const {
    return channel >= 1 && channel <= MaxChannels && m_on[channel];
}

void GaugeBox::switchOn(int channel) {
    if (channel >= 1 && channel <= MaxChannels)
        m_on[channel] = true;
}

void GaugeBox::switchAllOff() {
    m_on.fill(false);
}

std::vector<int> GaugeBox::activeChannels() const {
    std::vector<int> channels;
    for (int n = 1; n <= MaxChannels; ++n)
        if (m_on[n])
            channels.push_back(n);
    return channels;
}

bool GaugeBox::hasIdentifier(int channel) const {
    return channel >= 1 && channel <= MaxChannels && !m_definition.channelIds[channel].empty();
}

std::string GaugeBox::valueText(double value) const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%+.*f", m_style.Decimals, value);
    std::string text = buf;
    // A value that rounds to zero is written as +0, never -0.
    if (text.find_first_of("123456789") == std::string::npos)
        text.front() = '+';
    std::replace(text.begin(), text.end(), '.', m_style.DecimalSeparator);
    return text;
}

std::size_t GaugeBox::maxLineLength() const {
    return m_style.CrLf ? ReadLength - 1 : ReadLength;
}

std::string GaugeBox::layoutProblem(int channel, std::size_t valueWidth) const {
    if (channel < 1 || channel > MaxChannels)
        return "there is no channel " + std::to_string(channel) + " (channels are 1 to 48)";
    const std::string& id = m_definition.channelIds[channel];
    if (id.empty())
        return "channel " + std::to_string(channel) + " has no identifier (MW_SIGN" +
               std::to_string(channel) + " is empty), so TRAVEK could not recognise its lines";
    const int startPos = m_definition.startPos;
    const int endPos = m_definition.endPos;
    // The ENDPOS key names the last position; the loader keeps the one after it (8 bits).
    const std::string fieldName =
        "STARTPOS " + std::to_string(startPos) + ", ENDPOS " + std::to_string((endPos + 255) % 256);
    if (endPos <= startPos)
        return "the value field (" + fieldName + ") is empty: TRAVEK would cut no value from any line";
    // TRAVEK takes a start of 0 as 1 but keeps the length endPos - startPos.
    const std::size_t fieldStart = startPos == 0 ? 1 : static_cast<std::size_t>(startPos);
    const std::size_t fieldEnd =
        fieldStart + static_cast<std::size_t>(endPos - startPos) - 1; // last position
    const std::size_t maxLength = maxLineLength();
    if (fieldStart > maxLength)
        return "the value field (" + fieldName + ") starts after position " +
               std::to_string(long(maxLength)) + ", beyond what TRAVEK reads of a line";
    // A field that runs past the readable end is cut there; the value must fit in what is left.
    const std::size_t usable = std::min(fieldEnd, maxLength) - fieldStart + 1;
    if (valueWidth > usable)
        return "the value field (" + fieldName + ") holds " + std::to_string(long(usable)) +
               " characters, the value needs " + std::to_string(long(valueWidth)) +
               " (fewer --decimals or a smaller --min/--max range)";
    if (id.size() >= fieldStart && fieldEnd + id.size() > maxLength)
        return "the identifier " + quoted(id) + " of channel " + std::to_string(channel) +
               " fits neither before the value field (" + fieldName + ") nor after it within the " +
               std::to_string(long(maxLength)) + " characters TRAVEK reads";
    // Another channel's identifier in the identifier or the blanks around the value would win.
    const int seenAs = identify(place(channel, std::string(valueWidth, ' ')));
    if (seenAs != channel)
        return "TRAVEK would read a line of channel " + std::to_string(channel) + " as channel " +
               std::to_string(seenAs) + " (identifier " + quoted(m_definition.channelIds[seenAs]) +
               " occurs in it)";
    return {};
}

std::string GaugeBox::lineText(int channel, double value) const {
    const std::string text = valueText(value);
    if (const std::string problem = layoutProblem(channel, text.size()); !problem.empty())
        throw LayoutError("channel " + std::to_string(channel) + ": " + problem);
    return place(channel, text);
}

std::string GaugeBox::place(int channel, const std::string& text) const {
    const std::string& id = m_definition.channelIds[channel];
    const std::size_t fieldStart = m_definition.startPos == 0 ? 1 : m_definition.startPos;
    const std::size_t fieldLength = static_cast<std::size_t>(m_definition.endPos - m_definition.startPos);
    const std::size_t usable = std::min(fieldStart + fieldLength - 1, maxLineLength()) - fieldStart + 1;
    // The value stands right-aligned in its field, blanks before it; TRAVEK removes the blanks.
    const std::string field = std::string(usable - text.size(), ' ') + text;
    if (id.size() < fieldStart)
        return id + std::string(fieldStart - 1 - id.size(), ' ') + field;
    // After the field, which then lies wholly within the line: the identifier is not cut with it.
    return std::string(fieldStart - 1, ' ') + field + id;
}

int GaugeBox::identify(std::string_view text) const {
    std::string line(text.substr(0, maxLineLength()));
    if (const auto lf = line.find('\n'); lf != std::string::npos)
        line.erase(lf, 1);
    return identifyChannel(m_definition, line);
}

std::string GaugeBox::quoted(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + char(c);
        else if (c < 32 || c == 127) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else
            out += char(c);
    }
    return out + "\"";
}

} // namespace travek::sim
