#pragma once

#include "core/typing/KeyWait.h"
#include "core/typing/Keyboard.h"
#include "platform/x11/X11KeymapLookup.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

struct xcb_connection_t;
struct xkb_context;

namespace travek {

// Types on an X display through the XTEST extension, with its own xcb connection. The keymap is
// held between calls: the server reports a new layout (setxkbmap, a desktop's layout switch), a
// group switch and Caps Lock as XKB events on the connection, and they are read before every
// sendKeys call, so a change is honoured at once without asking the server for the whole keymap
// each time.
//
// KEYDELAY is waited out here, through the program's KeyWait, before each press is sent: the
// program serves its events meanwhile, and once it is stopped no press is sent, where keys
// handed to the server with a delay would still be typed after TRAVEK had ended.
class X11Keyboard : public Keyboard {
public:
    // How long the server may take to answer, and how long the keyboard waits for it without
    // serving the program's events.
    static constexpr int ServerAnswerMs = 3000;
    static constexpr int ServerAloneMs = 100;

    // displayName nullptr means $DISPLAY; wait nullptr waits with poll(). Throws Error with the
    // reason when there is no display or it lacks the XKB or XTEST extension.
    static std::unique_ptr<X11Keyboard> open(const char* displayName, KeyWait* wait = nullptr);
    ~X11Keyboard() override;
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    // Waits for the server first when the last call pressed Caps Lock: what that did must be known
    // before this call decides about Caps Lock.
    void beginSend() override;
    // Flushes, and returns without waiting for the server: a value and the keys after it go out
    // back to back, as the focused window would get them from a keyboard. A wait, where the next
    // call needs one, throws Error when the server does not answer within ServerAnswerMs.
    void endSend() override;
    std::optional<KeyStroke> lookupChar(char c) override;
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override;
    void sendKey(std::uint32_t key, bool down) override;
    bool capsLockOn() override;
    void setKeyDelay(int milliseconds) override {
        m_keyDelay = std::chrono::milliseconds(std::max(milliseconds, 0));
    }
    // No press goes out after this but Caps Lock's, which gives the user's lock state back.
    void stop() override;

private:
    X11Keyboard(xcb_connection_t* connection, xkb_context* context, std::int32_t deviceId,
                std::uint8_t xkbEventBase, KeyWait& wait);
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

    KeyWait& m_wait;
    bool m_stopped = false;
    // Why the keyboard failed for good (the server did not answer in time); empty while it works.
    std::string m_failure;
    std::chrono::milliseconds m_keyDelay{0};
    std::chrono::steady_clock::time_point m_lastTime{};
    std::uint32_t m_lastKey = 0;
    bool m_lastDown = true;
    // The last call pressed Caps Lock: the next call waits for the server before it reads the
    // state.
    bool m_syncBeforeNext = false;
};

} // namespace travek
