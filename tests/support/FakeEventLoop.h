#pragma once

#include "core/loop/EventLoop.h"

#include <map>
#include <utility>
#include <vector>

namespace travek::test {

// An event loop whose clock moves only when a test says so: tasks run in the order of their due
// time as advance() passes it. Readiness is signalled by the test with makeReadable() and
// makeWritable().
class FakeEventLoop : public EventLoop {
public:
    TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) override {
        const TaskId id = m_nextId++;
        m_tasks.emplace(std::make_pair(m_now + delay, id), std::move(task));
        return id;
    }
    void cancelTask(TaskId id) override {
        for (auto it = m_tasks.begin(); it != m_tasks.end(); ++it)
            if (it->first.second == id) {
                m_tasks.erase(it);
                return;
            }
    }
    std::unique_ptr<Watch> watchReadable(std::intptr_t handle, std::function<void()> onReadable) override {
        auto watch = std::make_unique<FakeWatch>(m_watches, handle);
        m_watches[handle] = {watch.get(), std::move(onReadable)};
        return watch;
    }
    std::unique_ptr<Watch> watchWritable(std::intptr_t handle, std::function<void()> onWritable) override {
        auto watch = std::make_unique<FakeWatch>(m_writeWatches, handle);
        m_writeWatches[handle] = {watch.get(), std::move(onWritable)};
        return watch;
    }

    // Runs every task due within the next ms milliseconds, including those they schedule.
    void advance(std::chrono::milliseconds ms) {
        const auto end = m_now + ms;
        while (!m_tasks.empty() && m_tasks.begin()->first.first <= end) {
            auto it = m_tasks.begin();
            m_now = it->first.first;
            auto task = std::move(it->second);
            m_tasks.erase(it);
            task();
        }
        m_now = end;
    }
    // Tells the watcher of handle that bytes wait; false when nobody watches it (or it is off).
    bool makeReadable(std::intptr_t handle) { return signal(m_watches, handle); }
    // Tells the watcher of handle that it can write; false when nobody waits for that.
    bool makeWritable(std::intptr_t handle) { return signal(m_writeWatches, handle); }
    std::size_t pendingTasks() const { return m_tasks.size(); }
    bool watching(std::intptr_t handle) const { return m_watches.count(handle) > 0; }
    std::vector<std::intptr_t> watchedHandles() const {
        std::vector<std::intptr_t> handles;
        for (const auto& entry : m_watches)
            handles.push_back(entry.first);
        return handles;
    }
    std::chrono::milliseconds now() const { return m_now; }

private:
    struct FakeWatch;
    using Watches = std::map<std::intptr_t, std::pair<FakeWatch*, std::function<void()>>>;
    struct FakeWatch : Watch {
        FakeWatch(Watches& watches, std::intptr_t handle) : watches(watches), handle(handle) {}
        ~FakeWatch() override { watches.erase(handle); }
        void setEnabled(bool on) override { enabled = on; }
        Watches& watches;
        std::intptr_t handle;
        bool enabled = true;
    };

    static bool signal(Watches& watches, std::intptr_t handle) {
        const auto it = watches.find(handle);
        if (it == watches.end() || !it->second.first->enabled)
            return false;
        auto callback = it->second.second; // the callback may end the watch
        callback();
        return true;
    }

    std::chrono::milliseconds m_now{0};
    TaskId m_nextId = 1;
    std::map<std::pair<std::chrono::milliseconds, TaskId>, std::function<void()>> m_tasks;
    Watches m_watches;
    Watches m_writeWatches;
};

} // namespace travek::test
