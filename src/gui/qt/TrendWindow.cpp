#include "gui/qt/TrendWindow.h"

#include "core/files/FileIo.h"
#include "core/session/Session.h"
#include "core/session/SessionFiles.h"
#include "gui/qt/ChartView.h"
#include "gui/qt/Win1252.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace travek {

TrendWindow::TrendWindow(Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session) {
    setObjectName("TrendWindow");
    setWindowTitle("Verlauf");
    auto* layout = new QHBoxLayout(this);
    chartView = new ChartView(this);
    layout->addWidget(chartView, 1);
    auto* side = new QVBoxLayout;
    layout->addLayout(side);
    for (int rule = 1; rule <= ControlRules::Count; ++rule) {
        QCheckBox* box = new QCheckBox(QStringLiteral("Regel %1").arg(rule), this);
        box->setObjectName(QStringLiteral("Regel%1").arg(rule));
        box->setToolTip(fromWin1252(ControlRules::describe({0, rule, false})));
        connect(box, &QCheckBox::toggled, this, [this, rule](bool on) {
            m_chart.setRule(rule, on);
            refresh();
        });
        ruleBoxes[rule - 1] = box;
        side->addWidget(box);
    }
    restartButton = new QPushButton("Neu beginnen", this);
    restartButton->setObjectName("NeuBeginnen");
    connect(restartButton, &QPushButton::clicked, this, [this] {
        if (!m_chart.showing())
            return;
        m_chart.restart();
        m_session.restartTrend(m_chart.characteristic());
        refresh();
    });
    side->addWidget(restartButton);
    breakList = new QListWidget(this);
    breakList->setObjectName("Regelverletzungen");
    breakList->setMinimumWidth(260);
    side->addWidget(breakList, 1);
    resize(1000, 480);
}

void TrendWindow::showStep(int step) {
    m_chart.show(step, m_session.recorder().logFile(), findPathIgnoreCase(SessionFiles::SettingsFileName));
    refresh();
    show();
    raise();
    activateWindow();
}

void TrendWindow::take(const JudgedValue& value) {
    if (m_chart.take(value) && isVisible())
        refresh();
}

void TrendWindow::refresh() {
    for (int rule = 1; rule <= ControlRules::Count; ++rule) {
        const QSignalBlocker quiet(ruleBoxes[rule - 1]);
        ruleBoxes[rule - 1]->setChecked(m_chart.rules().isOn(rule));
    }
    restartButton->setEnabled(m_chart.showing());
    ChartSeries series = m_chart.series();
    breakList->clear();
    for (const std::string& line : TrendChart::breakList(series))
        breakList->addItem(fromWin1252(line));
    setWindowTitle(fromWin1252(series.title));
    chartView->setSeries(std::move(series));
}

} // namespace travek
