#include "platform/win32/Win32FocusWindow.h"

#include "core/text/TextHelpers.h"

#include <windows.h>

#include <string>

namespace travek {

namespace {

// UTF-16 as Windows-1252; '?' for what it has no character for.
std::string toWin1252(const wchar_t* text, std::size_t length) {
    std::string converted;
    for (std::size_t i = 0; i < length; ++i) {
        char32_t codepoint = static_cast<char16_t>(text[i]);
        if (codepoint >= 0xD800 && codepoint < 0xDC00 && i + 1 < length) {
            const char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                codepoint = 0x10000 + ((codepoint - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        converted += unicodeToWin1252(codepoint).value_or('?');
    }
    return converted;
}

std::string programOf(DWORD processId) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return {};
    wchar_t path[MAX_PATH * 2];
    DWORD length = sizeof path / sizeof path[0];
    const bool named = ::QueryFullProcessImageNameW(process, 0, path, &length) != 0;
    ::CloseHandle(process);
    if (!named)
        return {};
    std::size_t start = length;
    while (start > 0 && path[start - 1] != L'\\' && path[start - 1] != L'/')
        --start;
    return toWin1252(path + start, length - start);
}

} // namespace

std::optional<WindowInfo> Win32FocusWindow::focused() {
    const HWND window = ::GetForegroundWindow();
    if (!window)
        return std::nullopt;
    WindowInfo info;
    wchar_t text[512];
    const int classLength = ::GetClassNameW(window, text, sizeof text / sizeof text[0]);
    info.windowClass = toWin1252(text, classLength > 0 ? static_cast<std::size_t>(classLength) : 0);
    // Another process's title is read from the window manager's copy, without a message to a
    // program that may hang.
    const int titleLength = ::GetWindowTextW(window, text, sizeof text / sizeof text[0]);
    info.title = toWin1252(text, titleLength > 0 ? static_cast<std::size_t>(titleLength) : 0);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != 0) {
        info.program = programOf(processId);
        info.ownProcess = processId == ::GetCurrentProcessId();
    }
    return info;
}

std::unique_ptr<FocusWindow> openPlatformFocusWindow() {
    return std::make_unique<Win32FocusWindow>();
}

} // namespace travek
