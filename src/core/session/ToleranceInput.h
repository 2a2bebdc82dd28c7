#pragma once

#include "core/quality/StepTolerances.h"

#include <cstddef>
#include <string>

namespace travek {

// The "Toleranz" dialog of one step: its characteristic ("Merkmal"), nominal ("Soll") and limits
// ("UGW", "OGW"), and behind a button the settings of the whole sequence (the warning zone, what
// becomes of a value outside the limits). OK is taken only when every field makes sense;
// otherwise message() says which does not and why, and the dialog stays open.
class ToleranceInput {
public:
    static constexpr std::size_t MaxCharacteristicLength = 40;

    ToleranceInput(int step, const StepTolerances& tolerances);

    const std::string& title() const { return m_title; }
    // What the fields start with.
    const std::string& characteristic() const { return m_characteristic; }
    const std::string& nominal() const { return m_nominal; }
    const std::string& lower() const { return m_lower; }
    const std::string& upper() const { return m_upper; }
    const std::string& warning() const { return m_warning; }
    bool holdNok() const { return m_settings.holdNok; }
    // The choices of "NOK": index 0 types the value, 1 holds it.
    static constexpr const char* NokChoices[2] = {"TIPPEN (tippen und markieren)",
                                                  "HALTEN (nicht tippen, Schritt wartet)"};

    // Why the last OK was not taken; empty otherwise.
    const std::string& message() const { return m_message; }
    // OK with the fields as typed. Empty number fields are no limit; all empty removes the step's
    // entry.
    bool take(const std::string& characteristic, const std::string& nominal, const std::string& lower,
              const std::string& upper, const std::string& warning, bool holdNok);

    // After an OK that was taken.
    const Tolerance& tolerance() const { return m_tolerance; }
    const ToleranceSettings& settings() const { return m_settings; }
    // The most decimals among the numbers typed: the step's numbers are shown with as many.
    int decimals() const { return m_decimals; }

private:
    int m_decimals = 0;
    std::string m_title;
    std::string m_characteristic, m_nominal, m_lower, m_upper, m_warning;
    std::string m_message;
    Tolerance m_tolerance;
    ToleranceSettings m_settings;
};

} // namespace travek
