#include "core/record/UserIdentity.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace travek {

namespace {

// A name that Windows-1252 cannot hold keeps its letters as '?', rather than no name at all.
std::string programText(const wchar_t* name) {
    if (std::optional<std::string> text = fromWide(name))
        return *text;
    std::string text;
    for (const wchar_t* c = name; *c; ++c)
        text += *c < 0x80 ? static_cast<char>(*c) : '?';
    return text;
}

} // namespace

std::string computerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? programText(name) : std::string();
}

std::string loginName() {
    wchar_t name[257] = L"";
    DWORD size = 257;
    return ::GetUserNameW(name, &size) ? programText(name) : std::string();
}

} // namespace travek
