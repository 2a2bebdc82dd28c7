#pragma once

#include "TForm1.h"
#include "Tlist_coms.h"

namespace travek {

struct ProgramState;

// Makes every window after the main window, each once and in the order the program relies on
// (the service window before the dialogs, the port list before the port dialog that shows it), as
// children of the main window so that closing it ends them all; hands them to the main window.
// portList fills the port list window.
TForm1::Windows CreateProgramWindows(TForm1& form, ProgramState& state, Tlist_coms::Source portList);

} // namespace travek
