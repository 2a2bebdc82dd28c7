#include "gui/qt/ChartView.h"

#include "gui/qt/Win1252.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace travek {

namespace {

QColor qColour(ChartColour c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
    setObjectName("ChartView");
    setMinimumSize(480, 260);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::setSeries(ChartSeries series) {
    m_series = std::move(series);
    update();
}

void ChartView::paint(QPainter& painter, const ChartGeometry& g) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(0, 0, g.width, g.height), qColour(g.background));
    painter.setPen(Qt::NoPen);
    for (const ChartGeometry::Band& b : g.bands)
        painter.fillRect(QRectF(QPointF(b.left, b.top), QPointF(b.right, b.bottom)), qColour(b.colour));
    for (const ChartGeometry::Line& l : g.lines) {
        QPen pen(qColour(l.colour), l.width);
        if (l.dashed)
            pen.setDashPattern({6 / l.width, 4 / l.width});
        painter.setPen(pen);
        painter.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
    }
    for (const ChartGeometry::Point& p : g.points) {
        if (p.marked) {
            painter.setPen(QPen(qColour(ChartGeometry::Ring), 1.5));
            painter.setBrush(Qt::NoBrush);
            const double r = p.radius + ChartGeometry::RingGap;
            painter.drawEllipse(QPointF(p.x, p.y), r, r);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(qColour(p.colour));
        painter.drawEllipse(QPointF(p.x, p.y), p.radius, p.radius);
    }
    QFont font = painter.font();
    for (const ChartGeometry::Text& t : g.texts) {
        font.setPixelSize(static_cast<int>(t.size));
        font.setBold(t.bold);
        painter.setFont(font);
        painter.setPen(qColour(t.colour));
        const QString text = fromWin1252(t.text);
        double x = t.x;
        if (t.anchor != ChartGeometry::Anchor::Start) {
            const double w = QFontMetricsF(font).horizontalAdvance(text);
            x -= t.anchor == ChartGeometry::Anchor::Middle ? w / 2 : w;
        }
        painter.drawText(QPointF(x, t.y), text);
    }
}

void ChartView::paintEvent(QPaintEvent*) {
    m_drawn = ChartGeometry::layout(m_series, width(), height());
    QPainter painter(this);
    painter.setFont(font());
    paint(painter, m_drawn);
}

bool ChartView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int point = m_drawn.pointAt(help->pos().x(), help->pos().y());
        if (point >= 0)
            QToolTip::showText(help->globalPos(), fromWin1252(m_drawn.points[point].tip), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace travek
