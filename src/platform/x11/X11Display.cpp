#include "platform/x11/X11Display.h"

#include "core/text/Error.h"

#include <cstdlib>

namespace travek {

std::string displayNameOf(const char* displayName) {
    const char* shown = displayName ? displayName : std::getenv("DISPLAY");
    return shown ? shown : "";
}

xcb_connection_t* connectToDisplay(const char* displayName) {
    const std::string display = displayNameOf(displayName);
    if (display.empty())
        throw Error("no X display (DISPLAY is not set)");
    xcb_connection_t* connection = xcb_connect(displayName, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        throw Error("cannot connect to the X display " + display);
    }
    return connection;
}

} // namespace travek
