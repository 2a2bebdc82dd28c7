#include "core/quality/ChartGeometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace travek {

namespace {

constexpr ChartColour Ink{40, 40, 40};
constexpr ChartColour Grid{225, 225, 225};
constexpr ChartColour Frame{150, 150, 150};
constexpr ChartColour LimitColour{200, 0, 0};
constexpr ChartColour ControlColour{0, 90, 180};
constexpr ChartColour NominalColour{110, 110, 110};
constexpr ChartColour GreenZone{226, 245, 226};
constexpr ChartColour YellowZone{255, 244, 190};
constexpr ChartColour Connect{170, 170, 170};

constexpr double Left = 70;
constexpr double Right = 118;
constexpr double Top = 30;
constexpr double Bottom = 52;
constexpr double PointRadius = 3.5;

// The decimals the values were typed with (the gauge's resolution), 3 when none says.
int typedDecimals(const std::vector<std::string>& texts) {
    int most = -1;
    for (const std::string& t : texts) {
        const std::size_t mark = t.find_first_of(",.");
        most = std::max(most, mark == std::string::npos ? 0 : static_cast<int>(t.size() - mark - 1));
    }
    return most < 0 ? 3 : std::min(most, 6);
}

// A step of 1, 2 or 5 times a power of ten that divides span into about count parts.
double niceStep(double span, int count) {
    const double raw = span / count;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0})
        if (raw <= f * magnitude)
            return f * magnitude;
    return 10 * magnitude;
}

struct Label {
    double y;
    std::string text;
    ChartColour colour;
};

// The labels at the right end of the horizontal lines, moved apart where lines lie close.
void placeLabels(std::vector<Label> labels, double x, double top, double bottom, ChartGeometry& g) {
    constexpr double Gap = 13;
    std::sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) { return a.y < b.y; });
    for (std::size_t i = 1; i < labels.size(); ++i)
        labels[i].y = std::max(labels[i].y, labels[i - 1].y + Gap);
    // Pushed below the plot: moved back up, keeping the gaps.
    for (std::size_t i = labels.size(); i-- > 0;) {
        const double limit = i + 1 < labels.size() ? labels[i + 1].y - Gap : bottom;
        labels[i].y = std::min(labels[i].y, limit);
    }
    for (const Label& l : labels)
        g.texts.push_back({x, std::max(l.y, top) + 4, l.text, l.colour, ChartGeometry::Anchor::Start, 11});
}

std::string figuresLine(const ChartSeries& s, int decimals) {
    const ChartStatistics& st = s.stats;
    std::string text = "n = " + std::to_string(st.n);
    if (!st.hasFigures())
        return text;
    auto index = [](const char* name, const std::optional<double>& v) {
        return std::string("   ") + name + " = " + (v ? chartNumber(*v, 2) : "\x96");
    };
    text += "   Mittel = " + chartNumber(st.mean, decimals + 1) + "   s = " + chartNumber(st.s, decimals + 1);
    text += index("Cp", st.cp) + index("Cpk", st.cpk) + index("Pp", st.pp) + index("Ppk", st.ppk);
    if (st.preliminary())
        text += "   (vorl\xE4ufig)";
    return text;
}

} // namespace

std::string chartNumber(double value, int decimals) {
    if (!std::isfinite(value))
        return "-";
    char buffer[400]; // the largest double in full, and its decimals
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                      std::clamp(decimals, 0, 9));
    if (result.ec != std::errc())
        return "-";
    std::string text(buffer, result.ptr);
    std::replace(text.begin(), text.end(), '.', ',');
    if (text.find_first_not_of("-0,") == std::string::npos && text.front() == '-')
        text.erase(0, 1); // no "-0,000"
    return text;
}

ChartColour ChartGeometry::verdictColour(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok:
        return {0, 150, 0};
    case Verdict::Warn:
        return {225, 160, 0};
    case Verdict::Nok:
        return {215, 0, 0};
    default:
        return {60, 60, 60};
    }
}

ChartGeometry ChartGeometry::layout(const ChartSeries& s, double width, double height) {
    ChartGeometry g;
    g.width = width;
    g.height = height;
    const double plotLeft = Left, plotRight = std::max(Left + 10, width - Right);
    const double plotTop = Top, plotBottom = std::max(Top + 10, height - Bottom);
    const int decimals = typedDecimals(s.texts);
    const Tolerance& t = s.tolerance;

    // The scale takes in the values, the limits and the control limits.
    std::vector<double> extent(s.values.begin(), s.values.end());
    for (const std::optional<double>& v : {t.lower, t.upper, t.nominal})
        if (v)
            extent.push_back(*v);
    if (s.stats.hasFigures()) {
        extent.push_back(s.stats.upperControl);
        extent.push_back(s.stats.lowerControl);
    }
    double low = extent.empty() ? 0 : *std::min_element(extent.begin(), extent.end());
    double high = extent.empty() ? 1 : *std::max_element(extent.begin(), extent.end());
    double span = high - low;
    if (!(span > 0))
        span = std::max(std::fabs(high) * 0.01, 0.001);
    low -= span * 0.08;
    high += span * 0.08;
    const auto yOf = [&](double v) { return plotBottom - (v - low) / (high - low) * (plotBottom - plotTop); };
    const std::size_t slots = std::max<std::size_t>(s.capacity, 2);
    const auto xOf = [&](std::size_t i) {
        return plotLeft + 8 +
               static_cast<double>(i) * (plotRight - plotLeft - 16) / static_cast<double>(slots - 1);
    };
    const auto clampY = [&](double y) { return std::clamp(y, plotTop, plotBottom); };

    // The zones of the tolerance: green in the middle, yellow between the warning limits and the
    // tolerance limits (pre-control). The centre is the nominal, or the middle of two limits.
    std::optional<double> centre = t.nominal;
    if (!centre && t.lower && t.upper)
        centre = (*t.lower + *t.upper) / 2;
    std::optional<double> warnLow, warnHigh;
    if (centre && s.warning > 0) {
        if (t.lower)
            warnLow = *centre - (*centre - *t.lower) * s.warning / 100.0;
        if (t.upper)
            warnHigh = *centre + (*t.upper - *centre) * s.warning / 100.0;
    }
    if (t.lower || t.upper) {
        const double greenTop = clampY(yOf(warnHigh ? *warnHigh : t.upper ? *t.upper : high));
        const double greenBottom = clampY(yOf(warnLow ? *warnLow : t.lower ? *t.lower : low));
        g.bands.push_back({plotLeft, greenTop, plotRight, greenBottom, GreenZone});
        if (warnHigh)
            g.bands.push_back({plotLeft, clampY(yOf(*t.upper)), plotRight, greenTop, YellowZone});
        if (warnLow)
            g.bands.push_back({plotLeft, greenBottom, plotRight, clampY(yOf(*t.lower)), YellowZone});
    }

    // The value grid and its labels.
    const double step = niceStep(high - low, 5);
    const int tickDecimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    // Counted, not summed: a step below the values' resolution (1e20 and its neighbour) must not
    // leave the loop standing.
    for (int k = 0; k < 20; ++k) {
        const double v = std::ceil(low / step) * step + k * step;
        if (v > high)
            break;
        const double y = yOf(v);
        g.lines.push_back({plotLeft, y, plotRight, y, Grid});
        g.texts.push_back({plotLeft - 6, y + 4, chartNumber(v, tickDecimals), Ink, Anchor::End, 11});
    }
    for (std::size_t i = 0; i < slots; i += 10) {
        const double x = xOf(i);
        g.lines.push_back({x, plotBottom, x, plotBottom + 4, Frame});
        g.texts.push_back({x, plotBottom + 16, std::to_string(s.firstNumber + i), Ink, Anchor::Middle, 11});
    }
    g.lines.push_back({plotLeft, plotTop, plotRight, plotTop, Frame});
    g.lines.push_back({plotLeft, plotBottom, plotRight, plotBottom, Frame});
    g.lines.push_back({plotLeft, plotTop, plotLeft, plotBottom, Frame});
    g.lines.push_back({plotRight, plotTop, plotRight, plotBottom, Frame});

    // The horizontal lines, each named at the right.
    std::vector<Label> labels;
    const auto level = [&](double v, const char* name, ChartColour colour, double lineWidth, bool dashed,
                           int digits) {
        const double y = yOf(v);
        g.lines.push_back({plotLeft, y, plotRight, y, colour, lineWidth, dashed});
        labels.push_back({y, std::string(name) + " " + chartNumber(v, digits), colour});
    };
    if (t.upper)
        level(*t.upper, "OGW", LimitColour, 2, false, decimals);
    if (t.lower)
        level(*t.lower, "UGW", LimitColour, 2, false, decimals);
    if (t.nominal)
        level(*t.nominal, "Soll", NominalColour, 1, true, decimals);
    if (s.stats.hasFigures()) {
        level(s.stats.mean, "Mittel", ControlColour, 1.5, false, decimals + 1);
        if (s.stats.sigmaWithin > 0) {
            level(s.stats.upperControl, "OEG", ControlColour, 1, true, decimals + 1);
            level(s.stats.lowerControl, "UEG", ControlColour, 1, true, decimals + 1);
        }
    }
    placeLabels(std::move(labels), plotRight + 6, plotTop, plotBottom, g);

    // The values, joined in their order, coloured by verdict, ringed where they break a rule.
    std::vector<std::string> broken(s.values.size());
    for (const ControlRules::Break& b : s.breaks)
        if (b.index < broken.size())
            broken[b.index] += "\n" + ControlRules::describe(b);
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        const double x = xOf(i), y = clampY(yOf(s.values[i]));
        if (i > 0)
            g.lines.push_back({xOf(i - 1), clampY(yOf(s.values[i - 1])), x, y, Connect});
    }
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        const Verdict verdict = i < s.verdicts.size() ? s.verdicts[i] : Verdict::None;
        const std::string text =
            i < s.texts.size() && !s.texts[i].empty() ? s.texts[i] : chartNumber(s.values[i], decimals);
        g.points.push_back({xOf(i), clampY(yOf(s.values[i])), PointRadius, verdictColour(verdict),
                            !broken[i].empty(),
                            "Nr. " + std::to_string(s.firstNumber + i) + ": " + text + broken[i]});
    }
    // The rule numbers above the ringed points, for a chart that is printed or has no pointer.
    for (const ControlRules::Break& b : s.breaks)
        if (b.index < g.points.size()) {
            const Point& p = g.points[b.index];
            g.texts.push_back({p.x, p.y - 9 - (b.movingRange ? 11 : 0),
                               b.movingRange ? "R1" : std::to_string(b.rule), ChartGeometry::Ring,
                               Anchor::Middle, 10, true});
        }

    g.texts.push_back({plotLeft, 19, s.title, Ink, Anchor::Start, 13, true});
    g.texts.push_back({plotLeft, height - 12, figuresLine(s, decimals), Ink, Anchor::Start, 12});
    if (!s.note.empty())
        g.texts.push_back({width - 8, 19, s.note, LimitColour, Anchor::End, 11});
    return g;
}

int ChartGeometry::pointAt(double x, double y) const {
    int found = -1;
    double best = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double dx = points[i].x - x, dy = points[i].y - y;
        const double d = dx * dx + dy * dy;
        const double reach = points[i].radius + 4;
        if (d <= reach * reach && (found < 0 || d < best)) {
            found = static_cast<int>(i);
            best = d;
        }
    }
    return found;
}

} // namespace travek
