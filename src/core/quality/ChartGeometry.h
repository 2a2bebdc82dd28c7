#pragma once
// The control chart as a drawing: every line, band, point and text with its place in pixels and
// its colour, computed once here, so that the Qt window, the Windows window and the SVG file show
// the same chart and only draw what this says.
#include "core/quality/ChartStatistics.h"
#include "core/quality/ControlRules.h"
#include "core/quality/Verdict.h"

#include <cstdint>
#include <string>
#include <vector>

namespace travek {

// What the chart shows: one characteristic's last values with their verdicts, and what was
// computed of them.
struct ChartSeries {
    std::string title; // Windows-1252
    Tolerance tolerance;
    // The warning zone in percent of the distance from the nominal to each limit; 0 for none.
    int warning = 50;
    std::vector<double> values;
    std::vector<Verdict> verdicts;  // one per value
    std::vector<std::string> texts; // one per value, as typed
    // The places on the time axis (the points setting) and the running number of the first value.
    std::size_t capacity = 50;
    std::size_t firstNumber = 1;
    ChartStatistics stats;
    std::vector<ControlRules::Break> breaks;
    // Said above the chart: a step without a characteristic, a log that could not be read.
    std::string note;
};

struct ChartColour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const ChartColour&) const = default;
};

class ChartGeometry {
public:
    struct Band {
        double left, top, right, bottom;
        ChartColour colour;
    };
    struct Line {
        double x1, y1, x2, y2;
        ChartColour colour;
        double width = 1;
        bool dashed = false;
    };
    struct Point {
        double x, y, radius;
        ChartColour colour;
        bool marked = false; // breaks a control rule: drawn with a ring
        std::string tip;     // the value's number, the value and the rules it breaks
    };
    enum class Anchor { Start, Middle, End };
    struct Text {
        double x, y; // y is the baseline
        std::string text;
        ChartColour colour;
        Anchor anchor = Anchor::Start;
        double size = 12; // pixels
        bool bold = false;
    };

    static ChartGeometry layout(const ChartSeries& series, double width, double height);

    // The point under (x, y), with a few pixels to spare; -1 for none.
    int pointAt(double x, double y) const;

    double width = 0;
    double height = 0;
    ChartColour background{255, 255, 255};
    // Drawn in this order: bands, lines, points, texts.
    std::vector<Band> bands;
    std::vector<Line> lines;
    std::vector<Point> points;
    std::vector<Text> texts;

    // Colours by meaning, so that views draw their own parts (the verdict in the grid) alike.
    static ChartColour verdictColour(Verdict verdict);
    // The ring around a point that breaks a control rule, RingGap pixels outside the point.
    static constexpr ChartColour Ring{150, 0, 150};
    static constexpr double RingGap = 3.5;
};

// value with decimals digits and a decimal comma, "-" for none; for labels and figures.
std::string chartNumber(double value, int decimals);

} // namespace travek
