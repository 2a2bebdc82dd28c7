// The Windows keyboard under wine: layout look-ups through the real VkKeyScanA (wine's built-in US
// layout, as wine-run.sh runs without a display) and the keybd_event calls the sender builds,
// recorded instead of typed into the desktop.
#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "core/typing/KeyWait.h"
#include "core/typing/LayoutKeySender.h"
#include "platform/win32/Win32Keyboard.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

namespace travek {
namespace {

struct Call {
    std::uint8_t virtualKey;
    std::uint8_t scanCode;
    std::uint32_t flags;
    std::uintptr_t extraInfo;
    bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Call& call) {
    return out << (call.flags & Win32Keyboard::KeyUpFlag ? "up(" : "down(") << std::hex << "0x"
               << int(call.virtualKey) << std::dec << ", scan " << int(call.scanCode) << ", flags "
               << call.flags << ", extra " << call.extraInfo << ")";
}

// keybd_event and GetKeyState take plain function pointers: the recording lives in globals.
std::vector<Call> calls;
short capsState = 0;

void recordKeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                      std::uintptr_t extra) {
    calls.push_back({virtualKey, scanCode, flags, extra});
    if (virtualKey == vk::Capital && flags == 0)
        capsState ^= 1;
}
short fakeKeyState(int virtualKey) {
    return virtualKey == vk::Capital ? capsState : 0;
}

// German layout as VkKeyScanA reports it: "@" is AltGr+Q (Ctrl+Alt), "{" AltGr+7, no "`" key.
short germanVkKeyScan(char c) {
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
        return static_cast<short>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : -1);
    }
}

Call down(std::uint8_t key) {
    return {key, 0, 0, 0};
}
Call up(std::uint8_t key) {
    return {key, 0, Win32Keyboard::KeyUpFlag, 0};
}

class Win32KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        capsState = 0;
    }
    // Records instead of typing; the layout is the system's unless one is given.
    static Win32Keyboard recording(short (*vkKeyScan)(char) = Win32Keyboard::SystemApi().vkKeyScan) {
        return Win32Keyboard({recordKeybdEvent, vkKeyScan, fakeKeyState});
    }
};

TEST_F(Win32KeyboardTest, LooksCharactersUpInTheSystemLayout) {
    Win32Keyboard keyboard;
    EXPECT_EQ(keyboard.lookupChar('a'), (KeyStroke{'A', 0}));
    EXPECT_EQ(keyboard.lookupChar('A'), (KeyStroke{'A', shiftbit::Shift}));
    EXPECT_EQ(keyboard.lookupChar('5'), (KeyStroke{'5', 0}));
    EXPECT_EQ(keyboard.lookupChar('@'), (KeyStroke{'2', shiftbit::Shift}));
    EXPECT_EQ(keyboard.lookupChar(','), (KeyStroke{0xBC, 0}));
    EXPECT_EQ(keyboard.lookupChar('{'), (KeyStroke{0xDB, shiftbit::Shift}));
    EXPECT_EQ(keyboard.lookupChar('}'), (KeyStroke{0xDD, shiftbit::Shift}));
    EXPECT_EQ(keyboard.lookupChar(' '), (KeyStroke{0x20, 0}));
    EXPECT_EQ(keyboard.lookupChar('\xB0'), std::nullopt);        // no degree sign on the US layout
    EXPECT_EQ(keyboard.lookupChar('\x16'), (KeyStroke{'V', 0})); // not Ctrl+V, which would paste
    EXPECT_EQ(keyboard.namedKey(vk::Return), std::optional<std::uint32_t>(vk::Return));
}

// Caps Lock is switched off around the text and on again afterwards, so letters and digits come
// out as written.
TEST_F(Win32KeyboardTest, ValueAndNamedKeyWithCapsLockOn) {
    capsState = 1;
    Win32Keyboard keyboard = recording();
    LayoutKeySender sender(keyboard);
    sender.sendKeys("12,5{TAB}");
    const std::vector<Call> expected{
        down(0x14), up(0x14),  down('1'), up('1'),    down('2'), up('2'),    down(0xBC),
        up(0xBC),   down('5'), up('5'),   down(0x09), up(0x09),  down(0x14), up(0x14),
    };
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(capsState, 1);
}

TEST_F(Win32KeyboardTest, PrefixKeysAndShift) {
    Win32Keyboard keyboard = recording();
    LayoutKeySender sender(keyboard);
    sender.sendKeys("^C@f");
    const std::vector<Call> expected{
        down(0x11), up(0x11),   down(0x10), down('C'), up('C'), up(0x11),
        up(0x10),   down(0x12), up(0x12),   down('F'), up('F'), up(0x12),
    };
    EXPECT_EQ(calls, expected);
}

// Ctrl and Alt together (AltGr) are held around the key; a lone Ctrl or Alt, which is how
// VkKeyScanA names control characters (0x16 is Ctrl+V), is not: the bare key is typed.
TEST_F(Win32KeyboardTest, OnlyCtrlAndAltTogetherAreHeld) {
    Win32Keyboard keyboard = recording(germanVkKeyScan);
    LayoutKeySender sender(keyboard);
    sender.sendKeys("a@@`Z{\x16\n\x01");
    const std::vector<Call> expected{
        down('A'),  up('A'),   down(0x11), down(0x12), down('Q'),  up('Q'),    up(0x12),  up(0x11),
        down(0x10), down('Y'), up('Y'),    up(0x10),   down(0x11), down(0x12), down('7'), up('7'),
        up(0x12),   up(0x11),  down('V'),  up('V'),    down(0x0D), up(0x0D),   down('A'), up('A'),
    };
    EXPECT_EQ(calls, expected);
}

// The window is closed while a slow pace waits: the wait ends, nothing more is pressed, and what
// was pressed is released.
TEST_F(Win32KeyboardTest, AStopEndsThePaceAndPressesNothingMore) {
    struct ClosingWait : KeyWait {
        KeyOutput* output = nullptr;
        int waits = 0;
        void dispatch() override {}
        // The session's shut-down, run by the window's close that the wait served.
        void waitUntil(Clock::time_point, std::intptr_t) override {
            if (++waits == 2)
                output->stop();
        }
        void wake() override {}
    } wait;
    Win32Keyboard keyboard({recordKeybdEvent, Win32Keyboard::SystemApi().vkKeyScan, fakeKeyState}, &wait);
    keyboard.setKeyDelay(1000);
    LayoutKeySender sender(keyboard);
    wait.output = &sender;
    try {
        sender.sendKeys("1B{TAB}");
    } catch (const Error&) {
        // the rest of the text was dropped, and said so
    }
    EXPECT_EQ(wait.waits, 2);
    int held = 0;
    for (const Call& call : calls) {
        const bool press = !(call.flags & Win32Keyboard::KeyUpFlag);
        EXPECT_FALSE(press && (call.virtualKey == 'B' || call.virtualKey == 0x09)) << call;
        held += press ? 1 : -1;
    }
    EXPECT_LE(held, 0) << "a key was left held";
}

TEST_F(Win32KeyboardTest, BackendChoice) {
    EXPECT_NE(createKeyOutput("", {}), nullptr);
    EXPECT_NE(createKeyOutput("auto", {}), nullptr);
    EXPECT_NE(createKeyOutput("windows", {}), nullptr);
    EXPECT_NE(createKeyOutput("log", {}), nullptr);
    try {
        createKeyOutput("x11", {});
        ADD_FAILURE() << "the x11 keyboard was accepted on Windows";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()), "");
    }
}

} // namespace
} // namespace travek
