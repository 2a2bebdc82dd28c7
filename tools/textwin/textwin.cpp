// travek-textwin: a small X client that takes the keyboard focus and writes the text typed into it
// to standard output (and, with --out, to a file), flushed after every key, so tests and demos can
// see exactly what a keyboard sender produced under the server's current layout.
#include <xcb/xcb.h>
// xcb/xkb.h names a structure member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage = R"(Usage: travek-textwin [options]

Opens a window on the X display, gives it the keyboard focus and writes what is typed into it to
standard output, flushed after every key. The window shows the latest lines of the same text.
Keys are translated with the server's current keyboard layout (xkbcommon), so a layout switched
with setxkbmap while the window is open is honoured.

Output:
  characters      as UTF-8
  Return          "<Enter>" followed by a newline (so every entered line is a line of output)
  Tab             "<Tab>"
  Ctrl/Alt held   "<Ctrl+x>", "<Alt+x>", "<Ctrl+Alt+x>" (x: the character or the key's name)
  other keys      "<" keysym name ">", for example <BackSpace>, <Up>, <F1>, <dead_circumflex>
  modifier keys   nothing (Shift, Ctrl, Alt, AltGr, Caps Lock, Num Lock)

Options:
  --out FILE      also append the output to FILE (flushed after every key)
  --display NAME  X display to use (default: $DISPLAY)
  --keep-focus    take the focus back whenever another window takes it
  --fold-repeats  read a key's release followed by a press of the same key with the same
                  timestamp as auto-repeat and drop that press, as some X11 toolkits do
  --title TEXT    window title (default: travek-textwin)
  --class NAME    window class in WM_CLASS (default: TravekTextwin)
  --help          this text

When the window has the focus, "travek-textwin: ready" is written to standard error. The program
ends with status 0 on SIGTERM or SIGINT, and with status 1 when the X connection is lost.
)";

struct Options {
    std::string out;
    std::string display;
    std::string title = "travek-textwin";
    std::string windowClass = "TravekTextwin";
    bool keepFocus = false;
    bool foldRepeats = false;
};

struct KeymapDeleter {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct StateDeleter {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};

class TextWindow {
public:
    TextWindow(xcb_connection_t* connection, std::FILE* out, bool keepFocus, bool foldRepeats)
        : m_connection(connection), m_out(out), m_keepFocus(keepFocus), m_foldRepeats(foldRepeats) {}
    ~TextWindow() { xkb_context_unref(m_context); }

    bool setUp(const std::string& title, const std::string& windowClass);
    // Handles every queued event; false when the connection is gone.
    bool handleEvents();

private:
    bool loadKeymap();
    void selectKeyboardEvents();
    void takeFocus();
    xcb_atom_t internAtom(const char* name);
    void keyPressed(const xcb_key_press_event_t& event);
    void write(const std::string& text);
    void openFont();
    void draw();

    xcb_connection_t* m_connection;
    std::FILE* m_out;
    bool m_keepFocus;
    bool m_foldRepeats;
    // The last key event, when it was a release: a press of the same key with the same time is
    // what a folding toolkit takes for auto-repeat.
    std::optional<xcb_key_release_event_t> m_lastRelease;
    xcb_window_t m_window = 0;
    xkb_context* m_context = nullptr;
    std::int32_t m_deviceId = -1;
    std::uint8_t m_xkbEventBase = 0;
    std::unique_ptr<xkb_keymap, KeymapDeleter> m_keymap;
    std::unique_ptr<xkb_state, StateDeleter> m_state;
    bool m_ready = false;
    // What the window shows: the text written so far, one entry per line, the last one open.
    std::vector<std::string> m_lines{std::string()};
    xcb_gcontext_t m_gc = 0;
    int m_lineHeight = 13;
    int m_ascent = 10;
    int m_height = 120;
};

bool TextWindow::setUp(const std::string& title, const std::string& windowClass) {
    if (!xkb_x11_setup_xkb_extension(m_connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                     XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS,
                                     nullptr, nullptr, &m_xkbEventBase, nullptr)) {
        std::fprintf(stderr, "travek-textwin: the X server has no usable XKB extension\n");
        return false;
    }
    m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    m_deviceId = xkb_x11_get_core_keyboard_device_id(m_connection);
    if (!m_context || m_deviceId < 0 || !loadKeymap()) {
        std::fprintf(stderr, "travek-textwin: cannot read the keyboard layout\n");
        return false;
    }
    selectKeyboardEvents();

    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_window = xcb_generate_id(m_connection);
    const std::uint32_t values[] = {screen->white_pixel,
                                    XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                        XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_EXPOSURE |
                                        (m_foldRepeats ? std::uint32_t{XCB_EVENT_MASK_KEY_RELEASE} : 0u)};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 480, 120, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    // Named as an application's window is, so that a program that asks which window has the focus
    // finds the class, the process and the machine.
    const std::string classes = std::string("travek-textwin") + '\0' + windowClass + '\0';
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(classes.size()), classes.data());
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, internAtom("_NET_WM_PID"),
                        XCB_ATOM_CARDINAL, 32, 1, &pid);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLIENT_MACHINE,
                        XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(std::strlen(host)), host);
    openFont();
    xcb_map_window(m_connection, m_window);
    xcb_flush(m_connection);
    return true;
}

bool TextWindow::loadKeymap() {
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap(
        xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return false;
    std::unique_ptr<xkb_state, StateDeleter> state(xkb_state_new(keymap.get()));
    if (!state)
        return false;
    m_keymap = std::move(keymap);
    m_state = std::move(state);
    return true;
}

void TextWindow::selectKeyboardEvents() {
    // A new layout (setxkbmap) arrives as NewKeyboardNotify or MapNotify; the modifier and group
    // state comes with every key event, so StateNotify is not needed.
    const std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    const std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                   XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                                   XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                   XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    xcb_xkb_select_events_aux(m_connection, static_cast<xcb_xkb_device_spec_t>(m_deviceId), events, 0, 0,
                              mapParts, mapParts, &details);
}

xcb_atom_t TextWindow::internAtom(const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void TextWindow::takeFocus() {
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, m_window, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

// A core font of the server, so that showing the text needs no font library: a larger one of the
// usual misc set when the server has it, else "fixed", which every server has built in.
void TextWindow::openFont() {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    for (const char* name : {"10x20", "9x15", "fixed"}) {
        const xcb_font_t font = xcb_generate_id(m_connection);
        const xcb_void_cookie_t opened =
            xcb_open_font_checked(m_connection, font, static_cast<std::uint16_t>(std::strlen(name)), name);
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, opened)) {
            free(error);
            continue;
        }
        if (xcb_query_font_reply_t* info =
                xcb_query_font_reply(m_connection, xcb_query_font(m_connection, font), nullptr)) {
            m_ascent = info->font_ascent;
            m_lineHeight = info->font_ascent + info->font_descent + 2;
            free(info);
        }
        m_gc = xcb_generate_id(m_connection);
        const std::uint32_t values[] = {screen->black_pixel, screen->white_pixel, font};
        xcb_create_gc(m_connection, m_gc, m_window, XCB_GC_FOREGROUND | XCB_GC_BACKGROUND | XCB_GC_FONT,
                      values);
        xcb_close_font(m_connection, font);
        return;
    }
}

// The latest lines that fit, the open line at the bottom.
void TextWindow::draw() {
    if (!m_gc)
        return;
    xcb_clear_area(m_connection, 0, m_window, 0, 0, 0, 0);
    const int margin = 4;
    const int fitting = std::max(1, (m_height - 2 * margin) / m_lineHeight);
    const std::size_t first = m_lines.size() > std::size_t(fitting) ? m_lines.size() - fitting : 0;
    int y = margin + m_ascent;
    for (std::size_t i = first; i < m_lines.size(); ++i, y += m_lineHeight) {
        const std::string& line = m_lines[i];
        const auto length = static_cast<std::uint8_t>(std::min<std::size_t>(line.size(), 255));
        xcb_image_text_8(m_connection, length, m_window, m_gc, margin, static_cast<std::int16_t>(y),
                         line.data());
    }
    xcb_flush(m_connection);
}

void TextWindow::write(const std::string& text) {
    if (text.empty())
        return;
    for (char c : text) {
        if (c == '\n')
            m_lines.emplace_back();
        else
            m_lines.back() += c;
    }
    constexpr std::size_t KeptLines = 200;
    if (m_lines.size() > KeptLines)
        m_lines.erase(m_lines.begin(), m_lines.end() - KeptLines);
    draw();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    if (m_out) {
        std::fwrite(text.data(), 1, text.size(), m_out);
        std::fflush(m_out);
    }
}

bool isModifierKeysym(xkb_keysym_t keysym) {
    return (keysym >= XKB_KEY_Shift_L && keysym <= XKB_KEY_Hyper_R) ||
           (keysym >= XKB_KEY_ISO_Lock && keysym <= XKB_KEY_ISO_Last_Group_Lock) ||
           keysym == XKB_KEY_Num_Lock || keysym == XKB_KEY_Mode_switch;
}

std::string keysymName(xkb_keysym_t keysym) {
    char name[64];
    if (xkb_keysym_get_name(keysym, name, sizeof name) <= 0)
        return "unknown";
    return name;
}

void TextWindow::keyPressed(const xcb_key_press_event_t& event) {
    // The state of an XKB-aware client's key event: modifiers in bits 0-7, the group in 13-14.
    xkb_state_update_mask(m_state.get(), event.state & 0xFF, 0, 0, 0, 0, (event.state >> 13) & 3);
    const xkb_keycode_t key = event.detail;
    const xkb_keysym_t keysym = xkb_state_key_get_one_sym(m_state.get(), key);
    if (keysym == XKB_KEY_NoSymbol || isModifierKeysym(keysym))
        return;
    if (keysym == XKB_KEY_Return || keysym == XKB_KEY_KP_Enter) {
        write("<Enter>\n");
        return;
    }
    if (keysym == XKB_KEY_Tab || keysym == XKB_KEY_ISO_Left_Tab) {
        write("<Tab>");
        return;
    }
    const bool ctrl =
        xkb_state_mod_name_is_active(m_state.get(), XKB_MOD_NAME_CTRL, XKB_STATE_MODS_EFFECTIVE) > 0;
    const bool alt =
        xkb_state_mod_name_is_active(m_state.get(), XKB_MOD_NAME_ALT, XKB_STATE_MODS_EFFECTIVE) > 0;
    char utf8[16] = {};
    // The keysym's own character: with Ctrl held, the state's text would be a control character.
    const int length = xkb_keysym_to_utf8(keysym, utf8, sizeof utf8);
    const bool printable = length > 1 && static_cast<unsigned char>(utf8[0]) >= 0x20 && utf8[0] != 0x7F;
    const std::string name = printable ? std::string(utf8) : keysymName(keysym);
    if (ctrl || alt)
        write(std::string("<") + (ctrl ? "Ctrl+" : "") + (alt ? "Alt+" : "") + name + ">");
    else if (printable)
        write(name);
    else
        write("<" + name + ">");
}

bool TextWindow::handleEvents() {
    while (xcb_generic_event_t* raw = xcb_poll_for_event(m_connection)) {
        std::unique_ptr<xcb_generic_event_t, decltype(&free)> event(raw, &free);
        const std::uint8_t type = event->response_type & 0x7F;
        if (type == XCB_KEY_PRESS) {
            const auto& press = *reinterpret_cast<xcb_key_press_event_t*>(event.get());
            const bool repeat =
                m_lastRelease && m_lastRelease->detail == press.detail && m_lastRelease->time == press.time;
            m_lastRelease.reset();
            if (!repeat)
                keyPressed(press);
        } else if (type == XCB_KEY_RELEASE) {
            m_lastRelease = *reinterpret_cast<xcb_key_release_event_t*>(event.get());
        } else if (type == XCB_MAP_NOTIFY && !m_ready) {
            takeFocus();
            m_ready = true;
            std::fprintf(stderr, "travek-textwin: ready\n");
            std::fflush(stderr);
        } else if (type == XCB_EXPOSE) {
            if (reinterpret_cast<xcb_expose_event_t*>(event.get())->count == 0)
                draw();
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            m_height = reinterpret_cast<xcb_configure_notify_event_t*>(event.get())->height;
        } else if (type == XCB_FOCUS_OUT && m_keepFocus && m_ready) {
            const auto* focus = reinterpret_cast<xcb_focus_out_event_t*>(event.get());
            if (focus->mode == XCB_NOTIFY_MODE_NORMAL && focus->detail != XCB_NOTIFY_DETAIL_INFERIOR)
                takeFocus();
        } else if (type == m_xkbEventBase) {
            // XKB events share one event code; the keyboard changed: read the layout again.
            const std::uint8_t xkbType = reinterpret_cast<const std::uint8_t*>(event.get())[1];
            if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY)
                loadKeymap();
        }
    }
    return xcb_connection_has_error(m_connection) == 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "travek-textwin: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (arg == "--out") {
            options.out = value();
        } else if (arg == "--display") {
            options.display = value();
        } else if (arg == "--title") {
            options.title = value();
        } else if (arg == "--class") {
            options.windowClass = value();
        } else if (arg == "--keep-focus") {
            options.keepFocus = true;
        } else if (arg == "--fold-repeats") {
            options.foldRepeats = true;
        } else {
            std::fprintf(stderr, "travek-textwin: unknown option %s (see --help)\n", arg.c_str());
            return 2;
        }
    }

    // SIGTERM and SIGINT arrive through a descriptor, so the event loop can end cleanly.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

    std::FILE* out = nullptr;
    if (!options.out.empty() && !(out = std::fopen(options.out.c_str(), "ab"))) {
        std::fprintf(stderr, "travek-textwin: cannot open %s: %s\n", options.out.c_str(),
                     std::strerror(errno));
        return 1;
    }
    xcb_connection_t* connection =
        xcb_connect(options.display.empty() ? nullptr : options.display.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "travek-textwin: cannot connect to the X display\n");
        xcb_disconnect(connection);
        return 1;
    }

    int status = 0;
    {
        TextWindow window(connection, out, options.keepFocus, options.foldRepeats);
        if (!window.setUp(options.title, options.windowClass)) {
            status = 1;
        } else {
            pollfd fds[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {signalFd, POLLIN, 0}};
            for (;;) {
                if (!window.handleEvents()) {
                    std::fprintf(stderr, "travek-textwin: the X connection was lost\n");
                    status = 1;
                    break;
                }
                xcb_flush(connection);
                if (poll(fds, 2, -1) < 0 && errno != EINTR)
                    break;
                if (fds[1].revents & POLLIN)
                    break;
            }
        }
    }
    xcb_disconnect(connection);
    if (out)
        std::fclose(out);
    close(signalFd);
    return status;
}
