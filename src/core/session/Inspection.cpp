#include "core/session/Inspection.h"

#include "core/files/GridModel.h"
#include "core/quality/DecimalNumber.h"
#include "core/session/ProgramState.h"
#include "core/session/ReceiveHandler.h"
#include "core/session/SessionFiles.h"
#include "core/session/SessionView.h"
#include "core/session/ToleranceInput.h"

namespace travek {

void showTolerances(GridModel& grid, const StepTolerances& tolerances) {
    if (grid.colCount() <= ToleranceColumn)
        return;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const int step = row - grid.fixedRows() + 1;
        std::string text = tolerances.cellText(step);
        if (grid.cell(ToleranceColumn, row) != text)
            grid.setCell(ToleranceColumn, row, std::move(text));
    }
}

Inspection::Inspection(SessionView& view, GridModel& grid, ProgramState& state, SessionFiles& files)
    : m_view(view), m_grid(grid), m_state(state), m_files(files) {}

bool Inspection::judge(LineOutcome& outcome, const std::string& text) {
    const StepTolerances& tolerances = m_state.tolerances;
    JudgedValue judged;
    judged.step = outcome.step;
    judged.tolerance = tolerances.step(outcome.step);
    judged.text = text;
    judged.warning = tolerances.settings().warningPercent;
    // The text is what the form gets: its digits are the ones judged. A text that reads as no
    // number (a value too large to format) is not judged.
    const std::optional<double> value = parseDecimalText(text);
    const bool number = value.has_value();
    if (number) {
        judged.value = *value;
        judged.verdict = travek::judge(judged.tolerance, *value, tolerances.settings().warningPercent);
    }
    const bool hold = judged.verdict == Verdict::Nok && tolerances.settings().holdNok;
    judged.typed = !hold;
    outcome.limits = tolerances.texts(outcome.step);
    outcome.judged = judged;
    // No number, no point on the chart: the view gets the value without its characteristic.
    if (!number)
        judged.tolerance.characteristic.clear();
    m_view.showVerdict(judged);
    if (judged.verdict == Verdict::Nok)
        m_view.signalNok();
    return !hold;
}

void Inspection::lineHandled(const LineOutcome& outcome) {
    // Lines dropped while typing are not shown: the panel keeps the last line's verdict.
    if (outcome.note == LineOutcome::Note::Dropped)
        return;
    m_view.showLineVerdict(outcome.judged ? outcome.judged->verdict : Verdict::None);
    if (outcome.note == LineOutcome::Note::Held && outcome.judged)
        m_view.setPanelText(StatusPanel::Line, "nicht getippt: au\xDF"
                                               "erhalb der Toleranz (" +
                                                   outcome.judged->text + ")");
}

void Inspection::edit(int row) {
    const int step = row - m_grid.fixedRows() + 1;
    if (step < 1 || step > MaxSteps)
        return;
    ToleranceInput input(step, m_state.tolerances);
    if (!m_view.runToleranceDialog(input))
        return;
    m_state.tolerances.setStep(step, input.tolerance(), input.decimals());
    m_state.tolerances.setSettings(input.settings());
    showTolerances(m_grid, m_state.tolerances);
    m_files.changed();
}

void Inspection::rowInserted(int row) {
    m_state.tolerances.insertStep(row - m_grid.fixedRows() + 1);
    showTolerances(m_grid, m_state.tolerances);
}

void Inspection::rowRemoved(int row) {
    m_state.tolerances.removeStep(row - m_grid.fixedRows() + 1);
    showTolerances(m_grid, m_state.tolerances);
}

} // namespace travek
