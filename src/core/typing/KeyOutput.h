#pragma once

#include "core/text/Error.h"
#include "core/typing/PressGate.h"

#include <string>
#include <string_view>
#include <utility>

namespace travek {

// Thrown by sendKeys when the output was stopped before or while the text was typed: the rest of
// the text was dropped.
class TypingStopped : public Error {
public:
    TypingStopped() : Error("typing was stopped: the program is ending") {}
};

// Thrown by sendKeys when its gate refused a key press (what() says why): sent is the start of the
// text that went out before it, the rest of the text was dropped.
class TypingRefused : public Error {
public:
    TypingRefused(const std::string& why, std::string sentText) : Error(why), sent(std::move(sentText)) {}
    std::string sent;
};

// Where key-sequence texts go: the desktop's keyboard (through a platform keyboard) or a log. The
// receive handler and the dialogs only ever see this.
class KeyOutput {
public:
    virtual ~KeyOutput() = default;
    // Keys is an 8-bit (Windows-1252) key-sequence text: plain characters, the "@" (Alt) and "^"
    // (Ctrl) prefixes and named keys in braces such as {ENTER}. gate, where given, is asked before
    // every key press of the text (see PressGate).
    virtual void sendKeys(std::string_view Keys, PressGate* gate = nullptr) = 0;
    // KEYDELAY of the settings: milliseconds between keys, 0 for full speed. Outputs that type
    // nowhere ignore it.
    virtual void setKeyDelay(int milliseconds) { (void)milliseconds; }
    // The program is ending: nothing more is pressed, keys and modifiers still held are released,
    // and a wait in progress ends at once. The call typing now, and every later one, throws
    // TypingStopped. Safe to call from inside sendKeys (an event served while it waits).
    virtual void stop() {}

    // The longest pace KEYDELAY may ask for: slower would hold a value for minutes.
    static constexpr int MaxKeyDelay = 1000;
};

} // namespace travek
