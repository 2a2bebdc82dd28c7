#include "KeyOutputFactory.h"

#include "LayoutKeySender.h"
#include "LogKeySender.h"

#ifdef _WIN32
#include "Win32Keyboard.h"
#else
#include "X11Keyboard.h"
#endif

namespace travek {

std::unique_ptr<KeyOutput> CreateKeyOutput(const std::string& backend, std::function<void()> dispatchMessages,
                                           std::string& error) {
    if (backend == "log")
        return std::make_unique<LogKeySender>();
#ifdef _WIN32
    if (backend.empty() || backend == "windows")
        return std::make_unique<LayoutKeySender>(std::make_unique<Win32Keyboard>(),
                                                 std::move(dispatchMessages));
    if (backend == "x11") {
        error = "The x11 keyboard is not available on Windows; keystrokes are not typed.";
        return nullptr;
    }
#else
    if (backend.empty() || backend == "x11") {
        std::string reason;
        if (auto keyboard = X11Keyboard::open(nullptr, reason))
            return std::make_unique<LayoutKeySender>(std::move(keyboard), std::move(dispatchMessages));
        error = "Keystrokes cannot be typed: " + reason +
                ". Nothing will be typed; --keyboard=log shows the keys on standard output.";
        return nullptr;
    }
    if (backend == "windows") {
        error = "The windows keyboard is only available in the Windows build; keystrokes are not typed.";
        return nullptr;
    }
#endif
    error = "Unknown keyboard \"" + backend + "\" (choose x11, windows or log); keystrokes are not typed.";
    return nullptr;
}

} // namespace travek
