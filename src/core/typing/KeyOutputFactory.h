#pragma once

#include "core/typing/KeyOutput.h"
#include "core/typing/KeyWait.h"
#include "core/typing/Keyboard.h"

#include <functional>
#include <memory>
#include <string>

namespace travek {

// The key output the program types through. backend is "log", a keyboard of the platform ("x11"
// on Linux, "windows" on Windows), or empty for the platform's own. dispatchMessages runs at every
// tenth position of a text. wait is how the keyboard waits for its pace and its server while the
// program goes on (see KeyWait); without one it waits without serving anything, and a keyboard
// that needs the program's event loop (the portal) cannot be opened. Throws Error, saying why,
// when the backend cannot work here.
std::unique_ptr<KeyOutput> createKeyOutput(const std::string& backend, std::function<void()> dispatchMessages,
                                           KeyWait* wait = nullptr);

// Defined by the platform layer: its keyboard for backend (empty for its default), waiting through
// wait where given. Throws Error with the reason and what would work instead.
std::unique_ptr<Keyboard> openPlatformKeyboard(const std::string& backend, KeyWait* wait);

} // namespace travek
