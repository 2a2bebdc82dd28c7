#pragma once

#include "core/typing/KeyOutput.h"
#include "core/typing/Keyboard.h"

#include <functional>
#include <memory>

namespace travek {

// Types key-sequence texts through a platform keyboard. Every call keeps its own state, so a call
// that starts while messages are dispatched in the middle of another one is safe.
class LayoutKeySender : public KeyOutput {
public:
    // dispatchMessages runs at every tenth position of a text (the Qt shell passes
    // QtKeyWait::dispatch); it may be empty.
    explicit LayoutKeySender(Keyboard& keyboard, std::function<void()> dispatchMessages = {});
    explicit LayoutKeySender(std::unique_ptr<Keyboard> keyboard, std::function<void()> dispatchMessages = {});

    void sendKeys(std::string_view Keys, PressGate* gate = nullptr) override;
    void setKeyDelay(int milliseconds) override { m_keyboard.setKeyDelay(milliseconds); }
    void stop() override;

private:
    struct Pending {
        bool alt = false;
        bool ctrl = false;
        bool shift = false;
    };
    class CallGate;

    // typed is how far the text has gone out once the press is sent: a character counts from its
    // own key's press on, not from its Shift's.
    void typeLayoutChar(Pending& pending, const KeyStroke& lookup, std::size_t start, std::size_t typed);
    void releasePendingModifiers(Pending& pending);
    void tapNamed(std::uint8_t virtualKey, std::size_t typed);
    void press(std::uint32_t key, std::size_t typed);
    void pressNamed(std::uint8_t virtualKey, std::size_t typed);
    void releaseNamed(std::uint8_t virtualKey);

    std::unique_ptr<Keyboard> m_owned;
    Keyboard& m_keyboard;
    std::function<void()> m_dispatchMessages;
    bool m_stopped = false;
    // The gate of the call being typed; none for a call without one.
    CallGate* m_gate = nullptr;
};

} // namespace travek
