#include "core/files/FolderLock.h"
#include "core/target/FocusWindow.h"
#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "gui/win32/MainWindow.h"
#include "gui/win32/Win32EventLoop.h"
#include "gui/win32/Win32KeyWait.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char* Usage = "Usage: travek [--keyboard=windows|log]\n"
                    "       travek --help | --version\n"
                    "\n"
                    "TRAVEK types the values of a measuring interface box into the application\n"
                    "that has the keyboard focus. It works in the current directory: interface\n"
                    "definitions (*.VAL), TRAVEK.INI, ablauf.abl and ablauf.pst live there.\n"
                    "\n"
                    "  --keyboard=windows  type through the Windows keyboard (the default)\n"
                    "  --keyboard=log      print what would be typed, one line 'keys TEXT' per text\n"
                    "\n"
                    "  -h, --help          this text\n"
                    "  --version           the version and the licence\n"
                    "\n"
                    "COMn is the port of the interface definition (COM1 to COM99).\n";

const char* Version = "travek " TRAVEK_VERSION "\n"
                      "Copyright 2026 TRAVEK developers\n"
                      "Licensed under the Apache License, Version 2.0.\n";

// A program of the Windows subsystem has no console: what it has to say about its arguments goes to
// a message box, and to the standard stream as well for whoever redirected it.
void tell(const std::string& text, bool error) {
    std::fputs(text.c_str(), error ? stderr : stdout);
    std::fflush(error ? stderr : stdout);
    ::MessageBoxA(nullptr, text.c_str(), error ? "TRAVEK - Fehler" : "TRAVEK",
                  MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION) | MB_SETFOREGROUND);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    std::string backend;
    for (int i = 1; i < __argc; ++i) {
        const std::string arg = __argv[i];
        if (arg.rfind("--keyboard=", 0) == 0) {
            backend = arg.substr(std::strlen("--keyboard="));
        } else if (arg == "--help" || arg == "-h" || arg == "/?") {
            tell(Usage, false);
            return 0;
        } else if (arg == "--version") {
            tell(Version, false);
            return 0;
        } else {
            tell("travek: unknown argument '" + arg + "'\n\n" + Usage, true);
            return 2;
        }
    }

    // Before anything reads or writes a file of the folder: a second TRAVEK here would save its
    // sequence over the first one's.
    travek::FolderLock::Unavailable unlocked;
    const std::unique_ptr<travek::FolderLock> folderLock = travek::FolderLock::lockWorkingFolder(unlocked);
    if (!folderLock) {
        tell(travek::FolderLock::inUseMessage() + "\n", true);
        return 1;
    }
    if (!unlocked.reason.empty())
        std::fprintf(
            stderr,
            "travek: the working folder cannot be locked (%s); a second TRAVEK here would not be noticed\n",
            unlocked.reason.c_str());

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    travek::Win32EventLoop loop;
    travek::Win32KeyWait keyWait(loop);
    std::unique_ptr<travek::KeyOutput> keys;
    std::string noKeys;
    try {
        // Between characters and while a slow pace waits, the loop runs without user input, so
        // serial data and repaints keep flowing and a click in the middle of a value waits until
        // the value is typed; closing the window is served at once and ends the typing.
        keys = travek::createKeyOutput(
            backend, [&keyWait] { keyWait.dispatch(); }, &keyWait);
    } catch (const travek::Error& error) {
        noKeys = error.what();
        // A keyboard named wrong on the command line is the user's to hear of at once; the window
        // still opens, and its notice keeps saying that nothing is typed.
        if (!backend.empty())
            tell("travek: " + noKeys + "\n\n" + Usage, true);
        else
            std::fprintf(stderr, "travek: %s\n", noKeys.c_str());
    }

    // Every other window is owned by the main window, so closing it ends them all; closing it
    // (and the end of the Windows session) saves the sequence and the settings.
    // Which window has the foreground, asked before each value where a target window is set.
    std::unique_ptr<travek::FocusWindow> focus = travek::openPlatformFocusWindow();

    travek::MainWindow window(loop);
    window.setKeyOutput(keys.get(), noKeys);
    window.setFocusWindow(focus.get());
    window.show(show);
    window.scheduleStartUp();
    return loop.run();
}
