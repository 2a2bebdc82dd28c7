#include "ValueSource.h"

#include "core/files/FileIo.h"
#include "core/text/TextHelpers.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace travek::sim {

ValueSource ValueSource::randomWalk(double min, double max, int decimals, std::uint32_t seed) {
    ValueSource source(decimals);
    source.m_walk = true;
    source.m_min = min;
    source.m_max = max;
    source.m_random.seed(seed);
    return source;
}

ValueSource ValueSource::fixedList(std::vector<double> values, int decimals) {
    if (values.empty())
        throw std::invalid_argument("empty value list");
    ValueSource source(decimals);
    source.m_list = std::move(values);
    return source;
}

std::vector<double> ValueSource::readValueFile(const std::string& path) {
    const auto content = readWholeFile(path, std::size_t{64} << 20);
    if (!content)
        throw std::runtime_error("cannot read the value file " + path);
    std::vector<double> values;
    std::size_t begin = 0;
    int lineNumber = 0;
    while (begin < content->size()) {
        std::size_t end = content->find('\n', begin);
        if (end == std::string::npos)
            end = content->size();
        ++lineNumber;
        const std::string_view line = trim(std::string_view(*content).substr(begin, end - begin));
        begin = end + 1;
        if (line.empty())
            continue;
        const std::string text = removeBlanks(commaToPoint(line));
        char* stop = nullptr;
        const double value = std::strtod(text.c_str(), &stop);
        if (stop == text.c_str() || *stop != '\0' || !std::isfinite(value) || std::fabs(value) >= 1e15)
            throw std::runtime_error(path + ", line " + std::to_string(lineNumber) + ": \"" +
                                     std::string(line) + "\" is not a number");
        values.push_back(value);
    }
    if (values.empty())
        throw std::runtime_error("the value file " + path + " holds no number");
    return values;
}

double ValueSource::rounded(double value) const {
    const double scale = std::pow(10.0, m_decimals);
    const double r = std::round(value * scale) / scale;
    return r == 0 ? 0.0 : r; // no -0
}

double ValueSource::next(int channel) {
    if (!m_walk) {
        const double value = m_list[m_nextIndex];
        m_nextIndex = (m_nextIndex + 1) % m_list.size();
        return rounded(value);
    }
    const int slot = channel >= 1 && channel <= MaxChannels ? channel : 0;
    double& position = m_position[slot];
    if (!m_started[slot]) {
        m_started[slot] = true;
        position = std::uniform_real_distribution<double>(m_min, m_max)(m_random);
    } else {
        // Steps of up to a tenth of the range, reflected at the bounds: a gauge drifting.
        const double span = m_max - m_min;
        position += std::uniform_real_distribution<double>(-span / 10, span / 10)(m_random);
        if (position > m_max)
            position = 2 * m_max - position;
        if (position < m_min)
            position = 2 * m_min - position;
        position = std::min(std::max(position, m_min), m_max);
    }
    return rounded(position);
}

std::vector<double> ValueSource::extremes() const {
    if (m_walk)
        return {rounded(m_min), rounded(m_max)};
    std::vector<double> values;
    for (double v : m_list)
        values.push_back(rounded(v));
    return values;
}

} // namespace travek::sim
