#pragma once

#include "core/quality/Verdict.h"

class QLabel;
class QTableView;
class QWidget;

namespace travek {

class DialogRunner;
class GridTableModel;
class ToleranceInput;

// What the main window shows of the verdicts: the step's row and the line panel in the verdict's
// colour, the NOK signal, and the "Toleranz" dialog of a step.
class VerdictView {
public:
    VerdictView(GridTableModel& model, QTableView* gridView, QLabel* linePanel, QWidget* window);

    void showVerdict(const JudgedValue& value);
    void showLineVerdict(Verdict verdict);
    // QApplication::beep() three times, 150 ms apart: the desktop's bell is the only sound a Qt
    // program has without a multimedia library, and one bell is the program's ordinary beep.
    void signalNok();
    bool runToleranceDialog(DialogRunner& runner, ToleranceInput& input);

    static constexpr int NokBells = 3;

private:
    GridTableModel& m_model;
    QLabel* m_linePanel;
    QWidget* m_window;
    Verdict m_lineVerdict = Verdict::None;
};

} // namespace travek
