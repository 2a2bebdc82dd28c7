#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/text/TextHelpers.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace travek {

// What TRAVEK reads in one line from the box, by the interface definition: the line as it is
// looked at, the channel it names and the value cut out of it.
struct LineReading {
    // Only the first characters of a line are ever looked at.
    static constexpr std::size_t MaxLength = 30;
    static constexpr std::size_t MaxValueTextLength = 100;

    std::string line;            // the first MaxLength characters received, the LF after the last CR removed
    int channel = 0;             // 0 when no identifier occurs
    std::string valueText;       // from startPos up to, not including, endPos; empty without a channel
    std::optional<double> value; // none when the value text holds no number
    ValueFault valueFault = ValueFault::None; // why there is no value (a line with a channel)
};

// received: the characters before the line's CR.
LineReading readLine(const InterfaceDefinition& definition, std::string_view received);

} // namespace travek
