#include "platform/x11/X11KeymapLookup.h"
#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace travek {
namespace {

struct ContextDeleter {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct KeymapDeleter {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct StateDeleter {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};
using Keymap = std::unique_ptr<xkb_keymap, KeymapDeleter>;

Keymap compileLayout(const char* layout) {
    static std::unique_ptr<xkb_context, ContextDeleter> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    const xkb_rule_names names{"evdev", "pc105", layout, "", ""};
    return Keymap(xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

// Presses the looked-up key with the modifier keys its shift state names, as the X server would
// see the events, and returns the state just before the key is released.
std::unique_ptr<xkb_state, StateDeleter> replay(xkb_keymap* keymap, xkb_layout_index_t layout,
                                                const X11KeymapLookup& lookup, const KeyStroke& stroke) {
    std::unique_ptr<xkb_state, StateDeleter> state(xkb_state_new(keymap));
    xkb_state_update_mask(state.get(), 0, 0, 0, 0, 0, layout);
    if (stroke.shiftState & shiftbit::Shift)
        xkb_state_update_key(state.get(), *lookup.keyForVirtualKey(vk::Shift), XKB_KEY_DOWN);
    if (stroke.shiftState & shiftbit::AltGr)
        xkb_state_update_key(state.get(), *lookup.keyForVirtualKey(vk::AltGr), XKB_KEY_DOWN);
    return state;
}

// Every printable ASCII character the layout has comes back from its key; returns the characters
// the layout has no key for, and those reached only through a dead key.
void roundTripAscii(const char* layoutName, xkb_layout_index_t layout, std::string& missing,
                    std::string& dead) {
    Keymap keymap = compileLayout(layoutName);
    ASSERT_TRUE(keymap) << layoutName;
    const X11KeymapLookup lookup(keymap.get(), layout);
    for (char c = 0x20; c < 0x7F; ++c) {
        const auto stroke = lookup.lookupChar(c);
        if (!stroke) {
            missing += c;
            continue;
        }
        auto state = replay(keymap.get(), layout, lookup, *stroke);
        if (lookup.isDeadKeyFallback(static_cast<unsigned char>(c))) {
            dead += c;
            char name[64];
            xkb_keysym_get_name(xkb_state_key_get_one_sym(state.get(), stroke->key), name, sizeof name);
            EXPECT_EQ(std::string(name).rfind("dead_", 0), 0u) << layoutName << " '" << c << "' -> " << name;
            continue;
        }
        EXPECT_EQ(xkb_state_key_get_utf32(state.get(), stroke->key), static_cast<char32_t>(c))
            << layoutName << " '" << c << "' key " << stroke->key << " shift state "
            << int(stroke->shiftState);
    }
}

TEST(X11KeymapLookupTest, PrintableAsciiRoundTripsUnderUsDeAndFr) {
    std::string missing, dead;
    roundTripAscii("us", 0, missing, dead);
    EXPECT_EQ(missing, "");
    EXPECT_EQ(dead, "");

    missing.clear();
    dead.clear();
    roundTripAscii("de", 0, missing, dead);
    EXPECT_EQ(missing, "");
    EXPECT_EQ(dead, "^`"); // dead keys on the German layout

    missing.clear();
    dead.clear();
    roundTripAscii("fr", 0, missing, dead);
    EXPECT_EQ(missing, "");
    EXPECT_EQ(dead, "");

    // The second group of a two-layout keymap, as when the user has switched to it.
    missing.clear();
    dead.clear();
    roundTripAscii("us,de", 1, missing, dead);
    EXPECT_EQ(missing, "");
    EXPECT_EQ(dead, "^`");
}

TEST(X11KeymapLookupTest, LevelsNeedShiftAndAltGrAsTheLayoutSays) {
    Keymap us = compileLayout("us");
    Keymap de = compileLayout("de");
    Keymap fr = compileLayout("fr");
    const X11KeymapLookup usLookup(us.get(), 0);
    const X11KeymapLookup deLookup(de.get(), 0);
    const X11KeymapLookup frLookup(fr.get(), 0);
    constexpr xkb_keycode_t Q = 24, Y = 29, Seven = 16, Two = 11, Zero = 19, One = 10, E = 26;

    EXPECT_EQ(usLookup.lookupChar('@'), (KeyStroke{Two, shiftbit::Shift}));
    EXPECT_EQ(usLookup.lookupChar('q'), (KeyStroke{Q, 0}));
    EXPECT_EQ(deLookup.lookupChar('@'), (KeyStroke{Q, shiftbit::AltGr}));
    EXPECT_EQ(deLookup.lookupChar('{'), (KeyStroke{Seven, shiftbit::AltGr}));
    EXPECT_EQ(deLookup.lookupChar('}'), (KeyStroke{Zero, shiftbit::AltGr}));
    EXPECT_EQ(deLookup.lookupChar('Z'), (KeyStroke{Y, shiftbit::Shift}));
    EXPECT_EQ(frLookup.lookupChar('a'), (KeyStroke{Q, 0}));
    EXPECT_EQ(frLookup.lookupChar('1'), (KeyStroke{One, shiftbit::Shift}));

    // Windows-1252 beyond ASCII: umlaut, degree sign and the euro sign at 0x80.
    EXPECT_EQ(deLookup.lookupChar('\xE4'), (KeyStroke{48, 0}));
    EXPECT_EQ(deLookup.lookupChar('\x80'), (KeyStroke{E, shiftbit::AltGr}));
    EXPECT_FALSE(usLookup.lookupChar('\xE4'));
    EXPECT_FALSE(usLookup.lookupChar('\x81')); // unassigned in Windows-1252
    EXPECT_FALSE(usLookup.lookupChar('\0'));
}

TEST(X11KeymapLookupTest, NamedKeysAndModifiersFindTheirKeys) {
    Keymap de = compileLayout("de");
    const X11KeymapLookup lookup(de.get(), 0);
    EXPECT_EQ(lookup.keyForVirtualKey(vk::Return), 36u);
    EXPECT_EQ(lookup.keyForVirtualKey(vk::Tab), 23u);
    EXPECT_EQ(lookup.keyForVirtualKey(vk::Capital), 66u);
    EXPECT_EQ(lookup.keyForVirtualKey(vk::Shift), 50u);
    EXPECT_EQ(lookup.keyForVirtualKey(vk::Control), 37u);
    EXPECT_EQ(lookup.keyForVirtualKey(vk::Menu), 64u);
    EXPECT_EQ(lookup.keyForVirtualKey(vk::Delete), 119u);
    EXPECT_EQ(lookup.keyForVirtualKey(vk::snapshot), 107u);
    EXPECT_EQ(lookup.keyForVirtualKey(vk::F1 + 11), 96u);
    const auto altGr = lookup.keyForVirtualKey(vk::AltGr);
    ASSERT_TRUE(altGr);
    const xkb_keysym_t* syms = nullptr;
    ASSERT_EQ(xkb_keymap_key_get_syms_by_level(de.get(), *altGr, 0, 0, &syms), 1);
    EXPECT_EQ(syms[0], static_cast<xkb_keysym_t>(XKB_KEY_ISO_Level3_Shift));
    EXPECT_FALSE(lookup.keyForVirtualKey(0x07));
}

// The reason a backend cannot type, empty when it can.
std::string lookupFailure(const std::string& backend) {
    try {
        createKeyOutput(backend, {});
        return {};
    } catch (const Error& error) {
        return error.what();
    }
}

TEST(KeyOutputFactoryTest, ChoosesTheBackendOrSaysWhyNot) {
    EXPECT_EQ(lookupFailure("log"), "");

    const char* saved = std::getenv("DISPLAY");
    const std::string savedDisplay = saved ? saved : "";
    unsetenv("DISPLAY");
    EXPECT_NE(lookupFailure("").find("DISPLAY"), std::string::npos);
    setenv("DISPLAY", ":97531", 1); // nobody listens there
    EXPECT_NE(lookupFailure("x11").find(":97531"), std::string::npos);
    if (saved)
        setenv("DISPLAY", savedDisplay.c_str(), 1);
    else
        unsetenv("DISPLAY");

    // In a Wayland session the default is the Wayland keyboard, and its failure says what would
    // work rather than typing into X11 windows only.
    setenv("WAYLAND_DISPLAY", "travek-nobody-listens", 1);
    const std::string wayland = lookupFailure("");
    EXPECT_NE(wayland.find("travek-nobody-listens"), std::string::npos) << wayland;
    EXPECT_NE(wayland.find("--keyboard=x11"), std::string::npos) << wayland;
    EXPECT_NE(lookupFailure("wayland").find("travek-nobody-listens"), std::string::npos);
    unsetenv("WAYLAND_DISPLAY");

    EXPECT_NE(lookupFailure("windows"), "");
    EXPECT_NE(lookupFailure("X11 ").find("Unknown keyboard"), std::string::npos);
}

} // namespace
} // namespace travek
