#include "platform/win32/Win32Keyboard.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace travek {

Win32Keyboard::Api Win32Keyboard::SystemApi() {
    return {
        [](std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags, std::uintptr_t extraInfo) {
            keybd_event(virtualKey, scanCode, flags, extraInfo);
        },
        [](char c) -> short { return VkKeyScanA(c); },
        [](int virtualKey) -> short { return GetKeyState(virtualKey); },
    };
}

std::optional<KeyStroke> Win32Keyboard::lookupChar(char c) {
    const auto result = static_cast<std::uint16_t>(m_api.vkKeyScan(c));
    const std::uint8_t virtualKey = result & 0xFF;
    const std::uint8_t shiftState = result >> 8;
    if (virtualKey == 0xFF || shiftState == 0xFF)
        return std::nullopt;
    // Ctrl and Alt together are AltGr, a level of the layout. A lone Ctrl or Alt is how
    // VkKeyScanA names control characters (0x16 is Ctrl+V, "\n" Ctrl+Enter); honouring it would
    // paste or close in the user's form, so such a character types its bare key.
    constexpr std::uint8_t altGr = shiftbit::Ctrl | shiftbit::Alt;
    std::uint8_t modifiers = shiftState & (shiftbit::Shift | altGr);
    if ((modifiers & altGr) != altGr)
        modifiers &= static_cast<std::uint8_t>(~altGr);
    return KeyStroke{virtualKey, modifiers};
}

void Win32Keyboard::stop() {
    m_stopped = true;
    if (m_wait)
        m_wait->wake();
}

void Win32Keyboard::sendKey(std::uint32_t key, bool down) {
    // Caps Lock is pressed only to give the user's state back, which must happen even now.
    const bool pressesNothingNew = !down || key == vk::Capital;
    if (m_stopped && !pressesNothingNew)
        return;
    if (down && m_keyDelay.count() > 0) {
        const Clock::time_point earliest = m_lastPress + m_keyDelay;
        for (Clock::time_point now = Clock::now(); !m_stopped && now < earliest; now = Clock::now()) {
            if (m_wait)
                m_wait->waitUntil(earliest);
            else
                Sleep(
                    static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(earliest - now).count()));
        }
        if (m_stopped && !pressesNothingNew)
            return;
    }
    // Asked after the pace: the focus may have moved while the press waited for it.
    if (!pressesNothingNew && !pressAllowed())
        return;
    if (down)
        m_lastPress = Clock::now();
    m_api.keybdEvent(static_cast<std::uint8_t>(key), 0, down ? 0 : KeyUpFlag, 0);
}

bool Win32Keyboard::capsLockOn() {
    return (m_api.getKeyState(vk::Capital) & 1) != 0;
}

} // namespace travek
