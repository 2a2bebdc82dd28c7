#pragma once

#include <xcb/xcb.h>

#include <string>

namespace travek {

// The display's name as messages give it: displayName, or DISPLAY when it is null.
std::string displayNameOf(const char* displayName);

// A connection to the X display (DISPLAY when displayName is null). Throws Error saying why there
// is none: no display set, or none that answers.
xcb_connection_t* connectToDisplay(const char* displayName);

} // namespace travek
