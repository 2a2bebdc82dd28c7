// The keyboards of a Linux desktop: x11 (XTEST), wayland (the virtual-keyboard protocol), portal
// (the desktop's RemoteDesktop portal), and "auto", which picks one that reaches the windows of
// the session the program runs in.
#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "platform/portal/PortalKeyboard.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "platform/x11/X11Keyboard.h"

#include <cstdlib>
#include <string>

namespace travek {

namespace {

const std::string NothingTyped = " Nothing will be typed; --keyboard=log shows the keys on standard output.";

bool waylandSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && std::string(type) == "wayland");
}

// The keyboard that open gives, or an Error that says why there is none.
template <typename Open> std::unique_ptr<Keyboard> Opened(Open open) {
    try {
        return open();
    } catch (const Error& error) {
        throw Error(std::string("Keystrokes cannot be typed: ") + error.what() + "." + NothingTyped);
    }
}

} // namespace

std::unique_ptr<Keyboard> openPlatformKeyboard(const std::string& backend, KeyWait* wait) {
    auto x11 = [wait] { return X11Keyboard::open(nullptr, wait); };
    auto portal = [wait] {
        if (!wait)
            throw Error("the portal keyboard needs the program's event loop");
        return PortalKeyboard::open(*wait);
    };
    if (backend == "x11")
        return Opened(x11);
    if (backend == "wayland")
        return Opened([wait] { return WaylandKeyboard::open(nullptr, wait); });
    if (backend == "portal")
        return Opened(portal);
    if (backend.empty() || backend == "auto") {
        if (!waylandSession())
            return Opened(x11);
        // In a Wayland session, X11 keys reach only the windows that run under XWayland: typing
        // into nothing is worse than saying so. The virtual keyboard asks nobody; the portal may
        // ask the user, so it comes second (GNOME and KDE have only the portal).
        std::string wayland;
        try {
            return WaylandKeyboard::open(nullptr, wait);
        } catch (const Error& error) {
            wayland = error.what();
        }
        try {
            return portal();
        } catch (const Error& error) {
            throw Error(
                "Keystrokes cannot be typed in this Wayland session (wayland: " + wayland +
                "; portal: " + error.what() +
                "). The wayland keyboard needs a compositor with the virtual-keyboard protocol (sway, "
                "Hyprland, river, labwc, Wayfire), the portal keyboard a desktop with the "
                "RemoteDesktop portal (GNOME, KDE) and the user's permission; --keyboard=x11 types "
                "only into X11 windows (XWayland)." +
                NothingTyped);
        }
    }
    if (backend == "windows")
        throw Error("The windows keyboard is only available in the Windows build; keystrokes are not typed.");
    throw Error("Unknown keyboard \"" + backend +
                "\" (choose auto, wayland, portal, x11, windows or log); keystrokes are not typed.");
}

} // namespace travek
