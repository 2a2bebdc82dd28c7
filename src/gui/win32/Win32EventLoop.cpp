#include "gui/win32/Win32EventLoop.h"

#include <algorithm>
#include <vector>

namespace travek {

namespace {

const char* const TimerWindowClass = "TravekLoopTimer";
constexpr UINT_PTR TaskTimer = 1;

// Keyboard handling of the dialogs (Tab, Enter, Escape, mnemonics): every window that belongs to a
// dialog gets it, in whichever loop its message arrives.
bool dialogMessage(MSG& msg) {
    if (!msg.hwnd)
        return false;
    const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || ::GetClassLongPtrA(root, GCW_ATOM) != reinterpret_cast<ULONG_PTR>(WC_DIALOG))
        return false;
    return ::IsDialogMessageA(root, &msg);
}

} // namespace

class Win32EventLoop::HandleWatch : public EventLoop::Watch {
public:
    HandleWatch(Win32EventLoop& loop, std::uint64_t id) : m_loop(loop), m_id(id) {}
    ~HandleWatch() override { m_loop.m_watches.erase(m_id); }
    void setEnabled(bool enabled) override {
        const auto found = m_loop.m_watches.find(m_id);
        if (found != m_loop.m_watches.end())
            found->second->enabled = enabled;
    }

private:
    Win32EventLoop& m_loop;
    std::uint64_t m_id;
};

Win32EventLoop::Win32EventLoop() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Win32EventLoop::timerWindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = TimerWindowClass;
    ::RegisterClassA(&windowClass); // registered already by an earlier loop: fine
    m_timerWindow = ::CreateWindowExA(0, TimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
    ::SetWindowLongPtrA(m_timerWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32EventLoop::~Win32EventLoop() {
    if (m_timerWindow)
        ::DestroyWindow(m_timerWindow);
}

EventLoop::TaskId Win32EventLoop::schedule(std::chrono::milliseconds delay, std::function<void()> task) {
    const TaskId id = m_nextTaskId++;
    m_tasks.emplace(id,
                    Timed{std::chrono::steady_clock::now() + std::max(delay, std::chrono::milliseconds(0)),
                          std::move(task)});
    armTimer();
    return id;
}

void Win32EventLoop::cancelTask(TaskId id) {
    if (m_tasks.erase(id) > 0)
        armTimer();
}

std::unique_ptr<EventLoop::Watch> Win32EventLoop::watchReadable(std::intptr_t handle,
                                                                std::function<void()> onReadable) {
    const std::uint64_t id = m_nextWatchId++;
    auto record = std::make_shared<WatchRecord>();
    record->handle = reinterpret_cast<HANDLE>(handle);
    record->onReadable = std::move(onReadable);
    m_watches.emplace(id, std::move(record));
    return std::make_unique<HandleWatch>(*this, id);
}

std::unique_ptr<EventLoop::Watch> Win32EventLoop::watchWritable(std::intptr_t handle,
                                                                std::function<void()> onWritable) {
    return watchReadable(handle, std::move(onWritable));
}

int Win32EventLoop::run() {
    while (!m_quit)
        runOnce();
    return m_exitCode;
}

void Win32EventLoop::runUntil(const std::function<bool()>& done) {
    while (!m_quit && !done())
        runOnce();
}

void Win32EventLoop::dispatchWithoutInput() {
    serveHandles(0);
    pumpMessages(PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE);
    runDueTasks();
}

bool Win32EventLoop::runOnce() {
    std::vector<HANDLE> handles;
    std::vector<std::uint64_t> ids;
    for (const auto& [id, record] : m_watches)
        if (record->enabled && handles.size() + 1 < MAXIMUM_WAIT_OBJECTS) {
            handles.push_back(record->handle);
            ids.push_back(id);
        }
    const DWORD count = static_cast<DWORD>(handles.size());
    const DWORD woken = ::MsgWaitForMultipleObjectsEx(count, handles.data(), msUntilNextTask(), QS_ALLINPUT,
                                                      MWMO_INPUTAVAILABLE);
    if (woken < WAIT_OBJECT_0 + count) {
        const auto found = m_watches.find(ids[woken - WAIT_OBJECT_0]);
        if (found != m_watches.end() && found->second->enabled) {
            // A copy: the callback may end its own watch, and with it the record.
            const std::function<void()> onReadable = found->second->onReadable;
            onReadable();
        }
    }
    const bool going = pumpMessages(PM_REMOVE);
    runDueTasks();
    return going;
}

bool Win32EventLoop::pumpMessages(UINT removeFlags) {
    MSG msg;
    while (!m_quit && ::PeekMessageA(&msg, nullptr, 0, 0, removeFlags)) {
        if (msg.message == WM_QUIT) {
            m_quit = true;
            m_exitCode = static_cast<int>(msg.wParam);
            return false;
        }
        if (!dialogMessage(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return !m_quit;
}

void Win32EventLoop::serveHandles(DWORD timeout) {
    std::vector<HANDLE> handles;
    std::vector<std::uint64_t> ids;
    for (const auto& [id, record] : m_watches)
        if (record->enabled && handles.size() < MAXIMUM_WAIT_OBJECTS) {
            handles.push_back(record->handle);
            ids.push_back(id);
        }
    if (handles.empty())
        return;
    const DWORD woken =
        ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, timeout);
    if (woken >= WAIT_OBJECT_0 + handles.size())
        return;
    const auto found = m_watches.find(ids[woken - WAIT_OBJECT_0]);
    if (found != m_watches.end() && found->second->enabled) {
        const std::function<void()> onReadable = found->second->onReadable;
        onReadable();
    }
}

void Win32EventLoop::runDueTasks() {
    // Only the tasks due now, in the order of their time: one added meanwhile, even with no
    // delay, waits for the next round.
    const auto now = std::chrono::steady_clock::now();
    std::vector<std::pair<std::chrono::steady_clock::time_point, TaskId>> due;
    for (const auto& [id, task] : m_tasks)
        if (task.due <= now)
            due.emplace_back(task.due, id);
    std::sort(due.begin(), due.end());
    for (const auto& entry : due) {
        const auto found = m_tasks.find(entry.second);
        if (found == m_tasks.end())
            continue; // cancelled by an earlier task
        const std::function<void()> task = std::move(found->second.run);
        m_tasks.erase(found);
        task();
    }
    armTimer();
}

DWORD Win32EventLoop::msUntilNextTask() const {
    if (m_tasks.empty())
        return INFINITE;
    auto next = std::chrono::steady_clock::time_point::max();
    for (const auto& entry : m_tasks)
        next = std::min(next, entry.second.due);
    const auto now = std::chrono::steady_clock::now();
    if (next <= now)
        return 0;
    // Rounded up, so the wait never ends a moment before the task is due.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return static_cast<DWORD>(std::min<long long>(wait, INFINITE - 1));
}

void Win32EventLoop::armTimer() {
    if (!m_timerWindow)
        return;
    const DWORD wait = msUntilNextTask();
    if (wait == INFINITE)
        ::KillTimer(m_timerWindow, TaskTimer);
    else
        ::SetTimer(m_timerWindow, TaskTimer, std::max<DWORD>(wait, USER_TIMER_MINIMUM), nullptr);
}

LRESULT CALLBACK Win32EventLoop::timerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == TaskTimer) {
        if (auto* loop = reinterpret_cast<Win32EventLoop*>(::GetWindowLongPtrA(window, GWLP_USERDATA)))
            loop->runDueTasks();
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace travek
