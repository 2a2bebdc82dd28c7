#pragma once

#include "core/target/FocusWindow.h"
#include "core/text/Error.h"

#include <functional>
#include <optional>
#include <string>

namespace travek::test {

// The desktop's focus as a test sets it. Like a real desktop it can have no focused window at all,
// and can stop answering (a display that went away): then focused() throws.
class FakeFocusWindow : public FocusWindow {
public:
    std::optional<WindowInfo> focused() override {
        ++asked;
        if (beforeAnswer)
            beforeAnswer(*this);
        if (!failure.empty())
            throw Error(failure);
        return window;
    }
    void focus(std::string program, std::string windowClass, std::string title) {
        window = WindowInfo{std::move(program), std::move(windowClass), std::move(title), false};
    }

    std::optional<WindowInfo> window;
    std::string failure;
    int asked = 0;
    // Runs at every question, after asked has counted it: the focus moving in the middle of a line.
    std::function<void(FakeFocusWindow&)> beforeAnswer;
};

} // namespace travek::test
