#pragma once

#include "core/typing/KeyWait.h"
#include "core/typing/Keyboard.h"

#include <chrono>

namespace travek {

// Types through keybd_event under the keyboard layout of the calling thread. The three system
// calls come in as function pointers so the event building can be checked without typing into
// the desktop.
class Win32Keyboard : public Keyboard {
public:
    struct Api {
        void (*keybdEvent)(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                           std::uintptr_t extraInfo);
        short (*vkKeyScan)(char c);
        short (*getKeyState)(int virtualKey);
    };
    // keybd_event, VkKeyScanA and GetKeyState of user32.
    static Api SystemApi();

    // wait is how the pace is waited out while the program's messages are served; without one
    // the thread sleeps.
    explicit Win32Keyboard(Api api = SystemApi(), KeyWait* wait = nullptr) : m_api(api), m_wait(wait) {}

    // Nothing when VkKeyScanA reports no key (either byte 0xFF). The shift state is the lookup's
    // high byte: Shift, Ctrl and Alt bits, Ctrl+Alt standing for AltGr.
    std::optional<KeyStroke> lookupChar(char c) override;
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override { return virtualKey; }
    // Scan code 0, no extended-key flag, KEYEVENTF_KEYUP for a release.
    void sendKey(std::uint32_t key, bool down) override;
    bool capsLockOn() override;
    // KEYDELAY: a press comes at least this long after the one before; the wait serves the
    // program's messages, so closing the window or ending the session is served meanwhile.
    void setKeyDelay(int milliseconds) override {
        m_keyDelay = std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 0);
    }
    // No press after this, but Caps Lock given back to the user; releases still go out.
    void stop() override;

    static constexpr std::uint32_t KeyUpFlag = 2; // KEYEVENTF_KEYUP

private:
    using Clock = KeyWait::Clock;

    Api m_api;
    KeyWait* m_wait;
    std::chrono::milliseconds m_keyDelay{0};
    Clock::time_point m_lastPress{};
    bool m_stopped = false;
};

} // namespace travek
