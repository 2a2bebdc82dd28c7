#include "core/session/ToleranceInput.h"

#include "core/quality/DecimalNumber.h"
#include "core/text/TextHelpers.h"

#include <algorithm>

namespace travek {

ToleranceInput::ToleranceInput(int step, const StepTolerances& tolerances)
    : m_title("Toleranz Schritt " + std::to_string(step)), m_settings(tolerances.settings()) {
    // A refused entry shows as the file wrote it, so that the user sees what to put right.
    const ToleranceTexts texts = tolerances.texts(step);
    m_characteristic = texts.characteristic;
    m_nominal = texts.nominal;
    m_lower = texts.lower;
    m_upper = texts.upper;
    m_warning = std::to_string(m_settings.warningPercent);
}

bool ToleranceInput::take(const std::string& characteristic, const std::string& nominal,
                          const std::string& lower, const std::string& upper, const std::string& warning,
                          bool holdNok) {
    // A field of the log and of the profile file is one line.
    std::string name = characteristic;
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    name = std::string(trim(std::string(trim(name)).substr(0, MaxCharacteristicLength)));
    Tolerance tolerance{name, {}, {}, {}};
    const struct {
        const std::string& text;
        const char* label;
        std::optional<double>& number;
    } fields[] = {{nominal, "Soll", tolerance.nominal},
                  {lower, "UGW", tolerance.lower},
                  {upper, "OGW", tolerance.upper}};
    for (const auto& field : fields) {
        if (trim(field.text).empty())
            continue;
        field.number = parseDecimalText(field.text);
        if (!field.number) {
            m_message = std::string(field.label) + ": \x84" + field.text +
                        "\x93 ist keine Zahl (Ziffern mit Dezimalkomma oder -punkt).";
            return false;
        }
    }
    if (std::string problem = toleranceProblem(tolerance); !problem.empty()) {
        m_message = problem + ".";
        return false;
    }
    const std::optional<std::int32_t> percent = parseInteger(trim(warning));
    if (!percent || *percent < 0 || *percent > 100) {
        m_message = "Warnzone: bitte einen Prozentsatz von 0 bis 100 (0: keine Warnungen).";
        return false;
    }
    m_message.clear();
    m_tolerance = std::move(tolerance);
    m_decimals = std::max({decimalsOf(nominal), decimalsOf(lower), decimalsOf(upper)});
    m_settings = ToleranceSettings{*percent, holdNok};
    return true;
}

} // namespace travek
