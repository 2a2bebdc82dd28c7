#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/session/ReceiveHandler.h"
#include "core/session/SequenceState.h"
#include "core/text/KeyString.h"

#include <map>
#include <string>
#include <vector>

namespace travek::test {

// TRAVEK's receive path as the main window sets it up, with what it types and shows recorded.
struct ReceivingEnd {
    InterfaceDefinition definition;
    SequenceTable table;
    SeriesSettings series;
    std::uint8_t NK = 3;
    char separator = DefaultKeySeparator;
    std::vector<std::string> typed;
    std::vector<std::string> identified; // panel 4 texts, one per identified line
    ReceiveHandler handler{definition,
                           table,
                           series,
                           NK,
                           separator,
                           {[this](std::string_view keys) { typed.emplace_back(keys); },
                            [this](int panel, const std::string& text) {
                                if (panel == ReceiveHandler::ChannelPanel)
                                    identified.push_back(text);
                            }}};

    // A sequence whose steps expect the given channels in turn, with no keys after the values.
    void expect(const std::vector<int>& channels) {
        table.StepCount = static_cast<std::int32_t>(channels.size());
        for (std::size_t i = 0; i < channels.size(); ++i) {
            table.StepChannel[i + 1] = channels[i];
            table.StepKeys[i + 1] = "";
        }
        table.CurrentStep = 1;
    }
    void feed(const std::string& bytes) {
        handler.receive(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    }
};

} // namespace travek::test
