// Lines per second through the receive handler: assembling, identifying, cutting, converting,
// formatting and typing through the keystroke algorithm into a keyboard that counts events.
#include "core/files/MeasurementLog.h"
#include "core/record/HashChain.h"
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

// One row of the log as the program writes it after a value's keys: formatted, its chain value
// computed, written and flushed.
void BM_LogRow(benchmark::State& state) {
    const std::string logPath = (std::filesystem::temp_directory_path() / "travek-bench-row.csv").string();
    std::filesystem::remove(logPath);
    MeasurementLog log(logPath);
    MeasurementLog::Row row{
        "COM1", 1, 1, "K1:  +012,345", "12,345", "", "Messung Los 7.ods - LibreOffice Calc"};
    row.station = "PC-HALLE3";
    row.operatorName = "mueller";
    row.gauge = "B\xFCgelmessschraube 4711";
    row.part = "Los 7";
    for (auto _ : state)
        log.append(row);
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove(logPath);
}
BENCHMARK(BM_LogRow);

// The chain value of such a row alone (SHA-256 of the previous value and some 190 bytes).
void BM_ChainValue(benchmark::State& state) {
    const std::string body =
        "2026-12-08T09:14:04.002+01:00;COM1;1;1;K1:  +012,345;12,345;;Messung Los 7.ods - "
        "LibreOffice Calc;1234;PC-HALLE3;mueller;B\xFCgelmessschraube 4711;Los 7;;;;;;";
    std::string chain(HashChain::StartValue);
    for (auto _ : state)
        chain = HashChain::next(chain, body);
    benchmark::DoNotOptimize(chain);
}
BENCHMARK(BM_ChainValue);

} // namespace

BENCHMARK_MAIN();
