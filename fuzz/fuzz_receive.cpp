// The receive handler on arbitrary byte streams, cut into arbitrary chunks, with arbitrary
// interface definitions and sequences. Some chunks arrive while a value is being typed, as they do
// when typing lets the event loop run. Whatever arrives:
// - the current step stays within 1..max(stepCount, 1),
// - the line buffer stays bounded,
// - only formatted numbers and pieces of the user's own key strings are typed.

#include "FuzzSupport.h"
#include "core/gauge/InterfaceDefinition.h"
#include "core/session/ReceiveHandler.h"
#include "core/session/SequenceState.h"
#include "core/text/KeyString.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <deque>

using namespace travek;
using namespace travek::fuzz;

namespace {

// A short text from an alphabet that gauges and key strings use, so that identifiers match often.
std::string randomText(FuzzedDataProvider& data, int maxLength) {
    static constexpr char Alphabet[] = "AB12: +-,.;{}E0_\n";
    std::string text;
    const auto length = data.ConsumeIntegralInRange<int>(0, maxLength);
    for (int i = 0; i < length; ++i) {
        if (data.ConsumeIntegralInRange<int>(0, 7) == 0)
            text += static_cast<char>(data.ConsumeIntegral<std::uint8_t>());
        else
            text += Alphabet[data.ConsumeIntegralInRange<std::size_t>(0, sizeof Alphabet - 2)];
    }
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A value as formatValue(0, decimals, value) writes it: -?D+(,D{decimals})? or, for huge magnitudes,
// -?D(,D+)?E[+-]D+; at most 20 characters, and a text of exactly 20 may have been cut anywhere.
bool isFormattedNumber(std::string_view text, std::uint8_t decimals) {
    if (text.empty() || text.size() > 20)
        return false;
    const bool cut = text.size() == 20;
    std::size_t i = 0;
    if (text[i] == '-')
        ++i;
    const std::size_t intStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    if (i == intStart)
        return false;
    std::size_t fractionDigits = 0;
    bool comma = false;
    if (i < text.size() && text[i] == ',') {
        comma = true;
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++fractionDigits;
    }
    if (i < text.size() && text[i] == 'E') {
        if (i - intStart - (comma ? fractionDigits + 1 : 0) != 1)
            return false; // one digit before the comma in exponent form
        ++i;
        if (i == text.size())
            return cut;
        if (text[i] != '+' && text[i] != '-')
            return false;
        ++i;
        const std::size_t expStart = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        return i == text.size() && (cut || i > expStart);
    }
    if (i != text.size())
        return false;
    return cut || (comma ? fractionDigits == decimals : decimals == 0);
}

// With TRAVEK_FUZZ_STATS set, the process tells at exit how many numbers and key pieces were
// typed, to see that the inputs get past the line and channel checks.
struct Stats {
    long numbers = 0;
    long pieces = 0;
    ~Stats() {
        if (std::getenv("TRAVEK_FUZZ_STATS"))
            std::fprintf(stderr, "typed numbers: %ld, typed key pieces: %ld\n", numbers, pieces);
    }
} stats;

bool isPieceOf(std::string_view text, const std::string& keyString, char separator) {
    const auto pieces = splitKeyString(keyString, separator);
    return std::find(pieces.begin(), pieces.end(), text) != pieces.end();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);

    InterfaceDefinition definition;
    const auto idCount = data.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < idCount; ++i) {
        const auto channel = data.ConsumeIntegralInRange<int>(1, MaxChannels);
        definition.channelIds[channel] = randomText(data, 5);
    }
    definition.startPos = data.ConsumeBool() ? data.ConsumeIntegral<std::uint8_t>()
                                             : data.ConsumeIntegralInRange<std::uint8_t>(0, 8);
    definition.endPos = data.ConsumeBool() ? data.ConsumeIntegral<std::uint8_t>()
                                           : data.ConsumeIntegralInRange<std::uint8_t>(0, 32);
    const std::uint8_t decimals = data.ConsumeBool() ? data.ConsumeIntegral<std::uint8_t>()
                                                     : data.ConsumeIntegralInRange<std::uint8_t>(0, 6);

    SequenceTable table;
    table.stepCount = data.ConsumeIntegralInRange<int>(0, MaxSteps);
    table.currentStep = 1;
    const auto filledSteps = std::min(table.stepCount, data.ConsumeIntegralInRange<int>(0, 8));
    for (int step = 1; step <= filledSteps; ++step) {
        table.stepChannel[step] = data.ConsumeIntegralInRange<int>(0, MaxChannels);
        table.stepKeys[step] = randomText(data, 24);
    }
    // The rest of the steps repeat the filled ones, so long sequences cost no input.
    for (int step = filledSteps + 1; step <= table.stepCount; ++step) {
        const int from = filledSteps > 0 ? (step - 1) % filledSteps + 1 : 0;
        table.stepChannel[step] = table.stepChannel[from];
        table.stepKeys[step] = table.stepKeys[from];
    }

    SeriesSettings series;
    series.valuesPerSeries = data.ConsumeIntegralInRange<int>(-1, 4);
    series.seriesString = randomText(data, 24);

    char separator = DefaultKeySeparator;
    if (data.ConsumeIntegralInRange<int>(0, 3) == 0)
        separator = static_cast<char>(data.ConsumeIntegral<std::uint8_t>());

    // Chunks that the driver delivers while a value is being typed.
    std::deque<std::string> duringTyping;
    ReceiveHandler* handlerPtr = nullptr;

    ReceiveHandler::Outputs outputs;
    outputs.sendKeys = [&](std::string_view keys) {
        const int step = table.currentStep;
        if (step < 1 || step > std::max(table.stepCount, 1))
            fail("typing in step " + std::to_string(step));
        if (isFormattedNumber(keys, decimals))
            ++stats.numbers;
        else if (isPieceOf(keys, table.stepKeys[step], separator) ||
                 isPieceOf(keys, series.seriesString, separator))
            ++stats.pieces;
        else
            fail("typed \"" + printable(keys) + "\", neither a number with " + std::to_string(decimals) +
                 " decimals nor a piece of step " + std::to_string(step) + "'s keys \"" +
                 printable(table.stepKeys[step]) + "\" or of the series string \"" +
                 printable(series.seriesString) + "\"");
        if (!duringTyping.empty()) {
            const std::string chunk = std::move(duringTyping.front());
            duringTyping.pop_front();
            handlerPtr->receive(chunk.data(), static_cast<std::int32_t>(chunk.size()));
        }
    };
    outputs.SetPanel = [&](StatusPanel panel, const std::string& text) {
        if (!(panel == StatusPanel::CurrentStep || panel == StatusPanel::Channel ||
              panel == StatusPanel::Line))
            fail("unknown panel " + std::to_string(static_cast<int>(panel)));
        if (panel == StatusPanel::Line && text.size() > LineReading::MaxLength)
            fail("the line panel shows more than a line's head");
    };
    ReceiveHandler handler(definition, table, series, decimals, separator, outputs);
    handlerPtr = &handler;

    while (data.remaining_bytes() > 0) {
        const auto length = data.ConsumeIntegralInRange<std::size_t>(1, 48);
        const bool whileTyping = data.ConsumeIntegralInRange<int>(0, 3) == 0;
        const std::string chunk = data.ConsumeBytesAsString(length);
        if (chunk.empty())
            break;
        if (whileTyping) {
            duringTyping.push_back(chunk);
            continue;
        }
        handler.receive(chunk.data(), static_cast<std::int32_t>(chunk.size()));
        if (table.currentStep < 1 || table.currentStep > std::max(table.stepCount, 1))
            fail("currentStep " + std::to_string(table.currentStep) + " with stepCount " +
                 std::to_string(table.stepCount));
        if (handler.partialLine().size() > LineReading::MaxLength)
            fail("the partial line grew to " + std::to_string(handler.partialLine().size()));
    }
    // Chunks still waiting for a typing that never came are delivered now, in order.
    while (!duringTyping.empty()) {
        const std::string chunk = std::move(duringTyping.front());
        duringTyping.pop_front();
        handler.receive(chunk.data(), static_cast<std::int32_t>(chunk.size()));
    }
    if (table.currentStep < 1 || table.currentStep > std::max(table.stepCount, 1))
        fail("currentStep out of range at the end");
    if (handler.partialLine().size() > LineReading::MaxLength)
        fail("the partial line too long at the end");
    return 0;
}
