#include "gui/qt/TrendWindow.h"
#include "gui/qt/ChartView.h"
#include "gui/qt/MainWindow.h"
#include "support/ScriptedRunner.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace travek;

namespace {

JudgedValue judged(double value, Verdict verdict) {
    JudgedValue v;
    v.step = 1;
    v.tolerance = {"\xD8 Bohrung", 10.0, 9.9, 10.1};
    v.value = value;
    v.text = QString::number(value, 'f', 3).replace('.', ',').toStdString();
    v.verdict = verdict;
    v.typed = true;
    return v;
}

// "Ansicht › Verlauf" opens the chart of the step's characteristic; the session's judged values
// reach it through the view, live, and the rules and "Neu beginnen" act on it.
TEST(TrendWindowView, FollowsTheJudgedValuesOfItsCharacteristic) {
    test::TempDir dir;
    dir.enter();
    MainWindow form(std::make_shared<test::ScriptedRunner>());
    form.show();
    QAction* view = form.menus->actions().at(2);
    EXPECT_EQ(view->text(), "&Ansicht");
    EXPECT_EQ(view->menu()->actions().at(0), form.trendAction);
    EXPECT_EQ(form.trendAction->text(), "&Verlauf");

    for (int i = 0; i < 10; ++i)
        form.showVerdict(judged(i % 2 ? 10.03 : 9.97, Verdict::Ok));
    form.trendAction->trigger();
    TrendWindow& window = *form.windows().trendWindow;
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Verlauf: \u00D8 Bohrung");
    EXPECT_EQ(window.chartView->series().values.size(), 10u);
    EXPECT_TRUE(window.ruleBoxes[0]->isChecked());
    EXPECT_FALSE(window.ruleBoxes[1]->isChecked());

    // A value far out arrives while the window is open: drawn red, ringed and listed at once
    // (beyond 3 sigma, and its moving range beyond its limit).
    form.showVerdict(judged(10.3, Verdict::Nok));
    ASSERT_EQ(window.chartView->series().values.size(), 11u);
    EXPECT_EQ(window.chartView->series().verdicts.back(), Verdict::Nok);
    ASSERT_EQ(window.breakList->count(), 2);
    EXPECT_EQ(window.breakList->item(0)->text(), "Nr. 11: Regel 1: Punkt jenseits 3 Sigma");
    window.ruleBoxes[0]->click();
    EXPECT_EQ(window.breakList->count(), 0);

    QTest::mouseClick(window.restartButton, Qt::LeftButton);
    EXPECT_TRUE(window.chartView->series().values.empty());
    form.showVerdict(judged(10.0, Verdict::Ok));
    EXPECT_EQ(window.chartView->series().values.size(), 1u);
}

} // namespace
