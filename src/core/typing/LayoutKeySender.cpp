#include "core/typing/LayoutKeySender.h"

#include "core/text/TextHelpers.h"

#include <array>
#include <string>

namespace travek {

namespace {

enum class Marks { Nothing, ShiftPending, CtrlPending };

struct NamedKey {
    std::string_view name;
    std::uint8_t virtualKey;
    Marks marks;
};

// Compared in this order; the first match wins. Alt and Caps Lock have no name on purpose: Alt is
// reached through "@", and Caps Lock is handled around every call.
constexpr std::array<NamedKey, 29> NamedKeys{{
    {"INS", vk::Insert, Marks::Nothing},
    {"DEL", vk::Delete, Marks::Nothing},
    {"ENTER", vk::Return, Marks::Nothing},
    {"TAB", vk::Tab, Marks::Nothing},
    {"ESC", vk::Escape, Marks::Nothing},
    {"BACK", vk::Back, Marks::Nothing},
    {"UP", vk::Up, Marks::Nothing},
    {"DOWN", vk::Down, Marks::Nothing},
    {"LEFT", vk::Left, Marks::Nothing},
    {"RIGHT", vk::Right, Marks::Nothing},
    {"PGDN", vk::Next, Marks::Nothing},
    {"PGUP", vk::Prior, Marks::Nothing},
    {"END", vk::End, Marks::Nothing},
    {"HOME", vk::Home, Marks::Nothing},
    {"PRTSC", vk::snapshot, Marks::Nothing},
    {"F1", vk::F1, Marks::Nothing},
    {"F2", vk::F1 + 1, Marks::Nothing},
    {"F3", vk::F1 + 2, Marks::Nothing},
    {"F4", vk::F1 + 3, Marks::Nothing},
    {"F5", vk::F1 + 4, Marks::Nothing},
    {"F6", vk::F1 + 5, Marks::Nothing},
    {"F7", vk::F1 + 6, Marks::Nothing},
    {"F8", vk::F1 + 7, Marks::Nothing},
    {"F9", vk::F1 + 8, Marks::Nothing},
    {"F10", vk::F1 + 9, Marks::Nothing},
    {"F11", vk::F1 + 10, Marks::Nothing},
    {"F12", vk::F1 + 11, Marks::Nothing},
    {"SHIFT", vk::Shift, Marks::ShiftPending},
    {"CTRL", vk::Control, Marks::CtrlPending},
}};

const NamedKey* findNamedKey(std::string_view text) {
    const std::string name = asciiUpper(text);
    for (const NamedKey& key : NamedKeys)
        if (key.name == name)
            return &key;
    return nullptr;
}

} // namespace

LayoutKeySender::LayoutKeySender(Keyboard& keyboard, std::function<void()> dispatchMessages)
    : m_keyboard(keyboard), m_dispatchMessages(std::move(dispatchMessages)) {}

LayoutKeySender::LayoutKeySender(std::unique_ptr<Keyboard> keyboard, std::function<void()> dispatchMessages)
    : m_owned(std::move(keyboard)), m_keyboard(*m_owned), m_dispatchMessages(std::move(dispatchMessages)) {}

void LayoutKeySender::sendNamed(std::uint8_t virtualKey, bool down) {
    if (const auto key = m_keyboard.namedKey(virtualKey))
        m_keyboard.sendKey(*key, down);
}

void LayoutKeySender::tapNamed(std::uint8_t virtualKey) {
    if (const auto key = m_keyboard.namedKey(virtualKey)) {
        m_keyboard.sendKey(*key, true);
        m_keyboard.sendKey(*key, false);
    }
}

void LayoutKeySender::stop() {
    m_stopped = true;
    m_keyboard.stop();
}

void LayoutKeySender::sendKeys(std::string_view Keys) {
    if (m_stopped)
        throw TypingStopped();
    if (Keys.empty())
        return;
    m_keyboard.beginSend();
    Pending pending;
    const bool capsWasOn = m_keyboard.capsLockOn();
    if (capsWasOn)
        tapNamed(vk::Capital);

    for (std::size_t i = 0; i < Keys.size(); ++i) {
        // Positions count from 1: messages are dispatched before positions 10, 20, 30, ...
        if ((i + 1) % 10 == 0 && m_dispatchMessages)
            m_dispatchMessages();
        // An exit served while the keyboard waited or messages were dispatched: the rest of the
        // text is dropped, and what is held is released below.
        if (m_stopped)
            break;
        const char c = Keys[i];
        const auto lookup = m_keyboard.lookupChar(c);
        if (!lookup) {
            // No key on this layout: not a prefix or a brace either, but the character itself,
            // typed some other way where the keyboard has one (the pending modifiers end with it,
            // as with any character typed), or else said to be missing.
            if (m_keyboard.typeUnlisted(c))
                releasePendingModifiers(pending);
            else
                m_untyped += c;
            continue;
        }
        if (c == '@' || c == '^') {
            if (i + 1 >= Keys.size() || Keys[i + 1] != c) {
                if (c == '@') {
                    tapNamed(vk::Menu);
                    pending.alt = true;
                } else {
                    tapNamed(vk::Control);
                    pending.ctrl = true;
                }
            } else {
                ++i;
                typeLayoutChar(pending, *lookup);
            }
        } else if (c == '{') {
            const std::size_t close = Keys.find('}', i + 1);
            if (close == std::string_view::npos) {
                typeLayoutChar(pending, *lookup);
            } else {
                if (const NamedKey* named = findNamedKey(Keys.substr(i + 1, close - i - 1))) {
                    tapNamed(named->virtualKey);
                    if (named->marks == Marks::ShiftPending)
                        pending.shift = true;
                    else if (named->marks == Marks::CtrlPending)
                        pending.ctrl = true;
                }
                i = close;
            }
        } else {
            typeLayoutChar(pending, *lookup);
        }
    }

    // Caps Lock is given back to the user even when the text was cut short: it is the user's own
    // state, not a key typed into the form.
    if (capsWasOn)
        tapNamed(vk::Capital);
    releasePendingModifiers(pending);
    m_keyboard.endSend();
    if (m_stopped)
        throw TypingStopped();
}

// Also after a stop: what went out of the line is given its moment to arrive (the keyboard bounds
// it), so that no key comes after the program has gone.
void LayoutKeySender::awaitTaken() {
    m_keyboard.awaitTaken();
}

void LayoutKeySender::typeLayoutChar(Pending& pending, const KeyStroke& lookup) {
    const bool shiftNeeded = (lookup.shiftState & shiftbit::Shift) != 0;
    if (shiftNeeded)
        sendNamed(vk::Shift, true);
    else if (pending.ctrl)
        sendNamed(vk::Control, true);

    // Characters on a third level (AltGr) need their level's modifiers held around the key, or
    // "@" on a German layout would arrive as "q". They are released right after the key, so the
    // pending modifiers and Shift behave as for any other character.
    std::array<std::uint8_t, 3> levelKeys{};
    std::size_t levelCount = 0;
    if (lookup.shiftState & shiftbit::Ctrl)
        levelKeys[levelCount++] = vk::Control;
    if (lookup.shiftState & shiftbit::Alt)
        levelKeys[levelCount++] = vk::Menu;
    if (lookup.shiftState & shiftbit::AltGr)
        levelKeys[levelCount++] = vk::AltGr;
    for (std::size_t k = 0; k < levelCount; ++k)
        sendNamed(levelKeys[k], true);

    m_keyboard.sendKey(lookup.key, true);
    m_keyboard.sendKey(lookup.key, false);

    for (std::size_t k = levelCount; k > 0; --k)
        sendNamed(levelKeys[k - 1], false);

    releasePendingModifiers(pending);
    if (shiftNeeded)
        sendNamed(vk::Shift, false);
}

void LayoutKeySender::releasePendingModifiers(Pending& pending) {
    if (pending.alt) {
        sendNamed(vk::Menu, false);
        pending.alt = false;
    }
    if (pending.ctrl) {
        sendNamed(vk::Control, false);
        pending.ctrl = false;
    }
    if (pending.shift) {
        sendNamed(vk::Shift, false);
        pending.shift = false;
    }
}

} // namespace travek
