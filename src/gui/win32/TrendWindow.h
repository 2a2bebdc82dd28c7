#pragma once

#include "core/quality/TrendChart.h"
#include "gui/win32/DialogWindow.h"

namespace travek {

class Session;

// "Verlauf": the control chart of one characteristic, updated with each judged value, with the
// control rules to choose, the list of the points that break one, and "Neu beginnen". Modeless;
// the close box hides it. It keeps the session's values while it is hidden.
class TrendWindow : public DialogWindow {
public:
    explicit TrendWindow(Session& session);

    static constexpr int ChartId = 100;
    static constexpr int RuleId = 101; // to RuleId + 3
    static constexpr int RestartId = 110;
    static constexpr int BreakListId = 111;

    // Shows the characteristic of step (a grid row) and brings the window up.
    void showStep(int step);
    // A judged value of the session; the chart redraws when it is the one shown.
    void take(const JudgedValue& value);
    TrendChart& chart() { return m_chart; }

private:
    void build() override;
    void command(int id, int code) override;
    void closeRequested() override { ::ShowWindow(m_window, SW_HIDE); }
    void refresh();

    Session& m_session;
    TrendChart m_chart;
    ChartSeries m_series;
};

} // namespace travek
