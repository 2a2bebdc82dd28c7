#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "platform/win32/Win32Keyboard.h"

namespace travek {

std::unique_ptr<Keyboard> OpenPlatformKeyboard(const std::string& backend) {
    if (backend.empty() || backend == "windows")
        return std::make_unique<Win32Keyboard>();
    if (backend == "x11")
        throw Error("The x11 keyboard is not available on Windows; keystrokes are not typed.");
    throw Error("Unknown keyboard \"" + backend + "\" (choose windows or log); keystrokes are not typed.");
}

} // namespace travek
