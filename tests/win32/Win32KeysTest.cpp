// Windows keyboard layer, run under wine: the layout look-ups through the real VkKeyScanA (wine's
// US layout) and the keybd_event calls that the sender builds. No test framework is available
// for mingw; CHECK counts failures and the exit status reports them.
#include "KeyOutputFactory.h"
#include "LayoutKeySender.h"
#include "Win32Keyboard.h"
#include "WinCheck.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Call {
    std::uint8_t virtualKey;
    std::uint8_t scanCode;
    std::uint32_t flags;
    std::uintptr_t extraInfo;
    bool operator==(const Call&) const = default;
};

std::vector<Call> calls;
short capsState = 0;

void RecordKeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                      std::uintptr_t extra) {
    calls.push_back({virtualKey, scanCode, flags, extra});
    if (virtualKey == 0x14 && flags == 0)
        capsState ^= 1;
}
short FakeKeyState(int virtualKey) {
    return virtualKey == 0x14 ? capsState : 0;
}

// German layout as VkKeyScanA reports it: "@" is AltGr+Q (Ctrl+Alt), "{" AltGr+7, no "`" key.
short GermanVkKeyScan(char c) {
    switch (c) {
    case '@':
        return 0x0651;
    case '{':
        return 0x0637;
    case '`':
        return -1;
    case 'Z':
        return 0x0159;
    case '\x16': // Ctrl+V
        return 0x0256;
    case '\n': // Ctrl+Enter
        return 0x020D;
    case '\x01': // a lone Alt bit
        return 0x0441;
    default:
        return static_cast<short>(static_cast<unsigned char>(c) >= 'a' && c <= 'z' ? c - 'a' + 'A' : -1);
    }
}

Call down(std::uint8_t key) {
    return {key, 0, 0, 0};
}
Call up(std::uint8_t key) {
    return {key, 0, 2, 0};
}

void LookupsThroughTheSystemLayout() {
    travek::Win32Keyboard keyboard;
    using travek::KeyStroke;
    CHECK(keyboard.lookupChar('a') == (KeyStroke{'A', 0}));
    CHECK(keyboard.lookupChar('A') == (KeyStroke{'A', 1}));
    CHECK(keyboard.lookupChar('5') == (KeyStroke{'5', 0}));
    CHECK(keyboard.lookupChar('@') == (KeyStroke{'2', 1}));
    CHECK(keyboard.lookupChar(',') == (KeyStroke{0xBC, 0}));
    CHECK(keyboard.lookupChar('{') == (KeyStroke{0xDB, 1}));
    CHECK(keyboard.lookupChar('}') == (KeyStroke{0xDD, 1}));
    CHECK(keyboard.lookupChar(' ') == (KeyStroke{0x20, 0}));
    CHECK(!keyboard.lookupChar('\xB0')); // no degree sign on the US layout
    CHECK(keyboard.lookupChar('\x16') == (KeyStroke{'V', 0})); // not Ctrl+V, which would paste
    CHECK(keyboard.namedKey(0x0D) == std::optional<std::uint32_t>(0x0D));
}

void EventsForAValueAndNamedKeysWithCapsLockOn() {
    calls.clear();
    capsState = 1;
    travek::Win32Keyboard keyboard(
        {RecordKeybdEvent, travek::Win32Keyboard::SystemApi().vkKeyScan, FakeKeyState});
    travek::LayoutKeySender sender(keyboard);
    sender.SendKeys("12,5{TAB}");
    const std::vector<Call> expected{
        down(0x14), up(0x14),  down('1'), up('1'),    down('2'), up('2'),    down(0xBC),
        up(0xBC),   down('5'), up('5'),   down(0x09), up(0x09),  down(0x14), up(0x14),
    };
    CHECK(calls == expected);
    CHECK(capsState == 1);
}

void PrefixesAndShift() {
    calls.clear();
    capsState = 0;
    travek::Win32Keyboard keyboard(
        {RecordKeybdEvent, travek::Win32Keyboard::SystemApi().vkKeyScan, FakeKeyState});
    travek::LayoutKeySender sender(keyboard);
    sender.SendKeys("^C@f");
    const std::vector<Call> expected{
        down(0x11), up(0x11),   down(0x10), down('C'), up('C'), up(0x11),
        up(0x10),   down(0x12), up(0x12),   down('F'), up('F'), up(0x12),
    };
    CHECK(calls == expected);
}

// Ctrl and Alt together (AltGr) are held around the key; a lone Ctrl or Alt, which is how
// VkKeyScanA names control characters (0x16 is Ctrl+V), is not: the bare key is typed.
void OnlyCtrlAndAltTogetherAreHeld() {
    calls.clear();
    capsState = 0;
    travek::Win32Keyboard keyboard({RecordKeybdEvent, GermanVkKeyScan, FakeKeyState});
    travek::LayoutKeySender sender(keyboard);
    sender.SendKeys("a@@`Z{\x16\n\x01");
    const std::vector<Call> expected{
        down('A'), up('A'), down(0x11), down(0x12), down('Q'),  up('Q'),   up(0x12), up(0x11), down(0x10),
        down('Y'), up('Y'), up(0x10),   down(0x11), down(0x12), down('7'), up('7'),  up(0x12), up(0x11),
        down('V'), up('V'), down(0x0D), up(0x0D),   down('A'),  up('A'),
    };
    CHECK(calls == expected);
}

void BackendChoice() {
    std::string error;
    CHECK(travek::CreateKeyOutput("", {}, error) != nullptr);
    CHECK(travek::CreateKeyOutput("windows", {}, error) != nullptr);
    CHECK(travek::CreateKeyOutput("log", {}, error) != nullptr);
    error.clear();
    CHECK(travek::CreateKeyOutput("x11", {}, error) == nullptr);
    CHECK(!error.empty());
}

} // namespace

int main() {
    LookupsThroughTheSystemLayout();
    EventsForAValueAndNamedKeysWithCapsLockOn();
    PrefixesAndShift();
    OnlyCtrlAndAltTogetherAreHeld();
    BackendChoice();
    std::printf("%s: %d failure(s)\n", failures ? "FAILED" : "passed", failures);
    return failures ? 1 : 0;
}
