#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/session/ReceiveHandler.h"
#include "core/session/SequenceState.h"
#include "core/text/Error.h"
#include "core/text/KeyString.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace travek::test {

// TRAVEK's receive path as the session sets it up, with what it types, shows and records kept.
struct ReceivingEnd {
    InterfaceDefinition definition;
    SequenceTable table;
    SeriesSettings series;
    std::uint8_t decimals = 3;
    char separator = DefaultKeySeparator;
    std::vector<std::string> typed;
    std::map<StatusPanel, std::string> panels;
    int lineUpdates = 0;                 // how often the line panel was written
    std::vector<std::string> identified; // the channel panel's texts, one per identified line
    std::vector<LineOutcome> outcomes;
    // Runs inside the next sendKeys call, as the event loop does while a real keyboard types.
    std::function<void()> whileTyping;
    // The keyboard fails ("gone") on exactly these keys.
    std::string failOn;
    ReceiveHandler handler{definition,
                           table,
                           series,
                           decimals,
                           separator,
                           {[this](std::string_view keys) {
                                if (!failOn.empty() && keys == failOn)
                                    throw Error("gone");
                                typed.emplace_back(keys);
                                if (whileTyping)
                                    std::exchange(whileTyping, nullptr)();
                            },
                            [this](StatusPanel panel, const std::string& text) {
                                panels[panel] = text;
                                lineUpdates += panel == StatusPanel::Line;
                                if (panel == StatusPanel::Channel)
                                    identified.push_back(text);
                            },
                            [this](const LineOutcome& outcome) { outcomes.push_back(outcome); }}};

    // A sequence of (channel, key string) steps, starting at step 1.
    void steps(std::initializer_list<std::pair<int, const char*>> list) {
        int n = 0;
        for (auto [channel, keys] : list) {
            ++n;
            table.stepChannel[n] = channel;
            table.stepKeys[n] = keys;
        }
        table.stepCount = n;
        table.currentStep = 1;
    }
    // A sequence whose steps expect the given channels in turn, with no keys after the values.
    void expect(const std::vector<int>& channels) {
        table.stepCount = static_cast<std::int32_t>(channels.size());
        for (std::size_t i = 0; i < channels.size(); ++i) {
            table.stepChannel[i + 1] = channels[i];
            table.stepKeys[i + 1] = "";
        }
        table.currentStep = 1;
    }
    void feed(std::string_view bytes) {
        handler.receive(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    }
};

} // namespace travek::test
