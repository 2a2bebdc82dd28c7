#pragma once

#include "core/typing/KeyWait.h"

namespace travek {

// The waits of a keyboard used without the program's event loop (tools, benchmarks, tests):
// poll() on the descriptor, or a sleep, and nothing else is served meanwhile.
class PollKeyWait : public KeyWait {
public:
    void dispatch() override {}
    void waitUntil(Clock::time_point deadline, std::intptr_t readable = -1) override;
    // Nothing runs during its waits that could wake one.
    void wake() override {}

    // The one that keyboards opened without a wait of the program's use.
    static KeyWait& shared();
};

} // namespace travek
