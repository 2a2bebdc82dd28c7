#include "gui/qt/QtEventLoop.h"

#include <QSocketNotifier>
#include <QTimer>

namespace travek {

namespace {

class NotifierWatch : public EventLoop::Watch {
public:
    NotifierWatch(std::intptr_t handle, QSocketNotifier::Type type, std::function<void()> onReady)
        : m_notifier(new QSocketNotifier(static_cast<qintptr>(handle), type)) {
        QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier,
                         [callback = std::move(onReady)] { callback(); });
    }
    ~NotifierWatch() override {
        // The watch may end inside the notifier's own signal (a handler closing the port): the
        // notifier goes once the signal has returned.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
    }
    void setEnabled(bool enabled) override { m_notifier->setEnabled(enabled); }

private:
    QSocketNotifier* m_notifier;
};

} // namespace

EventLoop::TaskId QtEventLoop::schedule(std::chrono::milliseconds delay, std::function<void()> task) {
    const TaskId id = m_nextId++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, task = std::move(task)] {
        const auto it = m_tasks.find(id);
        if (it == m_tasks.end())
            return;
        it->second->deleteLater();
        m_tasks.erase(it);
        task();
    });
    m_tasks.emplace(id, timer);
    timer->start(static_cast<int>(delay.count()));
    return id;
}

void QtEventLoop::cancelTask(TaskId id) {
    const auto it = m_tasks.find(id);
    if (it == m_tasks.end())
        return;
    it->second->stop();
    it->second->deleteLater();
    m_tasks.erase(it);
}

std::unique_ptr<EventLoop::Watch> QtEventLoop::watchReadable(std::intptr_t handle,
                                                             std::function<void()> onReadable) {
    return std::make_unique<NotifierWatch>(handle, QSocketNotifier::Read, std::move(onReadable));
}

std::unique_ptr<EventLoop::Watch> QtEventLoop::watchWritable(std::intptr_t handle,
                                                             std::function<void()> onWritable) {
    return std::make_unique<NotifierWatch>(handle, QSocketNotifier::Write, std::move(onWritable));
}

} // namespace travek
