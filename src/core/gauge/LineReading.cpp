#include "core/gauge/LineReading.h"

#include "core/text/TextHelpers.h"

namespace travek {

LineReading readLine(const InterfaceDefinition& definition, std::string_view received) {
    LineReading reading;
    reading.line = std::string(received.substr(0, LineReading::MaxLength));
    // The LF after the previous line's CR stands at the start of this one.
    if (const auto lf = reading.line.find('\n'); lf != std::string::npos)
        reading.line.erase(lf, 1);

    reading.channel = identifyChannel(definition, reading.line);
    if (reading.channel == 0)
        return reading;
    const int start = definition.startPos == 0 ? 1 : definition.startPos;
    const int count = int(definition.endPos) - int(definition.startPos);
    if (count > 0 && static_cast<std::size_t>(start) <= reading.line.size())
        reading.valueText =
            reading.line.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count))
                .substr(0, LineReading::MaxValueTextLength);
    const ValueConversion conversion = readValueText(reading.valueText);
    reading.valueFault = conversion.fault;
    if (conversion.fault == ValueFault::None)
        reading.value = conversion.value;
    return reading;
}

} // namespace travek
