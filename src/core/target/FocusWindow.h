#pragma once

#include <memory>
#include <optional>
#include <string>

namespace travek {

// A top-level window of the desktop as the platform describes it. Every text is Windows-1252.
struct WindowInfo {
    std::string program;     // the executable's name ("notepad.exe", "soffice.bin"); empty when unknown
    std::string windowClass; // WM_CLASS's class on X11, the app id on Wayland, the class name on Windows
    std::string title;
    // The window belongs to TRAVEK itself: never a target, since a value typed there lands nowhere.
    bool ownProcess = false;
};

// "Which window has the keyboard focus, and what is it?" Asked before every value is typed and, with
// a target window, before every key press of it, so an implementation answers from what the desktop
// says now (an earlier answer only while the desktop has told of no change since), and costs well
// under a millisecond.
class FocusWindow {
public:
    virtual ~FocusWindow() = default;
    // The window that has the focus; nothing when none has it (the desktop itself, a closed
    // window). Throws Error when the desktop cannot be asked any more.
    virtual std::optional<WindowInfo> focused() = 0;
};

// Defined by the platform layer. Throws Error with the reason when this desktop tells no program
// which window has the focus.
std::unique_ptr<FocusWindow> openPlatformFocusWindow();

} // namespace travek
