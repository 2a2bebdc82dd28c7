#pragma once

#include "core/target/FocusWindow.h"

#include <cstdint>
#include <memory>
#include <string>

struct xcb_connection_t;

namespace travek {

// The focused window of an X display, on a connection of its own. The window manager names the
// active window in _NET_ACTIVE_WINDOW; without it the input focus's top-level window is the one
// (or the application's window in it, where a window manager framed it). Its class comes from WM_CLASS, its
// title from _NET_WM_NAME or WM_NAME, and its program from the process that _NET_WM_PID names, when that runs
// on this machine.
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
    std::uint32_t atom(const char* name) const;
    std::uint32_t activeWindow();
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
};

} // namespace travek
