#include "platform/x11/X11Keyboard.h"

#include "core/text/Error.h"
#include "platform/posix/PollKeyWait.h"
#include "platform/x11/X11Display.h"

#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xtest.h>
// xcb/xkb.h names a structure member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>

#include <poll.h>

#include <cstdlib>

namespace travek {

std::unique_ptr<X11Keyboard> X11Keyboard::open(const char* displayName, KeyWait* wait) {
    const std::string display = displayNameOf(displayName);
    xcb_connection_t* connection = connectToDisplay(displayName);
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
    if (!xtest || !xtest->present) {
        xcb_disconnect(connection);
        throw Error("the X display " + display + " has no XTEST extension");
    }
    std::uint8_t xkbEventBase = 0;
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &xkbEventBase,
                                     nullptr)) {
        xcb_disconnect(connection);
        throw Error("the X display " + display + " has no usable XKB extension");
    }
    const std::int32_t deviceId = xkb_x11_get_core_keyboard_device_id(connection);
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (deviceId < 0 || !context) {
        xkb_context_unref(context);
        xcb_disconnect(connection);
        throw Error("no core keyboard on the X display " + display);
    }
    std::unique_ptr<X11Keyboard> keyboard(
        new X11Keyboard(connection, context, deviceId, xkbEventBase, wait ? *wait : PollKeyWait::shared()));
    // Selected before the first fetch, so that no change between the two can go unnoticed.
    keyboard->selectKeyboardEvents();
    return keyboard;
}

X11Keyboard::X11Keyboard(xcb_connection_t* connection, xkb_context* context, std::int32_t deviceId,
                         std::uint8_t xkbEventBase, KeyWait& wait)
    : m_connection(connection), m_context(context), m_deviceId(deviceId), m_xkbEventBase(xkbEventBase),
      m_wait(wait) {}

void X11Keyboard::stop() {
    m_stopped = true;
    m_wait.wake();
}

X11Keyboard::~X11Keyboard() {
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
    xcb_disconnect(m_connection);
}

void X11Keyboard::selectKeyboardEvents() {
    // A new layout arrives as NewKeyboardNotify or MapNotify; a switch between the groups of one
    // keymap and Caps Lock arrive as StateNotify. The other state parts change with every
    // modifier the program itself presses and are not asked for.
    const std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                                 XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                   XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                                   XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                   XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_STATE;
    details.stateDetails = XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_STATE;
    xcb_xkb_select_events_aux(m_connection, static_cast<xcb_xkb_device_spec_t>(m_deviceId), events, 0, 0,
                              mapParts, mapParts, &details);
}

// Reads what the server has said since the last call, without waiting: a new keymap is fetched
// once however many notifications came; a group switch only needs the held keymap looked at anew.
void X11Keyboard::readKeyboardEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7F) == m_xkbEventBase) {
            const std::uint8_t xkbType = reinterpret_cast<const std::uint8_t*>(event)[1];
            if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY) {
                m_keymapStale = true;
            } else if (xkbType == XCB_XKB_STATE_NOTIFY) {
                const auto* state = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
                m_capsLock = (state->lockedMods & XCB_MOD_MASK_LOCK) != 0;
                if (state->group != m_layout) {
                    m_layout = state->group;
                    m_lookup.reset();
                }
            }
        }
        free(event);
    }
}

void X11Keyboard::fetchKeymap() {
    m_keymapStale = false;
    m_lookup.reset();
    m_capsLock = false;
    xkb_keymap_unref(m_keymap);
    m_keymap = nullptr;
    if (xcb_connection_has_error(m_connection))
        return;
    m_keymap =
        xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!m_keymap)
        return;
    if (xkb_state* state = xkb_x11_state_new_from_device(m_keymap, m_connection, m_deviceId)) {
        m_layout = xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE);
        m_capsLock = xkb_state_mod_name_is_active(state, XKB_MOD_NAME_CAPS, XKB_STATE_MODS_LOCKED) > 0;
        xkb_state_unref(state);
    }
}

const X11KeymapLookup* X11Keyboard::lookup() {
    if (m_keymapStale)
        fetchKeymap();
    if (!m_lookup && m_keymap)
        m_lookup.emplace(m_keymap, m_layout);
    return m_lookup ? &*m_lookup : nullptr;
}

void X11Keyboard::beginSend() {
    if (!m_failure.empty())
        throw Error(m_failure);
    // The last call's Caps Lock presses may still be on their way through the server; what they
    // did to Caps Lock must be known before this call decides about it, so this call waits for
    // them. Other keys change nothing that the next call reads, even those that the server holds
    // for their delay: it goes on at once, and the server keeps the order.
    if (m_syncBeforeNext)
        waitForServer();
    m_syncBeforeNext = false;
    readKeyboardEvents();
}

// The reply to a request comes after the server has handled everything sent before it. A stop
// does not end the wait, which is short: it only orders what was sent.
//
// The server answers within a millisecond or two (it may hold a repeated key's press for one), so
// the first part of the wait watches its connection alone: serving the program's events here
// would run whatever the application has queued (a repaint, its timers) in the middle of a line.
// A server that takes longer is waited for through the program's KeyWait, so an exit is still
// served.
void X11Keyboard::waitForServer() {
    const xcb_get_input_focus_cookie_t cookie = xcb_get_input_focus(m_connection);
    xcb_flush(m_connection);
    const auto now = std::chrono::steady_clock::now();
    const auto deadline = now + std::chrono::milliseconds(ServerAnswerMs);
    const auto alone = now + std::chrono::milliseconds(ServerAloneMs);
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(m_connection, cookie.sequence, &reply, &error)) {
            free(reply);
            free(error);
            return;
        }
        if (xcb_connection_has_error(m_connection))
            throw Error("the connection to the X display was lost");
        // Treated as a server that went away: waiting again at every line would hold every value.
        if (std::chrono::steady_clock::now() >= deadline) {
            m_failure = "the X server did not answer within " + std::to_string(ServerAnswerMs / 1000) +
                        " s; restart TRAVEK to type again";
            throw Error(m_failure);
        }
        const int descriptor = xcb_get_file_descriptor(m_connection);
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(alone - std::chrono::steady_clock::now());
        if (left.count() > 0) {
            pollfd ready{descriptor, POLLIN, 0};
            ::poll(&ready, 1, static_cast<int>(left.count()));
        } else {
            m_wait.waitUntil(deadline, descriptor);
        }
    }
}

void X11Keyboard::endSend() {
    // A round trip here cost the time from a value's last key to the Tab after it (the step's keys
    // are the next call): the events are flushed, and a wait is left to the next call where the
    // state it reads depends on them.
    xcb_flush(m_connection);
}

std::optional<KeyStroke> X11Keyboard::lookupChar(char c) {
    const X11KeymapLookup* table = lookup();
    return table ? table->lookupChar(c) : std::nullopt;
}

std::optional<std::uint32_t> X11Keyboard::namedKey(std::uint8_t virtualKey) {
    const X11KeymapLookup* table = lookup();
    if (!table)
        return std::nullopt;
    if (const auto key = table->keyForVirtualKey(virtualKey))
        return *key;
    return std::nullopt;
}

void X11Keyboard::sendKey(std::uint32_t key, bool down) {
    if (key > 255)
        return; // the core protocol has 8-bit keycodes
    // Caps Lock is pressed only to give the user's own lock state back, which must happen even
    // now, and types nothing into any window.
    const X11KeymapLookup* table = lookup();
    const bool capsLock = table && table->keyForVirtualKey(vk::Capital) == key;
    if (down && m_stopped && !capsLock)
        return;
    if (down && m_keyDelay.count() > 0) {
        const auto earliest = m_lastTime + m_keyDelay;
        if (std::chrono::steady_clock::now() < earliest)
            xcb_flush(m_connection);
        while (!m_stopped && std::chrono::steady_clock::now() < earliest)
            m_wait.waitUntil(earliest);
        if (m_stopped && !capsLock)
            return;
    }
    // Asked after the pace: the focus may have moved while the press waited for it.
    if (down && !capsLock && !pressAllowed())
        return;
    // Clients that tell auto-repeat from a key's release and next press by equal timestamps would
    // swallow the second "0" of "100": the server is asked to hold such a press until its clock
    // has moved on. The server stamps the event when it handles it, and it goes on reading the
    // program's requests only after it, so everything keeps its order and nothing here waits.
    const std::uint32_t delay = down && !m_lastDown && m_lastKey == key ? 1 : 0;
    if (capsLock)
        m_syncBeforeNext = true;
    m_lastTime = std::chrono::steady_clock::now();
    m_lastKey = key;
    m_lastDown = down;
    xcb_test_fake_input(m_connection, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, static_cast<std::uint8_t>(key),
                        delay, XCB_NONE, 0, 0, 0);
}

bool X11Keyboard::capsLockOn() {
    lookup();
    return m_capsLock;
}

} // namespace travek
