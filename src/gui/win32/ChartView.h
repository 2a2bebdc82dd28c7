#pragma once

#include "core/quality/ChartGeometry.h"

#include <windows.h>

namespace travek {

// The control chart as a child window (class "TravekChart"): draws the series that the core laid
// out, at the window's size, with GDI into a buffer, so that a redraw does not flicker.
class ChartView {
public:
    static constexpr const char* WindowClass = "TravekChart";
    // Registers the window class; once, before the first such window is made.
    static void registerClass();
    // The series the window at handle shows; the window keeps a pointer to it.
    static void attach(HWND window, const ChartSeries* series);
    // The drawing, with GDI: shared with the figures of bench/.
    static void paint(HDC dc, const ChartGeometry& chart);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace travek
