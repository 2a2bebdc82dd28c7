// Lines per second through the receive handler: assembling, identifying, cutting, converting,
// formatting and typing through the keystroke algorithm into a keyboard that counts events.
#include "core/files/MeasurementLog.h"
#include "core/session/ReceiveHandler.h"
#include "core/text/KeyString.h"
#include "core/typing/Keyboard.h"
#include "core/typing/LayoutKeySender.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

using namespace travek;

namespace {

class CountingKeyboard : public Keyboard {
public:
    std::optional<KeyStroke> lookupChar(char c) override {
        return KeyStroke{static_cast<unsigned char>(c), 0};
    }
    std::optional<std::uint32_t> namedKey(std::uint8_t virtualKey) override { return virtualKey; }
    void sendKey(std::uint32_t, bool) override { ++events; }
    bool capsLockOn() override { return false; }
    std::uint64_t events = 0;
};

// With log true, every line also goes to the measurement log, written and flushed before the next
// line, as the program does with [LOG] FILE= set.
void receiveThreeLines(benchmark::State& state, bool log) {
    InterfaceDefinition definition;
    definition.startPos = 4;
    definition.endPos = 13;
    for (int k = 1; k <= 48; ++k)
        definition.channelIds[k] = "K" + std::to_string(k) + ":";
    SequenceTable table;
    table.stepCount = 3;
    table.currentStep = 1;
    table.stepChannel[1] = 1;
    table.stepChannel[2] = 17;
    table.stepChannel[3] = 48;
    table.stepKeys[1] = table.stepKeys[2] = "{TAB};";
    table.stepKeys[3] = "{ENTER};";
    SeriesSettings series;
    std::uint8_t decimals = 3;
    char separator = DefaultKeySeparator;
    CountingKeyboard keyboard;
    LayoutKeySender sender(keyboard);
    const std::string logPath = (std::filesystem::temp_directory_path() / "travek-bench-log.csv").string();
    std::filesystem::remove(logPath);
    MeasurementLog measurementLog(logPath);
    ReceiveHandler handler(
        definition, table, series, decimals, separator,
        {[&](std::string_view keys) { sender.sendKeys(keys); }, [](StatusPanel, const std::string&) {},
         [&](const LineOutcome& outcome) {
             if (log)
                 measurementLog.append(
                     {"COM1", outcome.channel, outcome.step, outcome.line, outcome.typed, {}, {}});
         }});
    // The three lines that the sequence expects, as a gauge box sends them.
    const std::string lines = "\nK1:  +012,345\r\nK17: -000,501\r\nK48:  123,456\r";
    for (auto _ : state)
        handler.receive(lines.data(), static_cast<std::int32_t>(lines.size()));
    state.SetItemsProcessed(state.iterations() * 3);
    std::filesystem::remove(logPath);
}

void BM_ReceiveLines(benchmark::State& state) {
    receiveThreeLines(state, false);
}
void BM_ReceiveLinesWithLog(benchmark::State& state) {
    receiveThreeLines(state, true);
}
BENCHMARK(BM_ReceiveLines);
BENCHMARK(BM_ReceiveLinesWithLog);

} // namespace

BENCHMARK_MAIN();
