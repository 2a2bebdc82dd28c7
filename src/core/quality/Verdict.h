#pragma once
// What the quality functions share: a step's characteristic with its limits, and the verdict on
// one value. The tolerance file and the live verdict fill these; the control chart and the report
// read them.
#include <optional>
#include <string>

namespace travek {

// A characteristic and its limits. Either limit may be missing (a one-sided limit); a
// characteristic without any limit judges nothing.
struct Tolerance {
    std::string characteristic; // "Merkmal", Windows-1252
    std::optional<double> nominal;
    std::optional<double> lower;
    std::optional<double> upper;

    bool hasLimits() const { return lower.has_value() || upper.has_value(); }
    bool operator==(const Tolerance&) const = default;
};

// The verdict on one value; None where the step has no limits or the value is not a number.
enum class Verdict { None, Ok, Warn, Nok };

// One value as it was judged: what the verdict display, the log and the chart are given.
struct JudgedValue {
    int step = 0;        // the step it was taken for, 1-based
    Tolerance tolerance; // the step's, at that moment
    double value = 0;    // the value as formatted (the decimals shown are the decimals judged)
    std::string text;    // the same, as typed ("10,012")
    Verdict verdict = Verdict::None;
    bool typed = false; // false when held back ("NOK=HALTEN") or not typed for another reason
    // The sequence's warning zone ("WARNUNG", percent of the distance from the nominal to a
    // limit; 0 for none) that judged it: the control chart draws the same zone.
    int warning = 50;
};

} // namespace travek
