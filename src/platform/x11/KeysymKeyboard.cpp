#include "platform/x11/KeysymKeyboard.h"

#include "core/text/TextHelpers.h"
#include "platform/x11/X11KeymapLookup.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>

namespace travek {

std::optional<KeyStroke> KeysymKeyboard::lookupChar(char c) {
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(win1252ToUnicode(c));
    if (keysym == XKB_KEY_NoSymbol)
        return std::nullopt;
    return KeyStroke{keysym, 0};
}

std::optional<std::uint32_t> KeysymKeyboard::namedKey(std::uint8_t virtualKey) {
    const xkb_keysym_t keysym = X11KeymapLookup::virtualKeyToKeysym(virtualKey);
    if (keysym == XKB_KEY_NoSymbol)
        return std::nullopt;
    return keysym;
}

void KeysymKeyboard::setKeyDelay(int milliseconds) {
    m_keyDelay = std::chrono::milliseconds(std::max(milliseconds, 0));
}

void KeysymKeyboard::stop() {
    m_stopped = true;
    m_wait.wake();
}

std::optional<KeysymKeyboard::Clock::time_point>
KeysymKeyboard::pace(std::uint32_t key, bool down, const std::function<void()>& beforeWait) {
    if (down) {
        auto earliest = m_lastTime + m_keyDelay;
        if (!m_lastDown && m_lastKey == key)
            earliest = std::max<Clock::time_point>(earliest, m_lastTime + std::chrono::milliseconds(1));
        if (!m_stopped && Clock::now() < earliest && beforeWait)
            beforeWait();
        while (!m_stopped && Clock::now() < earliest)
            m_wait.waitUntil(earliest);
        if (m_stopped)
            return std::nullopt;
    }
    m_lastTime = Clock::now();
    m_lastKey = key;
    m_lastDown = down;
    return m_lastTime;
}

} // namespace travek
