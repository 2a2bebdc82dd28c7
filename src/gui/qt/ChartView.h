#pragma once

#include "core/quality/ChartGeometry.h"

#include <QWidget>

class QPainter;

namespace travek {

// Draws the control chart that the core laid out, at the widget's size; a point's tip (its value
// and the rules it breaks) shows on hover.
class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);

    void setSeries(ChartSeries series);
    const ChartSeries& series() const { return m_series; }
    // The drawing, with QPainter: shared with the figures of bench/.
    static void paint(QPainter& painter, const ChartGeometry& chart);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    ChartSeries m_series;
    ChartGeometry m_drawn;
};

} // namespace travek
