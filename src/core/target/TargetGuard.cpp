#include "core/target/TargetGuard.h"

#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

namespace travek {

void TargetGuard::setFocusWindow(FocusWindow* focus, const std::string& whyNone) {
    m_focus = focus;
    m_unavailable = focus ? std::string() : whyNone.empty() ? std::string("kein Fensterzugriff") : whyNone;
}

TargetGuard::Verdict TargetGuard::check() {
    Verdict verdict;
    if (!m_focus)
        return verdict;
    std::optional<WindowInfo> window;
    try {
        window = m_focus->focused();
    } catch (const std::exception& error) {
        if (m_target.isSet()) {
            verdict.mayType = false;
            verdict.focused = "unbekannt (" + systemTextToWin1252(error.what()) + ")";
        }
        return verdict;
    }
    if (window)
        verdict.window = window->title;
    if (m_target.isSet() && !(window && m_target.matches(*window))) {
        verdict.mayType = false;
        verdict.focused = describeWindow(window);
    }
    return verdict;
}

std::string TargetGuard::refusal() {
    Verdict verdict = check();
    return verdict.mayType ? std::string() : std::move(verdict.focused);
}

std::string TargetGuard::focusedTitle() {
    if (!m_focus)
        return {};
    try {
        const std::optional<WindowInfo> window = m_focus->focused();
        return window ? window->title : std::string();
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace travek
