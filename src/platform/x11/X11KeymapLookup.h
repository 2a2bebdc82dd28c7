#pragma once

#include "core/typing/Keyboard.h"

#include <xkbcommon/xkbcommon.h>

#include <optional>
#include <unordered_map>

namespace travek {

// The layout look-ups of the X11 keyboard, worked out from an xkbcommon keymap alone (no X
// connection), so they can be checked against compiled layouts without a display.
//
// A character is found by pressing, in a scratch xkb_state, each key under no modifier, Shift,
// AltGr (the ISO_Level3_Shift key) and Shift+AltGr, in this order of preference, in the given
// layout (group): what a key yields there is exactly what the X server will make of the same
// events. Dead keys stand for their spacing accent ("^" is the dead circumflex on a German
// layout) only when no key yields the character itself, as the Windows lookup reports them.
class X11KeymapLookup {
public:
    X11KeymapLookup(xkb_keymap* keymap, xkb_layout_index_t layout);

    // A Windows-1252 character; shiftState holds shiftbit::Shift and shiftbit::AltGr as needed.
    std::optional<KeyStroke> lookupChar(char c) const;
    std::optional<KeyStroke> lookupCodepoint(char32_t codepoint) const;
    // Whether the key found for the character is a dead key rather than the character itself.
    bool isDeadKeyFallback(char32_t codepoint) const;

    std::optional<xkb_keycode_t> keyForKeysym(xkb_keysym_t keysym) const;
    // Named keys and modifiers; vk::AltGr is the ISO_Level3_Shift key.
    std::optional<xkb_keycode_t> keyForVirtualKey(std::uint8_t virtualKey) const;

    static xkb_keysym_t virtualKeyToKeysym(std::uint8_t virtualKey);

private:
    std::unordered_map<char32_t, KeyStroke> m_chars;
    std::unordered_map<char32_t, KeyStroke> m_deadKeys;
    std::unordered_map<xkb_keysym_t, xkb_keycode_t> m_keysyms;
};

} // namespace travek
