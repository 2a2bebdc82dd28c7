#pragma once
// The chart of the figures: 125 values of a characteristic near its nominal, some warning and one
// out of tolerance, with the rules on that mark some of them.
#include "core/quality/LogSeries.h"
#include "core/quality/TrendChart.h"

#include <cmath>
#include <string>

namespace travek::bench {

inline LogSeries::Characteristic benchCharacteristic(std::size_t count) {
    LogSeries::Characteristic c;
    c.name = "\xD8 Bohrung";
    c.tolerance = {c.name, 10.0, 9.98, 10.05};
    for (std::size_t i = 0; i < count; ++i) {
        const double v = 10.0 + 0.012 * std::sin(static_cast<double>(i) * 0.7) +
                         0.00025 * static_cast<double>(i % 40) + (i == 90 ? 0.06 : 0);
        const Verdict verdict = v > 10.05 ? Verdict::Nok : v > 10.025 ? Verdict::Warn : Verdict::Ok;
        c.push(v, std::to_string(v), verdict, 0);
    }
    return c;
}

inline ChartSeries benchSeries() {
    ControlRules rules = ControlRules::parse("1234");
    return benchCharacteristic(TrendChart::MaxPoints).chart(TrendChart::MaxPoints, rules, 50);
}

} // namespace travek::bench
