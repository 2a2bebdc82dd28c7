#pragma once

#include <string_view>

namespace travek {

// Where key-sequence texts go: the desktop's keyboard (through a platform keyboard) or a log. The
// receive handler and the dialogs only ever see this.
class KeyOutput {
public:
    virtual ~KeyOutput() = default;
    // Keys is an 8-bit (Windows-1252) key-sequence text: plain characters, the "@" (Alt) and "^"
    // (Ctrl) prefixes and named keys in braces such as {ENTER}.
    virtual void SendKeys(std::string_view Keys) = 0;
    // KEYDELAY of the settings: milliseconds between keys, 0 for full speed. Outputs that type
    // nowhere ignore it.
    virtual void setKeyDelay(int milliseconds) { (void)milliseconds; }
};

} // namespace travek
