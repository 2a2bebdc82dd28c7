#pragma once

#include "core/files/IniFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace travek {

inline constexpr int MaxChannels = 48;

// The settings of the selected measuring interface, read from its definition file (the interface
// name followed by ".VAL"). One instance lives as long as the program.
struct InterfaceDefinition {
    std::string interfaceName = "PX5R";
    std::int32_t portNumber = 1;
    std::int32_t baud = 9600;
    std::int32_t parityCode = 0;
    std::int32_t byteLength = 8;
    std::int32_t stopBitCode = 1;
    std::array<std::string, MaxChannels + 1> sendSigns{};       // entries 0..48, unused
    std::array<std::string, MaxChannels + 1> channelIds{};      // entries 1..48
    std::array<std::string, MaxChannels + 1> channelCommands{}; // entries 1..48
    std::string disableAllCommand = "D0";
    std::uint8_t endChar1 = 13;
    std::uint8_t endChar2 = 0;
    std::uint8_t startPos = 4;
    std::uint8_t endPos = 14;
    std::uint8_t channelCount = 2;
    std::uint8_t autoTrigger = 0;
    std::uint8_t autoTriggerS1 = 3;
    std::uint8_t autoTriggerS2 = 16;
    std::uint8_t autoTriggerL1 = 9;
    std::uint8_t autoTriggerL2 = 9;
    bool useRts = false;
    double factor = 1.0;
    bool operator==(const InterfaceDefinition&) const = default;
};

// Fills every file-backed field from fileName in the working directory (found without regard to
// letter case). A missing or unreadable file reads as one without keys: every field takes its
// default, silently. A refused file (not a regular file, too large) gives the defaults too, and
// throws Error naming it.
void loadInterfaceDefinition(InterfaceDefinition& definition, const std::string& fileName);
// The same from a profile file's content.
void loadInterfaceDefinition(InterfaceDefinition& definition, const IniFile& file);

// Writes portNumber as key COMx of section PARAMETER into fileName (found without regard to
// letter case, created when missing), keeping the rest of the file. Throws Error with the
// message "Kann nicht nach <full file name> schreiben" when the file cannot be written.
void storeComPortNumber(const InterfaceDefinition& definition, const std::string& fileName);

// The channel that a received line belongs to: the highest channel whose identifier occurs in
// it, so that "A1" is not taken for "A"; 0 when none does.
int identifyChannel(const InterfaceDefinition& definition, std::string_view line);

} // namespace travek
