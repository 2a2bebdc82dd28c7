#pragma once

#include "core/target/FocusWindow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

namespace travek {

// The focused window of a wlroots compositor (sway, Hyprland, labwc, Wayfire), which lists its
// toplevels with their app id, title and state through the foreign-toplevel protocol: the focused
// one is the one whose state says "activated". The program behind a toplevel is not told, so the
// app id stands for it.
class WlrFocusWindow : public FocusWindow {
public:
    // displayName nullptr means $WAYLAND_DISPLAY; ownAppId is the app id of TRAVEK's own windows.
    // Throws Error when the compositor does not offer the protocol (GNOME and KDE do not).
    static std::unique_ptr<WlrFocusWindow> open(const char* displayName, std::string ownAppId);
    ~WlrFocusWindow() override;
    WlrFocusWindow(const WlrFocusWindow&) = delete;
    WlrFocusWindow& operator=(const WlrFocusWindow&) = delete;

    std::optional<WindowInfo> focused() override;

    // What the compositor said of one toplevel; a batch of changes counts from its "done" on.
    struct Toplevel {
        WlrFocusWindow* owner = nullptr;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        std::string title, appId, pendingTitle, pendingAppId;
        bool activated = false, pendingActivated = false;
    };

private:
    WlrFocusWindow(std::string displayName, std::string ownAppId);
    // Connects and reads the toplevels; throws Error, connected to nothing.
    void connect();
    void disconnect();
    void added(zwlr_foreign_toplevel_handle_v1* handle);

public:
    // The compositor closed the toplevel: its handle goes.
    void closedToplevel(Toplevel* toplevel);

private:
    std::string m_displayName; // empty for $WAYLAND_DISPLAY
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    zwlr_foreign_toplevel_manager_v1* m_manager = nullptr;
    std::vector<std::unique_ptr<Toplevel>> m_toplevels;
    std::string m_ownAppId;
};

} // namespace travek
