#pragma once

#include <string>

namespace travek {

// Asked right before each key press goes out, after the keyboard has waited for its pace: the last
// moment at which the state of the desktop can still keep a key from landing in the wrong place (the
// focus moved to another window while a value was typed). A press it refuses does not go out, and
// neither does any later press of the same text; releases still do, so no key is left held.
class PressGate {
public:
    virtual ~PressGate() = default;
    // Empty when the press may go out; otherwise why not, as the user reads it.
    virtual std::string refusal() = 0;
};

} // namespace travek
