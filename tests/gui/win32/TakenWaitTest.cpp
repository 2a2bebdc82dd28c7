// A line of keys waits until the window has taken them, under wine on Xvfb: a target that takes
// its keys slowly holds every line back until it has taken the one before, one that stops taking
// them ends the wait with the reason, and characters the layout lacks arrive as Unicode input.
#include "core/text/Error.h"
#include "core/typing/LayoutKeySender.h"
#include "platform/win32/Win32Keyboard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace travek {
namespace {

// An edit field on a thread of its own that takes every key press slowly, as a busy program does,
// or stops taking them altogether while held.
class SlowTarget {
public:
    SlowTarget() : m_thread([this] { run(); }) {
        for (int i = 0; i < 200 && !(m_edit && ::GetForegroundWindow() == m_window); ++i) {
            if (m_window)
                ::SetForegroundWindow(m_window);
            ::Sleep(50);
        }
    }
    ~SlowTarget() {
        m_held = false;
        ::PostMessageA(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    bool ready() const { return m_edit && ::GetForegroundWindow() == m_window; }
    std::string text() const {
        char text[256] = "";
        ::SendMessageTimeoutA(m_edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                              5000, nullptr);
        return text;
    }
    void hold(bool held) { m_held = held; }

private:
    static LRESULT CALLBACK editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<SlowTarget*>(::GetWindowLongPtrA(edit, GWLP_USERDATA));
        if (message == WM_KEYDOWN) {
            ::Sleep(30);
            while (self->m_held)
                ::Sleep(10);
        }
        return ::CallWindowProcA(self->m_editProc, edit, message, wParam, lParam);
    }
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_CLOSE) {
            ::DestroyWindow(window);
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    void run() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &proc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TravekSlowTarget";
        ::RegisterClassA(&windowClass);
        const HWND window =
            ::CreateWindowExA(0, "TravekSlowTarget", "slow", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 100,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
        const HWND edit =
            ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 0, 0, 280,
                              80, window, nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrA(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_editProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SlowTarget::editProc)));
        ::SetForegroundWindow(window);
        ::SetFocus(edit);
        m_window = window;
        m_edit = edit;
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    std::atomic<HWND> m_window{nullptr};
    std::atomic<HWND> m_edit{nullptr};
    std::atomic<bool> m_held{false};
    WNDPROC m_editProc = nullptr;
    std::thread m_thread;
};

TEST(Win32TakenWait, EachLineWaitsUntilTheSlowTargetHasTakenIt) {
    SlowTarget target;
    ASSERT_TRUE(target.ready()) << "the target never got the foreground";
    Win32Keyboard keyboard;
    LayoutKeySender sender(keyboard);
    std::string expected;
    for (const char* value : {"12,345", "6,789", "-0,5"}) {
        sender.sendKeys(value);
        sender.sendKeys("{TAB}");
        sender.awaitTaken();
        expected += std::string(value) + "\t";
        // Taken means in the field, not on its way.
        EXPECT_EQ(target.text(), expected);
    }
    // Not on the US layout: as Unicode input, in the field as themselves.
    sender.sendKeys("Ma\xDF \xE4\x80");
    sender.awaitTaken();
    EXPECT_EQ(sender.takeUntyped(), "");
    EXPECT_EQ(target.text(), expected + "Ma\xDF \xE4\x80");

    // Caps Lock on: read right at every line although the lines before were watched through the
    // target's input.
    const std::string typed = target.text();
    ::keybd_event(VK_CAPITAL, 0, 0, 0);
    ::keybd_event(VK_CAPITAL, 0, KEYEVENTF_KEYUP, 0);
    for (int line = 0; line < 3; ++line) {
        sender.sendKeys("ab");
        sender.awaitTaken();
    }
    ::keybd_event(VK_CAPITAL, 0, 0, 0);
    ::keybd_event(VK_CAPITAL, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_EQ(target.text(), typed + "ababab");

    // A target that stops taking keys: the wait ends with the reason, and the next line waits
    // for the target again.
    keyboard.setTakenTimeout(std::chrono::milliseconds(300));
    target.hold(true);
    sender.sendKeys("1");
    EXPECT_THROW(sender.awaitTaken(), Error);
    target.hold(false);
    sender.sendKeys("2");
    sender.awaitTaken();
    EXPECT_EQ(target.text(), typed + "ababab12");
}

} // namespace
} // namespace travek
