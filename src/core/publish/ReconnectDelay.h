#pragma once

#include <chrono>
#include <cstdint>
#include <random>

namespace travek {

// The wait before the next attempt to reach the broker. It starts at a second and doubles with
// every failure up to a minute; each wait is drawn between half and all of that, so that twenty
// stations that lost the same broker do not all come back in the same second, and it is never
// less than a second. A connection that the broker accepted and dropped again does not start the
// series over: only one that lasted (stable()) does, so a broker that throws a station out at once
// (another one with the same client ID) is not asked again every second.
class ReconnectDelay {
public:
    static constexpr std::chrono::milliseconds First{1000};
    static constexpr std::chrono::milliseconds Longest{60000};

    explicit ReconnectDelay(std::uint32_t seed = std::random_device{}()) : m_random(seed) {}

    // The wait after a failed attempt or a lost connection.
    std::chrono::milliseconds next();
    // The connection has lasted: the next failure waits a second again.
    void stable() { m_base = std::chrono::milliseconds(0); }

private:
    std::chrono::milliseconds m_base{0};
    std::minstd_rand m_random;
};

} // namespace travek
