// Which window has the focus on a Linux desktop: X11 says it to every client; among the Wayland
// compositors only the wlroots family tells an ordinary program, and there is no guessing on the
// others (GNOME, KDE), since a wrong answer would let values into the wrong window.
#include "core/target/FocusWindow.h"
#include "core/text/Error.h"
#include "platform/wayland/WlrFocusWindow.h"
#include "platform/x11/X11FocusWindow.h"

#include <cstdlib>
#include <string>

namespace travek {

namespace {

bool waylandSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && std::string(type) == "wayland");
}

// Qt names a Wayland window after the program's desktop file, or its executable when it has none:
// "travek" either way.
constexpr const char* OwnAppId = "travek";

} // namespace

std::unique_ptr<FocusWindow> openPlatformFocusWindow() {
    if (!waylandSession())
        return X11FocusWindow::open(nullptr);
    try {
        return WlrFocusWindow::open(nullptr, OwnAppId);
    } catch (const Error& error) {
        throw Error(
            std::string("this Wayland desktop tells no program which window has the focus (GNOME and KDE "
                        "do not; sway, Hyprland, labwc and Wayfire do): ") +
            error.what());
    }
}

} // namespace travek
