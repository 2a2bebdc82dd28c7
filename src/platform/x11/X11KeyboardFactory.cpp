#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "platform/x11/X11Keyboard.h"

namespace travek {

std::unique_ptr<Keyboard> OpenPlatformKeyboard(const std::string& backend) {
    if (backend.empty() || backend == "x11") {
        try {
            return X11Keyboard::open(nullptr);
        } catch (const Error& error) {
            throw Error(std::string("Keystrokes cannot be typed: ") + error.what() +
                               ". Nothing will be typed; --keyboard=log shows the keys on standard output.");
        }
    }
    if (backend == "windows")
        throw Error("The windows keyboard is only available in the Windows build; keystrokes are not typed.");
    throw Error("Unknown keyboard \"" + backend + "\" (choose x11, windows or log); keystrokes are not typed.");
}

} // namespace travek
