#include "core/text/ConsoleText.h"

#include "core/text/TextHelpers.h"

#include <windows.h>

#include <io.h>
#include <string>

namespace travek {

void writeConsole(std::FILE* stream, std::string_view text) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) {
        // Redirected into a file or a pipe: the program text as the log itself is written.
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    // A console shows its own code page (850 in a German Windows): in UTF-16 every letter is
    // right whatever that is.
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text)
        wide += static_cast<wchar_t>(win1252ToUnicode(c));
    std::fflush(stream);
    DWORD written = 0;
    ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

} // namespace travek
