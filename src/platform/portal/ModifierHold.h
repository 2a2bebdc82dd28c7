#pragma once

#include <chrono>

namespace travek {

// What a key event does to the modifier state that the compositor tells the window.
enum class KeyKind {
    // A key on its layout's first level: neither its press nor its release changes the modifiers.
    Plain,
    // A key the compositor types on another level: it presses Shift or AltGr before the key and
    // releases them after it.
    OtherLevel,
    // A modifier key itself (Ctrl, Shift, Alt).
    Modifier,
};

// GNOME before 49.1 tells a window the modifier state when a key event comes in, but with an input
// method running (IBus, which gnome-shell starts whenever it is installed) the key itself reaches a
// window that takes text only after the input method has looked at it, 1.5-25 ms later. A modifier
// that changes in between is applied to the wrong key: "@" arrives as "q" (AltGr was released
// before the key arrived), and a digit typed just before an AltGr character arrives with AltGr
// ("2" as "²").
//
// So an event that changes the modifiers waits until the last key pressed has had the time to
// reach the window: the release of a key on another level, the press of such a key, a modifier key.
// Keys on the first level go at full speed, so a value on a layout with its digits there is typed as
// fast as without the hold.
class ModifierHold {
public:
    using Clock = std::chrono::steady_clock;
    // The longest an input method was seen holding a key back, with room for a busy machine
    // (bench/README.md).
    static constexpr std::chrono::milliseconds Time{40};

    void setActive(bool active) { m_active = active; }
    bool active() const { return m_active; }
    // The earliest moment an event of this kind may go out; a moment already past when it need
    // not wait.
    Clock::time_point earliest(KeyKind kind) const;
    // An event went out at this moment.
    void sent(KeyKind kind, bool down, Clock::time_point at);

private:
    bool m_active = false;
    // When the last key that makes text was pressed; the modifiers must not change before it has
    // reached the window.
    Clock::time_point m_lastPress{};
};

} // namespace travek
