#pragma once

#include "core/typing/Keyboard.h"
#include "platform/x11/X11KeymapLookup.h"

#include <memory>
#include <optional>
#include <string>

struct xcb_connection_t;
struct xkb_context;

namespace travek {

// Types on an X display through the XTEST extension, with its own xcb connection: the keymap is
// fetched again (xkbcommon-x11) at the start of every SendKeys call, so a layout switched while
// the program runs is honoured.
class X11Keyboard : public Keyboard {
public:
    // displayName nullptr means $DISPLAY. Throws Error with the reason when there is no display
    // or it lacks the XKB or XTEST extension.
    static std::unique_ptr<X11Keyboard> open(const char* displayName);
    ~X11Keyboard() override;
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    void beginSend() override;
    // Flushes and waits until the server has handled the events.
    void endSend() override;
    std::optional<KeyStroke> lookupChar(char c) override;
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override;
    void sendKey(std::uint32_t key, bool down) override;
    bool capsLockOn() override;

private:
    X11Keyboard(xcb_connection_t* connection, xkb_context* context, std::int32_t deviceId);
    void refresh();
    const X11KeymapLookup* lookup();

    xcb_connection_t* m_connection;
    xkb_context* m_context;
    std::int32_t m_deviceId;
    std::optional<X11KeymapLookup> m_lookup;
    bool m_capsLock = false;
};

} // namespace travek
