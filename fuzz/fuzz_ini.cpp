// Profile files: reading arbitrary text never fails, and an update changes the one line of its key
// (or adds lines) while every other byte of the file stays where it was.

#include "FuzzSupport.h"
#include "core/files/IniFile.h"
#include "core/text/TextHelpers.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <optional>
#include <utility>

using namespace travek;
using namespace travek::fuzz;

namespace {

constexpr std::array<const char*, 5> Sections{"PARAMETER", "STRINGS", "parameter", "Neu", "A"};
constexpr std::array<const char*, 7> Keys{"COMx", "NK",        "INTERFACE", "SEPCHAR",
                                          "nk",   "snd_SIGN1", "Mit Blank"};
constexpr std::array<const char*, 7> Values{"", "7", "PX5R", "a b", "x=y", "\"q", "[PARAMETER]"};

// A name made of letters, digits and inner blanks, as a user would write one.
std::string randomName(FuzzedDataProvider& data) {
    static constexpr char Alphabet[] = "AbZz09_ .-";
    std::string name;
    const auto length = data.ConsumeIntegralInRange<int>(1, 6);
    for (int i = 0; i < length; ++i)
        name += Alphabet[data.ConsumeIntegralInRange<std::size_t>(0, sizeof Alphabet - 2)];
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    while (!name.empty() && name.front() == ' ')
        name.erase(0, 1);
    return name.empty() ? std::string("k") : name;
}

// A value that reads back as written: no line end, no blanks at either end, not enclosed in quotes.
std::string randomValue(FuzzedDataProvider& data) {
    std::string value;
    const auto length = data.ConsumeIntegralInRange<int>(0, 8);
    for (int i = 0; i < length; ++i) {
        char c = static_cast<char>(data.ConsumeIntegralInRange<int>(0x20, 0xFF));
        value += c;
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.pop_back();
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.erase(0, 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value += 'x';
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    // The choices come from the end of the input, the file from the rest.
    const bool ownSection = data.ConsumeBool();
    const bool ownKey = data.ConsumeBool();
    const bool ownValue = data.ConsumeBool();
    const std::string section = ownSection ? randomName(data) : data.PickValueInArray(Sections);
    const std::string key = ownKey ? randomName(data) : data.PickValueInArray(Keys);
    const std::string value = ownValue ? randomValue(data) : data.PickValueInArray(Values);
    std::vector<std::pair<std::string, std::string>> otherNames;
    for (int i = 0; i < 4; ++i)
        otherNames.emplace_back(data.PickValueInArray(Sections), data.PickValueInArray(Keys));
    const std::string before = data.ConsumeRemainingBytesAsString();

    IniFile file(before);
    // Every other key keeps its value through the update.
    std::vector<std::pair<std::pair<std::string, std::string>, std::optional<std::string>>> others;
    for (const auto& [s, k] : otherNames)
        if (!(equalsIgnoreCase(s, section) && equalsIgnoreCase(k, key)))
            others.push_back({{s, k}, file.value(s, k)});
    (void)file.readInteger(section, key, 0);

    file.setValue(section, key, value);
    const std::string& after = file.content();

    // The update is a single splice: a common head, a common tail, and between them in the old text
    // at most part of one line (never a line end).
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const std::string_view removed = std::string_view(before).substr(head, before.size() - head - tail);
    if (removed.find_first_of("\r\n") != std::string_view::npos)
        fail("the update of [" + section + "] " + key + " changed more than one line: removed \"" +
             printable(removed) + "\"");

    const auto readBack = IniFile(after).value(section, key);
    if (!(readBack && *readBack == value))
        fail("[" + section + "] " + key + " reads back as \"" + printable(readBack.value_or("<missing>")) +
             "\", not \"" + printable(value) + "\"");
    const IniFile reread(after);
    for (const auto& [name, old] : others)
        if (reread.value(name.first, name.second) != old)
            fail("setting [" + section + "] " + key + " changed [" + name.first + "] " + name.second);
    return 0;
}
