#pragma once

#include "core/loop/EventLoop.h"

#include <chrono>
#include <functional>
#include <map>

#include <poll.h>

namespace travek::test {

// A real event loop on poll(2), for tests of the POSIX layer: tasks run when their time has come,
// watched descriptors are reported while they have bytes. It counts its wake-ups, so a test can
// tell a quiet loop from a spinning one.
class PollEventLoop : public EventLoop {
public:
    TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) override;
    void cancelTask(TaskId id) override;
    std::unique_ptr<Watch> watchReadable(std::intptr_t handle, std::function<void()> onReadable) override;
    std::unique_ptr<Watch> watchWritable(std::intptr_t handle, std::function<void()> onWritable) override;

    void runFor(int ms);
    // Runs until condition holds; false after timeoutMs.
    bool runUntil(const std::function<bool()>& condition, int timeoutMs = 3000);

    // How often a watched descriptor was reported (readable or writable).
    int readableCalls() const { return m_readableCalls; }
    // Watches that are enabled now.
    int activeWatches() const;
    std::size_t pendingTasks() const { return m_tasks.size(); }
    // Milliseconds until the next task is due; -1 without tasks.
    long long nextTaskInMs() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Registration {
        std::intptr_t handle;
        std::function<void()> onReady;
        bool enabled = true;
        short events = POLLIN;
    };
    class PollWatch;

    void runOnce(int timeoutMs);

    std::map<std::pair<Clock::time_point, TaskId>, std::function<void()>> m_tasks;
    std::map<int, Registration> m_watches;
    TaskId m_nextId = 1;
    int m_nextWatch = 1;
    int m_readableCalls = 0;
};

} // namespace travek::test
