#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/session/SequenceState.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace travek {

// Turns the bytes that the measuring interface sends into typed values: assembles lines ended by
// CR, identifies each line's channel, cuts and converts its value and, when the current step of the
// sequence expects that channel, types the value and the step's keys, counts it for the series
// string and moves the sequence on.
class ReceiveHandler {
public:
    // Status bar panels that the handler writes.
    enum Panel { CurrentStepPanel = 3, ChannelPanel = 4, LinePanel = 5 };

    struct Outputs {
        std::function<void(std::string_view Keys)> SendKeys;
        std::function<void(int panel, const std::string& text)> SetPanel;
    };

    ReceiveHandler(InterfaceDefinition& definition, SequenceTable& table, SeriesSettings& series,
                   const std::uint8_t& NK, char separator, Outputs outputs);

    // The driver's receive event. The bytes are copied before anything else happens, since the
    // driver reuses its buffer.
    void receive(const void* DataPtr, std::int32_t DataSize);
    // Forgets the piece of a line received so far: the device it came from is gone, and its
    // start must not stick to the first line of the next one.
    void dropPartialLine();

    // Only the first characters of a line are ever looked at.
    static constexpr std::size_t MaxLineLength = 30;
    static constexpr std::size_t MaxValueTextLength = 100;

private:
    void handleChunk(std::string_view chunk);
    void handleLine();
    void dispatch(double value);
    void typePieces(const std::string& keyString);
    void setPanel(int panel, const std::string& text) const;

    InterfaceDefinition& m_definition;
    SequenceTable& m_table;
    SeriesSettings& m_series;
    const std::uint8_t& m_NK;
    char m_separator;
    Outputs m_outputs;

    // Typing lets the event loop run, so the driver can deliver the next chunk while a value is
    // still being typed. Such chunks wait here and are handled, in order, once the current ones
    // are done; otherwise two values' keystrokes would interleave in the target application.
    bool m_busy = false;
    std::deque<std::string> m_heldBack;
};

} // namespace travek
