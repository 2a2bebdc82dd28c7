#include "core/serial/DeviceWatch.h"

namespace travek {

// COM ports have no folder to watch; a replugged adapter is found by the regular tries.
std::unique_ptr<EventLoop::Watch> watchForDevice(EventLoop&, std::uint8_t, std::function<void()>) {
    return nullptr;
}

} // namespace travek
