#pragma once

#include "core/quality/Verdict.h"
#include "core/session/SequenceState.h"

#include <array>
#include <map>
#include <string>

namespace travek {

// What holds for the whole sequence: the warning zone and what becomes of a value outside the limits.
struct ToleranceSettings {
    static constexpr int DefaultWarningPercent = 50;
    // On each side, a value warns when it lies farther from the centre than this share of the
    // distance from the centre to that side's limit; 0: no warnings.
    int warningPercent = DefaultWarningPercent;
    // "NOK=HALTEN": a value outside the limits is not typed, and the step waits for the next one.
    bool holdNok = false;
    bool operator==(const ToleranceSettings&) const = default;
};

// A step's entries as a file holds them: kept for a step whose limits were refused, so that saving
// the file again does not lose what a person wrote there.
struct ToleranceTexts {
    std::string characteristic;
    std::string nominal;
    std::string lower;
    std::string upper;
    bool operator==(const ToleranceTexts&) const = default;
};

// The verdict on value by tolerance: NOK outside the limits (a value at a limit is inside), WARN
// outside the middle warningPercent of each side. The centre is the nominal, or without one the
// middle of the two limits; a side without a limit has no warning zone, and a one-sided limit
// without a nominal has none at all. None without limits. Decimals are compared exactly.
Verdict judge(const Tolerance& tolerance, double value, int warningPercent);

// Why these limits make no sense (lower above upper, the nominal outside them); empty when they do.
std::string toleranceProblem(const Tolerance& tolerance);

// The characteristics and limits of a sequence's steps (1..MaxSteps) and its settings: the ".tol"
// file beside the sequence. A step without an entry has no limits.
class StepTolerances {
public:
    const Tolerance& step(int step) const;
    // decimals: how many the numbers were written with; they are shown and saved with as many.
    void setStep(int step, Tolerance tolerance, int decimals);
    // The step's entries as texts, numbers with a decimal comma: as the file holds them.
    ToleranceTexts texts(int step) const;
    // A step whose entries were refused: judged as without limits (the characteristic stays),
    // written back as they stood.
    void setRefused(int step, const ToleranceTexts& texts, std::string characteristic);
    // The refused entries of a step; nothing when its limits stand.
    const ToleranceTexts* refused(int step) const;

    const ToleranceSettings& settings() const { return m_settings; }
    void setSettings(const ToleranceSettings& settings);

    // A row inserted before step (the steps from it move one down, the last one drops off), or the
    // step removed (the steps after it move one up).
    void insertStep(int step);
    void removeStep(int step);
    void clear();

    // Nothing to keep: no step has an entry and the settings are the defaults.
    bool empty() const;

    // What the step's "Toleranz" cell shows: "Ø Bohrung 10,000 +0,050/-0,020", "Rauheit max 1,6",
    // empty for a step without entry.
    std::string cellText(int step) const;

private:
    std::array<Tolerance, MaxSteps + 2> m_steps{};
    std::array<int, MaxSteps + 2> m_decimals{};
    std::map<int, ToleranceTexts> m_refused;
    ToleranceSettings m_settings;
};

} // namespace travek
