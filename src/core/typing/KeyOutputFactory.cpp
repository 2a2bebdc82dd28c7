#include "core/typing/KeyOutputFactory.h"

#include "core/typing/LayoutKeySender.h"
#include "core/typing/LogKeySender.h"

namespace travek {

std::unique_ptr<KeyOutput> createKeyOutput(const std::string& backend, std::function<void()> dispatchMessages,
                                           KeyWait* wait) {
    if (backend == "log")
        return std::make_unique<LogKeySender>();
    return std::make_unique<LayoutKeySender>(openPlatformKeyboard(backend, wait),
                                             std::move(dispatchMessages));
}

} // namespace travek
