#pragma once

#include <string>

namespace travek {

class GridModel;
class SessionFiles;
class SessionView;
class StepTolerances;
struct LineOutcome;
struct ProgramState;

// The grid column that shows each step's tolerance; the sequence file has the three before it.
inline constexpr int ToleranceColumn = 3;

// Shows every step's tolerance in the grid's "Toleranz" column.
void showTolerances(GridModel& grid, const StepTolerances& tolerances);

// The verdict at the point of measurement: judges each value that is due against the limits of
// its step (the program state's tolerances), shows the verdict in the step's row and the line
// panel, sounds the NOK signal, holds a NOK value back where the sequence says so, and edits a
// step's tolerance through its dialog.
class Inspection {
public:
    Inspection(SessionView& view, GridModel& grid, ProgramState& state, SessionFiles& files);

    // ReceiveHandler's Judge: the value as it would be typed; false holds it back.
    bool judge(LineOutcome& outcome, const std::string& text);
    // After each line: the line panel shows its verdict, and a value held back says so.
    void lineHandled(const LineOutcome& outcome);

    // The dialog of the step in the grid's row.
    void edit(int row);
    // A grid row inserted or removed: the tolerances move with the steps.
    void rowInserted(int row);
    void rowRemoved(int row);

private:
    SessionView& m_view;
    GridModel& m_grid;
    ProgramState& m_state;
    SessionFiles& m_files;
};

} // namespace travek
