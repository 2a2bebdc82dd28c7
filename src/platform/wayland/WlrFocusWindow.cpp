#include "platform/wayland/WlrFocusWindow.h"

#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace travek {

namespace {

constexpr std::uint32_t ProtocolVersion = 3;

const char* displayNameOrDefault(const char* displayName) {
    const char* name = displayName ? displayName : std::getenv("WAYLAND_DISPLAY");
    return name && *name ? name : "wayland-0";
}

struct Found {
    std::uint32_t name = 0;
    std::uint32_t version = 0;
};

using Toplevel = WlrFocusWindow::Toplevel;

Toplevel& toplevelOf(void* data) {
    return *static_cast<Toplevel*>(data);
}

const zwlr_foreign_toplevel_handle_v1_listener ToplevelListener{
    [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
        toplevelOf(data).pendingTitle = title ? title : "";
    },
    [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
        toplevelOf(data).pendingAppId = appId ? appId : "";
    },
    [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
        bool activated = false;
        const auto* state = static_cast<const std::uint32_t*>(states->data);
        for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i)
            activated = activated || state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
        toplevelOf(data).pendingActivated = activated;
    },
    [](void* data, zwlr_foreign_toplevel_handle_v1*) {
        Toplevel& toplevel = toplevelOf(data);
        toplevel.title = toplevel.pendingTitle;
        toplevel.appId = toplevel.pendingAppId;
        toplevel.activated = toplevel.pendingActivated;
    },
    [](void* data, zwlr_foreign_toplevel_handle_v1*) {
        Toplevel& toplevel = toplevelOf(data);
        toplevel.owner->closedToplevel(&toplevel);
    },
    [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
};

} // namespace

std::unique_ptr<WlrFocusWindow> WlrFocusWindow::open(const char* displayName, std::string ownAppId) {
    if (!displayName && !std::getenv("WAYLAND_DISPLAY"))
        throw Error("no Wayland session (WAYLAND_DISPLAY is not set)");
    std::unique_ptr<WlrFocusWindow> focus(
        new WlrFocusWindow(displayName ? displayName : "", std::move(ownAppId)));
    focus->connect();
    return focus;
}

WlrFocusWindow::WlrFocusWindow(std::string displayName, std::string ownAppId)
    : m_displayName(std::move(displayName)), m_ownAppId(std::move(ownAppId)) {}

WlrFocusWindow::~WlrFocusWindow() {
    disconnect();
}

void WlrFocusWindow::connect() {
    const char* displayName = m_displayName.empty() ? nullptr : m_displayName.c_str();
    m_display = wl_display_connect(displayName);
    if (!m_display)
        throw Error(std::string("cannot connect to the Wayland compositor ") +
                    displayNameOrDefault(displayName));
    struct Release {
        WlrFocusWindow* focus;
        ~Release() {
            if (focus)
                focus->disconnect();
        }
    } release{this};

    static const wl_registry_listener Registry{
        [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
            if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0)
                *static_cast<Found*>(data) = Found{name, version};
        },
        [](void*, wl_registry*, std::uint32_t) {}};
    Found found;
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &Registry, &found);
    if (wl_display_roundtrip(m_display) < 0)
        throw Error(std::string("the Wayland compositor ") + displayNameOrDefault(displayName) +
                    " does not answer");
    if (found.name == 0)
        throw Error("the compositor does not tell which window has the focus (it lacks the wlroots "
                    "foreign-toplevel protocol, as GNOME and KDE do)");
    m_manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        wl_registry_bind(m_registry, found.name, &zwlr_foreign_toplevel_manager_v1_interface,
                         std::min(found.version, ProtocolVersion)));
    static const zwlr_foreign_toplevel_manager_v1_listener Manager{
        [](void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
            static_cast<WlrFocusWindow*>(data)->added(handle);
        },
        [](void*, zwlr_foreign_toplevel_manager_v1*) {}};
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &Manager, this);
    // The toplevels are announced in the first round trip, their titles and states in the second.
    if (wl_display_roundtrip(m_display) < 0 || wl_display_roundtrip(m_display) < 0)
        throw Error(std::string("the Wayland compositor ") + displayNameOrDefault(displayName) +
                    " does not answer");
    release.focus = nullptr;
}

void WlrFocusWindow::disconnect() {
    if (!m_display)
        return;
    for (const auto& toplevel : m_toplevels)
        zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    m_toplevels.clear();
    if (m_manager)
        zwlr_foreign_toplevel_manager_v1_stop(m_manager);
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
    m_manager = nullptr;
    m_registry = nullptr;
    m_display = nullptr;
}

void WlrFocusWindow::added(zwlr_foreign_toplevel_handle_v1* handle) {
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->owner = this;
    toplevel->handle = handle;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &ToplevelListener, toplevel.get());
    m_toplevels.push_back(std::move(toplevel));
}

void WlrFocusWindow::closedToplevel(Toplevel* toplevel) {
    zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    std::erase_if(m_toplevels, [toplevel](const auto& each) { return each.get() == toplevel; });
}

std::optional<WindowInfo> WlrFocusWindow::focused() {
    // The events the compositor sent since the last question are read now, and the round trip
    // makes sure that none is still on its way: the answer is as of this call. Between two values
    // nobody reads them, and a compositor may give up on a client whose unread events pile up
    // (a title that changes every second, for hours): the connection is made again then.
    if (!m_display || wl_display_roundtrip(m_display) < 0) {
        disconnect();
        connect();
    }
    for (const auto& toplevel : m_toplevels)
        if (toplevel->activated)
            return WindowInfo{{},
                              systemTextToWin1252(toplevel->appId),
                              systemTextToWin1252(toplevel->title),
                              !m_ownAppId.empty() && toplevel->appId == m_ownAppId};
    return std::nullopt;
}

} // namespace travek
