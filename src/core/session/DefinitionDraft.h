#pragma once

#include "core/gauge/InterfaceDefinition.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace travek {

// The interface definition that the assistant ("Interface einrichten") is making: the settings as
// the user gives them, the definition file they make, and the definition that the program's own
// loader reads from that file. What the file cannot hold as given shows as a difference between
// the two, so nothing is claimed that a saved file would not do.
struct DefinitionDraft {
    static constexpr int MaxPosition = 30; // TRAVEK reads no further than the 30th character
    static constexpr std::size_t MaxNameLength = 64;
    static constexpr std::size_t MaxIdentifierLength = 5;
    static constexpr std::size_t MaxCommandLength = 12;

    // The serial settings as a definition file holds them (COMx, BAUD, BYTELEN, PARITY, STOPBITS,
    // USE_RTS).
    struct Connection {
        int port = 1;
        int baud = 9600;
        int dataBits = 8;
        int parity = 0; // 0 none, 1 odd, 2 even, 3 mark, 4 space
        int stopBits = 1;
        bool rts = false;
        bool operator==(const Connection&) const = default;
    };
    // A channel: its identifier as it stands in a line (a blank is a blank), its command as the
    // file writes it ("#13" for a CR).
    struct Channel {
        std::string identifier;
        std::string command;
    };

    Connection connection;
    int valueStart = 4; // STARTPOS: the value's first character, from 1
    int valueEnd = 13;  // ENDPOS: its last character
    int channelCount = 2;
    std::array<Channel, MaxChannels + 1> channels{}; // 1..48
    std::string disableAll = "D0";
    int endCharacter = 13;

    // The rates a definition file can select, and the parity names in the order of their codes.
    static const std::vector<int>& baudRates();
    static const std::vector<std::string>& parityNames();

    // Takes the settings of a definition file's content; every key it does not set stays in the
    // file made. Settings that the port set-up cannot use become what a port has without them.
    // port above 0 replaces the file's.
    void takeOver(const std::string& fileContent, int port = 0);
    // Makes the file and its definition anew from the settings.
    void update();
    const std::string& fileContent() const { return m_content; }
    const InterfaceDefinition& definition() const { return m_definition; }

    // What a saved file could not do as shown: nothing is saved while there is one.
    std::vector<std::string> problems() const;
    // What it would do, but probably not as meant, judged also by lines received (as TRAVEK reads
    // them).
    std::vector<std::string> warnings(const std::vector<std::string>& lines) const;
    // Why name cannot name a definition file that Windows stores and TRAVEK lists; empty when it can.
    static std::string nameProblem(const std::string& name);

private:
    std::string m_base;
    std::string m_content;
    InterfaceDefinition m_definition;
};

// A device's bytes with one character each, so that positions stay those TRAVEK counts: a blank
// as "·", a control character as "¤".
std::string shownText(std::string_view bytes);
// The same in German quotes.
std::string quotedText(std::string_view bytes);

} // namespace travek
