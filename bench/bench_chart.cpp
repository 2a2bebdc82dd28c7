// The control chart: its layout, its redraw with QPainter at 125 points, and travek-report's
// reading of a log of 100,000 rows.
#include "ChartBenchData.h"
#include "core/files/MeasurementLog.h"
#include "core/quality/ChartSvg.h"
#include "core/quality/LogReport.h"
#include "gui/qt/ChartView.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace travek;

namespace {

void BM_ChartLayout(benchmark::State& state) {
    const ChartSeries series = bench::benchSeries();
    for (auto _ : state)
        benchmark::DoNotOptimize(ChartGeometry::layout(series, 900, 480));
}
BENCHMARK(BM_ChartLayout);

// What a redraw of the window costs: the layout at the window's size and the painting into an
// image of that size (the widget paints into its backing store the same way).
void BM_ChartRedrawQt(benchmark::State& state) {
    const ChartSeries series = bench::benchSeries();
    QImage image(900, 480, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        ChartView::paint(painter, ChartGeometry::layout(series, 900, 480));
    }
}
BENCHMARK(BM_ChartRedrawQt)->Unit(benchmark::kMillisecond);

void BM_ChartSvg(benchmark::State& state) {
    const ChartGeometry chart = ChartGeometry::layout(bench::benchSeries(), 900, 480);
    for (auto _ : state)
        benchmark::DoNotOptimize(chartSvg(chart));
}
BENCHMARK(BM_ChartSvg);

// A log of 100,000 rows, four characteristics taking turns, read and summarised as
// travek-report does (the reading of the file left out: bench/README.md times the program).
void BM_Report100kRows(benchmark::State& state) {
    std::string log = std::string(MeasurementLog::Header) + "\r\n";
    const LogSeries::Characteristic c = bench::benchCharacteristic(25000);
    for (std::size_t i = 0; i < 100000; ++i) {
        const std::size_t k = i % 4;
        log += "2026-12-08T10:00:00.000+01:00;COM1;1;" + std::to_string(k + 1) + ";x;" + c.texts[i / 4] +
               ";;Formular;" + std::to_string(i + 1) + ";PC;op;M1;T1;Merkmal " + std::to_string(k) +
               ";10,000;9,980;10,050;OK;0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef\r\n";
    }
    for (auto _ : state) {
        LogSeries series;
        series.add(log);
        benchmark::DoNotOptimize(LogReport(series, ControlRules()).text());
    }
}
BENCHMARK(BM_Report100kRows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts for QPainter's text
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
