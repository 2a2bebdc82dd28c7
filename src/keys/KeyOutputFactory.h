#pragma once

#include "KeyOutput.h"

#include <functional>
#include <memory>
#include <string>

namespace travek {

// The key output the program types through. backend is "x11", "windows", "log", or empty for the
// platform's own (on Linux x11, when an X display is reachable). dispatchMessages runs at every
// tenth position of a text. When the backend cannot work here, gives nullptr and says why in
// error; the caller reports that once and types nothing.
std::unique_ptr<KeyOutput> CreateKeyOutput(const std::string& backend, std::function<void()> dispatchMessages,
                                           std::string& error);

} // namespace travek
