#pragma once

#include "core/typing/KeyWait.h"
#include "core/typing/Keyboard.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace travek {

// A keyboard whose keys are keysyms, found on a layout by someone else: the Wayland keyboard's own
// keymap, or the desktop behind the portal. Characters and named keys become keysyms alone, with
// no modifiers, and Caps Lock of the user's keyboard does not reach them.
//
// Such keyboards have no server that spaces their events, so they wait themselves (pace), through
// the program's KeyWait: the program goes on serving its events, and stop() ends a wait at once.
class KeysymKeyboard : public Keyboard {
public:
    explicit KeysymKeyboard(KeyWait& wait) : m_wait(wait) {}

    std::optional<KeyStroke> lookupChar(char c) override;
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override;
    bool capsLockOn() override { return false; }
    void setKeyDelay(int milliseconds) override;
    void stop() override;

protected:
    using Clock = std::chrono::steady_clock;
    // Called right before each event goes out; waits where needed and gives the event's time, or
    // nothing when the event must not go out: a press once the keyboard is stopped. A press comes
    // at least the key delay after the event before it; a press of the key just released comes
    // only after the clock has moved on, since a client that sees a release and the next press
    // within one millisecond takes them for auto-repeat and drops the second "0" of "100".
    // beforeWait runs first when there is a wait (to push out what is queued).
    std::optional<Clock::time_point> pace(std::uint32_t key, bool down,
                                          const std::function<void()>& beforeWait = {});
    bool stopped() const { return m_stopped; }
    KeyWait& m_wait;

private:
    std::chrono::milliseconds m_keyDelay{0};
    std::uint32_t m_lastKey = 0;
    bool m_lastDown = true;
    Clock::time_point m_lastTime{};
    bool m_stopped = false;
};

} // namespace travek
