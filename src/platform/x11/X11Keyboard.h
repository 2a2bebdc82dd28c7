#pragma once

#include "core/typing/Keyboard.h"
#include "platform/x11/X11KeymapLookup.h"

#include <memory>
#include <optional>
#include <string>

struct xcb_connection_t;
struct xkb_context;

namespace travek {

// Types on an X display through the XTEST extension, with its own xcb connection. The keymap is
// held between calls: the server reports a new layout (setxkbmap, a desktop's layout switch), a
// group switch and Caps Lock as XKB events on the connection, and they are read before every
// SendKeys call, so a change is honoured at once without asking the server for the whole keymap
// each time.
class X11Keyboard : public Keyboard {
public:
    // displayName nullptr means $DISPLAY. Throws Error with the reason when there is no display
    // or it lacks the XKB or XTEST extension.
    static std::unique_ptr<X11Keyboard> open(const char* displayName);
    ~X11Keyboard() override;
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    // Waits for the server first when the last call pressed Caps Lock or left keys waiting for
    // their delay: what they do to Caps Lock must be known before this call decides about it.
    void beginSend() override;
    // Flushes, and returns without waiting for the server: a value and the keys after it go out
    // back to back, as the focused window would get them from a keyboard.
    void endSend() override;
    std::optional<KeyStroke> lookupChar(char c) override;
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override;
    void sendKey(std::uint32_t key, bool down) override;
    bool capsLockOn() override;
    void setKeyDelay(int milliseconds) override { m_keyDelay = milliseconds > 0 ? milliseconds : 0; }

private:
    X11Keyboard(xcb_connection_t* connection, xkb_context* context, std::int32_t deviceId,
                std::uint8_t xkbEventBase);
    void selectKeyboardEvents();
    void readKeyboardEvents();
    void waitForServer();
    void fetchKeymap();
    const X11KeymapLookup* lookup();

    xcb_connection_t* m_connection;
    xkb_context* m_context;
    std::int32_t m_deviceId;
    std::uint8_t m_xkbEventBase;
    xkb_keymap* m_keymap = nullptr;
    std::uint32_t m_layout = 0;
    bool m_keymapStale = true;
    std::optional<X11KeymapLookup> m_lookup;
    bool m_capsLock = false;

    int m_keyDelay = 0;
    std::uint32_t m_lastKey = 0;
    bool m_lastDown = true;
    bool m_delayedInCall = false;
    // The last call pressed Caps Lock, or left keys waiting in the server: the next call waits for
    // the server before it reads the state.
    bool m_syncBeforeNext = false;
    std::optional<std::uint32_t> m_capsLockKey;
};

} // namespace travek
