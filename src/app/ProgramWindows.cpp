#include "ProgramWindows.h"

#include "ProgramState.h"
#include "TGetCount1.h"
#include "TRS232SERVICE.h"
#include "TSelIfDlg.h"
#include "TSel_channel.h"
#include "TSel_key.h"
#include "Tsel_com.h"

namespace travek {

TForm1::Windows CreateProgramWindows(TForm1& form, ProgramState& state, Tlist_coms::Source portList) {
    auto errorBox = [&form](const QString& text) { form.showError(text); };
    TForm1::Windows windows;
    windows.RS232SERVICE = new TRS232SERVICE(&form);
    windows.SelIfDlg = new TSelIfDlg(state.Definition, &form);
    windows.Sel_channel = new TSel_channel(&form);
    windows.Sel_key = new TSel_key(&form);
    windows.list_coms = new Tlist_coms(std::move(portList), errorBox, &form);
    windows.sel_com = new Tsel_com(state.Definition, windows.list_coms, errorBox, &form);
    windows.GetCount1 = new TGetCount1(&form);
    form.setWindows(windows);
    return windows;
}

} // namespace travek
