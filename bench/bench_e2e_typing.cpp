// End-to-end typing latency of a whole wedge program, seen from outside as a user's application
// sees it: a plain Xlib window of its own has the focus on the X display, a pty stands in for the
// gauge box, and for each value the CR that ends the line is written and the time taken until the
// first KeyPress and until the value's Tab arrive at the window. The wedge is any program given
// on the command line: TRAVEK (--keyboard=x11) or the minimal wedge (min_wedge.c) as the anchor.
//
//   bench_e2e_typing [--values N] [--value TEXT] [--ready-text TEXT] LINK -- PROGRAM [ARGUMENTS...]
//
// LINK is made a symbolic link to the pty for the program to open. The program is ready once it
// has written READY-TEXT to the port (TRAVEK's last channel command; "R\r" for the minimal wedge)
// and half a second has passed. Each line is "CH 1  " and the value (12,345 unless --value says
// otherwise); the window must receive the value and a Tab for every line, or the run fails. Prints
// the medians and 90th percentiles in microseconds, and how many presses of a key came in the
// server's millisecond of its release (clients take those for auto-repeat and drop them).
//
// The window is named as an application's (program bench_e2e_typing, class BenchTyping), so that
// TRAVEK can be given it as its target window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

double micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

void report(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%s: median %.0f us, p90 %.0f us, min %.0f us, max %.0f us\n", what,
                values[values.size() / 2], values[values.size() * 9 / 10], values.front(), values.back());
}

// Reads what the program wrote to the port into seen, for up to ms milliseconds.
void readPort(int master, std::string& seen, int ms) {
    pollfd p{master, POLLIN, 0};
    while (::poll(&p, 1, ms) > 0) {
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            return;
        seen.append(buffer, static_cast<std::size_t>(n));
        ms = 0;
    }
}

} // namespace

int main(int argc, char** argv) {
    int count = 80;
    std::string valueText = "12,345";
    std::string readyText = "E1\r";
    int arg = 1;
    for (; arg < argc && std::strcmp(argv[arg], "--") != 0; ++arg) {
        if (std::strcmp(argv[arg], "--values") == 0 && arg + 1 < argc)
            count = std::atoi(argv[++arg]);
        else if (std::strcmp(argv[arg], "--value") == 0 && arg + 1 < argc)
            valueText = argv[++arg];
        else if (std::strcmp(argv[arg], "--ready-text") == 0 && arg + 1 < argc)
            readyText = std::string(argv[++arg]) + "\r";
        else
            break;
    }
    if (arg + 2 >= argc || std::strcmp(argv[arg + 1], "--") != 0 || count < 1) {
        std::fprintf(
            stderr,
            "usage: %s [--values N] [--value TEXT] [--ready-text TEXT] LINK -- PROGRAM [ARGUMENTS...]\n",
            argv[0]);
        return 2;
    }
    const std::string link = argv[arg];
    char** program = argv + arg + 2;

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_e2e_typing: no X display\n");
        return 1;
    }
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
    XSelectInput(display, window, KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask);
    XClassHint hint{const_cast<char*>("bench_e2e_typing"), const_cast<char*>("BenchTyping")};
    XSetClassHint(display, window, &hint);
    XStoreName(display, window, "Messung");
    const long pid = static_cast<long>(::getpid());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    XMapWindow(display, window);
    for (XEvent event; XNextEvent(display, &event), event.type != MapNotify;) {
    }
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return 1;
    const std::string slaveName = ::ptsname(master);
    // Held open, so that the pty never hangs up while the program opens and sets up the port.
    const int slave = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    ::unlink(link.c_str());
    if (::symlink(slaveName.c_str(), link.c_str()) != 0) {
        std::perror("bench_e2e_typing: symlink");
        return 1;
    }

    const pid_t child = ::fork();
    if (child == 0) {
        ::execvp(program[0], program);
        std::perror("bench_e2e_typing: exec");
        ::_exit(127);
    }
    std::string seen;
    // Long enough for a program started under valgrind.
    const auto deadline = Clock::now() + std::chrono::seconds(90);
    while (seen.find(readyText) == std::string::npos && Clock::now() < deadline)
        readPort(master, seen, 100);
    readPort(master, seen, 500);
    // The program's own window may have taken the focus.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
    }
    int status = 0;
    if (seen.find(readyText) == std::string::npos) {
        std::fprintf(stderr, "bench_e2e_typing: the program never wrote %s to the port\n", readyText.c_str());
        ::kill(child, SIGTERM);
        ::waitpid(child, &status, 0);
        return 1;
    }

    std::vector<double> firstKey, complete;
    std::string typed;
    bool lost = false;
    int repeatsInReleaseMillisecond = 0;
    unsigned lastReleased = 0;
    Time lastReleaseTime = 0;
    for (int i = 0; i < count && !lost; ++i) {
        const std::string body = "CH 1  " + valueText;
        if (::write(master, body.data(), body.size()) != static_cast<ssize_t>(body.size()))
            return 1;
        ::usleep(2000); // the line's bytes have arrived before its end
        const auto start = Clock::now();
        if (::write(master, "\r", 1) != 1)
            return 1;
        std::optional<Clock::time_point> first;
        std::string value;
        const auto giveUp = start + std::chrono::seconds(10);
        for (;;) {
            if (!XPending(display)) {
                pollfd p{ConnectionNumber(display), POLLIN, 0};
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - Clock::now()).count();
                if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
                    lost = true;
                    break;
                }
            }
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == KeyRelease) {
                lastReleased = event.xkey.keycode;
                lastReleaseTime = event.xkey.time;
            }
            if (event.type != KeyPress)
                continue;
            if (event.xkey.keycode == lastReleased && event.xkey.time == lastReleaseTime)
                ++repeatsInReleaseMillisecond;
            const auto now = Clock::now();
            if (!first)
                first = now;
            char text[8] = "";
            KeySym sym = NoSymbol;
            const int length = XLookupString(&event.xkey, text, sizeof text, &sym, nullptr);
            if (sym == XK_Tab) {
                firstKey.push_back(micros(*first - start));
                complete.push_back(micros(now - start));
                typed += value + "\t";
                break;
            }
            value.append(text, static_cast<std::size_t>(length));
        }
        std::string ignored;
        readPort(master, ignored, 20); // what the program writes back, and a pause between values
    }
    ::kill(child, SIGTERM);
    ::waitpid(child, &status, 0);
    ::unlink(link.c_str());
    std::string expected;
    for (int i = 0; i < count; ++i)
        expected += valueText + "\t";
    if (lost || typed != expected) {
        std::fprintf(stderr, "bench_e2e_typing: %zu of %d values arrived whole\n", firstKey.size(), count);
        return 1;
    }
    std::printf("%d values\n", count);
    report("CR -> first key", firstKey);
    report("CR -> value complete (Tab)", complete);
    std::printf("presses in their release's millisecond: %d\n", repeatsInReleaseMillisecond);
    return 0;
}
