// When the portal keyboard holds keys on GNOME with an input method, and for how long: the decision
// alone, on keymaps compiled from their names and on moments given, not measured.
#include "platform/portal/ModifierHold.h"
#include "platform/portal/InputMethodWatch.h"
#include "platform/wayland/SeatKeymap.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <memory>

namespace travek {
namespace {

using namespace std::chrono_literals;

TEST(ModifierHold, OnlyAChangeOfModifiersWaitsForTheLastKeyPressed) {
    ModifierHold hold;
    const auto t0 = ModifierHold::Clock::now();
    hold.sent(KeyKind::Plain, true, t0);
    for (KeyKind kind : {KeyKind::Plain, KeyKind::OtherLevel, KeyKind::Modifier})
        EXPECT_LT(hold.earliest(kind), t0) << "waited without an input method";

    hold.setActive(true);
    hold.sent(KeyKind::Plain, true, t0);
    // The next digit goes at once; "@" (AltGr) and Ctrl wait until the digit has reached the window.
    EXPECT_LT(hold.earliest(KeyKind::Plain), t0);
    EXPECT_EQ(hold.earliest(KeyKind::OtherLevel), t0 + ModifierHold::Time);
    EXPECT_EQ(hold.earliest(KeyKind::Modifier), t0 + ModifierHold::Time);
    // Releases and a modifier's own press make no text: they move nothing.
    hold.sent(KeyKind::Plain, false, t0 + 1ms);
    hold.sent(KeyKind::Modifier, true, t0 + 2ms);
    EXPECT_EQ(hold.earliest(KeyKind::Modifier), t0 + ModifierHold::Time);
    // The release of "@" waits for its own press.
    hold.sent(KeyKind::OtherLevel, true, t0 + 50ms);
    EXPECT_EQ(hold.earliest(KeyKind::OtherLevel), t0 + 50ms + ModifierHold::Time);
}

std::unique_ptr<xkb_keymap, void (*)(xkb_keymap*)> compile(const char* layouts) {
    static xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", layouts, "", ""};
    return {xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS), xkb_keymap_unref};
}

TEST(SeatKeymap, KeysOnAnotherLevelAreThoseTheDesktopTypesWithShiftOrAltGr) {
    const auto german = compile("de");
    ASSERT_TRUE(german);
    for (xkb_keysym_t keysym : {XKB_KEY_at, XKB_KEY_EuroSign, XKB_KEY_bar, XKB_KEY_braceleft, XKB_KEY_A})
        EXPECT_TRUE(SeatKeymap::onOtherLevel(german.get(), keysym)) << std::hex << keysym;
    for (xkb_keysym_t keysym :
         {XKB_KEY_2, XKB_KEY_comma, XKB_KEY_minus, XKB_KEY_adiaeresis, XKB_KEY_Tab, XKB_KEY_Cyrillic_a})
        EXPECT_FALSE(SeatKeymap::onOtherLevel(german.get(), keysym)) << std::hex << keysym;
    // French digits need Shift; with two layouts, another level in either counts.
    EXPECT_TRUE(SeatKeymap::onOtherLevel(compile("fr").get(), XKB_KEY_2));
    EXPECT_TRUE(SeatKeymap::onOtherLevel(compile("us,fr").get(), XKB_KEY_2));
}

TEST(InputMethodWatch, MutterSendsTheModifiersEarlyBefore49_1) {
    for (const char* version : {"43.9", "48.7", "49.alpha", "49.rc", "49.0", "3.38.4", "?"})
        EXPECT_TRUE(InputMethodWatch::sendsModifiersEarly(version)) << version;
    for (const char* version : {"49.1", "49.1.1", "50.alpha", "51.2"})
        EXPECT_FALSE(InputMethodWatch::sendsModifiersEarly(version)) << version;
}

} // namespace
} // namespace travek
