#include "core/typing/LayoutKeySender.h"
#include "core/typing/KeyOutput.h"
#include "core/typing/LogKeySender.h"
#include "core/typing/RecordingKeyboard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace travek {
namespace {

struct Row {
    const char* text;
    const char* events;
};

class LayoutKeySenderTest : public ::testing::Test {
protected:
    std::string typed(std::string_view text) {
        keyboard.clear();
        sender.sendKeys(text);
        return keyboard.describe();
    }

    RecordingKeyboard keyboard;
    int dispatches = 0;
    LayoutKeySender sender{keyboard, [this] { ++dispatches; }};
};

TEST_F(LayoutKeySenderTest, EventSequencesOfTheTable) {
    const Row rows[] = {
        {"c", "C down, C up"},
        {"C", "Shift down, C down, C up, Shift up"},
        {"^c", "Ctrl down, Ctrl up, Ctrl down, C down, C up, Ctrl up"},
        {"^C", "Ctrl down, Ctrl up, Shift down, C down, C up, Ctrl up, Shift up"},
        {"@f", "Alt down, Alt up, F down, F up, Alt up"},
        {"{SHIFT}c", "Shift down, Shift up, C down, C up, Shift up"},
        {"^{ENTER}", "Ctrl down, Ctrl up, Return down, Return up, Ctrl up"},
        {"12,5{TAB}", "1 down, 1 up, 2 down, 2 up, comma down, comma up, 5 down, 5 up, Tab down, Tab up"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(typed(row.text), row.events) << "text: " << row.text;
}

TEST_F(LayoutKeySenderTest, EdgeCasesOfNamesAndBraces) {
    const Row rows[] = {
        {"{enter}", "Return down, Return up"},
        {"{Enter}", "Return down, Return up"},
        {"{ ENTER }", ""},
        {"{ALT}", ""},
        {"{}", ""},
        {"{{ENTER}", ""},
        {"{ENTER}}", "Return down, Return up, Shift down, ] down, ] up, Shift up"},
        {"ab{", "A down, A up, B down, B up, Shift down, [ down, [ up, Shift up"},
        {"@@", "Shift down, 2 down, 2 up, Shift up"},
        {"^^", "Shift down, 6 down, 6 up, Shift up"},
        {"x@", "X down, X up, Alt down, Alt up, Alt up"},
        {"{CTRL}{DEL}", "Ctrl down, Ctrl up, VK 0x2E down, VK 0x2E up, Ctrl up"},
        {"{F12}{f1}{PRTSC}", "F12 down, F12 up, F1 down, F1 up, VK 0x2C down, VK 0x2C up"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(typed(row.text), row.events) << "text: " << row.text;
}

TEST_F(LayoutKeySenderTest, EveryNamedKeyTapsItsVirtualKey) {
    const std::pair<const char*, std::uint32_t> names[] = {
        {"INS", 0x2D},  {"DEL", 0x2E},  {"ENTER", 0x0D}, {"TAB", 0x09},   {"ESC", 0x1B},
        {"BACK", 0x08}, {"UP", 0x26},   {"DOWN", 0x28},  {"LEFT", 0x25},  {"RIGHT", 0x27},
        {"PGDN", 0x22}, {"PGUP", 0x21}, {"END", 0x23},   {"HOME", 0x24},  {"PRTSC", 0x2C},
        {"F1", 0x70},   {"F10", 0x79},  {"F12", 0x7B},   {"SHIFT", 0x10}, {"CTRL", 0x11},
    };
    for (const auto& [name, key] : names) {
        keyboard.clear();
        sender.sendKeys(std::string("{") + name + "}");
        ASSERT_GE(keyboard.events().size(), 2u) << name;
        EXPECT_EQ(keyboard.events()[0], (RecordingKeyboard::Event{key, true})) << name;
        EXPECT_EQ(keyboard.events()[1], (RecordingKeyboard::Event{key, false})) << name;
    }
    EXPECT_EQ(typed("{F13}{ALT}{CAPS}"), "");
}

TEST_F(LayoutKeySenderTest, EmptyTextSendsNothingAndLeavesCapsLockAlone) {
    keyboard.setCapsLock(true);
    EXPECT_EQ(typed(""), "");
    EXPECT_TRUE(keyboard.capsLockOn());
    EXPECT_EQ(keyboard.beginCount(), 0);
}

TEST_F(LayoutKeySenderTest, CapsLockIsSwitchedOffAroundTheTextAndBackOn) {
    keyboard.setCapsLock(true);
    EXPECT_EQ(typed("a"), "Caps Lock down, Caps Lock up, A down, A up, Caps Lock down, Caps Lock up");
    EXPECT_TRUE(keyboard.capsLockOn());
    // The restoring tap comes before pending modifiers are let go.
    EXPECT_EQ(typed("x@"), "Caps Lock down, Caps Lock up, X down, X up, Alt down, Alt up, "
                           "Caps Lock down, Caps Lock up, Alt up");
    EXPECT_TRUE(keyboard.capsLockOn());
}

TEST_F(LayoutKeySenderTest, CharactersWithoutKeyAreSkippedEvenAsPrefixOrBrace) {
    EXPECT_EQ(typed("a\xB0"
                    "b"),
              "A down, A up, B down, B up");
    keyboard.removeKey('{');
    EXPECT_EQ(typed("{tab}"), "T down, T up, A down, A up, B down, B up, Shift down, ] down, ] up, Shift up");
    keyboard.removeKey('^');
    EXPECT_EQ(typed("^c"), "C down, C up");
}

TEST_F(LayoutKeySenderTest, MessagesAreDispatchedBeforeEveryTenthPosition) {
    std::vector<std::size_t> eventsAtDispatch;
    LayoutKeySender counting(keyboard, [&] { eventsAtDispatch.push_back(keyboard.events().size()); });
    counting.sendKeys(std::string(25, 'a'));
    // Nine characters (18 events) are typed before position 10, nineteen before position 20.
    EXPECT_EQ(eventsAtDispatch, (std::vector<std::size_t>{18, 38}));

    // Positions jumped over by a named key do not count.
    dispatches = 0;
    sender.sendKeys("12345678{TAB}x");
    EXPECT_EQ(dispatches, 0);
    sender.sendKeys("123456789{TAB}");
    EXPECT_EQ(dispatches, 1);
}

TEST_F(LayoutKeySenderTest, AltGrCharactersHoldTheirLevelModifiersAroundTheKey) {
    // German Windows layout: "@" is AltGr+Q, reported as Ctrl+Alt; "{" is AltGr+7.
    keyboard.setKey('@', {'Q', shiftbit::Ctrl | shiftbit::Alt});
    keyboard.setKey('{', {'7', shiftbit::Ctrl | shiftbit::Alt});
    EXPECT_EQ(typed("a@@"), "A down, A up, Ctrl down, Alt down, Q down, Q up, Alt up, Ctrl up");
    EXPECT_EQ(typed("{"), "Ctrl down, Alt down, 7 down, 7 up, Alt up, Ctrl up");
    // The doubled prefix types the character with its level, then lets a pending Alt go.
    EXPECT_EQ(typed("@f@@"), "Alt down, Alt up, F down, F up, Alt up, "
                             "Ctrl down, Alt down, Q down, Q up, Alt up, Ctrl up");

    // An X11 layout reports the third level as AltGr; Shift on the fourth level comes first.
    keyboard.setKey('}', {'0', shiftbit::AltGr});
    keyboard.setKey('\xA6', {'0', shiftbit::Shift | shiftbit::AltGr});
    EXPECT_EQ(typed("^}"), "Ctrl down, Ctrl up, Ctrl down, AltGr down, 0 down, 0 up, AltGr up, Ctrl up");
    EXPECT_EQ(typed("\xA6"), "Shift down, AltGr down, 0 down, 0 up, AltGr up, Shift up");
}

TEST_F(LayoutKeySenderTest, NestedCallFromDispatchKeepsItsOwnState) {
    bool nested = false;
    LayoutKeySender reentrant(keyboard, [&] {
        if (!nested) {
            nested = true;
            reentrant.sendKeys("z");
        }
    });
    keyboard.clear();
    reentrant.sendKeys("12345678^c");
    // The inner "z" comes before position 10, while the outer "^" is pending; it is typed without
    // Ctrl, and the outer "c" still gets its Ctrl.
    EXPECT_EQ(keyboard.describe(), "1 down, 1 up, 2 down, 2 up, 3 down, 3 up, 4 down, 4 up, 5 down, 5 up, "
                                   "6 down, 6 up, 7 down, 7 up, 8 down, 8 up, Ctrl down, Ctrl up, "
                                   "Z down, Z up, Ctrl down, C down, C up, Ctrl up");
    EXPECT_EQ(keyboard.beginCount(), keyboard.endCount());
}

TEST_F(LayoutKeySenderTest, AStopDropsTheRestReleasesWhatIsPendingAndGivesCapsLockBack) {
    // The program is ended while the messages are dispatched before position 10, with Ctrl
    // pending for the next character and Caps Lock switched off for the call.
    LayoutKeySender stopped(keyboard, [&] { stopped.stop(); });
    keyboard.setCapsLock(true);
    keyboard.clear();
    EXPECT_THROW(stopped.sendKeys("12345678^cdefg"), TypingStopped);
    EXPECT_EQ(keyboard.describe(), "Caps Lock down, Caps Lock up, 1 down, 1 up, 2 down, 2 up, 3 down, 3 up, "
                                   "4 down, 4 up, 5 down, 5 up, 6 down, 6 up, 7 down, 7 up, 8 down, 8 up, "
                                   "Ctrl down, Ctrl up, Caps Lock down, Caps Lock up, Ctrl up");
    EXPECT_EQ(keyboard.beginCount(), keyboard.endCount());
    keyboard.clear();
    EXPECT_THROW(stopped.sendKeys("1"), TypingStopped);
    EXPECT_EQ(keyboard.describe(), "");
}

TEST_F(LayoutKeySenderTest, AGateRefusalDropsEveryLaterPressReleasesWhatIsHeldAndSaysWhatWentOut) {
    // The gate lets two presses go: "a", then the Shift of "B", but not B's own key.
    struct Gate : PressGate {
        int left = 2;
        std::string refusal() override { return left-- > 0 ? "" : "Posteingang"; }
    } gate;
    keyboard.setCapsLock(true);
    keyboard.clear();
    try {
        sender.sendKeys("aB^cd", &gate);
        ADD_FAILURE() << "not refused";
    } catch (const TypingRefused& refused) {
        EXPECT_STREQ(refused.what(), "Posteingang");
        EXPECT_EQ(refused.sent, "a");
    }
    EXPECT_EQ(keyboard.describe(), "Caps Lock down, Caps Lock up, A down, A up, Shift down, B up, Shift up, "
                                   "Caps Lock down, Caps Lock up");
    // The next text has a gate of its own.
    keyboard.clear();
    sender.sendKeys("d");
    EXPECT_EQ(keyboard.describe(),
              "Caps Lock down, Caps Lock up, D down, D up, Caps Lock down, Caps Lock up");
}

TEST(LogKeySenderTest, WritesOneLinePerCallExactlyAsPassed) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    LogKeySender log(file);
    log.sendKeys("12,345");
    log.sendKeys("");
    log.sendKeys("{TAB}");
    log.sendKeys(" a\xE4^@ ");
    std::rewind(file);
    std::string content;
    for (int c; (c = std::fgetc(file)) != EOF;)
        content += static_cast<char>(c);
    std::fclose(file);
    EXPECT_EQ(content, "keys 12,345\nkeys {TAB}\nkeys  a\xE4^@ \n");
}

} // namespace
} // namespace travek
