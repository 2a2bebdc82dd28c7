#include "platform/wayland/WaylandKeyboard.h"

#include "core/text/Error.h"
#include "core/typing/KeyOutput.h"
#include "platform/posix/PollKeyWait.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace travek {

namespace {

// The keymap's first keys are the modifiers, at these xkb keycodes; the keysyms to type follow.
// Key names stay within four characters ("<K255>"), which the X server under XWayland needs.
constexpr std::uint32_t FirstKeycode = 9; // evdev code 1: code 0 means no key
constexpr std::uint32_t LastKeycode = 255;
struct ModifierKey {
    std::uint32_t keysym;
    const char* modifier;
    std::uint32_t mask; // the real modifier's bit, as every xkb keymap numbers them
};
constexpr ModifierKey ModifierKeys[] = {
    {XKB_KEY_Shift_L, "Shift", 1u << 0},
    {XKB_KEY_Control_L, "Control", 1u << 2},
    {XKB_KEY_Alt_L, "Mod1", 1u << 3},
};

std::uint32_t modifierMask(std::uint32_t keysym) {
    for (const ModifierKey& key : ModifierKeys)
        if (key.keysym == keysym)
            return key.mask;
    return 0;
}

const char* displayNameOrDefault(const char* displayName) {
    const char* name = displayName ? displayName : std::getenv("WAYLAND_DISPLAY");
    return name && *name ? name : "wayland-0";
}

// libwayland writes its own view of a broken connection ("Error sending request: Broken pipe") to
// standard error. The keyboard reports the same failure itself, in the program's words, where the
// user sees it (the panel, the log); a second, different text beside it only confuses.
void quietWaylandLog(const char*, va_list) {}

std::uint32_t eventMilliseconds(std::chrono::steady_clock::time_point time) {
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count());
}

} // namespace

void WaylandKeyboard::onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (!globals->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!globals->manager && std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        globals->manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}

std::unique_ptr<WaylandKeyboard> WaylandKeyboard::open(const char* displayName, KeyWait* wait) {
    if (!displayName && !std::getenv("WAYLAND_DISPLAY"))
        throw Error("no Wayland session (WAYLAND_DISPLAY is not set)");
    wl_log_set_handler_client(quietWaylandLog);
    wl_display* display = wl_display_connect(displayName);
    if (!display)
        throw Error(std::string("cannot connect to the Wayland compositor ") +
                    displayNameOrDefault(displayName));
    static const wl_registry_listener Listener{&WaylandKeyboard::onGlobal,
                                               [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry* registry = wl_display_get_registry(display);
    std::unique_ptr<WaylandKeyboard> keyboard(
        new WaylandKeyboard(display, registry, Globals{}, wait ? *wait : PollKeyWait::shared()));
    // The listener writes into the keyboard's own globals: globals announced later (an output
    // plugged in) reach it during any later round trip, so they must land in memory that lives.
    wl_registry_add_listener(registry, &Listener, &keyboard->m_globals);
    keyboard->roundTrip("did not answer");
    const Globals& globals = keyboard->m_globals;
    if (!globals.manager)
        throw Error("the Wayland compositor offers no virtual keyboard (zwp_virtual_keyboard_manager_v1)");
    if (!globals.seat)
        throw Error("the Wayland compositor has no seat");
    keyboard->m_keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(globals.manager, globals.seat);
    // A compositor that allows the protocol only to some clients says so with an error here.
    keyboard->roundTrip("refused a virtual keyboard");
    return keyboard;
}

WaylandKeyboard::WaylandKeyboard(wl_display* display, wl_registry* registry, Globals globals, KeyWait& wait)
    : KeysymKeyboard(wait), m_display(display), m_registry(registry), m_globals(globals) {}

void WaylandKeyboard::roundTrip(const char* what) {
    bool done = false;
    wl_callback* callback = wl_display_sync(m_display);
    static const wl_callback_listener Listener{
        [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(callback, &Listener, &done);
    const auto deadline = Clock::now() + std::chrono::milliseconds(RoundTripMs);
    const int fd = wl_display_get_fd(m_display);
    // The usual reading of a Wayland client, but each wait for the socket is the program's own,
    // bounded by the deadline. A stop ends it: the round trips come before a call's first key, so
    // nothing is held that would need the keymap to be released.
    while (!done && !stopped() && wl_display_get_error(m_display) == 0) {
        if (wl_display_prepare_read(m_display) != 0) {
            wl_display_dispatch_pending(m_display);
            continue;
        }
        if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(m_display);
            break;
        }
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 0) == 0) {
            if (Clock::now() >= deadline) {
                wl_display_cancel_read(m_display);
                break;
            }
            m_wait.waitUntil(deadline, fd);
            ready.revents = 0;
            ::poll(&ready, 1, 0);
        }
        if (ready.revents & (POLLIN | POLLHUP | POLLERR)) {
            if (wl_display_read_events(m_display) < 0)
                break;
        } else {
            wl_display_cancel_read(m_display);
        }
        wl_display_dispatch_pending(m_display);
    }
    wl_callback_destroy(callback);
    check(what);
    if (!done && stopped())
        throw TypingStopped();
    // A compositor that stopped answering is treated as gone: waiting again at every line would
    // hold every value for the time-out, and an answer arriving late could not be trusted.
    if (!done)
        m_failure = std::string("the Wayland compositor did not answer within ") +
                    std::to_string(RoundTripMs / 1000) + " s (" + what + "); restart TRAVEK to type again";
    if (!m_failure.empty())
        throw Error(m_failure);
}

WaylandKeyboard::~WaylandKeyboard() {
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_globals.manager)
        zwp_virtual_keyboard_manager_v1_destroy(m_globals.manager);
    if (m_globals.seat)
        wl_seat_destroy(m_globals.seat);
    wl_registry_destroy(m_registry);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

void WaylandKeyboard::check(const char* what) {
    const int error = wl_display_get_error(m_display);
    if (error == 0)
        return;
    if (error == EPROTO)
        throw Error(std::string("the Wayland compositor ") + what + " (protocol error " +
                    std::to_string(wl_display_get_protocol_error(m_display, nullptr, nullptr)) + ")");
    throw Error(std::string("the connection to the Wayland compositor was lost: ") + std::strerror(error));
}

std::string WaylandKeyboard::keymapText(const std::vector<std::uint32_t>& keysyms) {
    std::string codes, symbols;
    std::uint32_t keycode = FirstKeycode;
    auto addKey = [&](std::uint32_t keysym) {
        char name[64];
        xkb_keysym_get_name(keysym, name, sizeof name);
        const std::string key = "<K" + std::to_string(keycode) + ">";
        codes += "    " + key + " = " + std::to_string(keycode) + ";\n";
        symbols += "    key " + key + " { [ " + name + " ] };\n";
        ++keycode;
    };
    for (const ModifierKey& modifier : ModifierKeys)
        addKey(modifier.keysym);
    for (std::size_t m = 0; m < std::size(ModifierKeys); ++m)
        symbols += std::string("    modifier_map ") + ModifierKeys[m].modifier + " { <K" +
                   std::to_string(FirstKeycode + m) + "> };\n";
    for (std::uint32_t keysym : keysyms)
        addKey(keysym);
    return "xkb_keymap {\n"
           "  xkb_keycodes \"travek\" {\n    minimum = 8;\n    maximum = " +
           std::to_string(LastKeycode) + ";\n" + codes +
           "  };\n"
           "  xkb_types \"travek\" { include \"complete\" };\n"
           "  xkb_compatibility \"travek\" { include \"complete\" };\n"
           "  xkb_symbols \"travek\" {\n" +
           symbols + "  };\n};\n";
}

// The keymap is kept while it holds every keysym of a call. Otherwise the call's new keysyms are
// added at its end, and the keys already there keep their codes: an X11 client under XWayland
// reads a changed keymap when it gets round to it, possibly after later changes, and then still
// reads the earlier keys right (with a keymap made anew for each call it did not: measured on
// sway). Only when the codes run out does a keymap with exactly the call's keysyms replace it.
// The compositor has handled the keymap when the round trip returns, so it cannot reach the
// focused client after the first key.
void WaylandKeyboard::useKeymapFor(const std::set<std::uint32_t>& keysyms) {
    char name[64];
    std::vector<std::uint32_t> added;
    for (std::uint32_t keysym : keysyms)
        if (!m_keycodes.contains(keysym) && !modifierMask(keysym) &&
            xkb_keysym_get_name(keysym, name, sizeof name) > 0)
            added.push_back(keysym);
    if (!m_keycodes.empty() && added.empty())
        return;
    const std::size_t capacity = LastKeycode - FirstKeycode + 1 - std::size(ModifierKeys);
    if (m_keysyms.size() + added.size() > capacity)
        m_keysyms.clear();
    m_keysyms.insert(m_keysyms.end(), added.begin(), added.end());
    if (m_keysyms.size() > capacity)
        m_keysyms.resize(capacity);
    const std::string text = keymapText(m_keysyms);
    const int fd = memfd_create("travek-keymap", MFD_CLOEXEC);
    if (fd < 0)
        throw Error(std::string("cannot make a keymap for the Wayland keyboard: ") + std::strerror(errno));
    // The size given includes the terminating zero, as compositors read the keymap as a C string.
    const std::size_t size = text.size() + 1;
    if (write(fd, text.c_str(), size) != static_cast<ssize_t>(size)) {
        close(fd);
        throw Error("cannot make a keymap for the Wayland keyboard");
    }
    zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<std::uint32_t>(size));
    close(fd);
    roundTrip("did not take the keymap");

    m_keycodes.clear();
    std::uint32_t keycode = FirstKeycode;
    for (const ModifierKey& modifier : ModifierKeys)
        m_keycodes[modifier.keysym] = keycode++;
    for (std::uint32_t keysym : m_keysyms)
        m_keycodes[keysym] = keycode++;
}

void WaylandKeyboard::sendKey(std::uint32_t key, bool down) {
    m_events.push_back({key, down});
}

bool WaylandKeyboard::sendEvent(std::uint32_t keycode, bool down) {
    if (!down && !m_keysDown.contains(keycode))
        return false; // its press was dropped when the keyboard was stopped
    // Native clients see the times given here, a millisecond apart for a repeated key's press. X11
    // clients under XWayland see XWayland's own clock, which stamps the events when it reads them:
    // the press also waits a millisecond, but XWayland reads a burst at once when it was busy (it
    // compiles every keymap it is sent, and the compositor sends one whenever the typing keyboard
    // changes), so only the pace (KEYDELAY, about 5 ms) makes sure there.
    const std::optional<Clock::time_point> time =
        pace(keycode, down, [this] { wl_display_flush(m_display); });
    if (!time)
        return false; // stopped: no more presses
    // Asked after the pace: the focus may have moved while the press waited for it.
    if (down && !pressAllowed())
        return false;
    zwp_virtual_keyboard_v1_key(m_keyboard, eventMilliseconds(*time), keycode - 8,
                                down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    if (down)
        m_keysDown.insert(keycode);
    else
        m_keysDown.erase(keycode);
    return true;
}

void WaylandKeyboard::endSend() {
    if (!m_failure.empty())
        throw Error(m_failure);
    check("closed the connection");
    if (m_events.empty() || stopped()) {
        m_events.clear();
        return;
    }
    std::set<std::uint32_t> keysyms;
    for (const Event& event : m_events)
        keysyms.insert(event.keysym);
    useKeymapFor(keysyms);

    for (const Event& event : m_events) {
        const auto it = m_keycodes.find(event.keysym);
        if (it == m_keycodes.end()) {
            // Asked all the same: the key sender counts the questions to know what went out.
            if (event.down)
                pressAllowed();
            continue;
        }
        // The compositor does not work out modifiers from a virtual keyboard's keys.
        if (!sendEvent(it->second, event.down))
            continue;
        if (const std::uint32_t mask = modifierMask(event.keysym)) {
            m_modifiers = event.down ? (m_modifiers | mask) : (m_modifiers & ~mask);
            zwp_virtual_keyboard_v1_modifiers(m_keyboard, m_modifiers, 0, 0, 0);
        }
    }
    m_events.clear();
    // Nothing stays pressed after a call, whatever the text asked for.
    while (!m_keysDown.empty())
        sendEvent(*m_keysDown.begin(), false);
    if (m_modifiers) {
        m_modifiers = 0;
        zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    }
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN)
        check("closed the connection");
}

} // namespace travek
