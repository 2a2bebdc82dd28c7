#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace travek {

// How the core reaches time and the readiness of devices: each user interface implements this on
// its own event loop (QTimer and QSocketNotifier in the Qt program), and tests drive a fake. Every
// callback runs on the loop's thread, never inside the call that registers it.
class EventLoop {
public:
    using TaskId = std::uint64_t;

    // A readiness registration; the callback stops when it is destroyed, which may happen inside
    // the callback itself.
    class Watch {
    public:
        virtual ~Watch() = default;
        virtual void setEnabled(bool enabled) = 0;
    };

    virtual ~EventLoop() = default;

    // Runs task once, delay from now. The id stays unique for the loop's lifetime.
    virtual TaskId after(std::chrono::milliseconds delay, std::function<void()> task) = 0;
    // A task that has run or was cancelled already is ignored.
    virtual void cancel(TaskId id) = 0;
    // Calls onReadable whenever the descriptor (a POSIX file descriptor, or what the platform's
    // loop can wait on) has bytes to read.
    virtual std::unique_ptr<Watch> watchReadable(std::intptr_t handle, std::function<void()> onReadable) = 0;
};

} // namespace travek
