#pragma once

#include "core/quality/Verdict.h"

#include <cstdint>
#include <optional>

namespace travek {

// The colours of a verdict, as 0xRRGGBB, the same in both user interfaces: a traffic light pale
// enough that the black text on it stays readable. Nothing for no verdict (the usual colour).
inline std::optional<std::uint32_t> verdictColour(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok:
        return 0xA8E6A8;
    case Verdict::Warn:
        return 0xFFE066;
    case Verdict::Nok:
        return 0xF47C7C;
    default:
        return std::nullopt;
    }
}

} // namespace travek
