#pragma once

#include <chrono>
#include <cstdint>

namespace travek {

// How a keyboard waits, for its pace or for an answer of its server, without holding up the
// program: the program's events (a signal, the window's close, the port's data) are served
// meanwhile, so an exit never waits for a slow text or a server that stopped answering. The Qt
// program waits in its event loop; tools and tests without one wait with poll().
//
// Waits nest only through the keyboard itself, one at a time; the keyboard checks its own
// condition after every return and waits again when it is not met.
class KeyWait {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~KeyWait() = default;
    // Serves what is pending, without waiting.
    virtual void dispatch() = 0;
    // Serves the program's events until deadline, until readable (a POSIX descriptor, -1 for none)
    // has bytes to read, or until wake(); may return earlier.
    virtual void waitUntil(Clock::time_point deadline, std::intptr_t readable = -1) = 0;
    // Ends the wait in progress: what it waited for has come, or the keyboard was stopped.
    virtual void wake() = 0;
};

} // namespace travek
