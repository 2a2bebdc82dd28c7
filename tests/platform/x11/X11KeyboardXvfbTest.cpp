// Types into a real X client (travek-textwin) on a private Xvfb server, under the us and de
// layouts, with Caps Lock off and on. Without Xvfb the tests are skipped, except under CI=true,
// where a missing X server is a failure.
#include "core/typing/LayoutKeySender.h"
#include "platform/x11/X11FocusWindow.h"
#include "platform/x11/X11Keyboard.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace travek {
namespace {

using Clock = std::chrono::steady_clock;

bool inCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        if (access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// A child process with its standard output and error on pipes.
class Child {
public:
    // quiet: output goes to /dev/null (a server that nobody reads must not block on a full pipe).
    // Descriptors the caller opened without O_CLOEXEC are inherited.
    explicit Child(const std::vector<std::string>& argv, bool quiet = false) {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (quiet) {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        } else {
            posix_spawn_file_actions_adddup2(&actions, out[1], 1);
            posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        }
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Child() {
        stop();
        close(m_out);
        close(m_err);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool running() const { return m_pid > 0; }

    // Reads from the child's output (or error) until it holds `wanted` or the time is up.
    std::string readUntil(bool fromError, const std::string& wanted, std::chrono::milliseconds timeout) {
        std::string& text = fromError ? m_errText : m_outText;
        const int fd = fromError ? m_err : m_out;
        const auto deadline = Clock::now() + timeout;
        while (text.find(wanted) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            pollfd pfd{fd, POLLIN, 0};
            if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
                break;
            char buffer[512];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }
    void clearOutput() { m_outText.clear(); }

    // SIGTERM, then the exit status (-1 when it did not end by itself).
    int stop() {
        if (m_pid <= 0)
            return m_status;
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_status;
    }
    int wait() {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_status;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    int m_status = -1;
    std::string m_outText;
    std::string m_errText;
};

class X11KeyboardXvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!onPath("Xvfb")) {
            s_problem = "Xvfb is not installed";
            return;
        }
        // Xvfb picks a free display itself and writes its number to the descriptor.
        int fds[2];
        if (pipe(fds) != 0) {
            s_problem = "no pipe";
            return;
        }
        s_server = new Child({"Xvfb", "-displayfd", std::to_string(fds[1]), "-noreset", "-nolisten", "tcp",
                              "-screen", "0", "640x480x24"},
                             true);
        close(fds[1]);
        std::string number;
        pollfd pfd{fds[0], POLLIN, 0};
        char buffer[32];
        ssize_t n = 0;
        while (number.find('\n') == std::string::npos && poll(&pfd, 1, 20000) > 0 &&
               (n = read(fds[0], buffer, sizeof buffer)) > 0)
            number.append(buffer, static_cast<std::size_t>(n));
        close(fds[0]);
        if (number.find('\n') == std::string::npos) {
            s_problem = "Xvfb did not start";
            return;
        }
        s_display = ":" + number.substr(0, number.find('\n'));
    }

    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override {
        if (!s_problem.empty()) {
            if (inCi())
                FAIL() << "no X server for the keyboard tests: " << s_problem;
            GTEST_SKIP() << s_problem;
        }
    }

    static void setLayout(const std::string& layout) {
        Child setxkbmap({"setxkbmap", "-display", s_display, layout});
        ASSERT_TRUE(setxkbmap.running());
        ASSERT_EQ(setxkbmap.wait(), 0) << "setxkbmap " << layout;
    }

    static inline Child* s_server = nullptr;
    static inline std::string s_display;
    static inline std::string s_problem;
};

constexpr std::chrono::seconds Patience{10};

TEST_F(X11KeyboardXvfbTest, TypesValuesAndAltGrTextExactlyUnderUsAndDe) {
    auto keyboard = X11Keyboard::open(s_display.c_str());
    LayoutKeySender sender(*keyboard);

    test::TempDir dir;
    Child window({TRAVEK_TEXTWIN, "--display", s_display, "--out", dir.file("typed.txt")});
    ASSERT_TRUE(window.running());
    std::string allTyped;
    ASSERT_NE(window.readUntil(true, "ready", Patience).find("ready"), std::string::npos);

    // One keyboard connection throughout, which holds its keymap: both switches must be picked up
    // between calls.
    for (const std::string layout : {"us", "de", "us"}) {
        SCOPED_TRACE(layout);
        setLayout(layout);
        window.clearOutput();
        sender.sendKeys("12,345");
        sender.sendKeys("{TAB}");
        sender.sendKeys("{ENTER}");
        const std::string value = "12,345<Tab><Enter>\n";
        EXPECT_EQ(window.readUntil(false, value, Patience), value);
        allTyped += value;

        window.clearOutput();
        // "@" is the Alt prefix and is doubled to be typed; braces around text would make a name,
        // so "}" comes first and "{" last.
        sender.sendKeys("Mail: a.b@@c.de} Zoll{");
        sender.sendKeys("{ENTER}");
        const std::string text = "Mail: a.b@c.de} Zoll{<Enter>\n";
        EXPECT_EQ(window.readUntil(false, text, Patience), text);
        allTyped += text;
    }
    EXPECT_EQ(window.stop(), 0); // SIGTERM ends it cleanly
    EXPECT_EQ(dir.read("typed.txt"), allTyped);
}

TEST_F(X11KeyboardXvfbTest, DoubledDigitsArriveWholeWhereSameMillisecondRepeatsAreFolded) {
    auto keyboard = X11Keyboard::open(s_display.c_str());
    LayoutKeySender sender(*keyboard);
    setLayout("de");

    Child window({TRAVEK_TEXTWIN, "--display", s_display, "--fold-repeats"});
    ASSERT_NE(window.readUntil(true, "ready", Patience).find("ready"), std::string::npos);

    sender.sendKeys("0,004{TAB}-100,000{TAB}AAa@@@@{ENTER}");
    std::string text = "0,004<Tab>-100,000<Tab>AAa@@<Enter>\n";
    EXPECT_EQ(window.readUntil(false, text, Patience), text);

    // A slow pace as well as full speed.
    keyboard->setKeyDelay(2);
    window.clearOutput();
    sender.sendKeys("1.001{ENTER}");
    text = "1.001<Enter>\n";
    EXPECT_EQ(window.readUntil(false, text, Patience), text);
    EXPECT_EQ(window.stop(), 0);
}

TEST_F(X11KeyboardXvfbTest, CapsLockIsLeftOnAndDoesNotChangeTheText) {
    auto keyboard = X11Keyboard::open(s_display.c_str());
    LayoutKeySender sender(*keyboard);
    setLayout("de");

    Child window({TRAVEK_TEXTWIN, "--display", s_display});
    ASSERT_NE(window.readUntil(true, "ready", Patience).find("ready"), std::string::npos);

    auto tapCapsLock = [&] {
        keyboard->beginSend();
        const auto caps = keyboard->namedKey(vk::Capital);
        ASSERT_TRUE(caps);
        keyboard->sendKey(*caps, true);
        keyboard->sendKey(*caps, false);
        keyboard->endSend();
    };
    tapCapsLock();
    keyboard->beginSend();
    ASSERT_TRUE(keyboard->capsLockOn());
    keyboard->endSend();

    sender.sendKeys("}Ab@@z,5^c{");
    sender.sendKeys("{ENTER}");
    const std::string text = "}Ab@z,5<Ctrl+c>{<Enter>\n";
    EXPECT_EQ(window.readUntil(false, text, Patience), text);

    keyboard->beginSend();
    EXPECT_TRUE(keyboard->capsLockOn());
    keyboard->endSend();
    tapCapsLock();
    keyboard->beginSend();
    EXPECT_FALSE(keyboard->capsLockOn());
    keyboard->endSend();
    EXPECT_EQ(window.stop(), 0);
}

// The focused window on the same server: two programs' windows, the focus moved between them
// by the input focus (no window manager) and by _NET_ACTIVE_WINDOW (as a window manager keeps it).
using X11FocusWindowXvfbTest = X11KeyboardXvfbTest;

TEST_F(X11FocusWindowXvfbTest, NamesTheWindowThatTheWindowManagerOrTheInputFocusSays) {
    xcb_connection_t* x = xcb_connect(s_display.c_str(), nullptr);
    ASSERT_EQ(xcb_connection_has_error(x), 0);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    auto atom = [x](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t found = reply->atom;
        free(reply);
        return found;
    };
    // A round trip: the server has handled every request before it.
    auto sync = [x] { free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr)); };
    auto focus = X11FocusWindow::open(s_display.c_str());
    EXPECT_FALSE(focus->focused()) << "nothing has the focus on a fresh server";

    Child calc({TRAVEK_TEXTWIN, "--display", s_display, "--title", "Los 7", "--class", "Calc"});
    ASSERT_NE(calc.readUntil(true, "ready", Patience).find("ready"), std::string::npos);
    xcb_get_input_focus_reply_t* input = xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr);
    const xcb_window_t calcWindow = input->focus;
    free(input);
    Child mail({TRAVEK_TEXTWIN, "--display", s_display, "--title", "Posteingang", "--class", "Mail"});
    ASSERT_NE(mail.readUntil(true, "ready", Patience).find("ready"), std::string::npos);

    std::optional<WindowInfo> window = focus->focused();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowClass, "Mail");
    EXPECT_EQ(window->title, "Posteingang");
    EXPECT_EQ(window->program, "travek-textwin");
    EXPECT_FALSE(window->ownProcess);

    // A UTF-8 title wins over WM_NAME and arrives in Windows-1252.
    const std::string title = "Gr\u00f6\u00dfe \u2013 Calc";
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, calcWindow, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    xcb_set_input_focus(x, XCB_INPUT_FOCUS_POINTER_ROOT, calcWindow, XCB_CURRENT_TIME);
    sync();
    window = focus->focused();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowClass, "Calc");
    EXPECT_EQ(window->title, "Gr\xF6\xDF"
                             "e \x96 Calc");
    // The answer is kept between questions while nothing changes: a new title alone is seen too.
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, calcWindow, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, 4,
                        "Los8");
    sync();
    window = focus->focused();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title, "Los8");

    // A window manager's word counts, whatever the input focus: another window, none, our own.
    const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
    auto activate = [&](xcb_window_t target) {
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, root, active, XCB_ATOM_WINDOW, 32, 1, &target);
        sync();
    };
    xcb_window_t mailWindow = 0;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x, xcb_query_tree(x, root), nullptr);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
        if (xcb_query_tree_children(tree)[i] != calcWindow)
            mailWindow = xcb_query_tree_children(tree)[i];
    free(tree);
    activate(mailWindow);
    window = focus->focused();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowClass, "Mail");
    activate(XCB_WINDOW_NONE);
    EXPECT_FALSE(focus->focused());
    const xcb_window_t own = xcb_generate_id(x);
    xcb_create_window(x, XCB_COPY_FROM_PARENT, own, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, own, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
    activate(own);
    window = focus->focused();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->ownProcess);
    xcb_delete_property(x, root, active);
    xcb_destroy_window(x, own);

    // A window manager that frames windows without keeping _NET_ACTIVE_WINDOW: the focused frame
    // stands for the application's window in it, the one with WM_STATE.
    const xcb_window_t frame = xcb_generate_id(x);
    const xcb_window_t client = xcb_generate_id(x);
    xcb_create_window(x, XCB_COPY_FROM_PARENT, frame, root, 0, 0, 50, 50, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_create_window(x, XCB_COPY_FROM_PARENT, client, frame, 0, 0, 40, 40, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string framed = std::string("framed") + '\0' + "Framed" + '\0';
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, client, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(framed.size()), framed.data());
    const std::uint32_t normal[] = {1, XCB_WINDOW_NONE};
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, client, atom("WM_STATE"), atom("WM_STATE"), 32, 2, normal);
    xcb_map_window(x, client);
    xcb_map_window(x, frame);
    xcb_set_input_focus(x, XCB_INPUT_FOCUS_POINTER_ROOT, frame, XCB_CURRENT_TIME);
    sync();
    window = focus->focused();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowClass, "Framed");
    xcb_destroy_window(x, frame);
    xcb_disconnect(x);
    EXPECT_EQ(calc.stop(), 0);
    EXPECT_EQ(mail.stop(), 0);
}

} // namespace
} // namespace travek
