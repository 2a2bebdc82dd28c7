#include "ProgramState.h"
#include "StringSplitter.h"
#include "TForm1.h"
#include "TGetCount1.h"
#include "TRS232SERVICE.h"
#include "TSel_channel.h"
#include "TSel_key.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("TRAVEK");
    QApplication::setFont(travek::TForm1::designFont());

    travek::ProgramState state;
    // The splitter reads its separator from the working directory as soon as it exists, before
    // the main window loads the saved sequence that it is used on.
    travek::TSplitStrings splitter;

    // The main window comes first; every other window is its child, so that closing the main
    // window ends the program whichever of them exist.
    travek::TForm1 form(state, splitter);
    travek::TForm1::Windows windows;
    windows.RS232SERVICE = new travek::TRS232SERVICE(&form);
    windows.SelIfDlg = nullptr;
    windows.Sel_channel = new travek::TSel_channel(&form);
    windows.Sel_key = new travek::TSel_key(&form);
    windows.sel_com = nullptr;
    windows.list_coms = nullptr;
    windows.GetCount1 = new travek::TGetCount1(&form);
    form.setWindows(windows);

    form.show();
    return app.exec();
}
