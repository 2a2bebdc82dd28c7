#pragma once

#include "core/quality/TrendChart.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace travek {

class ChartView;
class Session;

// "Verlauf": the control chart of one characteristic, updated with each judged value, with the
// control rules to choose, the list of the points that break one, and "Neu beginnen". It keeps
// the session's values while it is hidden, so that it shows them when it opens.
class TrendWindow : public QWidget {
    Q_OBJECT
public:
    TrendWindow(Session& session, QWidget* parent);

    // Shows the characteristic of step (a grid row) and brings the window up.
    void showStep(int step);
    // A judged value of the session; the chart redraws when it is the one shown.
    void take(const JudgedValue& value);

    TrendChart& chart() { return m_chart; }

    ChartView* chartView;
    std::array<QCheckBox*, ControlRules::Count> ruleBoxes{};
    QPushButton* restartButton; // "Neu beginnen"
    QListWidget* breakList;

private:
    void refresh();

    Session& m_session;
    TrendChart m_chart;
};

} // namespace travek
