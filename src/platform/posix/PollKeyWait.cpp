#include "platform/posix/PollKeyWait.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace travek {

void PollKeyWait::waitUntil(Clock::time_point deadline, std::intptr_t readable) {
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd descriptor{static_cast<int>(readable), POLLIN, 0};
    // A negative descriptor is ignored by poll(), which then only sleeps.
    ::poll(&descriptor, 1, static_cast<int>(std::max<std::int64_t>(remaining.count(), 0)));
}

KeyWait& PollKeyWait::shared() {
    static PollKeyWait wait;
    return wait;
}

} // namespace travek
