#include "core/files/FolderLock.h"
#include "core/target/FocusWindow.h"
#include "core/text/Error.h"
#include "core/typing/KeyOutputFactory.h"
#include "gui/qt/MainWindow.h"
#include "gui/qt/QtKeyWait.h"
#include "gui/qt/Win1252.h"
#include "platform/posix/SignalPipe.h"

#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace {

const char* Usage = "Usage: travek [--keyboard=auto|wayland|portal|x11|windows|log]\n"
                    "       travek --help | --version\n"
                    "\n"
                    "TRAVEK types the values of a measuring interface box into the application\n"
                    "that has the keyboard focus. It works in the current directory: interface\n"
                    "definitions (*.VAL), TRAVEK.INI, ablauf.abl and ablauf.pst live there.\n"
                    "\n"
                    "  --keyboard=auto     the desktop's own (the default): wayland or else portal\n"
                    "                      in a Wayland session, x11 under X11, windows on Windows\n"
                    "  --keyboard=wayland  type through the compositor's virtual keyboard (sway,\n"
                    "                      Hyprland, river, labwc, Wayfire)\n"
                    "  --keyboard=portal   type through the desktop's RemoteDesktop portal (GNOME,\n"
                    "                      KDE); the desktop asks for permission\n"
                    "  --keyboard=x11      type through the X server (in a Wayland session only\n"
                    "                      into X11 windows)\n"
                    "  --keyboard=log      print what would be typed, one line 'keys TEXT' per text\n"
                    "  --keyboard=windows  type through the Windows keyboard (Windows only)\n"
                    "\n"
                    "  -h, --help          this text\n"
                    "  --version           the version and the licence\n"
                    "\n"
                    "Qt's own options (-platform, -style, -display, -session...) work as in every\n"
                    "Qt program. COMn is /dev/ttyS<n-1> unless TRAVEK.INI maps it in section\n"
                    "[COMPORTS], e.g. COM3=/dev/serial/by-id/usb-...\n";

const char* Version = "travek " TRAVEK_VERSION "\n"
                      "Copyright 2026 TRAVEK developers\n"
                      "Licensed under the Apache License, Version 2.0.\n";

// How many arguments from args[0] on make one option that Qt itself takes (with "-" or "--") and
// QApplication removes: a session manager restarts the program with -session ID, a user may give
// -platform, -style or -display. 0 when args[0] is not one. count is the number of arguments left.
int qtOptionLength(char* const* args, int count) {
    static const std::set<std::string_view> WithValue = {
        "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
        "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
        "display",     "geometry",           "title",         "icon",   "name"};
    static const std::set<std::string_view> Flags = {"reverse", "widgetcount", "nograb", "dograb"};
    std::string_view arg = args[0];
    if (arg.size() < 2 || arg[0] != '-')
        return 0;
    arg.remove_prefix(arg.rfind("--", 0) == 0 ? 2 : 1);
    if (Flags.count(arg) || arg.rfind("style=", 0) == 0 || arg.rfind("stylesheet=", 0) == 0)
        return 1;
    return WithValue.count(arg) && count > 1 ? 2 : 0;
}

// Reads the command line before anything needs a display, so that --help, --version and a wrong
// argument are answered in a terminal without one, where QApplication would abort. Gives the exit
// status, or -1 when the program is to run with the keyboard put into backend.
int readArguments(int argc, char* argv[], std::string& backend) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--keyboard=", 0) == 0) {
            backend = arg.substr(std::strlen("--keyboard="));
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::fputs(Version, stdout);
            return 0;
        } else if (const int length = qtOptionLength(argv + i, argc - i); length > 0) {
            i += length - 1;
        } else {
            std::fprintf(stderr, "travek: unknown argument '%s'\n\n%s", arg.c_str(), Usage);
            return 2;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[]) {
    std::string backend;
    if (const int status = readArguments(argc, argv, backend); status >= 0)
        return status;
    // Qt's own poll-based event dispatcher rather than GLib's: a line's end on the port reaches the
    // session about 40 us sooner, a fifth of the time to the first key. Nothing here needs GLib's
    // main loop. Whoever sets QT_NO_GLIB decides for themselves.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName("TRAVEK");
    // The Wayland app id of TRAVEK's windows, as its menu entry names it: the focused-window check
    // knows its own windows by it.
    QGuiApplication::setDesktopFileName("travek");
    QApplication::setFont(travek::MainWindow::designFont());
    if (!travek::MainWindow::installGermanQtTexts())
        std::fputs("travek: Qt's German texts are not installed (qt6-translations-l10n); its dialogs speak "
                   "English\n",
                   stderr);

    // Before anything reads or writes a file of the folder, or asks the desktop for a keyboard: a
    // second TRAVEK here would save its sequence over the first one's.
    travek::FolderLock::Unavailable unlocked;
    const std::unique_ptr<travek::FolderLock> folderLock = travek::FolderLock::lockWorkingFolder(unlocked);
    if (!folderLock) {
        const std::string message = travek::FolderLock::inUseMessage();
        std::fprintf(stderr, "travek: %s\n", message.c_str());
        QMessageBox::critical(nullptr, "TRAVEK", travek::fromWin1252(message));
        return 1;
    }
    if (!unlocked.reason.empty())
        std::fprintf(
            stderr,
            "travek: the working folder cannot be locked (%s); a second TRAVEK here would not be noticed\n",
            unlocked.reason.c_str());

    // The keyboard waits in the event loop, so signals and the window's close are served while a
    // value is typed.
    travek::QtKeyWait keyWait;
    std::unique_ptr<travek::KeyOutput> keys;
    std::string noKeys;
    try {
        keys = travek::createKeyOutput(
            backend, [&keyWait] { keyWait.dispatch(); }, &keyWait);
    } catch (const travek::Error& error) {
        std::fprintf(stderr, "travek: %s\n", error.what());
        noKeys = error.what();
    }

    // The main window makes every other window as its child, so that closing it ends the program
    // whichever of them are open.
    // Which window has the focus, asked before each value where a target window is set.
    std::unique_ptr<travek::FocusWindow> focus;
    std::string noFocus;
    try {
        focus = travek::openPlatformFocusWindow();
    } catch (const travek::Error& error) {
        noFocus = error.what();
    }

    // SIGTERM, SIGINT, SIGHUP and the end of the desktop session close whatever box or dialog is
    // open as Cancel, then the window as the user would, so the sequence and the settings are
    // saved. Watched before the window is made: loading the saved sequence may show a box already.
    auto dialogs = std::make_shared<travek::DialogRunner>();
    travek::MainWindow* mainWindow = nullptr;
    auto endRequested = [&] {
        dialogs->endAll();
        if (mainWindow)
            mainWindow->closeUnattended();
    };
    travek::SignalPipe signalPipe;
    std::optional<QSocketNotifier> signalWatch;
    if (signalPipe.descriptor() >= 0) {
        signalWatch.emplace(signalPipe.descriptor(), QSocketNotifier::Read);
        QObject::connect(&*signalWatch, &QSocketNotifier::activated, [&] {
            signalPipe.drain();
            endRequested();
        });
    }
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [&](QSessionManager&) { endRequested(); });

    travek::MainWindow window(dialogs);
    mainWindow = &window;
    window.setKeyOutput(keys.get(), noKeys);
    window.setFocusWindow(focus.get(), noFocus);
    if (dialogs->ending()) {
        window.closeUnattended();
        return 0;
    }

    window.show();
    window.scheduleStartUp();
    return app.exec();
}
