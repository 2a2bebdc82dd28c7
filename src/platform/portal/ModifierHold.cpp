#include "platform/portal/ModifierHold.h"

namespace travek {

ModifierHold::Clock::time_point ModifierHold::earliest(KeyKind kind) const {
    if (!m_active || kind == KeyKind::Plain)
        return Clock::time_point::min();
    return m_lastPress + Time;
}

void ModifierHold::sent(KeyKind kind, bool down, Clock::time_point at) {
    // A modifier's own press makes no text, and the release of any key makes none either: the
    // window may read those with whatever modifiers it likes.
    if (down && kind != KeyKind::Modifier)
        m_lastPress = at;
}

} // namespace travek
