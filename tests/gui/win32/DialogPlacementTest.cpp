// Where the dialogs open under wine on Xvfb: centred on the window they belong to (or on the
// screen, for those that the program has always centred there), and always whole inside the work
// area, also when that window is at the edge of the screen.
#include "gui/win32/ChannelDialog.h"
#include "gui/win32/InterfaceDialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace travek {
namespace {

RECT frameOf(HWND window) {
    RECT frame;
    ::GetWindowRect(window, &frame);
    return frame;
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(DialogPlacement, CentredOnItsWindowOrTheScreenAndAlwaysOnTheScreen) {
    const HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200,
                                         400, 300, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ChannelDialog channels;
    channels.create(owner);
    InterfaceDialog interfaces;
    interfaces.create(owner);

    channels.place();
    const RECT around = frameOf(owner);
    const RECT dialog = frameOf(channels.handle());
    EXPECT_LE(std::abs((dialog.left + dialog.right) - (around.left + around.right)), 2);
    EXPECT_LE(std::abs((dialog.top + dialog.bottom) - (around.top + around.bottom)), 2);
    interfaces.place();
    RECT area;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const RECT centred = frameOf(interfaces.handle());
    EXPECT_LE(std::abs((centred.left + centred.right) - (area.left + area.right)), 2);

    // The window at the bottom right corner, mostly off the screen: the dialog stays on it.
    ::SetWindowPos(owner, nullptr, area.right - 100, area.bottom - 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    channels.place();
    EXPECT_TRUE(inside(frameOf(channels.handle()), area));
    ::DestroyWindow(owner);
}

} // namespace
} // namespace travek
