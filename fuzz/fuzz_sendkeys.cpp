// The keystroke sender on arbitrary key-sequence texts, on a layout with arbitrary changes and with
// Caps Lock on or off, sometimes with a second text typed while the first one dispatches
// messages. Afterwards no modifier may be left down and Caps Lock must be as it was: a stuck
// Shift or Ctrl would garble everything the user types next.

#include "FuzzSupport.h"
#include "core/typing/LayoutKeySender.h"
#include "core/typing/RecordingKeyboard.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <map>

using namespace travek;
using namespace travek::fuzz;

namespace {

constexpr std::array<std::uint8_t, 4> Modifiers{vk::Shift, vk::Control, vk::Menu, vk::AltGr};

bool isModifierOrLock(std::uint32_t key) {
    return key == vk::Capital || (key >= vk::Shift && key <= vk::Menu) || (key >= 0xA0 && key <= 0xA5) ||
           key == 0x5B || key == 0x5C; // left and right Shift/Ctrl/Alt, Windows keys
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    RecordingKeyboard keyboard;

    // Layout changes: characters moved to other keys and levels, or without a key at all.
    const auto changes = data.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < changes; ++i) {
        const char c = static_cast<char>(data.ConsumeIntegral<std::uint8_t>());
        if (data.ConsumeBool()) {
            keyboard.removeKey(c);
            continue;
        }
        std::uint32_t key = data.ConsumeIntegralInRange<std::uint32_t>(0x08, 0xFE);
        if (isModifierOrLock(key))
            key = 'Q';
        keyboard.setKey(c, {key, data.ConsumeIntegralInRange<std::uint8_t>(0, 15)});
    }
    const bool capsLock = data.ConsumeBool();
    keyboard.setCapsLock(capsLock);
    const int nestedCalls = data.ConsumeIntegralInRange<int>(0, 2);
    const std::string nested = nestedCalls > 0 ? data.ConsumeRandomLengthString(40) : std::string();
    const std::string text = data.ConsumeRemainingBytesAsString();

    int nestedLeft = nestedCalls;
    LayoutKeySender* senderPtr = nullptr;
    LayoutKeySender sender(keyboard, [&] {
        if (nestedLeft > 0) {
            --nestedLeft;
            senderPtr->sendKeys(nested);
        }
    });
    senderPtr = &sender;
    sender.sendKeys(text);

    std::map<std::uint32_t, bool> down;
    for (const RecordingKeyboard::Event& event : keyboard.events())
        down[event.key] = event.down;
    for (std::uint8_t modifier : Modifiers)
        if (down[modifier])
            fail(RecordingKeyboard::keyName(modifier) + " left down after typing \"" + printable(text) +
                 "\": " + keyboard.describe());
    for (const auto& [key, isDown] : down)
        if (isDown)
            fail(RecordingKeyboard::keyName(key) + " left down");
    if (keyboard.capsLockOn() != capsLock)
        fail("Caps Lock not restored after typing \"" + printable(text) + "\"");
    if (keyboard.beginCount() != keyboard.endCount())
        fail("beginSend and endSend unbalanced");
    return 0;
}
