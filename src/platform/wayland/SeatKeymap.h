#pragma once

#include <xkbcommon/xkbcommon.h>

#include <memory>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_keyboard;

namespace travek {

// The keymap that a Wayland compositor gives its clients' keyboards: GNOME's mutter finds the keys
// of a portal's keysyms in the same keymap, and presses Shift or AltGr with a keysym that it finds
// on another level. The connection stays open, so a keymap sent later (the user chose other
// layouts) is read before each question; nothing is read while the program waits.
class SeatKeymap {
public:
    // Nothing when there is no Wayland session, or it gives no keyboard keymap within a second.
    static std::unique_ptr<SeatKeymap> open();
    ~SeatKeymap();
    SeatKeymap(const SeatKeymap&) = delete;
    SeatKeymap& operator=(const SeatKeymap&) = delete;

    // Whether the compositor types the keysym with Shift or AltGr. The compositor types in the
    // current layout, which it tells only the focused window, so a keysym counts as on another
    // level when it is so in any layout of the keymap. A keysym the keymap lacks counts as not.
    bool onOtherLevel(xkb_keysym_t keysym);
    // The same in a given keymap, found as mutter finds a keysym: the first key and level that
    // yield it, keys in the order of their codes.
    static bool onOtherLevel(xkb_keymap* keymap, xkb_keysym_t keysym);

private:
    SeatKeymap() = default;
    // Reads what the compositor sent, waiting at most until a round trip is answered when asked to.
    bool readEvents(bool roundTrip);

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    xkb_context* m_context = nullptr;
    xkb_keymap* m_keymap = nullptr;
};

} // namespace travek
