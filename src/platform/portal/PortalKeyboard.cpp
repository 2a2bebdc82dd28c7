#include "platform/portal/PortalKeyboard.h"

#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"
#include "platform/portal/InputMethodWatch.h"
#include "platform/portal/PortalConnection.h"
#include "platform/wayland/SeatKeymap.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <QDBusConnection>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace travek {

namespace {

// A token is a short printable text; anything else in the file is not one. A bad token costs only
// the desktop's question at this start, so that is said once and the start goes on.
std::string readRestoreToken() {
    const std::string path = PortalKeyboard::restoreTokenPath();
    auto unusable = [](const std::string& why) {
        std::fprintf(stderr, "travek: %s; the desktop asks again whether TRAVEK may type\n", why.c_str());
        return std::string();
    };
    std::optional<std::string> content;
    try {
        content = readWholeFile(path, FileLimit::Token);
    } catch (const Error& error) {
        return unusable(error.what());
    }
    if (!content)
        return {};
    const std::string token(trim(*content));
    for (char c : token)
        if (c < 0x21 || c > 0x7e)
            return unusable(path + ": no restore token");
    return token;
}

void saveRestoreToken(const std::string& token) {
    const std::string path = PortalKeyboard::restoreTokenPath();
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    try {
        writeFileAtomically(path, token + "\n");
    } catch (const Error&) {
        // Deliberately silent: without the token the desktop asks again at the next start, which
        // is all that is lost, and the keyboard itself works.
    }
}

} // namespace

std::string PortalKeyboard::restoreTokenPath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/travek/portal-restore-token";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/travek/portal-restore-token";
}

std::unique_ptr<PortalKeyboard> PortalKeyboard::open(KeyWait& wait) {
    auto connection = std::make_unique<PortalConnection>(wait);
    // A restore token is used once: every start that gets a new one replaces it.
    const std::string token = connection->start(connection->version() >= 2 ? readRestoreToken() : "");
    if (!token.empty())
        saveRestoreToken(token);
    return std::unique_ptr<PortalKeyboard>(new PortalKeyboard(std::move(connection), wait));
}

PortalKeyboard::PortalKeyboard(std::unique_ptr<PortalConnection> connection, KeyWait& wait)
    : KeysymKeyboard(wait), m_connection(std::move(connection)),
      m_inputMethod(std::make_unique<InputMethodWatch>(QDBusConnection::sessionBus())) {}

PortalKeyboard::~PortalKeyboard() = default;

void PortalKeyboard::beginSend() {
    if (!m_failure.empty())
        throw Error(m_failure);
    followInputMethod();
}

void PortalKeyboard::followInputMethod() {
    const bool delays = m_inputMethod->delaysKeys();
    if (delays == m_hold.active())
        return;
    m_hold.setActive(delays);
    if (!delays) {
        std::fprintf(stderr, "travek: the input method has left the desktop: keys go at full speed again\n");
        return;
    }
    if (!m_keymap)
        m_keymap = SeatKeymap::open();
    std::fprintf(stderr,
                 "travek: GNOME %s with an input method (IBus): %s %lld ms for the keys before them, so "
                 "that the window reads every key with its modifiers\n",
                 m_inputMethod->shellVersion().c_str(),
                 m_keymap ? "keys on another level and modifiers wait"
                          : "without the desktop's keymap, every key waits",
                 static_cast<long long>(ModifierHold::Time.count()));
}

KeyKind PortalKeyboard::kindOf(std::uint32_t key) {
    switch (key) {
    case XKB_KEY_Shift_L:
    case XKB_KEY_Shift_R:
    case XKB_KEY_Control_L:
    case XKB_KEY_Control_R:
    case XKB_KEY_Alt_L:
    case XKB_KEY_Alt_R:
    case XKB_KEY_Meta_L:
    case XKB_KEY_Meta_R:
    case XKB_KEY_Super_L:
    case XKB_KEY_Super_R:
    case XKB_KEY_ISO_Level3_Shift:
    case XKB_KEY_ISO_Level5_Shift:
    case XKB_KEY_Caps_Lock:
    case XKB_KEY_Num_Lock:
        return KeyKind::Modifier;
    default:
        break;
    }
    if (!m_hold.active())
        return KeyKind::Plain; // nobody asks
    return !m_keymap || m_keymap->onOtherLevel(key) ? KeyKind::OtherLevel : KeyKind::Plain;
}

void PortalKeyboard::notify(std::uint32_t key, bool down) {
    if (!m_failure.empty())
        throw Error(m_failure);
    try {
        m_connection->notifyKeysym(key, down);
    } catch (const Error& error) {
        m_failure = error.what();
        // A key left held in the compositor repeats into the user's form until it is released.
        if (m_connection->answering()) {
            try {
                while (!m_keysDown.empty()) {
                    const std::uint32_t held = *m_keysDown.begin();
                    m_keysDown.erase(m_keysDown.begin());
                    m_connection->notifyKeysym(held, false);
                }
            } catch (const Error&) {
                // Deliberately silent: the first failure is the one that is reported.
            }
        }
        throw;
    }
    if (down)
        m_keysDown.insert(key);
    else
        m_keysDown.erase(key);
}

void PortalKeyboard::sendKey(std::uint32_t key, bool down) {
    // The compositor stamps the keys as they come. A press the pace held back when the keyboard
    // was stopped is dropped.
    if (!m_failure.empty())
        throw Error(m_failure);
    if (!pace(key, down))
        return;
    if (!down && !m_keysDown.contains(key))
        return; // its press was dropped
    send(key, down);
}

void PortalKeyboard::send(std::uint32_t key, bool down) {
    const KeyKind kind = kindOf(key);
    const Clock::time_point until = m_hold.earliest(kind);
    // A release waits even once the keyboard is stopped: the key it ends may still be on its way
    // to the window, which would read it without its modifiers.
    while (Clock::now() < until && !(down && stopped()))
        m_wait.waitUntil(until);
    if (down && stopped())
        return;
    // Asked after the pace and the hold: the focus may have moved while the press waited.
    if (down && !pressAllowed())
        return;
    notify(key, down);
    m_hold.sent(kind, down, Clock::now());
}

void PortalKeyboard::endSend() {
    // Nothing stays pressed after a call, whatever the text asked for.
    while (!m_keysDown.empty())
        send(*m_keysDown.begin(), false);
    if (!m_failure.empty())
        throw Error(m_failure);
}

} // namespace travek
