#pragma once

#include "core/loop/EventLoop.h"
#include "core/session/SessionView.h"
#include "core/text/TextHelpers.h"

#include <chrono>
#include <exception>
#include <utility>

namespace travek {

// The one guard where the user's actions and the timers are served: a refusal says why, and even
// a failure nobody foresaw (the library's own exceptions) is an error box, not the end of the
// program with the session's work unsaved.
template <typename Action> void reporting(SessionView& view, Action&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        view.showError(systemTextToWin1252(error.what()));
    }
}

// Runs action delay from now, through the guard; the task goes with the handle.
template <typename Action>
[[nodiscard]] EventLoop::Task later(EventLoop& loop, SessionView& view, std::chrono::milliseconds delay,
                                    Action&& action) {
    return loop.after(delay,
                      [&view, action = std::forward<Action>(action)]() mutable { reporting(view, action); });
}

} // namespace travek
