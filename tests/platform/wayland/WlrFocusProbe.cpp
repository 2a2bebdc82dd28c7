// Says which window a wlroots compositor has focused, on one connection kept for the whole run:
// every line read from standard input is answered with one line,
//   focused <app id>|<title>|<1 for our own app id, else 0>     or     none     or     error <reason>
// "ready" comes first, or "unavailable <reason>" and status 3 when the compositor lacks the
// protocol. wlr_focus_test.sh moves the focus between its questions.
//   wlr_focus_probe <own app id>
#include "core/text/Error.h"
#include "platform/wayland/WlrFocusWindow.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    std::unique_ptr<travek::WlrFocusWindow> focus;
    try {
        focus = travek::WlrFocusWindow::open(nullptr, argc > 1 ? argv[1] : "");
    } catch (const travek::Error& error) {
        std::printf("unavailable %s\n", error.what());
        return 3;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        try {
            const std::optional<travek::WindowInfo> window = focus->focused();
            if (window)
                std::printf("focused %s|%s|%d\n", window->windowClass.c_str(), window->title.c_str(),
                            window->ownProcess ? 1 : 0);
            else
                std::printf("none\n");
        } catch (const travek::Error& error) {
            std::printf("error %s\n", error.what());
        }
        std::fflush(stdout);
    }
    return 0;
}
