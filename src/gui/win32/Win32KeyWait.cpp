#include "gui/win32/Win32KeyWait.h"

#include "gui/win32/Win32EventLoop.h"

#include <windows.h>

namespace travek {

void Win32KeyWait::dispatch() {
    m_loop.dispatchWithoutInput();
    serveCloseRequest();
}

void Win32KeyWait::waitUntil(Clock::time_point deadline, std::intptr_t) {
    m_woken = false;
    const Clock::time_point now = Clock::now();
    if (deadline > now) {
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        // Woken by the program's own messages, not by input, which stays queued meanwhile: waking
        // for it would only spin. A close request among the input is looked for after the wait,
        // which the pace keeps to a second at most.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms),
                                      QS_POSTMESSAGE | QS_SENDMESSAGE | QS_PAINT | QS_TIMER, 0);
    }
    dispatch();
}

void Win32KeyWait::serveCloseRequest() {
    MSG msg;
    const bool closeClick = ::PeekMessageA(&msg, nullptr, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_NOREMOVE) &&
                            msg.wParam == HTCLOSE;
    const bool altF4 = !closeClick &&
                       ::PeekMessageA(&msg, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE) &&
                       msg.wParam == VK_F4;
    if (!closeClick && !altF4)
        return;
    const UINT message = closeClick ? WM_NCLBUTTONDOWN : WM_SYSKEYDOWN;
    if (::PeekMessageA(&msg, nullptr, message, message, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

} // namespace travek
