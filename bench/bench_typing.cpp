// Latency of typing into a real window: from writing a line's CR to the master side of a pty
// that stands in for the gauge box, through driver, receive handler, keystroke sender and a
// platform keyboard, to the key events arriving at an X window of this program's own. Prints
// median and p99 of "CR -> first key" and "CR -> value complete" (the step's Tab arrived), over
// 1000 lines.
//   bench_typing x11|wayland
// The window is made on $DISPLAY: Xvfb for x11, the compositor's XWayland for wayland (the
// wayland keyboard then types through the compositor, and XWayland hands the keys on). The
// value typed is "12,345" and a Tab: no character needs Shift on a US layout or repeats.
#include "PtyPipeline.h"
#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace travek;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int KeysPerLine = 7; // "12,345" and Tab

// The target: an X window with the focus, on a thread of its own, which notes when key presses
// arrive.
class TargetWindow {
public:
    bool open() {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            return false;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        const std::uint32_t values[] = {screen->white_pixel,
                                        XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        const std::string title = "travek-bench";
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                            8, static_cast<std::uint32_t>(title.size()), title.data());
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_connection)) {
            const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
            free(event);
            if (mapped)
                break;
        }
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, m_window, XCB_CURRENT_TIME);
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        m_thread = std::thread([this] { run(); });
        return true;
    }
    void run() {
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_connection)) {
            if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
                const auto now = Clock::now();
                const int count = m_presses.load() + 1;
                if (count == 1)
                    m_first = now;
                if (count == KeysPerLine)
                    m_complete = now;
                m_presses.store(count);
            }
            free(event);
        }
    }
    void reset() { m_presses.store(0); }
    bool complete() const { return m_presses.load() >= KeysPerLine; }
    Clock::time_point first() const { return m_first; }
    Clock::time_point completed() const { return m_complete; }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
    std::thread m_thread;
    std::atomic<int> m_presses{0};
    Clock::time_point m_first, m_complete;
};

void printFigures(const char* what, std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    std::printf("%s: median %.0f us, p99 %.0f us, max %.0f us\n", what, micros[micros.size() / 2],
                micros[micros.size() * 99 / 100], micros.back());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string backend = argc > 1 ? argv[1] : "x11";
    TargetWindow target;
    if (!target.open()) {
        std::fprintf(stderr, "cannot open the target window on $DISPLAY\n");
        return 1;
    }
    std::unique_ptr<KeyOutput> keys;
    try {
        keys = createKeyOutput(backend, [] { QCoreApplication::processEvents(); });
    } catch (const Error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }

    bench::PtyPipeline box([&](std::string_view k) { keys->sendKeys(k); });
    if (!box.open())
        return 1;

    std::vector<double> first, complete;
    const int lines = 1000;
    for (int i = -20; i < lines; ++i) { // the first lines warm up (keymaps, caches)
        const std::string body = "\nA: +12,345";
        box.send(body);
        QCoreApplication::processEvents(); // the line's bytes arrive before its end
        target.reset();
        const auto start = Clock::now();
        box.send("\r");
        const auto deadline = start + std::chrono::seconds(5);
        while (!target.complete() && Clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (!target.complete()) {
            std::fprintf(stderr, "line %d: the keys did not all arrive\n", i);
            return 1;
        }
        if (i >= 0) {
            first.push_back(std::chrono::duration<double, std::micro>(target.first() - start).count());
            complete.push_back(std::chrono::duration<double, std::micro>(target.completed() - start).count());
        }
        // A gauge's lines come apart; the next one waits until the window is idle again.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::printf("%s keyboard, %d lines:\n", backend.c_str(), lines);
    printFigures("CR written to the pty -> first key at the window", first);
    printFigures("CR written to the pty -> value complete (Tab at the window)", complete);
    std::fflush(stdout);
    std::_Exit(0); // the window's thread waits in xcb for ever
}
