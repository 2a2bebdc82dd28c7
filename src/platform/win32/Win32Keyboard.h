#pragma once

#include "core/typing/KeyWait.h"
#include "core/typing/Keyboard.h"
#include "platform/win32/Win32TakenWatch.h"

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
        // One UTF-16 code unit as Unicode input (SendInput with KEYEVENTF_UNICODE); none where
        // characters outside the layout are not typed.
        void (*sendUnicode)(std::uint16_t codeUnit, bool down) = nullptr;
        // Whether each line waits until the foreground thread has taken its keys (Win32TakenWatch).
        bool watchTaken = false;
    };
    // keybd_event, VkKeyScanA, GetKeyState and SendInput of user32, and the wait for the target.
    static Api SystemApi();

    // How long a line waits for the target to take its keys.
    static constexpr std::chrono::milliseconds TakenTimeout{5000};

    // wait is how the pace is waited out while the program's messages are served; without one
    // the thread sleeps.
    explicit Win32Keyboard(Api api = SystemApi(), KeyWait* wait = nullptr) : m_api(api), m_wait(wait) {}

    // Nothing when VkKeyScanA reports no key (either byte 0xFF). The shift state is the lookup's
    // high byte: Shift, Ctrl and Alt bits, Ctrl+Alt standing for AltGr.
    std::optional<KeyStroke> lookupChar(char c) override;
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override { return virtualKey; }
    // Scan code 0, no extended-key flag, KEYEVENTF_KEYUP for a release.
    void sendKey(std::uint32_t key, bool down) override;
    // As Unicode input: the character arrives as itself whatever the layout, in every program
    // that reads characters (WM_CHAR), as current Windows programs do. Control characters are not
    // typed this way.
    bool canTypeUnlisted(char c) override;
    void typeUnlisted(char c) override;
    // The first text of a line attaches to the foreground thread (see Win32TakenWatch) and waits
    // until it has taken what came before, so that Caps Lock is read as it will see it.
    void beginSend() override;
    // Sends the marker and serves the program's messages until the foreground thread has taken
    // it; Error after the time-out, or at once when Windows refused to let the thread be watched.
    // Once stopped, it waits a moment more without serving anything, then throws TypingStopped.
    void awaitTaken() override;
    // While a line is watched, this thread shares the target's keyboard state, which lags behind
    // by the keys not yet taken: Caps Lock is then the state the target had made of everything
    // before the line (see beginSend), turned by this keyboard's own presses of it.
    bool capsLockOn() override;
    // KEYDELAY: a press comes at least this long after the one before; the wait serves the
    // program's messages, so closing the window or ending the session is served meanwhile.
    void setKeyDelay(int milliseconds) override {
        m_keyDelay = std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 0);
    }
    // No press after this, but Caps Lock given back to the user; releases still go out.
    void stop() override;
    void setTakenTimeout(std::chrono::milliseconds timeout) { m_takenTimeout = timeout; }

    static constexpr std::uint32_t KeyUpFlag = 2; // KEYEVENTF_KEYUP

private:
    using Clock = KeyWait::Clock;

    // Waits out KEYDELAY before a press.
    void pace();
    // Sends the marker and serves the program's messages until the foreground thread has taken
    // it; false after timeout. Once stopped, it waits a moment more without serving anything,
    // then throws TypingStopped.
    bool markAndWait(std::chrono::milliseconds timeout);
    bool systemCapsLock() const { return (m_api.getKeyState(vk::Capital) & 1) != 0; }

    Api m_api;
    KeyWait* m_wait;
    std::chrono::milliseconds m_keyDelay{0};
    Clock::time_point m_lastPress{};
    bool m_stopped = false;
    std::chrono::milliseconds m_takenTimeout = TakenTimeout;
    Win32TakenWatch m_watch;
    // A line's keys are being sent (from its first text to awaitTaken).
    bool m_lineOpen = false;
    bool m_capsAtLineStart = false;
    bool m_capsTurned = false;
};

} // namespace travek
