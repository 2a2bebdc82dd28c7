// What travek.exe does with the desktop under wine on Xvfb: Caps Lock read as the focused window
// sees it, and the command line answered in a message box (a GUI program has no console).
#include "gui/win32/MainWindow.h"
#include "platform/win32/Win32Keyboard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

namespace travek {
namespace {

// Waits up to ten seconds for done().
template <typename Done> bool waitFor(Done done) {
    for (int i = 0; i < 200 && !done(); ++i)
        ::Sleep(50);
    return done();
}

// The window keys go to, on a thread of its own that takes its input, as another program's would.
class TargetWindow {
public:
    TargetWindow() : m_thread([this] { run(); }) {
        waitFor([this] { return m_window.load() != nullptr; });
    }
    ~TargetWindow() {
        ::PostMessageA(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    // Caps Lock as this window's own thread sees it.
    bool capsLock() const { return m_capsLock; }

private:
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
        windowClass.lpszClassName = "TravekCapsTarget";
        ::RegisterClassA(&windowClass);
        const HWND window =
            ::CreateWindowExA(0, "TravekCapsTarget", "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                              100, nullptr, nullptr, windowClass.hInstance, nullptr);
        ::SetForegroundWindow(window);
        ::SetFocus(window);
        m_window = window;
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            m_capsLock = (::GetKeyState(VK_CAPITAL) & 1) != 0;
        }
    }

    std::atomic<HWND> m_window{nullptr};
    std::atomic<bool> m_capsLock{false};
    std::thread m_thread;
};

void pressCapsLock() {
    ::keybd_event(VK_CAPITAL, 0, 0, 0);
    ::keybd_event(VK_CAPITAL, 0, KEYEVENTF_KEYUP, 0);
}

// The sender reads Caps Lock on TRAVEK's thread, which takes no keyboard messages of its own; what
// it reads must be what the focused window sees, also right after its own press of Caps Lock.
// (Reading it with the target's input attached, as Windows documents for such threads, gave the
// thread's old copy under wine 8 and spoiled the readings after it; GetKeyState is right here.)
TEST(Win32CapsLock, IsReadAsTheFocusedWindowSeesIt) {
    // This thread has a window and has taken its messages, as TRAVEK's has: from then on it has a
    // keyboard state of its own, which only its own input moves.
    const HWND own = ::CreateWindowExA(0, "STATIC", "own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
    TargetWindow target;
    ASSERT_TRUE(waitFor([] { return ::GetForegroundWindow() != nullptr; }));
    const bool before = target.capsLock();
    pressCapsLock();
    ASSERT_TRUE(waitFor([&] { return target.capsLock() != before; })) << "the target never saw Caps Lock";
    Win32Keyboard keyboard;
    EXPECT_EQ(keyboard.capsLockOn(), !before);
    pressCapsLock();
    ASSERT_TRUE(waitFor([&] { return target.capsLock() == before; }));
    EXPECT_EQ(keyboard.capsLockOn(), before);
    // And once more on, read a second time: one reading must not spoil the next.
    pressCapsLock();
    ASSERT_TRUE(waitFor([&] { return target.capsLock() != before; }));
    EXPECT_EQ(keyboard.capsLockOn(), !before);
    EXPECT_EQ(keyboard.capsLockOn(), !before);
    pressCapsLock();
    ASSERT_TRUE(waitFor([&] { return target.capsLock() == before; }));
    // As the sender does between two strings: its own press, read right away, many times.
    int wrong = 0;
    for (int i = 0; i < 50; ++i) {
        pressCapsLock();
        wrong += keyboard.capsLockOn() != (i % 2 == 0 ? !before : before);
    }
    EXPECT_EQ(wrong, 0);
    ::DestroyWindow(own);
}

// travek.exe started with arguments (in folder, when given); its message box is read, then closed
// as a user would, or answered by answerBox.
struct Answer {
    std::string text;
    DWORD exitCode = 0;
};

Answer runTravek(const std::string& arguments, const char* folder = nullptr,
                 const std::function<void(HWND)>& answerBox = {}) {
    const char* unixPath = std::getenv("TRAVEK_EXE");
    if (!unixPath)
        return {"(TRAVEK_EXE is not set)", 0xFFFF};
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::string commandLine = "\"" + path + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                          &process))
        return {"(travek.exe does not start)", 0xFFFF};
    Answer answer;
    HWND box = nullptr;
    waitFor([&] {
        struct Search {
            DWORD pid;
            HWND found;
        } search{process.dwProcessId, nullptr};
        ::EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(window, &pid);
                char name[16] = "";
                ::GetClassNameA(window, name, sizeof name);
                if (pid == s->pid && std::string(name) == "#32770" && ::IsWindowVisible(window)) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        box = search.found;
        return box != nullptr || ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    });
    if (box) {
        char text[2048] = "";
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the message box's text
        answer.text = text;
        if (answerBox)
            answerBox(box);
        else
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 0xFFFE);
    ::GetExitCodeProcess(process.hProcess, &answer.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return answer;
}

TEST(TravekCommandLine, HelpAndAWrongArgumentAreAnsweredInAMessageBox) {
    const Answer help = runTravek("--help");
    EXPECT_NE(help.text.find("Usage: travek"), std::string::npos) << help.text;
    EXPECT_EQ(help.exitCode, 0u);
    const Answer wrong = runTravek("something");
    EXPECT_NE(wrong.text.find("unknown argument 'something'"), std::string::npos) << wrong.text;
    EXPECT_NE(wrong.text.find("Usage: travek"), std::string::npos) << wrong.text;
    EXPECT_EQ(wrong.exitCode, 2u);
}

// A request to end from outside while a box of the start-up waits (a folder in the place of
// TRAVEK.INI): taskkill's WM_CLOSE, the end of the session. Nobody answers; travek.exe saves and ends.
TEST(TravekEnd, ARequestToEndIsServedWhileABoxWaits) {
    for (const bool sessionEnds : {false, true}) {
        char temp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, temp);
        const std::string folder = temp + std::string(sessionEnds ? "travek-session-end" : "travek-close");
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ::CreateDirectoryA((folder + "\\TRAVEK.INI").c_str(), nullptr);
        ::DeleteFileA((folder + "\\ablauf.pst").c_str()); // of an earlier run
        const Answer answer = runTravek("--keyboard=log", folder.c_str(), [sessionEnds](HWND) {
            const HWND main = ::FindWindowA(MainWindow::WindowClass, nullptr);
            if (!sessionEnds)
                ::PostMessageA(main, WM_CLOSE, 0, 0);
            else if (::SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF))
                ::SendMessageA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        });
        EXPECT_EQ(answer.text, "TRAVEK.INI: ein Ordner, keine Datei");
        EXPECT_EQ(answer.exitCode, 0u) << "0xFFFE: still running 10 s later; session end " << sessionEnds;
        std::ifstream series(folder + "\\ablauf.pst", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(series), {}), "0\r\n\r\n") << sessionEnds;
    }
}

} // namespace
} // namespace travek
