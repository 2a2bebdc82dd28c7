#pragma once
// The figures of an individuals chart: centre, spread, control limits and capability, from the
// values of one characteristic in the order they were measured.
#include "core/quality/Verdict.h"

#include <cstddef>
#include <optional>
#include <span>

namespace travek {

struct ChartStatistics {
    // d2 and D4 for moving ranges of two values (the tables of the Shewhart constants).
    static constexpr double D2 = 1.128;
    static constexpr double D4 = 3.267;
    // Below this many values the capability figures are shown as preliminary.
    static constexpr std::size_t FinalFrom = 25;

    std::size_t n = 0;
    double mean = 0;
    double s = 0;           // the sample standard deviation (n - 1): the overall spread
    double mrBar = 0;       // the mean moving range of neighbouring values
    double sigmaWithin = 0; // MR-bar / d2: the short-term spread the control limits and zones use
    double upperControl = 0;
    double lowerControl = 0;
    double movingRangeUpper = 0; // D4 * MR-bar
    // Nothing where a limit they need is missing or the spread is 0: a constant series has no
    // capability rather than an infinite one.
    std::optional<double> cp;
    std::optional<double> cpk;
    std::optional<double> pp;
    std::optional<double> ppk;

    // Fewer than two values give points but no figures.
    bool hasFigures() const { return n >= 2; }
    bool preliminary() const { return n < FinalFrom; }
};

// Cp and Cpk of a process with this centre and spread against the limits; the one-sided index
// where only one limit is given (Cp then stays empty), nothing for a spread that is not positive.
struct Capability {
    std::optional<double> index;    // Cp / Pp
    std::optional<double> centered; // Cpk / Ppk
};
Capability capability(const Tolerance& limits, double mean, double sigma);

ChartStatistics chartStatistics(std::span<const double> values, const Tolerance& limits);

} // namespace travek
