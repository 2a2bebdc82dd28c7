#pragma once

#include "platform/x11/KeysymKeyboard.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

namespace travek {

// Types on a Wayland compositor through a virtual keyboard of its own (zwp_virtual_keyboard_v1).
//
// The keyboard brings its own keymap: one key per keysym, with no levels, so every character
// arrives as itself whatever layout the user has, AltGr and 8-bit characters included. A call's
// events are collected, and at its end the keymap is made to hold the keysyms the call types
// (plus the modifiers); a changed keymap is uploaded and the compositor has acknowledged it (a
// round trip) before the first key goes out. Keys are KeyStroke::key = keysym.
//
// Every wait for the compositor has a time-out (RoundTripMs) and goes through the program's
// KeyWait, so a compositor that stopped answering fails the keyboard instead of freezing TRAVEK.
class WaylandKeyboard : public KeysymKeyboard {
public:
    // How long the compositor may take to answer a round trip.
    static constexpr int RoundTripMs = 3000;

    // displayName nullptr means $WAYLAND_DISPLAY; wait nullptr waits with poll(). Throws Error
    // with the reason when there is no compositor, it offers no virtual keyboard or refuses one.
    static std::unique_ptr<WaylandKeyboard> open(const char* displayName, KeyWait* wait = nullptr);
    ~WaylandKeyboard() override;
    WaylandKeyboard(const WaylandKeyboard&) = delete;
    WaylandKeyboard& operator=(const WaylandKeyboard&) = delete;

    void beginSend() override { m_events.clear(); }
    // Sends the call's keys and releases every modifier. Throws Error when the compositor is gone.
    void endSend() override;
    void sendKey(std::uint32_t key, bool down) override;

    // The keymap text for these keysyms (all with names, none a modifier, at most 244): the
    // modifiers first, then one key each, in this order.
    static std::string keymapText(const std::vector<std::uint32_t>& keysyms);

private:
    struct Event {
        std::uint32_t keysym;
        bool down;
    };
    struct Globals {
        wl_seat* seat = nullptr;
        zwp_virtual_keyboard_manager_v1* manager = nullptr;
    };
    static void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t version);

    WaylandKeyboard(wl_display* display, wl_registry* registry, Globals globals, KeyWait& wait);
    // wl_display_roundtrip with a time-out: throws Error naming what when the compositor did not
    // answer in time or the connection broke.
    void roundTrip(const char* what);
    void useKeymapFor(const std::set<std::uint32_t>& keysyms);
    // False when the event did not go out: a press after stop(), or a release of a key not held.
    bool sendEvent(std::uint32_t keycode, bool down);
    void check(const char* what);

    wl_display* m_display;
    wl_registry* m_registry;
    Globals m_globals;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
    std::vector<Event> m_events;
    // The uploaded keymap's keysyms after the modifiers, in the order of their codes, and each
    // keysym's xkb keycode.
    std::vector<std::uint32_t> m_keysyms;
    std::map<std::uint32_t, std::uint32_t> m_keycodes;
    std::uint32_t m_modifiers = 0;
    std::set<std::uint32_t> m_keysDown;
    // Why the keyboard failed for good (the compositor did not answer in time); empty while it works.
    std::string m_failure;
};

} // namespace travek
