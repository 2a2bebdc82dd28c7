#pragma once

#include "core/target/FocusWindow.h"

namespace travek {

// The foreground window of the Windows desktop: its class name, its title and the executable of
// the process that owns it. Read through the wide-character API and converted to Windows-1252, so
// that the answer does not depend on the system's ANSI code page.
class Win32FocusWindow : public FocusWindow {
public:
    std::optional<WindowInfo> focused() override;
};

} // namespace travek
