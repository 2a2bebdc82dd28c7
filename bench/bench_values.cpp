// Cost of one measured value from its text to the text that is typed.
#include "core/text/TextHelpers.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

static void BM_TextToTypedValue(benchmark::State& state) {
    const std::vector<std::string> texts = {"+012,345 ", "-0,0041", "  17.5000", "123456,789", "0,125"};
    std::size_t i = 0;
    for (auto _ : state) {
        auto value = travek::convertValueText(texts[i++ % texts.size()]);
        std::string typed = travek::formatValue(0, 3, value.value_or(0));
        benchmark::DoNotOptimize(typed);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextToTypedValue);

BENCHMARK_MAIN();
