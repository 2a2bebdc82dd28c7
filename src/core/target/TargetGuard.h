#pragma once

#include "core/target/FocusWindow.h"
#include "core/target/TargetWindow.h"
#include "core/typing/PressGate.h"

#include <string>

namespace travek {

// Looks at the focused window before a value is typed. With a target set, a value goes only into
// a window that matches it, and its keys only while the window keeps the focus: the guard is the
// gate of every key press of the line. Without one, every window takes values as always, and the
// check only says where they went (the log's Fenster column).
class TargetGuard : public PressGate {
public:
    struct Verdict {
        bool mayType = true;
        std::string window;  // the focused window's title; empty when unknown
        std::string focused; // when refused: what has the focus, as the user reads it
    };

    // focus is the platform's, or none with why this desktop cannot say which window has the focus.
    void setFocusWindow(FocusWindow* focus, const std::string& whyNone);
    FocusWindow* focusWindow() const { return m_focus; }
    // Empty when the focus can be asked here.
    const std::string& unavailableReason() const { return m_unavailable; }

    const TargetWindow& target() const { return m_target; }
    void setTarget(TargetWindow target) { m_target = std::move(target); }
    // A target is set and the focus can be asked: values and their keys are checked.
    bool guarding() const { return m_focus && m_target.isSet(); }

    // Where a desktop cannot be asked, the guard cannot refuse anything: values are typed as they
    // were before there was a target, and the session says so at start-up. A focus that cannot be
    // asked any more (the display went away) is a refusal while a target is set: a value typed
    // blind may go anywhere.
    Verdict check();
    // Before each key press of a line: what has the focus when it is not the target any more.
    std::string refusal() override;
    // The focused window's title for a log row of a line that was not due; empty when unknown.
    std::string focusedTitle();

private:
    FocusWindow* m_focus = nullptr;
    std::string m_unavailable = "kein Fensterzugriff";
    TargetWindow m_target;
};

} // namespace travek
