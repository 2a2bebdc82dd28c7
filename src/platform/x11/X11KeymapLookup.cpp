#include "platform/x11/X11KeymapLookup.h"

#include "core/text/TextHelpers.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace travek {

namespace {

struct DeadKey {
    xkb_keysym_t keysym;
    char32_t spacing;
};
constexpr DeadKey DeadKeys[] = {
    {XKB_KEY_dead_circumflex, U'^'}, {XKB_KEY_dead_grave, U'`'},     {XKB_KEY_dead_tilde, U'~'},
    {XKB_KEY_dead_acute, 0xB4},      {XKB_KEY_dead_diaeresis, 0xA8}, {XKB_KEY_dead_cedilla, 0xB8},
    {XKB_KEY_dead_abovering, 0xB0},
};

struct StateDeleter {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};

} // namespace

xkb_keysym_t X11KeymapLookup::virtualKeyToKeysym(std::uint8_t virtualKey) {
    switch (virtualKey) {
    case vk::Back:
        return XKB_KEY_BackSpace;
    case vk::Tab:
        return XKB_KEY_Tab;
    case vk::Return:
        return XKB_KEY_Return;
    case vk::Shift:
        return XKB_KEY_Shift_L;
    case vk::Control:
        return XKB_KEY_Control_L;
    case vk::Menu:
        return XKB_KEY_Alt_L;
    case vk::Capital:
        return XKB_KEY_Caps_Lock;
    case vk::Escape:
        return XKB_KEY_Escape;
    case vk::Prior:
        return XKB_KEY_Prior;
    case vk::Next:
        return XKB_KEY_Next;
    case vk::End:
        return XKB_KEY_End;
    case vk::Home:
        return XKB_KEY_Home;
    case vk::Left:
        return XKB_KEY_Left;
    case vk::Up:
        return XKB_KEY_Up;
    case vk::Right:
        return XKB_KEY_Right;
    case vk::Down:
        return XKB_KEY_Down;
    case vk::snapshot:
        return XKB_KEY_Print;
    case vk::Insert:
        return XKB_KEY_Insert;
    case vk::Delete:
        return XKB_KEY_Delete;
    case vk::AltGr:
        return XKB_KEY_ISO_Level3_Shift;
    default:
        break;
    }
    if (virtualKey >= vk::F1 && virtualKey < vk::F1 + 24)
        return XKB_KEY_F1 + (virtualKey - vk::F1);
    return XKB_KEY_NoSymbol;
}

X11KeymapLookup::X11KeymapLookup(xkb_keymap* keymap, xkb_layout_index_t layout) {
    const xkb_keycode_t minKey = xkb_keymap_min_keycode(keymap);
    // Keys beyond 255 exist in the keymap (the euro sign has one of its own) but cannot be sent
    // through the core protocol.
    const xkb_keycode_t maxKey = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(keymap), 255);
    const xkb_layout_index_t layoutCount = xkb_keymap_num_layouts(keymap);
    if (layout >= layoutCount)
        layout = 0;

    // Keysym to key: the first level of the layout first, then its other levels, then the other
    // layouts, so a modifier or named key is found where a user would press it.
    auto addKeysyms = [&](xkb_layout_index_t group, bool firstLevelOnly) {
        for (xkb_keycode_t key = minKey; key <= maxKey; ++key) {
            const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, key, group);
            for (xkb_level_index_t level = 0; level < levels && (level == 0 || !firstLevelOnly); ++level) {
                const xkb_keysym_t* syms = nullptr;
                const int count = xkb_keymap_key_get_syms_by_level(keymap, key, group, level, &syms);
                for (int s = 0; s < count; ++s)
                    m_keysyms.emplace(syms[s], key);
            }
        }
    };
    addKeysyms(layout, true);
    addKeysyms(layout, false);
    for (xkb_layout_index_t group = 0; group < layoutCount; ++group)
        if (group != layout)
            addKeysyms(group, false);

    struct Combination {
        std::uint8_t shiftState;
        std::vector<xkb_keycode_t> modifiers;
    };
    std::vector<Combination> combinations{{0, {}}};
    const auto shiftKey = keyForVirtualKey(vk::Shift);
    const auto levelThreeKey = keyForVirtualKey(vk::AltGr);
    if (shiftKey)
        combinations.push_back({shiftbit::Shift, {*shiftKey}});
    if (levelThreeKey)
        combinations.push_back({shiftbit::AltGr, {*levelThreeKey}});
    if (shiftKey && levelThreeKey)
        combinations.push_back({shiftbit::Shift | shiftbit::AltGr, {*shiftKey, *levelThreeKey}});

    for (const Combination& combination : combinations) {
        std::unique_ptr<xkb_state, StateDeleter> state(xkb_state_new(keymap));
        if (!state)
            continue;
        xkb_state_update_mask(state.get(), 0, 0, 0, 0, 0, layout);
        for (xkb_keycode_t modifier : combination.modifiers)
            xkb_state_update_key(state.get(), modifier, XKB_KEY_DOWN);
        for (xkb_keycode_t key = minKey; key <= maxKey; ++key) {
            if (std::find(combination.modifiers.begin(), combination.modifiers.end(), key) !=
                combination.modifiers.end())
                continue;
            const KeyStroke stroke{key, combination.shiftState};
            if (const char32_t codepoint = xkb_state_key_get_utf32(state.get(), key)) {
                m_chars.emplace(codepoint, stroke);
                continue;
            }
            const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state.get(), key);
            for (const DeadKey& dead : DeadKeys)
                if (dead.keysym == keysym)
                    m_deadKeys.emplace(dead.spacing, stroke);
        }
    }
}

std::optional<KeyStroke> X11KeymapLookup::lookupCodepoint(char32_t codepoint) const {
    if (codepoint == 0)
        return std::nullopt;
    if (const auto it = m_chars.find(codepoint); it != m_chars.end())
        return it->second;
    if (const auto it = m_deadKeys.find(codepoint); it != m_deadKeys.end())
        return it->second;
    return std::nullopt;
}

bool X11KeymapLookup::isDeadKeyFallback(char32_t codepoint) const {
    return !m_chars.contains(codepoint) && m_deadKeys.contains(codepoint);
}

std::optional<KeyStroke> X11KeymapLookup::lookupChar(char c) const {
    return lookupCodepoint(win1252ToUnicode(c));
}

std::optional<xkb_keycode_t> X11KeymapLookup::keyForKeysym(xkb_keysym_t keysym) const {
    if (const auto it = m_keysyms.find(keysym); it != m_keysyms.end())
        return it->second;
    return std::nullopt;
}

std::optional<xkb_keycode_t> X11KeymapLookup::keyForVirtualKey(std::uint8_t virtualKey) const {
    const xkb_keysym_t keysym = virtualKeyToKeysym(virtualKey);
    if (keysym == XKB_KEY_NoSymbol)
        return std::nullopt;
    if (auto key = keyForKeysym(keysym))
        return key;
    // The other hand's key will do.
    switch (virtualKey) {
    case vk::Shift:
        return keyForKeysym(XKB_KEY_Shift_R);
    case vk::Control:
        return keyForKeysym(XKB_KEY_Control_R);
    case vk::Menu:
        return keyForKeysym(XKB_KEY_Alt_R);
    default:
        return std::nullopt;
    }
}

} // namespace travek
