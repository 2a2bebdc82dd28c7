// The port list on Windows: the serial ports the system has registered, one registry value each
// (value name: the device's name, data: its port name).
#include "core/serial/PortList.h"
#include "core/text/Error.h"

#include <windows.h>

#include <algorithm>

namespace travek {

namespace {

bool sameName(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

class KeyHandle {
public:
    explicit KeyHandle(HKEY key) : m_key(key) {}
    ~KeyHandle() { ::RegCloseKey(m_key); }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY get() const { return m_key; }

private:
    HKEY m_key;
};

std::vector<std::string> valueNames(HKEY key) {
    DWORD valueCount = 0;
    DWORD longestName = 0;
    std::vector<std::string> names;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                           &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<char> buffer(longestName + 1);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG result =
            ::RegEnumValueA(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.data(), length);
    }
    return names;
}

} // namespace

void listComPorts(std::vector<std::string>& target) {
    std::vector<std::string> lines;
    std::string failure;
    HKEY rawKey = nullptr;
    // Read access is all the list needs (full access is refused to ordinary users).
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\devicemap\\serialcomm", 0, KEY_READ, &rawKey) ==
        ERROR_SUCCESS) {
        const KeyHandle key(rawKey);
        for (const std::string& name : valueNames(key.get())) {
            DWORD type = 0;
            DWORD size = 0;
            if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
                    ERROR_SUCCESS ||
                size == 0)
                continue;
            std::vector<char> data(size + 1, '\0');
            DWORD got = size;
            // An entry that cannot be read costs only itself: the others are still listed.
            if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data.data()), &got) != ERROR_SUCCESS) {
                if (failure.empty())
                    failure = "Konnte Daten f\xFCr '" + name + "' nicht holen";
                continue;
            }
            if (type != REG_SZ && type != REG_EXPAND_SZ) {
                if (failure.empty())
                    failure = "Ung\xFCltiger Datentyp f\xFCr '" + name + "'";
                continue;
            }
            const std::string text(data.data()); // up to the terminator
            if (text.empty())
                continue;
            auto same = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
                return sameName(line.substr(0, line.find('=')), name);
            });
            if (same != lines.end())
                *same = same->substr(0, same->find('=')) + "=" + text;
            else
                lines.push_back(name + "=" + text);
        }
    }
    target = std::move(lines);
    if (!failure.empty())
        throw Error(failure);
}

} // namespace travek
