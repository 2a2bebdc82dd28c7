#include "platform/x11/X11FocusWindow.h"

#include "core/text/Error.h"
#include "core/text/TextHelpers.h"
#include "platform/x11/X11Display.h"

#include <xcb/xcb.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace travek {

namespace {

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

// An 8-bit property's bytes; empty when the window or the property is gone.
std::string bytesOf(xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 8)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply)),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply)));
}

std::uint32_t firstWord(xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply) < 4)
        return 0;
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
}

// The executable's file name: /proc/PID/exe where the process is ours to look at, else the
// kernel's short name, which is the same name cut to 15 characters.
std::string programOf(std::uint32_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    char target[4096];
    const ssize_t length = readlink((proc + "/exe").c_str(), target, sizeof target - 1);
    if (length > 0) {
        std::string path(target, static_cast<std::size_t>(length));
        // A replaced executable reads "/path (deleted)".
        if (const std::string deleted = " (deleted)";
            path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
        return systemTextToWin1252(path.substr(path.find_last_of('/') + 1));
    }
    std::ifstream comm(proc + "/comm");
    std::string name;
    std::getline(comm, name);
    return systemTextToWin1252(name);
}

} // namespace

std::unique_ptr<X11FocusWindow> X11FocusWindow::open(const char* displayName) {
    xcb_connection_t* connection = connectToDisplay(displayName);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    std::unique_ptr<X11FocusWindow> focus(new X11FocusWindow(connection, screen->root));
    focus->m_activeAtom = focus->atom("_NET_ACTIVE_WINDOW");
    focus->m_nameAtom = focus->atom("_NET_WM_NAME");
    focus->m_utf8Atom = focus->atom("UTF8_STRING");
    focus->m_pidAtom = focus->atom("_NET_WM_PID");
    focus->m_stateAtom = focus->atom("WM_STATE");
    // A window manager that starts, stops or names another active window changes this property.
    const std::uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, focus->m_root, XCB_CW_EVENT_MASK, &rootEvents);
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0)
        focus->m_hostName = host;
    return focus;
}

X11FocusWindow::X11FocusWindow(xcb_connection_t* connection, std::uint32_t root)
    : m_connection(connection), m_root(root) {}

X11FocusWindow::~X11FocusWindow() {
    xcb_disconnect(m_connection);
}

std::uint32_t X11FocusWindow::atom(const char* name) const {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection,
        xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::string_view(name).size()), name),
        nullptr));
    return reply ? reply->atom : std::uint32_t{XCB_ATOM_NONE};
}

std::optional<WindowInfo> X11FocusWindow::focused() {
    if (!answerStillHolds())
        m_answer.reset();
    if (xcb_connection_has_error(m_connection))
        throw Error("the connection to the X display was lost");
    if (m_answer)
        return m_answer;
    const Focus focus = activeWindow();
    if (focus.window == XCB_WINDOW_NONE) {
        // Not kept: a focus that comes to a window is then told to nobody here.
        watch({});
        return std::nullopt;
    }
    watch({focus.frame, focus.window});
    // The input focus is asked again behind the watch, in the round trip that reads the window's
    // names: where it moved before the watch held, no event would tell, and the answer is not kept.
    // A window manager's choice needs no second look: its property has been watched all along.
    std::optional<xcb_get_input_focus_cookie_t> again;
    if (focus.inputFocus != XCB_WINDOW_NONE)
        again = xcb_get_input_focus(m_connection);
    WindowInfo info = describe(focus.window);
    bool keep = true;
    if (again) {
        const Reply<xcb_get_input_focus_reply_t> input(
            xcb_get_input_focus_reply(m_connection, *again, nullptr));
        keep = input && input->focus == focus.inputFocus;
    }
    if (keep)
        m_answer = info;
    return info;
}

// Everything but a window's move, its stacking and the properties that name nothing asked here
// (a toolkit's user time changes with every key) may change the answer; a request that failed (a
// watched window destroyed) too.
bool X11FocusWindow::answerStillHolds() {
    bool holds = true;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        switch (event->response_type & 0x7F) {
        case XCB_CONFIGURE_NOTIFY:
        case XCB_GRAVITY_NOTIFY:
        case XCB_CIRCULATE_NOTIFY:
            break;
        case XCB_PROPERTY_NOTIFY: {
            const xcb_atom_t changed = reinterpret_cast<const xcb_property_notify_event_t*>(event)->atom;
            for (xcb_atom_t named :
                 {m_activeAtom, m_nameAtom, m_pidAtom, m_stateAtom, xcb_atom_t{XCB_ATOM_WM_NAME},
                  xcb_atom_t{XCB_ATOM_WM_CLASS}, xcb_atom_t{XCB_ATOM_WM_CLIENT_MACHINE}})
                holds = holds && changed != named;
            break;
        }
        default:
            holds = false;
        }
        std::free(event);
    }
    return holds;
}

// Events come for the window with the focus and for the top-level window around it: a focus that
// leaves a window for another top-level window leaves every window above it too. A window that is
// watched again is asked again, as its number may now be another window's.
void X11FocusWindow::watch(std::vector<std::uint32_t> windows) {
    const std::uint32_t events =
        XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    const std::uint32_t none = 0;
    for (std::uint32_t window : m_watched)
        if (std::find(windows.begin(), windows.end(), window) == windows.end())
            // The window may be gone: its error says nothing about the answer.
            xcb_discard_reply(m_connection, xcb_change_window_attributes_checked(m_connection, window,
                                                                                 XCB_CW_EVENT_MASK, &none)
                                                .sequence);
    std::erase(windows, XCB_WINDOW_NONE);
    for (std::uint32_t window : windows)
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &events);
    m_watched = std::move(windows);
}

X11FocusWindow::Focus X11FocusWindow::activeWindow() {
    const Reply<xcb_get_property_reply_t> active(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_root, m_activeAtom, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!active && xcb_connection_has_error(m_connection))
        throw Error("the connection to the X display was lost");
    // A window manager that keeps the property says which window is active, and 0 for none (its
    // desktop has the focus): the input focus is its business then, often on a frame of its own.
    if (active && active->type == XCB_ATOM_WINDOW) {
        const std::uint32_t window = firstWord(active.get());
        return {window, window, XCB_WINDOW_NONE};
    }
    const Reply<xcb_get_input_focus_reply_t> input(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    if (!input || input->focus == XCB_WINDOW_NONE || input->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        input->focus == m_root)
        return {};
    const std::uint32_t top = topLevel(input->focus);
    const std::uint32_t client = clientOf(top, 2);
    return {client != XCB_WINDOW_NONE ? client : top, top, input->focus};
}

// A window manager without _NET_ACTIVE_WINDOW may still put each application window into a frame
// of its own: the application's window is the one in the frame that the manager gave WM_STATE.
// Without any manager no window has it, and the top-level window is the application's.
std::uint32_t X11FocusWindow::clientOf(std::uint32_t window, int depth) {
    const Reply<xcb_get_property_reply_t> state(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, m_stateAtom, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
        nullptr));
    if (state && state->type != XCB_ATOM_NONE)
        return window;
    if (depth == 0)
        return XCB_WINDOW_NONE;
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
    if (!tree)
        return XCB_WINDOW_NONE;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        if (const std::uint32_t client = clientOf(children[i], depth - 1); client != XCB_WINDOW_NONE)
            return client;
    return XCB_WINDOW_NONE;
}

// The focus may rest on a child of an application's window: the window that the application
// named and titled is the one right below the root.
std::uint32_t X11FocusWindow::topLevel(std::uint32_t window) {
    for (int depth = 0; depth < 64; ++depth) {
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
        if (!tree)
            return XCB_WINDOW_NONE;
        if (tree->parent == m_root || tree->parent == XCB_WINDOW_NONE)
            return window;
        window = tree->parent;
    }
    return window;
}

WindowInfo X11FocusWindow::describe(std::uint32_t window) {
    // All five questions go out together: one round trip, not five.
    auto ask = [&](std::uint32_t property, std::uint32_t type) {
        return xcb_get_property(m_connection, 0, window, property, type, 0, 1024);
    };
    const auto classCookie = ask(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const auto netNameCookie = ask(m_nameAtom, m_utf8Atom);
    const auto nameCookie = ask(XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
    const auto pidCookie = ask(m_pidAtom, XCB_ATOM_CARDINAL);
    const auto machineCookie = ask(XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING);
    auto reply = [&](xcb_get_property_cookie_t cookie) {
        return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(m_connection, cookie, nullptr));
    };
    const auto windowClass = reply(classCookie);
    const auto netName = reply(netNameCookie);
    const auto name = reply(nameCookie);
    const auto pid = reply(pidCookie);
    const auto machine = reply(machineCookie);
    if (xcb_connection_has_error(m_connection))
        throw Error("the connection to the X display was lost");

    WindowInfo info;
    // WM_CLASS holds the instance name and the class name, each ended by a NUL.
    const std::string classes = bytesOf(windowClass.get());
    if (const auto end = classes.find('\0'); end != std::string::npos)
        info.windowClass = classes.substr(end + 1, classes.find('\0', end + 1) - end - 1);
    // _NET_WM_NAME is UTF-8; WM_NAME is Latin-1, which Windows-1252 extends.
    const std::string utf8 = bytesOf(netName.get());
    if (!utf8.empty())
        info.title = systemTextToWin1252(utf8);
    else if (name && name->type == m_utf8Atom)
        info.title = systemTextToWin1252(bytesOf(name.get()));
    else
        info.title = bytesOf(name.get());
    // A process number means something only on the machine that the window's client runs on.
    const std::string client = bytesOf(machine.get());
    const std::uint32_t process = firstWord(pid.get());
    if (process != 0 && (client.empty() || client == m_hostName)) {
        info.program = programOf(process);
        info.ownProcess = process == static_cast<std::uint32_t>(getpid());
    }
    return info;
}

} // namespace travek
