#pragma once

#include "platform/portal/ModifierHold.h"
#include "platform/x11/KeysymKeyboard.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>

namespace travek {

class InputMethodWatch;
class PortalConnection;
class SeatKeymap;

// Types through the desktop's RemoteDesktop portal (org.freedesktop.portal.RemoteDesktop on the
// session bus), which GNOME and KDE offer where they have no virtual-keyboard protocol.
//
// Opening asks the desktop for a keyboard: CreateSession, SelectDevices (the keyboard only), Start.
// The desktop may ask the user; each step answers with a Request's Response signal, waited for in
// a nested Qt event loop, so the program needs its QCoreApplication before opening one. Where the
// portal keeps permissions (version 2 and later), the restore token of the last start is handed
// back, so the user is asked once and not at every start.
//
// Keys are keysyms (KeyStroke::key): the compositor finds them on the user's layout and presses
// Shift or AltGr itself, so no look-up happens here. Each key event waits for the portal's reply
// before the next goes out (see PortalConnection::notifyKeysym), through the program's KeyWait.
// An error reply, no reply within two seconds, the portal leaving the bus or the desktop ending
// the session fails the keyboard for good: the call throws Error with the reason, a key still
// held is released first where the portal still answers, and nothing more is sent.
//
// On GNOME before 49.1 with an input method running, events that change the modifiers wait for the
// keys before them to reach the window (ModifierHold). Which keys the desktop types on another
// level is read from its keymap (SeatKeymap); without one, every key counts as such.
class PortalKeyboard : public KeysymKeyboard {
public:
    // Throws Error with the reason: no session bus, no portal, the user refused, the desktop gave
    // no keyboard.
    static std::unique_ptr<PortalKeyboard> open(KeyWait& wait);
    ~PortalKeyboard() override;
    PortalKeyboard(const PortalKeyboard&) = delete;
    PortalKeyboard& operator=(const PortalKeyboard&) = delete;

    // Throws Error when the keyboard has failed.
    void beginSend() override;
    // Releases what the call left pressed. Throws Error when the keyboard has failed.
    void endSend() override;
    void sendKey(std::uint32_t key, bool down) override;

    // Where the restore token is kept: $XDG_STATE_HOME/travek (~/.local/state/travek).
    static std::string restoreTokenPath();
    // Whether keys that change the modifiers wait for the keys before them (GNOME before 49.1 with
    // an input method), as of the last call.
    bool holdsModifierChanges() const { return m_hold.active(); }

private:
    PortalKeyboard(std::unique_ptr<PortalConnection> connection, KeyWait& wait);
    // Sends one event after the modifier hold; a press that the hold kept back until the keyboard
    // was stopped is dropped.
    void send(std::uint32_t key, bool down);
    // Sends one event; on a failure releases what is held where the portal still answers, and
    // throws.
    void notify(std::uint32_t key, bool down);
    // Starts or ends the modifier hold as the input method comes and goes.
    void followInputMethod();
    KeyKind kindOf(std::uint32_t key);

    std::unique_ptr<PortalConnection> m_connection;
    std::unique_ptr<InputMethodWatch> m_inputMethod;
    std::unique_ptr<SeatKeymap> m_keymap;
    ModifierHold m_hold;
    std::set<std::uint32_t> m_keysDown;
    // Why the keyboard failed; empty while it works.
    std::string m_failure;
};

} // namespace travek
