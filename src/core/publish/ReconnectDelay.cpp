#include "core/publish/ReconnectDelay.h"

#include <algorithm>

namespace travek {

std::chrono::milliseconds ReconnectDelay::next() {
    m_base = m_base.count() == 0 ? First : std::min(m_base * 2, Longest);
    std::uniform_int_distribution<long long> draw(m_base.count() / 2, m_base.count());
    return std::max(First, std::chrono::milliseconds(draw(m_random)));
}

} // namespace travek
