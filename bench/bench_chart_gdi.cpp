// The control chart's redraw with GDI at 125 points (Windows build, run under wine): the layout
// at the window's size and the painting into a bitmap of that size, as the window's WM_PAINT does.
#include "ChartBenchData.h"
#include "gui/win32/ChartView.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace travek;

int main() {
    const ChartSeries series = bench::benchSeries();
    const HDC screen = ::GetDC(nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 900, 480);
    ::SelectObject(dc, bitmap);
    std::vector<double> times;
    for (int i = 0; i < 200; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ChartView::paint(dc, ChartGeometry::layout(series, 900, 480));
        ::GdiFlush();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("GDI redraw, 125 points, 900 x 480, 200 runs: median %.3f ms, p90 %.3f ms, min %.3f ms\n",
                times[times.size() / 2], times[times.size() * 9 / 10], times.front());
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    ::ReleaseDC(nullptr, screen);
    return 0;
}
