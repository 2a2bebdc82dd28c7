#include "core/quality/ControlRules.h"

#include <cmath>

namespace travek {

ControlRules ControlRules::parse(const std::string& text) {
    ControlRules rules;
    std::array<bool, Count> on{};
    bool any = false;
    for (char c : text)
        if (c >= '1' && c <= '0' + Count) {
            on[c - '1'] = true;
            any = true;
        }
    if (any)
        rules.m_on = on;
    return rules;
}

std::string ControlRules::format() const {
    std::string text;
    for (int rule = 1; rule <= Count; ++rule)
        if (isOn(rule))
            text += (text.empty() ? "" : ",") + std::to_string(rule);
    return text;
}

namespace {

// +1 above, -1 below the centre, 0 on it; a point exactly on a zone's edge is not beyond it.
int side(double value, double centre, double distance) {
    if (value > centre + distance)
        return 1;
    if (value < centre - distance)
        return -1;
    return 0;
}

// At least count of the window of length points ending at last lie beyond distance on the side
// of the last point, which lies there itself.
bool manyBeyond(std::span<const double> values, std::size_t last, std::size_t length, std::size_t count,
                double centre, double distance) {
    if (last + 1 < length)
        return false;
    const int s = side(values[last], centre, distance);
    if (s == 0)
        return false;
    std::size_t beyond = 0;
    for (std::size_t i = last + 1 - length; i <= last; ++i)
        if (side(values[i], centre, distance) == s)
            ++beyond;
    return beyond >= count;
}

} // namespace

std::vector<ControlRules::Break> ControlRules::breaks(std::span<const double> values, double centre,
                                                      double sigma, double movingRangeUpper) const {
    std::vector<Break> found;
    // A constant series has no spread: no zone can be told, and no point lies off the centre.
    const bool zones = sigma > 0 && std::isfinite(sigma);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (zones && isOn(1) && side(values[i], centre, 3 * sigma) != 0)
            found.push_back({i, 1, false});
        if (zones && isOn(1) && i > 0 && std::fabs(values[i] - values[i - 1]) > movingRangeUpper)
            found.push_back({i, 1, true});
        if (zones && isOn(2) && manyBeyond(values, i, 3, 2, centre, 2 * sigma))
            found.push_back({i, 2, false});
        if (zones && isOn(3) && manyBeyond(values, i, 5, 4, centre, sigma))
            found.push_back({i, 3, false});
        if (isOn(4) && manyBeyond(values, i, 8, 8, centre, 0))
            found.push_back({i, 4, false});
    }
    return found;
}

std::string ControlRules::describe(const Break& b) {
    if (b.movingRange)
        return "Regel 1: gleitende Spannweite \xFC"
               "ber 3,267\xB7MR";
    switch (b.rule) {
    case 1:
        return "Regel 1: Punkt jenseits 3 Sigma";
    case 2:
        return "Regel 2: 2 von 3 Punkten jenseits 2 Sigma auf einer Seite";
    case 3:
        return "Regel 3: 4 von 5 Punkten jenseits 1 Sigma auf einer Seite";
    default:
        return "Regel 4: 8 Punkte in Folge auf einer Seite der Mittellinie";
    }
}

} // namespace travek
