#pragma once

#include "core/typing/KeyOutput.h"

#include <cstdio>

namespace travek {

// Types nothing: writes "keys " and the text, exactly as passed, as one line per call and flushes
// at once, so a user can check a definition or sequence and end-to-end tests can read what would
// have been typed. An empty text types nothing and writes nothing.
class LogKeySender : public KeyOutput {
public:
    explicit LogKeySender(std::FILE* out = stdout) : m_out(out) {}
    // Types nowhere, so a gate has nothing to refuse.
    void sendKeys(std::string_view Keys, PressGate* gate = nullptr) override;

private:
    std::FILE* m_out;
};

} // namespace travek
