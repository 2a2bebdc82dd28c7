#pragma once

#include "core/loop/EventLoop.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace travek {

// Defined by the platform layer: calls appeared whenever the folder that holds the device of the
// port with this index (port number minus 1, as the port mapping names it) gets a new or changed
// entry, so that a replugged adapter can be opened at once instead of at the next try. Nothing
// (nullptr) where the platform or the folder cannot be watched; then only the regular tries count.
std::unique_ptr<EventLoop::Watch> watchForDevice(EventLoop& loop, std::uint8_t comPort,
                                                 std::function<void()> appeared);

} // namespace travek
