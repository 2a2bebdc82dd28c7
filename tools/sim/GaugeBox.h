#pragma once

#include "core/gauge/InterfaceDefinition.h"

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace travek::sim {

// How the box writes its lines.
struct LineStyle {
    int Decimals = 3;
    char DecimalSeparator = ',';
    bool CrLf = false; // LF after every CR
};

// A line that the definition does not let the box build so that TRAVEK would read it back.
class LayoutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the box made of one command it received.
struct CommandResult {
    enum Kind {
        AllOff,       // the disable-all command
        ChannelOn,    // a channel's command; Channels holds that channel
        NoIdentifier, // a channel's command, but the channel has no identifier; it stays off
        Ambiguous,    // several channels have this command; Channels holds them; nothing changes
        Unknown,      // no command of the definition
    };
    Kind Result = Unknown;
    std::string Command; // as received, without the end character
    std::vector<int> Channels;

    // One line for the log, e.g. `command "E3" -> channel 3 on`.
    std::string describe() const;
};

// The measuring interface box that a definition describes, without any port: it takes the
// commands TRAVEK sends and switches its channels, and builds the lines its channels send so that
// TRAVEK's receive path finds the channel and cuts the value.
class GaugeBox {
public:
    GaugeBox(const InterfaceDefinition& definition, LineStyle style);

    // Takes received bytes; a command is complete at the definition's end character. Commands
    // are applied to the channel states as they complete.
    std::vector<CommandResult> receive(std::string_view bytes);

    bool isOn(int channel) const;
    void switchOn(int channel);
    void switchAllOff();
    std::vector<int> activeChannels() const; // rising channel numbers
    bool hasIdentifier(int channel) const;

    // The value as the box writes it: sign, digits, the decimal separator, Decimals digits.
    std::string valueText(double value) const;

    // Why lines of channel with value texts of up to valueWidth characters cannot be built;
    // empty when they can.
    std::string layoutProblem(int channel, std::size_t valueWidth) const;

    // The line of channel carrying value, without its line end. Throws LayoutError.
    std::string lineText(int channel, double value) const;
    std::string lineEnd() const { return m_style.CrLf ? "\r\n" : "\r"; }

    // The channel that TRAVEK takes a line for (0 for none): the highest channel whose identifier
    // occurs in the line's first characters.
    int identify(std::string_view text) const;

    // Characters of a line that TRAVEK looks at. With CR LF ends the LF of the previous line
    // stands at the start of the next one and takes one of them.
    std::size_t maxLineLength() const;

    static constexpr std::size_t ReadLength = 30;
    static std::string quoted(std::string_view text); // "..." with control characters escaped

private:
    CommandResult resolve(const std::string& command) const;
    bool startsAnyCommand(const std::string& prefix) const;
    std::string place(int channel, const std::string& text) const; // no checks

    const InterfaceDefinition& m_definition;
    LineStyle m_style;
    std::array<bool, MaxChannels + 1> m_on{};
    std::string m_pending;
};

} // namespace travek::sim
