#pragma once

#include "core/typing/Keyboard.h"

#include <map>
#include <string>
#include <vector>

namespace travek {

// A keyboard that types nowhere: it records every key event. Its layout is the US layout as the
// Windows layout lookup reports it (keys are virtual-key codes); tests change single characters
// with setKey/removeKey. Caps Lock toggles on every press of its key, as on a real keyboard. A press
// that the gate refuses is not recorded; releases always are.
class RecordingKeyboard : public Keyboard {
public:
    struct Event {
        std::uint32_t key;
        bool down;
        bool operator==(const Event&) const = default;
    };

    RecordingKeyboard();

    void beginSend() override { ++m_beginCount; }
    void endSend() override { ++m_endCount; }
    std::optional<KeyStroke> lookupChar(char c) override;
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override { return virtualKey; }
    void sendKey(std::uint32_t key, bool down) override;
    bool capsLockOn() override { return m_capsLock; }

    void setKey(char c, KeyStroke stroke) { m_layout[c] = stroke; }
    void removeKey(char c) { m_layout.erase(c); }
    void setCapsLock(bool on) { m_capsLock = on; }

    const std::vector<Event>& events() const { return m_events; }
    void clear() { m_events.clear(); }
    int beginCount() const { return m_beginCount; }
    int endCount() const { return m_endCount; }

    // The events in the words a person uses for them: "Shift down, C down, C up, Shift up".
    std::string describe() const;
    static std::string keyName(std::uint32_t key);

private:
    std::map<char, KeyStroke> m_layout;
    std::vector<Event> m_events;
    bool m_capsLock = false;
    int m_beginCount = 0;
    int m_endCount = 0;
};

} // namespace travek
