#include "platform/win32/WideText.h"

#include <windows.h>

namespace travek {

namespace {

constexpr UINT ProgramCodePage = 1252;

} // namespace

std::wstring toWide(const std::string& text) {
    if (text.empty())
        return {};
    const int size =
        ::MultiByteToWideChar(ProgramCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(ProgramCodePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::optional<std::string> fromWide(const std::wstring& text) {
    if (text.empty())
        return std::string();
    BOOL lossy = FALSE;
    const int size = ::WideCharToMultiByte(ProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy)
        return std::nullopt;
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(ProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                          narrow.data(), size, nullptr, &lossy);
    if (lossy)
        return std::nullopt;
    return narrow;
}

} // namespace travek
