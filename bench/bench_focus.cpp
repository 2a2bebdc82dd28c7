// What the target window check costs: asking the desktop which window has the focus and comparing
// it with the target (TargetGuard over the platform's FocusWindow), once where the desktop has told
// of a change since the last question (the window's title changed before each), and before each
// key press while nothing changed (the answer kept, the desktop's events read).
// On X11 ($DISPLAY, e.g. a private Xvfb) the benchmark maps and focuses a window of its own that is
// named as applications name theirs (WM_CLASS, _NET_WM_NAME, _NET_WM_PID), so the whole answer is
// read, the program name from /proc included. Under a wlroots compositor ($WAYLAND_DISPLAY) it asks
// about whatever window has the focus there.
#include "core/target/TargetGuard.h"
#include "core/text/Error.h"

#include <benchmark/benchmark.h>

#include <xcb/xcb.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

using namespace travek;

namespace {

xcb_connection_t* x = nullptr;
xcb_window_t window = XCB_WINDOW_NONE;

// Renames the benchmark's X window, and waits until the server has told everybody.
void renameOwnX11Window() {
    if (window == XCB_WINDOW_NONE)
        return;
    static int count = 0;
    const std::string title = "Messung " + std::to_string(++count);
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
}

// A focused window of the benchmark's own on the X display; nothing under Wayland.
void focusOwnX11Window() {
    if (x || std::getenv("WAYLAND_DISPLAY") || !std::getenv("DISPLAY"))
        return;
    x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x))
        return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    window = xcb_generate_id(x);
    xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    auto atom = [](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        free(reply);
        return found;
    };
    const std::string classes = std::string("bench") + '\0' + "TravekBench" + '\0';
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(classes.size()), classes.data());
    const std::string title = "Messung Los 7 \xE2\x80\x93 Tabelle";
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1,
                        &pid);
    xcb_map_window(x, window);
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    xcb_set_input_focus(x, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
}

void BM_TargetWindowCheck(benchmark::State& state) {
    std::unique_ptr<FocusWindow> focus;
    try {
        focus = openPlatformFocusWindow();
    } catch (const Error& error) {
        state.SkipWithError(error.what());
        return;
    }
    focusOwnX11Window();
    TargetGuard guard;
    guard.setFocusWindow(focus.get(), {});
    // A target that the focused window does not match: the whole comparison and the description
    // of what has the focus are made, as for a refused value.
    guard.setTarget(TargetWindow{"soffice.bin", "libreoffice-calc", {}, false});
    for (auto _ : state) {
        state.PauseTiming();
        renameOwnX11Window();
        state.ResumeTiming();
        TargetGuard::Verdict verdict = guard.check();
        benchmark::DoNotOptimize(verdict);
    }
}
BENCHMARK(BM_TargetWindowCheck)->Unit(benchmark::kMicrosecond);

// Before each key press of a value typed for the target that has the focus.
void BM_TargetWindowKeyCheck(benchmark::State& state) {
    std::unique_ptr<FocusWindow> focus;
    try {
        focus = openPlatformFocusWindow();
    } catch (const Error& error) {
        state.SkipWithError(error.what());
        return;
    }
    focusOwnX11Window();
    TargetGuard guard;
    guard.setFocusWindow(focus.get(), {});
    const std::optional<WindowInfo> focused = focus->focused();
    if (!focused) {
        state.SkipWithError("no window has the focus");
        return;
    }
    guard.setTarget(TargetWindow::of(*focused, false));
    for (auto _ : state) {
        std::string refusal = guard.refusal();
        benchmark::DoNotOptimize(refusal);
    }
}
BENCHMARK(BM_TargetWindowKeyCheck)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
