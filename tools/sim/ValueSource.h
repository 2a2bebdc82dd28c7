#pragma once

#include "core/gauge/InterfaceDefinition.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace travek::sim {

// The values the simulated gauges measure: a bounded random walk per channel, or a fixed list
// used in order (one value per emitted line, whatever the channel) and started again at its end.
// Values are rounded to the decimals the box writes, so a value is exactly what its line says.
class ValueSource {
public:
    static ValueSource randomWalk(double min, double max, int decimals, std::uint32_t seed);
    static ValueSource fixedList(std::vector<double> values, int decimals);

    // One number per line ("," or "." as decimal separator; blank lines skipped). Throws
    // std::runtime_error naming the file and line when a line is not a number or the file cannot
    // be read or holds no number.
    static std::vector<double> readValueFile(const std::string& path);

    double next(int channel);

    // Values whose texts are the longest that next() can give.
    std::vector<double> extremes() const;

private:
    ValueSource(int decimals) : m_decimals(decimals) {}
    double rounded(double value) const;

    int m_decimals;
    bool m_walk = false;
    double m_min = 0;
    double m_max = 0;
    std::mt19937 m_random;
    std::array<double, MaxChannels + 1> m_position{};
    std::array<bool, MaxChannels + 1> m_started{};
    std::vector<double> m_list;
    std::size_t m_nextIndex = 0;
};

} // namespace travek::sim
