#pragma once

#include "core/loop/EventLoop.h"

#include <QObject>

#include <map>

class QTimer;

namespace travek {

// The core's event loop seam on Qt's: tasks are single-shot precise QTimers, readiness is a
// QSocketNotifier (of the kind Read or Write).
class QtEventLoop : public QObject, public EventLoop {
    Q_OBJECT
public:
    // The tasks' timers are its children and go with it.
    explicit QtEventLoop(QObject* parent = nullptr) : QObject(parent) {}

    std::unique_ptr<Watch> watchReadable(std::intptr_t handle, std::function<void()> onReadable) override;
    std::unique_ptr<Watch> watchWritable(std::intptr_t handle, std::function<void()> onWritable) override;

protected:
    TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) override;
    void cancelTask(TaskId id) override;

private:
    std::map<TaskId, QTimer*> m_tasks;
    TaskId m_nextId = 1;
};

} // namespace travek
