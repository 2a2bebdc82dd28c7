#include "support/PollEventLoop.h"

#include <algorithm>
#include <vector>

namespace travek::test {

class PollEventLoop::PollWatch : public Watch {
public:
    PollWatch(PollEventLoop& loop, int id) : m_loop(loop), m_id(id) {}
    ~PollWatch() override { m_loop.m_watches.erase(m_id); }
    void setEnabled(bool enabled) override {
        const auto it = m_loop.m_watches.find(m_id);
        if (it != m_loop.m_watches.end())
            it->second.enabled = enabled;
    }

private:
    PollEventLoop& m_loop;
    int m_id;
};

EventLoop::TaskId PollEventLoop::schedule(std::chrono::milliseconds delay, std::function<void()> task) {
    const TaskId id = m_nextId++;
    m_tasks.emplace(std::make_pair(Clock::now() + delay, id), std::move(task));
    return id;
}

void PollEventLoop::cancelTask(TaskId id) {
    for (auto it = m_tasks.begin(); it != m_tasks.end(); ++it)
        if (it->first.second == id) {
            m_tasks.erase(it);
            return;
        }
}

std::unique_ptr<EventLoop::Watch> PollEventLoop::watchReadable(std::intptr_t handle,
                                                               std::function<void()> onReadable) {
    const int id = m_nextWatch++;
    m_watches[id] = Registration{handle, std::move(onReadable)};
    return std::make_unique<PollWatch>(*this, id);
}

std::unique_ptr<EventLoop::Watch> PollEventLoop::watchWritable(std::intptr_t handle,
                                                               std::function<void()> onWritable) {
    const int id = m_nextWatch++;
    m_watches[id] = Registration{handle, std::move(onWritable), true, POLLOUT};
    return std::make_unique<PollWatch>(*this, id);
}

int PollEventLoop::activeWatches() const {
    return static_cast<int>(std::count_if(m_watches.begin(), m_watches.end(),
                                          [](const auto& entry) { return entry.second.enabled; }));
}

long long PollEventLoop::nextTaskInMs() const {
    if (m_tasks.empty())
        return -1;
    const auto left = m_tasks.begin()->first.first - Clock::now();
    return std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(left).count());
}

void PollEventLoop::runOnce(int timeoutMs) {
    const long long next = nextTaskInMs();
    const int wait = next < 0 ? timeoutMs : static_cast<int>(std::min<long long>(next, timeoutMs));
    std::vector<pollfd> fds;
    std::vector<int> ids;
    for (const auto& [id, registration] : m_watches)
        if (registration.enabled) {
            fds.push_back({static_cast<int>(registration.handle), registration.events, 0});
            ids.push_back(id);
        }
    ::poll(fds.data(), fds.size(), wait);
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents == 0)
            continue;
        const auto it = m_watches.find(ids[i]);
        if (it == m_watches.end() || !it->second.enabled)
            continue; // ended by an earlier callback
        ++m_readableCalls;
        auto callback = it->second.onReady; // the callback may end its own watch
        callback();
    }
    while (!m_tasks.empty() && m_tasks.begin()->first.first <= Clock::now()) {
        auto task = std::move(m_tasks.begin()->second);
        m_tasks.erase(m_tasks.begin());
        task();
    }
}

void PollEventLoop::runFor(int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (auto now = Clock::now(); now < end; now = Clock::now())
        runOnce(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count()) +
                1);
}

bool PollEventLoop::runUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        runOnce(5);
    }
    return true;
}

} // namespace travek::test
