#pragma once

#include "core/typing/PressGate.h"

#include <cstdint>
#include <optional>

namespace travek {

// Virtual-key codes. Named keys and modifiers are spoken of in these codes on every platform; a
// platform keyboard translates them to its own keys.
namespace vk {
constexpr std::uint8_t Back = 0x08;
constexpr std::uint8_t Tab = 0x09;
constexpr std::uint8_t Return = 0x0D;
constexpr std::uint8_t Shift = 0x10;
constexpr std::uint8_t Control = 0x11;
constexpr std::uint8_t Menu = 0x12; // Alt
constexpr std::uint8_t Capital = 0x14;
constexpr std::uint8_t Escape = 0x1B;
constexpr std::uint8_t Prior = 0x21;
constexpr std::uint8_t Next = 0x22;
constexpr std::uint8_t End = 0x23;
constexpr std::uint8_t Home = 0x24;
constexpr std::uint8_t Left = 0x25;
constexpr std::uint8_t Up = 0x26;
constexpr std::uint8_t Right = 0x27;
constexpr std::uint8_t Down = 0x28;
constexpr std::uint8_t snapshot = 0x2C;
constexpr std::uint8_t Insert = 0x2D;
constexpr std::uint8_t Delete = 0x2E;
constexpr std::uint8_t F1 = 0x70;
// The right Alt key; on layouts with an AltGr key this is the key that selects the third level.
constexpr std::uint8_t AltGr = 0xA5;
} // namespace vk

// Bits of the shift state that a character's key needs. Shift, Ctrl and Alt are the bits that the
// Windows layout lookup reports (Ctrl+Alt meaning AltGr there); AltGr is the X11 third-level
// modifier, which is a key of its own.
namespace shiftbit {
constexpr std::uint8_t Shift = 1;
constexpr std::uint8_t Ctrl = 2;
constexpr std::uint8_t Alt = 4;
constexpr std::uint8_t AltGr = 8;
} // namespace shiftbit

// A character's key on the current layout: the platform's key and the modifiers it needs.
struct KeyStroke {
    std::uint32_t key = 0;
    std::uint8_t shiftState = 0;
    bool operator==(const KeyStroke&) const = default;
};

// The platform side of the keystroke sender: layout look-ups and raw key events.
class Keyboard {
public:
    virtual ~Keyboard() = default;
    // Bracket every sendKeys call, so a platform can take a fresh copy of the layout (the user may
    // switch it while the program runs) and push its events out at the end.
    virtual void beginSend() {}
    virtual void endSend() {}
    // The key of a Windows-1252 character on the current layout, or nothing when there is none.
    virtual std::optional<KeyStroke> lookupChar(char c) = 0;
    // The platform's key for a virtual-key code, or nothing when the keyboard has no such key.
    virtual std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) = 0;
    virtual void sendKey(std::uint32_t key, bool down) = 0;
    virtual bool capsLockOn() = 0;
    // The typing pace for slow targets: at least this many milliseconds before every key press.
    // A platform spaces its events itself (its server's delay, or a wait) and never presses a key
    // again in the same millisecond as its release, whatever the pace.
    virtual void setKeyDelay(int milliseconds) { (void)milliseconds; }
    // The program is ending: sendKey presses nothing from now on, releases still go out, and a
    // wait in progress (for the pace or for the server) ends at once.
    virtual void stop() {}

    // The key sender's gate for the call that begins now, or none; taken away after its endSend.
    void setPressGate(PressGate* gate) { m_gate = gate; }

protected:
    // Every keyboard asks this right before a key press goes out, after any wait for its pace, and
    // once for every press it was handed (Caps Lock's excepted, which only gives the user's own lock
    // state back); a press that is not allowed does not go out.
    bool pressAllowed() { return !m_gate || m_gate->refusal().empty(); }

private:
    PressGate* m_gate = nullptr;
};

} // namespace travek
