#pragma once

#include "core/typing/KeyOutput.h"
#include "core/typing/Keyboard.h"

#include <functional>
#include <memory>
#include <string>

namespace travek {

// The key output the program types through. backend is "log", a keyboard of the platform ("x11"
// on Linux, "windows" on Windows), or empty for the platform's own. dispatchMessages runs at every
// tenth position of a text. Throws Error, saying why, when the backend cannot work here.
std::unique_ptr<KeyOutput> CreateKeyOutput(const std::string& backend, std::function<void()> dispatchMessages);

// Defined by the platform layer: its keyboard for backend (empty for its default). Throws Error
// with the reason and what would work instead.
std::unique_ptr<Keyboard> OpenPlatformKeyboard(const std::string& backend);

} // namespace travek
