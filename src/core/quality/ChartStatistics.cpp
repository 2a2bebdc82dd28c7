#include "core/quality/ChartStatistics.h"

#include <algorithm>
#include <cmath>

namespace travek {

Capability capability(const Tolerance& limits, double mean, double sigma) {
    Capability result;
    if (!(sigma > 0) || !std::isfinite(sigma))
        return result;
    if (limits.lower && limits.upper)
        result.index = (*limits.upper - *limits.lower) / (6 * sigma);
    std::optional<double> nearest;
    if (limits.upper)
        nearest = (*limits.upper - mean) / (3 * sigma);
    if (limits.lower) {
        const double lower = (mean - *limits.lower) / (3 * sigma);
        nearest = nearest ? std::min(*nearest, lower) : lower;
    }
    result.centered = nearest;
    return result;
}

ChartStatistics chartStatistics(std::span<const double> values, const Tolerance& limits) {
    ChartStatistics stats;
    stats.n = values.size();
    if (values.size() < 2)
        return stats;
    // Two passes: the squared deviations from the mean, not the difference of two large sums,
    // which loses the digits of a tight process around a large nominal (10,000 +- 0,001).
    double sum = 0;
    for (double v : values)
        sum += v;
    stats.mean = sum / static_cast<double>(values.size());
    double squares = 0;
    double ranges = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        squares += (values[i] - stats.mean) * (values[i] - stats.mean);
        if (i > 0)
            ranges += std::fabs(values[i] - values[i - 1]);
    }
    stats.s = std::sqrt(squares / static_cast<double>(values.size() - 1));
    stats.mrBar = ranges / static_cast<double>(values.size() - 1);
    stats.sigmaWithin = stats.mrBar / ChartStatistics::D2;
    // x-bar +- 2,66 MR-bar, 2,66 being 3 / d2 rounded: the limits stay exactly at the 3 sigma that
    // the first rule tests.
    stats.upperControl = stats.mean + 3 * stats.sigmaWithin;
    stats.lowerControl = stats.mean - 3 * stats.sigmaWithin;
    stats.movingRangeUpper = ChartStatistics::D4 * stats.mrBar;
    if (ranges == 0) {
        // All values are equal (every moving range is 0). The mean of ten times 0,1 is not exactly
        // 0,1, and the deviations from it would give a spread of a few ulps and an absurd index:
        // the series is constant, s is 0, and there is no capability figure.
        stats.mean = values[0];
        stats.s = 0;
        stats.upperControl = stats.lowerControl = stats.mean;
        return stats;
    }
    const Capability within = capability(limits, stats.mean, stats.sigmaWithin);
    const Capability overall = capability(limits, stats.mean, stats.s);
    stats.cp = within.index;
    stats.cpk = within.centered;
    stats.pp = overall.index;
    stats.ppk = overall.centered;
    return stats;
}

} // namespace travek
