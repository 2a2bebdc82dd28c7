#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

namespace travek {

// How the core reaches time and the readiness of devices: each user interface implements this on
// its own event loop (QTimer and QSocketNotifier in the Qt program), and tests drive a fake. Every
// callback runs on the loop's thread, never inside the call that registers it.
class EventLoop {
public:
    using TaskId = std::uint64_t;

    // A task armed by after(). The handle owns it: dropping the handle, or giving it another task,
    // cancels the one it held, so an owner that goes away or re-arms cannot leave a stale task
    // behind. The handle must not outlive its loop.
    class Task {
    public:
        Task() = default;
        Task(Task&& other) noexcept { *this = std::move(other); }
        Task& operator=(Task&& other) noexcept {
            if (this != &other) {
                cancel();
                m_loop = std::exchange(other.m_loop, nullptr);
                m_id = std::exchange(other.m_id, 0);
                m_done = std::move(other.m_done);
            }
            return *this;
        }
        Task(const Task&) = delete;
        Task& operator=(const Task&) = delete;
        ~Task() { cancel(); }

        // Harmless when the task has run or was cancelled already, also from inside the task.
        void cancel() {
            if (m_loop && !*m_done)
                m_loop->cancelTask(m_id);
            m_loop = nullptr;
            m_done.reset();
        }
        // True from after() until the task starts to run or is cancelled.
        bool pending() const { return m_loop && !*m_done; }

    private:
        friend class EventLoop;
        Task(EventLoop& loop, TaskId id, std::shared_ptr<bool> done)
            : m_loop(&loop), m_id(id), m_done(std::move(done)) {}

        EventLoop* m_loop = nullptr;
        TaskId m_id = 0;
        std::shared_ptr<bool> m_done;
    };

    // A readiness registration; the callback stops when it is destroyed, which may happen inside
    // the callback itself.
    class Watch {
    public:
        virtual ~Watch() = default;
        virtual void setEnabled(bool enabled) = 0;
    };

    virtual ~EventLoop() = default;

    // Runs task once, delay from now, unless the returned handle cancels it first.
    [[nodiscard]] Task after(std::chrono::milliseconds delay, std::function<void()> task) {
        auto done = std::make_shared<bool>(false);
        const TaskId id = schedule(delay, [done, task = std::move(task)] {
            *done = true;
            task();
        });
        return Task(*this, id, std::move(done));
    }
    // Calls onReadable whenever the descriptor (a POSIX file descriptor, or what the platform's
    // loop can wait on) has bytes to read.
    virtual std::unique_ptr<Watch> watchReadable(std::intptr_t handle, std::function<void()> onReadable) = 0;
    // Calls onWritable whenever the descriptor can take bytes: a network socket whose connection
    // is being made, or whose send buffer was full. Where the loop waits on objects rather than
    // descriptors (Windows), it is called whenever the object is signalled, as for watchReadable.
    virtual std::unique_ptr<Watch> watchWritable(std::intptr_t handle, std::function<void()> onWritable) = 0;

protected:
    // Runs task once, delay from now. The id stays unique for the loop's lifetime.
    virtual TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) = 0;
    // A task that has run or was cancelled already is ignored.
    virtual void cancelTask(TaskId id) = 0;
};

} // namespace travek
