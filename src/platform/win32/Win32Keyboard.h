#pragma once

#include "core/typing/Keyboard.h"

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

    explicit Win32Keyboard(Api api = SystemApi()) : m_api(api) {}

    // Nothing when VkKeyScanA reports no key (either byte 0xFF). The shift state is the lookup's
    // high byte: Shift, Ctrl and Alt bits, Ctrl+Alt standing for AltGr.
    std::optional<KeyStroke> lookupChar(char c) override;
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override { return virtualKey; }
    // Scan code 0, no extended-key flag, KEYEVENTF_KEYUP for a release.
    void sendKey(std::uint32_t key, bool down) override;
    bool capsLockOn() override;
    // KEYDELAY: waits this long before every press (the message loop is not run meanwhile).
    void setKeyDelay(int milliseconds) override { m_keyDelayMs = milliseconds > 0 ? milliseconds : 0; }

    static constexpr std::uint32_t KeyUpFlag = 2; // KEYEVENTF_KEYUP

private:
    Api m_api;
    int m_keyDelayMs = 0;
};

} // namespace travek
