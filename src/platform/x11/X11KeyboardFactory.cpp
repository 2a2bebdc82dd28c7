#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "platform/x11/X11Keyboard.h"

namespace travek {

std::unique_ptr<Keyboard> OpenPlatformKeyboard(const std::string& backend) {
    if (backend.empty() || backend == "x11") {
        std::string reason;
        if (auto keyboard = X11Keyboard::open(nullptr, reason))
            return keyboard;
        throw Error(0, "Keystrokes cannot be typed: " + reason +
                           ". Nothing will be typed; --keyboard=log shows the keys on standard output.");
    }
    if (backend == "windows")
        throw Error(0, "The windows keyboard is only available in the Windows build; keystrokes are not typed.");
    throw Error(0, "Unknown keyboard \"" + backend + "\" (choose x11, windows or log); keystrokes are not typed.");
}

} // namespace travek
