#include "core/files/ToleranceFile.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/quality/DecimalNumber.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <algorithm>

namespace travek {

namespace {

constexpr const char* SettingsSection = "TOLERANZ";

std::string stepSection(int step) {
    return "SCHRITT " + std::to_string(step);
}

// A number field: empty is none; anything but a number is the reason why not.
std::optional<double> readNumber(const std::string& text, const char* key, std::string& problem) {
    if (trim(text).empty())
        return std::nullopt;
    const std::optional<double> number = parseDecimalText(text);
    if (!number && problem.empty())
        problem = std::string(key) + "=" + text + " ist keine Zahl";
    return number;
}

// A value as the profile format keeps it: one that is itself in quotes gets another pair, since
// reading takes one pair off; so does one with blanks at an end, which reading would trim.
std::string quoted(const std::string& text) {
    const bool enclosed =
        text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool padded = !text.empty() && (blank(text.front()) || blank(text.back()));
    return enclosed || padded ? "\"" + text + "\"" : text;
}

} // namespace

ToleranceFileContent readToleranceFile(const std::string& path) {
    ToleranceFileContent content;
    const std::optional<std::string> data = readWholeFile(path);
    if (!data)
        return content;
    const IniFile file(*data);
    const std::string name = nameForUser(path);
    ToleranceSettings settings;
    const std::string warning = file.readString(SettingsSection, "WARNUNG", "");
    if (!trim(warning).empty()) {
        const std::optional<std::int32_t> percent = parseInteger(trim(warning));
        if (percent && *percent >= 0 && *percent <= 100)
            settings.warningPercent = *percent;
        else
            content.problems.push_back(name + ", [TOLERANZ]: WARNUNG=" + warning +
                                       " ist kein Prozentsatz von 0 bis 100; es gilt " +
                                       std::to_string(ToleranceSettings::DefaultWarningPercent));
    }
    const std::string nok = asciiUpper(trim(file.readString(SettingsSection, "NOK", "")));
    if (nok == "HALTEN")
        settings.holdNok = true;
    else if (!nok.empty() && nok != "TIPPEN")
        content.problems.push_back(name + ", [TOLERANZ]: NOK=" + nok +
                                   " ist weder TIPPEN noch HALTEN; es gilt TIPPEN");
    content.tolerances.setSettings(settings);

    for (int step = 1; step <= MaxSteps; ++step) {
        const std::string section = stepSection(step);
        ToleranceTexts texts{file.readString(section, "MERKMAL", ""), file.readString(section, "SOLL", ""),
                             file.readString(section, "UGW", ""), file.readString(section, "OGW", "")};
        if (texts == ToleranceTexts{})
            continue;
        std::string problem;
        Tolerance tolerance{texts.characteristic, readNumber(texts.nominal, "SOLL", problem),
                            readNumber(texts.lower, "UGW", problem), readNumber(texts.upper, "OGW", problem)};
        if (problem.empty())
            problem = toleranceProblem(tolerance);
        if (problem.empty()) {
            const int decimals =
                std::max({decimalsOf(texts.nominal), decimalsOf(texts.lower), decimalsOf(texts.upper)});
            content.tolerances.setStep(step, std::move(tolerance), decimals);
            continue;
        }
        content.problems.push_back(name + ", Schritt " + std::to_string(step) + ": " + problem +
                                   "; der Schritt gilt als ohne Grenzen");
        content.tolerances.setRefused(step, texts, texts.characteristic);
    }
    return content;
}

std::string toleranceFileText(const StepTolerances& tolerances) {
    const ToleranceSettings& settings = tolerances.settings();
    std::string text = "[TOLERANZ]\r\nWARNUNG=" + std::to_string(settings.warningPercent) +
                       "\r\nNOK=" + (settings.holdNok ? "HALTEN" : "TIPPEN") + "\r\n";
    for (int step = 1; step <= MaxSteps; ++step) {
        const ToleranceTexts texts = tolerances.texts(step);
        if (texts == ToleranceTexts{})
            continue;
        text += "[" + stepSection(step) + "]\r\nMERKMAL=" + quoted(texts.characteristic) +
                "\r\nSOLL=" + quoted(texts.nominal) + "\r\nUGW=" + quoted(texts.lower) +
                "\r\nOGW=" + quoted(texts.upper) + "\r\n";
    }
    return text;
}

void writeToleranceFile(const std::string& path, const StepTolerances& tolerances) {
    writeFileAtomically(path, toleranceFileText(tolerances));
}

} // namespace travek
