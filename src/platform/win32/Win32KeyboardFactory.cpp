#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "platform/win32/Win32Keyboard.h"

namespace travek {

std::unique_ptr<Keyboard> openPlatformKeyboard(const std::string& backend, KeyWait* wait) {
    if (backend.empty() || backend == "auto" || backend == "windows")
        return std::make_unique<Win32Keyboard>(Win32Keyboard::SystemApi(), wait);
    if (backend == "x11" || backend == "wayland" || backend == "portal")
        throw Error("The " + backend + " keyboard is not available on Windows; keystrokes are not typed.");
    throw Error("Unknown keyboard \"" + backend +
                "\" (choose auto, windows or log); keystrokes are not typed.");
}

} // namespace travek
