// The keyboards of a Linux desktop: x11 (XTEST) and wayland (the virtual-keyboard protocol), and
// "auto", which picks the one that reaches the windows of the session the program runs in.
#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "platform/x11/X11Keyboard.h"

#include <cstdlib>
#include <string>

namespace travek {

namespace {

const std::string NothingTyped = " Nothing will be typed; --keyboard=log shows the keys on standard output.";

bool WaylandSession() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && std::string(type) == "wayland");
}

std::unique_ptr<Keyboard> OpenX11() {
    try {
        return X11Keyboard::open(nullptr);
    } catch (const Error& error) {
        throw Error(std::string("Keystrokes cannot be typed: ") + error.what() + "." + NothingTyped);
    }
}

std::unique_ptr<Keyboard> OpenWayland() {
    try {
        return WaylandKeyboard::open(nullptr);
    } catch (const Error& error) {
        throw Error(std::string("Keystrokes cannot be typed: ") + error.what() + "." + NothingTyped);
    }
}

} // namespace

std::unique_ptr<Keyboard> OpenPlatformKeyboard(const std::string& backend) {
    if (backend == "x11")
        return OpenX11();
    if (backend == "wayland")
        return OpenWayland();
    if (backend.empty() || backend == "auto") {
        if (!WaylandSession())
            return OpenX11();
        // In a Wayland session, X11 keys reach only the windows that run under XWayland: typing
        // into nothing is worse than saying so.
        try {
            return WaylandKeyboard::open(nullptr);
        } catch (const Error& error) {
            throw Error(std::string("Keystrokes cannot be typed in this Wayland session: ") + error.what() +
                        ". The wayland keyboard needs a compositor with the virtual-keyboard protocol (sway, "
                        "Hyprland, river, labwc, Wayfire); --keyboard=x11 types only into X11 windows "
                        "(XWayland)." +
                        NothingTyped);
        }
    }
    if (backend == "windows")
        throw Error("The windows keyboard is only available in the Windows build; keystrokes are not typed.");
    throw Error("Unknown keyboard \"" + backend +
                "\" (choose auto, wayland, x11, windows or log); keystrokes are not typed.");
}

} // namespace travek
