#include "ComPortList.h"
#include "KeyOutputFactory.h"
#include "ProgramState.h"
#include "ProgramWindows.h"
#include "SignalCloser.h"
#include "StringSplitter.h"
#include "TForm1.h"

#include <QApplication>
#include <QSessionManager>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* Usage = "Usage: travek [--keyboard=x11|windows|log]\n"
                    "\n"
                    "TRAVEK types the values of a measuring interface box into the application\n"
                    "that has the keyboard focus. It works in the current directory: interface\n"
                    "definitions (*.VAL), TRAVEK.INI, ablauf.abl and ablauf.pst live there.\n"
                    "\n"
                    "  --keyboard=x11      type through the X server (the default with a display)\n"
                    "  --keyboard=log      print what would be typed, one line 'keys TEXT' per text\n"
                    "  --keyboard=windows  type through the Windows keyboard (Windows only)\n"
                    "\n"
                    "COMn is /dev/ttyS<n-1> unless TRAVEK.INI maps it in section [COMPORTS],\n"
                    "e.g. COM3=/dev/serial/by-id/usb-...\n";

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("TRAVEK");
    QApplication::setFont(travek::TForm1::designFont());

    std::string backend;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--keyboard=", 0) == 0) {
            backend = arg.substr(std::strlen("--keyboard="));
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "travek: unknown argument '%s'\n\n%s", arg.c_str(), Usage);
            return 2;
        }
    }
    std::string keyboardError;
    auto keys = travek::CreateKeyOutput(backend, &travek::TForm1::dispatchWhileTyping, keyboardError);
    if (!keys)
        std::fprintf(stderr, "travek: nothing will be typed: %s\n", keyboardError.c_str());

    travek::ProgramState state;
    // The splitter reads its separator from the working directory as soon as it exists, before
    // the main window loads the saved sequence that it is used on.
    travek::TSplitStrings splitter;

    // The main window comes first; every other window is its child, so that closing the main
    // window ends the program whichever of them exist.
    travek::TForm1 form(state, splitter);
    form.setKeyOutput(keys.get());
    travek::CreateProgramWindows(form, state, [](std::vector<std::string>& lines) { travek::ListComPorts(lines); });

    // SIGTERM, SIGINT and the end of the desktop session close the window as the user would, so
    // the sequence and the settings are saved.
    travek::SignalCloser signalCloser([&form] { form.closeUnattended(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager&) { form.closeUnattended(); });

    form.show();
    form.scheduleStartUp();
    return app.exec();
}
