#pragma once

#include "core/loop/EventLoop.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

namespace travek {

// The core's EventLoop on the Windows message loop. One wait, MsgWaitForMultipleObjectsEx, covers
// the window messages, the watched handles (waitable objects such as the serial port's read
// event) and the next task's time: nothing is polled, and an idle program sleeps. Tasks are also
// backed by a window timer, so they keep running in the system's own modal loops (a message box,
// an open menu, a window being moved).
class Win32EventLoop : public EventLoop {
public:
    Win32EventLoop();
    ~Win32EventLoop() override;
    Win32EventLoop(const Win32EventLoop&) = delete;
    Win32EventLoop& operator=(const Win32EventLoop&) = delete;

    std::unique_ptr<Watch> watchReadable(std::intptr_t handle, std::function<void()> onReadable) override;
    // The same as watchReadable: a waitable object says only that it is signalled. A socket is
    // watched through an event that WSAEventSelect signals for reading and writing alike.
    std::unique_ptr<Watch> watchWritable(std::intptr_t handle, std::function<void()> onWritable) override;

    // Runs until WM_QUIT and returns its exit code.
    int run();
    // Runs until done() is true, for a modal dialog. A WM_QUIT on the way ends it too and is posted
    // again for the outer loop.
    void runUntil(const std::function<bool()>& done);
    // One round without user input: ready handles, due tasks, posted and sent messages and paint,
    // so typing keeps serial data and repaints flowing while clicks and keys wait.
    void dispatchWithoutInput();

protected:
    TaskId schedule(std::chrono::milliseconds delay, std::function<void()> task) override;
    void cancelTask(TaskId id) override;

private:
    struct Timed {
        std::chrono::steady_clock::time_point due;
        std::function<void()> run;
    };
    struct WatchRecord {
        HANDLE handle = nullptr;
        std::function<void()> onReadable;
        bool enabled = true;
    };
    class HandleWatch;

    // Waits for whatever comes first (a message, a handle, a task's time; at most maxWait) and
    // serves it. False once WM_QUIT has been taken.
    bool runOnce();
    bool pumpMessages(UINT removeFlags);
    void serveHandles(DWORD timeout);
    void runDueTasks();
    DWORD msUntilNextTask() const;
    void armTimer();
    static LRESULT CALLBACK timerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_timerWindow = nullptr;
    TaskId m_nextTaskId = 1;
    std::map<TaskId, Timed> m_tasks;
    std::uint64_t m_nextWatchId = 1;
    std::map<std::uint64_t, std::shared_ptr<WatchRecord>> m_watches;
    bool m_quit = false;
    int m_exitCode = 0;
};

} // namespace travek
