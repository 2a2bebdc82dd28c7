#include "platform/x11/X11Keyboard.h"

#include "core/text/Error.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdlib>

namespace travek {

std::unique_ptr<X11Keyboard> X11Keyboard::open(const char* displayName) {
    const char* shown = displayName ? displayName : std::getenv("DISPLAY");
    const std::string display = shown ? shown : "";
    if (display.empty())
        throw Error("no X display (DISPLAY is not set)");
    xcb_connection_t* connection = xcb_connect(displayName, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        throw Error("cannot connect to the X display " + display);
    }
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
    if (!xtest || !xtest->present) {
        xcb_disconnect(connection);
        throw Error("the X display " + display + " has no XTEST extension");
    }
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr,
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
    return std::unique_ptr<X11Keyboard>(new X11Keyboard(connection, context, deviceId));
}

X11Keyboard::X11Keyboard(xcb_connection_t* connection, xkb_context* context, std::int32_t deviceId)
    : m_connection(connection), m_context(context), m_deviceId(deviceId) {}

X11Keyboard::~X11Keyboard() {
    xkb_context_unref(m_context);
    xcb_disconnect(m_connection);
}

void X11Keyboard::refresh() {
    m_lookup.reset();
    m_capsLock = false;
    if (xcb_connection_has_error(m_connection))
        return;
    xkb_keymap* keymap =
        xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return;
    if (xkb_state* state = xkb_x11_state_new_from_device(keymap, m_connection, m_deviceId)) {
        m_lookup.emplace(keymap, xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
        m_capsLock = xkb_state_mod_name_is_active(state, XKB_MOD_NAME_CAPS, XKB_STATE_MODS_LOCKED) > 0;
        xkb_state_unref(state);
    }
    xkb_keymap_unref(keymap);
}

const X11KeymapLookup* X11Keyboard::lookup() {
    if (!m_lookup)
        refresh();
    return m_lookup ? &*m_lookup : nullptr;
}

void X11Keyboard::beginSend() {
    refresh();
}

void X11Keyboard::endSend() {
    // The reply to a request comes after the server has handled everything sent before it, so
    // on return the events have reached the focused window's queue.
    xcb_flush(m_connection);
    free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
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
    xcb_test_fake_input(m_connection, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, static_cast<std::uint8_t>(key),
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

bool X11Keyboard::capsLockOn() {
    lookup();
    return m_capsLock;
}

} // namespace travek
