#pragma once

#include "core/typing/KeyWait.h"

namespace travek {

class Win32EventLoop;

// The keyboard's waits on the Win32 message loop: while a slow text is typed, the program's own
// messages are served (timers, serial data, painting, the end of the Windows session), and so is
// a click on the window's close button or Alt+F4; other input waits until the text is typed, as
// a click in the middle of a value must.
class Win32KeyWait : public KeyWait {
public:
    explicit Win32KeyWait(Win32EventLoop& loop) : m_loop(loop) {}

    void dispatch() override;
    void waitUntil(Clock::time_point deadline, std::intptr_t readable = -1) override;
    void wake() override { m_woken = true; }

private:
    // Serves a request to close the window that waits among the input.
    void serveCloseRequest();

    Win32EventLoop& m_loop;
    bool m_woken = false;
};

} // namespace travek
