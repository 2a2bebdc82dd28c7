#include "core/typing/LogKeySender.h"

namespace travek {

void LogKeySender::sendKeys(std::string_view Keys, PressGate*) {
    if (Keys.empty())
        return;
    std::fputs("keys ", m_out);
    std::fwrite(Keys.data(), 1, Keys.size(), m_out);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}

} // namespace travek
