#pragma once

#include <cstdint>

namespace travek {

// Sets a speed that has no termios constant (14400, 56000) through the kernel's arbitrary-rate
// interface. False when the device refuses it.
bool setCustomBaudRate(int fd, std::uint32_t bitsPerSecond);

} // namespace travek
