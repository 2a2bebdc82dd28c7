#include "core/gauge/InterfaceDefinition.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

namespace travek {

namespace {

constexpr const char* Section = "PARAMETER";

std::string cut(std::string text, std::size_t maxLength) {
    if (text.size() > maxLength)
        text.resize(maxLength);
    return text;
}

void replaceFirst(std::string& text, std::string_view what, std::string_view with) {
    const auto pos = text.find(what);
    if (pos != std::string::npos)
        text.replace(pos, what.size(), with);
}

} // namespace

void loadInterfaceDefinition(InterfaceDefinition& d, const std::string& fileName) {
    IniFile file(std::string{});
    try {
        file = IniFile::load(findPathIgnoreCase(fileName));
    } catch (const Error&) {
        // A refused file (a folder, too large) counts as a missing one: the defaults apply, and
        // the caller hears why.
        loadInterfaceDefinition(d, file);
        throw;
    }
    loadInterfaceDefinition(d, file);
}

void loadInterfaceDefinition(InterfaceDefinition& d, const IniFile& file) {
    auto integer = [&](const char* key, std::int32_t def) { return file.readInteger(Section, key, def); };
    auto byte = [&](const char* key, std::int32_t def) {
        return static_cast<std::uint8_t>(integer(key, def) & 0xFF);
    };
    auto text = [&](const std::string& key, const char* def) { return file.readString(Section, key, def); };

    d.portNumber = integer("COMx", 1);
    d.baud = integer("BAUD", 9600);
    d.parityCode = integer("PARITY", 0);
    d.byteLength = integer("BYTELEN", 8);
    d.stopBitCode = integer("STOPBITS", 1);
    for (int n = 0; n <= MaxChannels; ++n)
        d.sendSigns[n] = cut(text("snd_SIGN" + std::to_string(n), "01A"), 20);
    for (int n = 1; n <= MaxChannels; ++n)
        d.channelIds[n] = cut(text("MW_SIGN" + std::to_string(n), ""), 5);
    for (int n = 1; n <= MaxChannels; ++n)
        d.channelCommands[n] = cut(text("MWI_SIGN" + std::to_string(n), ""), 12);
    d.disableAllCommand = cut(text("DISALL", "D0"), 12);
    d.endChar1 = byte("ENDCHAR1", 13);
    d.endChar2 = byte("ENDCHAR2", 0);
    d.startPos = byte("STARTPOS", 4);
    // Only the low 8 bits count; unsigned arithmetic so that ENDPOS=2147483647 wraps instead of
    // overflowing.
    d.endPos = static_cast<std::uint8_t>((static_cast<std::uint32_t>(integer("ENDPOS", 13)) + 1u) & 0xFFu);
    d.channelCount = byte("CNTCH", 2);
    d.autoTrigger = byte("AUTOTRIGGER", 0);
    d.autoTriggerS1 = byte("AUTOTRG_S1", 3);
    d.autoTriggerS2 = byte("AUTOTRG_S2", 16);
    d.autoTriggerL1 = byte("AUTOTRG_L1", 9);
    d.autoTriggerL2 = byte("AUTOTRG_L2", 9);
    d.useRts = integer("USE_RTS", 0) == 1;
    d.factor = convertValueText(text("FAKTOR", "1.000")).value_or(1.0);
    // Escapes are replaced after the cut, so an escape that the cut broke stays as it is.
    for (int n = 1; n <= MaxChannels; ++n)
        replaceFirst(d.channelCommands[n], "#13", "\r");
    for (int n = 1; n <= MaxChannels; ++n)
        replaceFirst(d.channelIds[n], "_", " ");
}

void storeComPortNumber(const InterfaceDefinition& d, const std::string& fileName) {
    const std::string path = findPathIgnoreCase(fileName);
    try {
        IniFile::writeValue(path, Section, "COMx", std::to_string(d.portNumber));
    } catch (const Error& e) {
        const std::string fullName = path.front() == '/' ? path : workingDirectoryPath(path);
        throw Error(e.code(), "Kann nicht nach " + fullName + " schreiben");
    }
}

int identifyChannel(const InterfaceDefinition& definition, std::string_view line) {
    int channel = 0;
    for (int n = 1; n <= MaxChannels; ++n) {
        const std::string& id = definition.channelIds[n];
        if (!id.empty() && line.find(id) != std::string_view::npos)
            channel = n;
    }
    return channel;
}

} // namespace travek
