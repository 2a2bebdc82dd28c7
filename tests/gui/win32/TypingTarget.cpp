// The window that TRAVEK types into in the end-to-end test: a multi-line edit field that takes the
// focus itself (there is no window manager to give it), and reads its own text back with
// WM_GETTEXT until it is the expected text.
//
//   travek_typing_target <expected text> <ready file> [timeout ms]
//
// Writes the ready file once it has the focus. Prints every change of the text with the wall-clock
// time in nanoseconds since 1970 ("change <ns> <length>"), for the latency figure of bench/. Exit
// status 0 when the text became the expected text (then the TRAVEK window is asked to close, as
// the user would), 1 when the time ran out, 2 for a wrong command line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HWND g_edit = nullptr;

long long unixNanoseconds() {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<long long>(ticks - 116444736000000000ULL) * 100;
}

std::string editText() {
    const int length = static_cast<int>(::SendMessageA(g_edit, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    ::SendMessageA(g_edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string visible(const std::string& text) {
    std::string shown;
    for (const char c : text)
        shown += c == '\t'   ? std::string("\\t")
                 : c == '\r' ? std::string("\\r")
                 : c == '\n' ? std::string("\\n")
                             : std::string(1, c);
    return shown;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        std::printf("change %lld %d\n", unixNanoseconds(), static_cast<int>(editText().size()));
        std::fflush(stdout);
    }
    if (message == WM_SETFOCUS && g_edit)
        ::SetFocus(g_edit);
    if (message == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <expected text> <ready file> [timeout ms]\n", argv[0]);
        return 2;
    }
    const std::string expected = argv[1];
    const DWORD timeout = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 60000;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "TravekTypingTarget";
    ::RegisterClassA(&windowClass);
    const HWND window = ::CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Typing target",
                                          WS_OVERLAPPEDWINDOW | WS_VISIBLE, 480, 0, 320, 200, nullptr,
                                          nullptr, windowClass.hInstance, nullptr);
    g_edit =
        ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN,
                          0, 0, 300, 160, window, nullptr, windowClass.hInstance, nullptr);
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    ::SetActiveWindow(window);
    ::SetFocus(g_edit);

    // Ready only once the focus has really arrived: keys sent before would go elsewhere.
    const ULONGLONG start = ::GetTickCount64();
    bool ready = false;
    bool typed = false;
    MSG msg;
    while (::GetTickCount64() - start < timeout) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (!ready && ::GetForegroundWindow() == window && ::GetFocus() == g_edit) {
            if (FILE* file = std::fopen(argv[2], "w"))
                std::fclose(file);
            ready = true;
        }
        if (!ready) {
            ::SetForegroundWindow(window);
            ::SetFocus(g_edit);
        }
        if (editText() == expected) {
            typed = true;
            break;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    std::printf("text \"%s\"\n", visible(editText()).c_str());
    std::fflush(stdout);
    if (!typed) {
        std::fprintf(stderr, "typing target: expected \"%s\"\n", visible(expected).c_str());
        return 1;
    }
    if (const HWND travek = ::FindWindowA("TRAVEK", nullptr))
        ::PostMessageA(travek, WM_CLOSE, 0, 0);
    return 0;
}
