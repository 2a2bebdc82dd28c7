#pragma once

#include "core/target/FocusWindow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace travek {

// The focused window of an X display, on a connection of its own. The window manager names the
// active window in _NET_ACTIVE_WINDOW; without it the input focus's top-level window is the one
// (or the application's window in it, where a window manager framed it). Its class comes from WM_CLASS, its
// title from _NET_WM_NAME or WM_NAME, and its program from the process that _NET_WM_PID names, when that runs
// on this machine.
//
// Finding and describing the window takes up to six round trips to the server, too many to ask
// before every key press of a value. So the answer is kept, and the server is asked to tell of
// every change that could make it wrong: the focus leaving the window, the window going or being
// renamed, the window manager naming another one. The events are read at the next question,
// without a round trip, and any of them makes that question ask the server again.
class X11FocusWindow : public FocusWindow {
public:
    // displayName nullptr means $DISPLAY. Throws Error when there is no display.
    static std::unique_ptr<X11FocusWindow> open(const char* displayName);
    ~X11FocusWindow() override;
    X11FocusWindow(const X11FocusWindow&) = delete;
    X11FocusWindow& operator=(const X11FocusWindow&) = delete;

    std::optional<WindowInfo> focused() override;

private:
    X11FocusWindow(xcb_connection_t* connection, std::uint32_t root);
    // The window that the window manager or the input focus names (none for none), the top-level
    // window that holds it, and the input focus it was found from (none where a window manager
    // named it).
    struct Focus {
        std::uint32_t window = 0;
        std::uint32_t frame = 0;
        std::uint32_t inputFocus = 0;
    };
    std::uint32_t atom(const char* name) const;
    Focus activeWindow();
    // Reads what the server said since the last question: false when the kept answer may be wrong.
    bool answerStillHolds();
    // Asks the server to tell of changes to these windows, and no longer of the ones before.
    void watch(std::vector<std::uint32_t> windows);
    std::uint32_t topLevel(std::uint32_t window);
    // The window with WM_STATE (an application's, in a window manager's frame) at most depth levels
    // below window, or none.
    std::uint32_t clientOf(std::uint32_t window, int depth);
    WindowInfo describe(std::uint32_t window);

    xcb_connection_t* m_connection;
    std::uint32_t m_root;
    std::uint32_t m_activeAtom = 0;
    std::uint32_t m_nameAtom = 0;
    std::uint32_t m_utf8Atom = 0;
    std::uint32_t m_pidAtom = 0;
    std::uint32_t m_stateAtom = 0;
    std::string m_hostName;
    std::optional<WindowInfo> m_answer;
    std::vector<std::uint32_t> m_watched;
};

} // namespace travek
