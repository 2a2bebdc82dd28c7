#include "platform/win32/Win32Keyboard.h"

#include "core/text/TextHelpers.h"
#include "core/typing/KeyOutput.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <utility>

namespace travek {

namespace {

// How often a line's wait looks whether the target has taken its keys.
constexpr std::chrono::milliseconds TakenPollInterval{2};
// How long the end of the program waits for the keys of the line it interrupted.
constexpr std::chrono::milliseconds StopGrace{1000};

} // namespace

Win32Keyboard::Api Win32Keyboard::SystemApi() {
    return {
        [](std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags, std::uintptr_t extraInfo) {
            keybd_event(virtualKey, scanCode, flags, extraInfo);
        },
        [](char c) -> short { return VkKeyScanA(c); },
        [](int virtualKey) -> short { return GetKeyState(virtualKey); },
        [](std::uint16_t codeUnit, bool down) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = codeUnit;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (down ? 0 : KEYEVENTF_KEYUP);
            SendInput(1, &input, sizeof input);
        },
        true,
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

void Win32Keyboard::pace() {
    if (m_keyDelay.count() <= 0)
        return;
    const Clock::time_point earliest = m_lastPress + m_keyDelay;
    for (Clock::time_point now = Clock::now(); !m_stopped && now < earliest; now = Clock::now()) {
        if (m_wait)
            m_wait->waitUntil(earliest);
        else
            Sleep(static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(earliest - now).count()));
    }
}

void Win32Keyboard::sendKey(std::uint32_t key, bool down) {
    // Caps Lock is pressed only to give the user's state back, which must happen even now.
    const bool pressesNothingNew = !down || key == vk::Capital;
    if (m_stopped && !pressesNothingNew)
        return;
    if (down) {
        pace();
        if (m_stopped && !pressesNothingNew)
            return;
        // Asked after the pace: the focus may have moved while the press waited for it.
        if (!pressesNothingNew && !pressAllowed())
            return;
        m_lastPress = Clock::now();
        if (key == vk::Capital)
            m_capsTurned = !m_capsTurned;
    }
    m_api.keybdEvent(static_cast<std::uint8_t>(key), 0, down ? 0 : KeyUpFlag, 0);
}

bool Win32Keyboard::canTypeUnlisted(char c) {
    const char32_t code = win1252ToUnicode(c);
    // A control character would arrive as a command (Ctrl+letter), not as text.
    return m_api.sendUnicode && code >= 0x20 && !(code >= 0x7F && code < 0xA0);
}

void Win32Keyboard::typeUnlisted(char c) {
    if (m_stopped)
        return; // dropped with the rest of the text, which the sender reports
    pace();
    // Asked after the pace, as for any press: a refusal drops it with the rest of the text.
    if (m_stopped || !pressAllowed())
        return;
    m_lastPress = Clock::now();
    // Every Windows-1252 character lies in the Basic Multilingual Plane: one code unit.
    const auto code = static_cast<std::uint16_t>(win1252ToUnicode(c));
    m_api.sendUnicode(code, true);
    m_api.sendUnicode(code, false);
}

void Win32Keyboard::beginSend() {
    if (!m_api.watchTaken || m_lineOpen)
        return;
    m_lineOpen = true;
    m_capsTurned = false;
    m_watch.begin();
    // Caps Lock as the target will see it when it takes the line: once it has taken what came
    // before (the user may just have pressed Caps Lock), the state it has made of it, which this
    // thread shares while attached. Not attached, this thread reads its own copy.
    if (m_watch.watching() && !m_stopped) {
        try {
            (void)markAndWait(m_takenTimeout);
        } catch (const TypingStopped&) {
            // The sender finds out and drops the line.
        }
    }
    m_capsAtLineStart = (m_api.getKeyState(vk::Capital) & 1) != 0;
}

bool Win32Keyboard::capsLockOn() {
    if (m_lineOpen)
        return m_capsAtLineStart != m_capsTurned;
    return (m_api.getKeyState(vk::Capital) & 1) != 0;
}

bool Win32Keyboard::markAndWait(std::chrono::milliseconds timeout) {
    m_api.keybdEvent(m_watch.marker(), 0, 0, 0);
    m_api.keybdEvent(m_watch.marker(), 0, KeyUpFlag, 0);
    m_watch.markerSent();
    Clock::time_point deadline = Clock::now() + timeout;
    bool ending = false;
    while (!m_watch.taken()) {
        const Clock::time_point now = Clock::now();
        // The program is ending: the keys already sent are given a moment to arrive, so that
        // none comes after TRAVEK has gone; nothing is served meanwhile, the window is closing.
        if (m_stopped && !ending) {
            ending = true;
            deadline = std::min(deadline, now + StopGrace);
        }
        if (now >= deadline) {
            if (ending)
                throw TypingStopped();
            m_watch.timedOut();
            return false;
        }
        if (m_wait && !ending)
            m_wait->waitUntil(std::min(deadline, now + TakenPollInterval));
        else
            Sleep(static_cast<DWORD>(TakenPollInterval.count()));
    }
    return true;
}

void Win32Keyboard::awaitTaken() {
    if (!std::exchange(m_lineOpen, false))
        return;
    struct Detach {
        Win32TakenWatch& watch;
        ~Detach() { watch.end(); }
    } detach{m_watch};
    if (!m_watch.watching()) {
        if (!m_watch.failure().empty())
            throw Error(m_watch.failure());
        return;
    }
    if (!markAndWait(m_takenTimeout))
        throw Error("das Zielfenster hat die Tasten nach " +
                    std::to_string(std::chrono::ceil<std::chrono::seconds>(m_takenTimeout).count()) +
                    " s noch nicht genommen");
}

} // namespace travek
