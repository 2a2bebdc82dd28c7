#pragma once
// The Western Electric rules on an individuals chart, and rule 1 on its moving ranges.
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace travek {

class ControlRules {
public:
    static constexpr int Count = 4;

    // A point that completes a pattern: the value at index (0-based) or, for the moving range,
    // the range that ends at index.
    struct Break {
        std::size_t index = 0;
        int rule = 1; // 1 to 4
        bool movingRange = false;
        bool operator==(const Break&) const = default;
    };

    // By default rule 1 (a point beyond 3 sigma) and rule 4 (8 in a row on one side): every rule
    // more raises the false alarms of a process that is in control.
    ControlRules() { m_on = {true, false, false, true}; }
    bool isOn(int rule) const { return rule >= 1 && rule <= Count && m_on[rule - 1]; }
    void set(int rule, bool on) {
        if (rule >= 1 && rule <= Count)
            m_on[rule - 1] = on;
    }
    // "1,4" (TRAVEK.INI [VERLAUF] REGELN): the digits 1 to 4 that the text holds; anything else
    // is ignored, and a text without any keeps the default.
    static ControlRules parse(const std::string& text);
    std::string format() const;

    // The breaks, in the order of the points, rule by rule at each point. sigma is the within
    // spread (MR-bar / d2) about centre; rule 1 also tests each moving range against
    // movingRangeUpper (D4 * MR-bar), the only rule that applies to moving ranges: they are not
    // independent, and the zone rules would raise alarms a stable process gives all the time.
    // A point is marked where the window ending at it fulfils the rule and the point itself lies
    // in the zone the rule names, so each mark sits on a point that is out.
    std::vector<Break> breaks(std::span<const double> values, double centre, double sigma,
                              double movingRangeUpper) const;

    // "Regel 1: Punkt jenseits 3 Sigma" and the like, Windows-1252.
    static std::string describe(const Break& b);

private:
    std::array<bool, Count> m_on{};
};

} // namespace travek
