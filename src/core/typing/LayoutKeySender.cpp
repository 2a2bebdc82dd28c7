#include "core/typing/LayoutKeySender.h"

#include "core/text/TextHelpers.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// The gate of one call, between the caller's gate and the keyboard: it keeps the first refusal,
// so that no later press of the text is asked about again, and how far the text had gone out.
// The keyboard asks once for every press it was handed, in the order handed, so the n-th question
// is about the n-th press recorded here, even where the keyboard sends its presses only at the end
// of the call.
class LayoutKeySender::CallGate : public PressGate {
public:
    explicit CallGate(PressGate& outer) : m_outer(outer) {}

    std::string refusal() override {
        if (m_why.empty()) {
            m_why = m_outer.refusal();
            if (m_why.empty() && m_asked < m_typedAt.size())
                m_typed = std::max(m_typed, m_typedAt[m_asked]);
            ++m_asked;
        }
        return m_why;
    }
    void handed(std::size_t typed) { m_typedAt.push_back(typed); }
    bool refused() const { return !m_why.empty(); }
    const std::string& why() const { return m_why; }
    std::size_t typed() const { return m_typed; }

private:
    PressGate& m_outer;
    std::string m_why;
    std::vector<std::size_t> m_typedAt;
    std::size_t m_asked = 0;
    std::size_t m_typed = 0;
};

LayoutKeySender::LayoutKeySender(Keyboard& keyboard, std::function<void()> dispatchMessages)
    : m_keyboard(keyboard), m_dispatchMessages(std::move(dispatchMessages)) {}

LayoutKeySender::LayoutKeySender(std::unique_ptr<Keyboard> keyboard, std::function<void()> dispatchMessages)
    : m_owned(std::move(keyboard)), m_keyboard(*m_owned), m_dispatchMessages(std::move(dispatchMessages)) {}

void LayoutKeySender::press(std::uint32_t key, std::size_t typed) {
    if (m_gate)
        m_gate->handed(typed);
    m_keyboard.sendKey(key, true);
}

void LayoutKeySender::pressNamed(std::uint8_t virtualKey, std::size_t typed) {
    if (const auto key = m_keyboard.namedKey(virtualKey))
        press(*key, typed);
}

void LayoutKeySender::releaseNamed(std::uint8_t virtualKey) {
    if (const auto key = m_keyboard.namedKey(virtualKey))
        m_keyboard.sendKey(*key, false);
}

void LayoutKeySender::tapNamed(std::uint8_t virtualKey, std::size_t typed) {
    if (const auto key = m_keyboard.namedKey(virtualKey)) {
        press(*key, typed);
        m_keyboard.sendKey(*key, false);
    }
}

void LayoutKeySender::stop() {
    m_stopped = true;
    m_keyboard.stop();
}

void LayoutKeySender::sendKeys(std::string_view Keys, PressGate* gate) {
    if (m_stopped)
        throw TypingStopped();
    if (Keys.empty())
        return;
    // A call nested in this one (while messages are dispatched) has a gate of its own, or none.
    std::optional<CallGate> callGate;
    if (gate)
        callGate.emplace(*gate);
    struct GateScope {
        LayoutKeySender& sender;
        CallGate* outer;
        ~GateScope() {
            sender.m_gate = outer;
            sender.m_keyboard.setPressGate(outer);
        }
    } scope{*this, std::exchange(m_gate, callGate ? &*callGate : nullptr)};
    m_keyboard.setPressGate(m_gate);

    m_keyboard.beginSend();
    Pending pending;
    // Caps Lock gives the user's own state back and is never refused: it types nothing.
    const auto capsLock = m_keyboard.namedKey(vk::Capital);
    const bool capsWasOn = m_keyboard.capsLockOn() && capsLock;
    if (capsWasOn) {
        m_keyboard.sendKey(*capsLock, true);
        m_keyboard.sendKey(*capsLock, false);
    }

    for (std::size_t i = 0; i < Keys.size(); ++i) {
        // Positions count from 1: messages are dispatched before positions 10, 20, 30, ...
        if ((i + 1) % 10 == 0 && m_dispatchMessages)
            m_dispatchMessages();
        // An exit served while the keyboard waited or messages were dispatched, or a press the gate
        // refused: the rest of the text is dropped, and what is held is released below.
        if (m_stopped || (m_gate && m_gate->refused()))
            break;
        const char c = Keys[i];
        const auto lookup = m_keyboard.lookupChar(c);
        if (!lookup)
            continue; // no key on this layout: not even a prefix or a brace
        if (c == '@' || c == '^') {
            if (i + 1 >= Keys.size() || Keys[i + 1] != c) {
                if (c == '@') {
                    tapNamed(vk::Menu, i);
                    pending.alt = true;
                } else {
                    tapNamed(vk::Control, i);
                    pending.ctrl = true;
                }
            } else {
                ++i;
                typeLayoutChar(pending, *lookup, i - 1, i + 1);
            }
        } else if (c == '{') {
            const std::size_t close = Keys.find('}', i + 1);
            if (close == std::string_view::npos) {
                typeLayoutChar(pending, *lookup, i, i + 1);
            } else {
                if (const NamedKey* named = findNamedKey(Keys.substr(i + 1, close - i - 1))) {
                    tapNamed(named->virtualKey, close + 1);
                    if (named->marks == Marks::ShiftPending)
                        pending.shift = true;
                    else if (named->marks == Marks::CtrlPending)
                        pending.ctrl = true;
                }
                i = close;
            }
        } else {
            typeLayoutChar(pending, *lookup, i, i + 1);
        }
    }

    // Caps Lock is given back to the user even when the text was cut short: it is the user's own
    // state, not a key typed into the form.
    if (capsWasOn) {
        m_keyboard.sendKey(*capsLock, true);
        m_keyboard.sendKey(*capsLock, false);
    }
    releasePendingModifiers(pending);
    m_keyboard.endSend();
    if (m_stopped)
        throw TypingStopped();
    if (callGate && callGate->refused())
        throw TypingRefused(callGate->why(), std::string(Keys.substr(0, callGate->typed())));
}

void LayoutKeySender::typeLayoutChar(Pending& pending, const KeyStroke& lookup, std::size_t start,
                                     std::size_t typed) {
    const bool shiftNeeded = (lookup.shiftState & shiftbit::Shift) != 0;
    if (shiftNeeded)
        pressNamed(vk::Shift, start);
    else if (pending.ctrl)
        pressNamed(vk::Control, start);

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
        pressNamed(levelKeys[k], start);

    press(lookup.key, typed);
    m_keyboard.sendKey(lookup.key, false);

    for (std::size_t k = levelCount; k > 0; --k)
        releaseNamed(levelKeys[k - 1]);

    releasePendingModifiers(pending);
    if (shiftNeeded)
        releaseNamed(vk::Shift);
}

void LayoutKeySender::releasePendingModifiers(Pending& pending) {
    if (pending.alt) {
        releaseNamed(vk::Menu);
        pending.alt = false;
    }
    if (pending.ctrl) {
        releaseNamed(vk::Control);
        pending.ctrl = false;
    }
    if (pending.shift) {
        releaseNamed(vk::Shift);
        pending.shift = false;
    }
}

} // namespace travek
