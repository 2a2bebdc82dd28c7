#include "core/typing/RecordingKeyboard.h"

#include <cstdio>

namespace travek {

namespace {

// US punctuation keys: the unshifted and the shifted character of each.
struct OemKey {
    std::uint8_t virtualKey;
    char plain;
    char shifted;
};
constexpr OemKey UsOemKeys[] = {
    {0xBA, ';', ':'},  {0xBB, '=', '+'}, {0xBC, ',', '<'},  {0xBD, '-', '_'},
    {0xBE, '.', '>'},  {0xBF, '/', '?'}, {0xC0, '`', '~'},  {0xDB, '[', '{'},
    {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'},
};
constexpr char UsShiftedDigits[] = ")!@#$%^&*(";

} // namespace

RecordingKeyboard::RecordingKeyboard() {
    for (char c = 'a'; c <= 'z'; ++c) {
        const auto key = static_cast<std::uint32_t>(c - 'a' + 'A');
        m_layout[c] = {key, 0};
        m_layout[static_cast<char>(key)] = {key, shiftbit::Shift};
    }
    for (int d = 0; d <= 9; ++d) {
        const auto key = static_cast<std::uint32_t>('0' + d);
        m_layout[static_cast<char>('0' + d)] = {key, 0};
        m_layout[UsShiftedDigits[d]] = {key, shiftbit::Shift};
    }
    for (const OemKey& oem : UsOemKeys) {
        m_layout[oem.plain] = {oem.virtualKey, 0};
        m_layout[oem.shifted] = {oem.virtualKey, shiftbit::Shift};
    }
    m_layout[' '] = {0x20, 0};
    m_layout['\t'] = {vk::Tab, 0};
    m_layout['\r'] = {vk::Return, 0};
    m_layout['\b'] = {vk::Back, 0};
}

std::optional<KeyStroke> RecordingKeyboard::lookupChar(char c) {
    const auto it = m_layout.find(c);
    if (it == m_layout.end())
        return std::nullopt;
    return it->second;
}

void RecordingKeyboard::sendKey(std::uint32_t key, bool down) {
    if (down && key != vk::Capital && !pressAllowed())
        return;
    m_events.push_back({key, down});
    if (key == vk::Capital && down)
        m_capsLock = !m_capsLock;
}

std::string RecordingKeyboard::keyName(std::uint32_t key) {
    switch (key) {
    case vk::Shift:
        return "Shift";
    case vk::Control:
        return "Ctrl";
    case vk::Menu:
        return "Alt";
    case vk::AltGr:
        return "AltGr";
    case vk::Capital:
        return "Caps Lock";
    case vk::Return:
        return "Return";
    case vk::Tab:
        return "Tab";
    case vk::Escape:
        return "Esc";
    case vk::Back:
        return "Backspace";
    case 0x20:
        return "Space";
    case 0xBC:
        return "comma";
    default:
        break;
    }
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return std::string(1, static_cast<char>(key));
    for (const OemKey& oem : UsOemKeys)
        if (oem.virtualKey == key)
            return std::string(1, oem.plain);
    if (key >= vk::F1 && key < vk::F1 + 12)
        return "F" + std::to_string(key - vk::F1 + 1);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "VK 0x%02X", static_cast<unsigned>(key));
    return buffer;
}

std::string RecordingKeyboard::describe() const {
    std::string text;
    for (const Event& event : m_events) {
        if (!text.empty())
            text += ", ";
        text += keyName(event.key);
        text += event.down ? " down" : " up";
    }
    return text;
}

} // namespace travek
