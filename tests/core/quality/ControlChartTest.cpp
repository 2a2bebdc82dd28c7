#include "core/files/MeasurementLog.h"
#include "core/quality/ChartStatistics.h"
#include "core/quality/ChartSvg.h"
#include "core/quality/ControlRules.h"
#include "core/quality/LogReport.h"
#include "core/quality/LogSeries.h"
#include "core/quality/TrendChart.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace travek {
namespace {

constexpr double Exact = 1e-9;

// SAS/QC User's Guide, The SHEWHART Procedure, "Creating Individual Measurements and Moving Range
// Charts": the inner diameters of 20 jet engines (data set Jets). From those data: mean 8039/100,
// MR-bar 506/95, s^2 193749/9500; sigma = MR-bar / 1.128, limits mean +- 3 sigma, MR limit
// 3.267 MR-bar (Montgomery, Introduction to Statistical Quality Control, the individuals chart).
const std::vector<double> Jets = {78.4, 80.1, 84.4, 79.1, 80.4, 83.5, 73.8, 83.5, 75.0, 76.8,
                                  70.5, 80.3, 82.4, 79.4, 86.4, 90.5, 77.7, 82.5, 79.9, 83.2};

TEST(ChartStatistics, IndividualsChartOfAPublishedExample) {
    const ChartStatistics s = chartStatistics(Jets, {"Diam", std::nullopt, 60.0, 100.0});
    EXPECT_EQ(s.n, 20u);
    EXPECT_NEAR(s.mean, 80.39, Exact);
    EXPECT_NEAR(s.mrBar, 506.0 / 95, Exact);
    EXPECT_NEAR(s.s, 4.516041582951531, Exact);
    EXPECT_NEAR(s.sigmaWithin, 4.721911160880926, Exact);
    EXPECT_NEAR(s.upperControl, 94.55573348264278, Exact);
    EXPECT_NEAR(s.lowerControl, 66.22426651735722, Exact);
    EXPECT_NEAR(s.movingRangeUpper, 17.401073684210527, Exact);
    // Within figures take sigma from MR-bar / d2, overall ones the sample s.
    EXPECT_NEAR(*s.cp, 40 / (6 * 4.721911160880926), Exact);
    EXPECT_NEAR(*s.cpk, (100 - 80.39) / (3 * 4.721911160880926), Exact);
    EXPECT_NEAR(*s.pp, 40 / (6 * 4.516041582951531), Exact);
    EXPECT_NEAR(*s.ppk, (100 - 80.39) / (3 * 4.516041582951531), Exact);
    EXPECT_TRUE(s.preliminary());
}

// NIST/SEMATECH e-Handbook of Statistical Methods, 6.1.6 "What is Process Capability?": USL 20,
// LSL 8, mean 16, sigma 2 give Cp 1 and Cpk = min(0.6667, 1.3333).
TEST(ChartStatistics, CapabilityOfThePublishedExampleAndOneSidedLimits) {
    const Capability both = capability({"x", std::nullopt, 8.0, 20.0}, 16, 2);
    EXPECT_NEAR(*both.index, 1.0, Exact);
    EXPECT_NEAR(*both.centered, 2.0 / 3, Exact);
    const Capability lowerOnly = capability({"x", std::nullopt, 8.0, std::nullopt}, 16, 2);
    EXPECT_FALSE(lowerOnly.index);
    EXPECT_NEAR(*lowerOnly.centered, 4.0 / 3, Exact);
}

TEST(ChartStatistics, TooFewOrConstantValuesGiveNoFigures) {
    const Tolerance limits{"x", 0.1, 0.0, 0.2};
    EXPECT_FALSE(chartStatistics(std::vector<double>{0.1}, limits).hasFigures());
    // Ten times 0,1: a sum that is not exactly 1 must not give a spread of a few ulps.
    const ChartStatistics constant = chartStatistics(std::vector<double>(10, 0.1), limits);
    EXPECT_TRUE(constant.hasFigures());
    EXPECT_EQ(constant.s, 0);
    EXPECT_FALSE(constant.cp || constant.cpk || constant.pp || constant.ppk);
}

// Each series breaks its rule at exactly one point, and the point before it has one value too
// few; centre 0, sigma 1.
struct RuleCase {
    int rule;
    std::vector<double> values;
    std::size_t index;
};

TEST(ControlRules, EachRuleBreaksExactlyWhereItsPatternCompletes) {
    const std::vector<RuleCase> cases = {
        // A point exactly on 3 sigma is not beyond.
        {1, {0.5, -0.5, 2.9, -2.9, 3.0, -3.0, 3.1, 0}, 6},
        {2, {2.5, 0, 0, 2.5, -2.5, 0, 2.1, 0.5, 2.2}, 8},
        {3, {1.5, 1.5, 1.5, 0, -1.5, 1.5, 1.5, 0.5, 1.5, 1.5}, 9},
        // Seven above, one below, then eight above; a point on the centre belongs to no side.
        {4, {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, -0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1}, 15},
        {4, {0.1, 0.1, 0.1, 0.1, 0, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1}, 12},
    };
    for (const RuleCase& c : cases) {
        ControlRules rules = ControlRules::parse(std::to_string(c.rule));
        const auto found = rules.breaks(c.values, 0, 1, 1e9);
        ASSERT_EQ(found.size(), 1u) << "rule " << c.rule;
        EXPECT_EQ(found[0], (ControlRules::Break{c.index, c.rule, false}));
    }
    // Seven in a row: no break.
    EXPECT_TRUE(
        ControlRules::parse("4").breaks(std::vector<double>{0, 1, 1, 1, 1, 1, 1, 1}, 0, 1, 1e9).empty());
}

TEST(ControlRules, OnlyRuleOneTestsTheMovingRanges) {
    // A jump from -1,5 to +1,5: a moving range of 3 above its limit 2, but no point beyond a zone.
    const std::vector<double> values = {-1.5, 1.5, 0, 0};
    EXPECT_EQ(ControlRules::parse("1234").breaks(values, 0, 1, 2),
              (std::vector<ControlRules::Break>{{1, 1, true}}));
    EXPECT_TRUE(ControlRules::parse("234").breaks(values, 0, 1, 2).empty());
    EXPECT_EQ(ControlRules().format(), "1,4");
}

// A drifting process: s is large, the moving ranges small. Zones measured with s would hide the
// drift; with MR-bar / d2 the last points lie beyond 3 sigma.
TEST(TrendChart, ZonesUseTheWithinSpreadAndTheChartShowsTheLastValues) {
    TrendChart chart;
    for (int i = 1; i <= 60; ++i) {
        JudgedValue v;
        v.step = 2;
        v.tolerance = {"Bohrung", 30.0, 0.0, 60.0};
        v.value = i;
        v.text = std::to_string(i);
        v.verdict = Verdict::Ok;
        chart.take(v);
    }
    chart.show(2, "", "");
    const ChartSeries s = chart.series();
    ASSERT_EQ(s.values.size(), 50u);
    EXPECT_EQ(s.firstNumber, 11u);
    EXPECT_EQ(s.values.front(), 11);
    ASSERT_FALSE(s.breaks.empty());
    EXPECT_EQ(s.breaks.front(), (ControlRules::Break{0, 1, false}));
}

TEST(LogSeries, ReadsTheCharacteristicsSinceTheirBaseline) {
    const std::string log =
        "Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster;Satz;Station;Bediener;Messmittel;Teil;"
        "Merkmal;Soll;UGW;OGW;Urteil;Kette\r\n"
        "t;COM1;1;1;x;5,0;;;1;;;;;Bohrung;5;4,9;5,1;OK;c\r\n"
        "t;COM1;0;0;;;Verlauf neu begonnen;;2;;;;;Bohrung;;;;;c\r\n"
        "t;COM1;1;1;x;5,02;;;3;;;;;Bohrung;5;4,9;5,1;OK;c\r\n"
        "t;COM1;1;1;x;;nicht getippt: au\xDF"
        "erhalb der Toleranz;;4;;;;;Bohrung;5;4,9;5,1;NOK;c\r\n"
        "t;COM1;2;2;x;-0,01;;;5;;;;;\"Ebenheit; oben\";;'-0,02;0,02;WARN;c\r\n"
        "t;COM1;1;1;x;5,08;;;6;;;;;Bohrung;5;4,9;5,1;WARN;c\r\n";
    LogSeries series;
    series.add(log);
    ASSERT_EQ(series.characteristics().size(), 2u);
    const LogSeries::Characteristic* bore = series.find("Bohrung");
    ASSERT_NE(bore, nullptr);
    EXPECT_EQ(bore->values, (std::vector<double>{5.02, 5.08}));
    EXPECT_EQ(bore->verdicts, (std::vector<Verdict>{Verdict::Ok, Verdict::Warn}));
    const LogSeries::Characteristic* flat = series.find("Ebenheit; oben");
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(flat->tolerance, (Tolerance{"Ebenheit; oben", std::nullopt, -0.02, 0.02}));
    EXPECT_EQ(flat->values, (std::vector<double>{-0.01}));
    EXPECT_EQ(series.stepTolerance(2)->characteristic, "Ebenheit; oben");
}

// What a spreadsheet and a browser read: a name that needs quoting or escaping stays one field and
// well-formed XML, a figure that does not exist is an empty field, never "inf" or "nan".
TEST(LogReport, CsvRowsAndTheSvgChartKeepTheirFormatWhateverTheName) {
    LogSeries series;
    series.add(std::string(MeasurementLog::Header) +
               "\r\n"
               "t;COM1;1;1;x;1,5;;;1;;;;;\"<a&b>; \xD8\";;1;2;OK;c\r\n"
               "t;COM1;1;1;x;1,5;;;2;;;;;\"<a&b>; \xD8\";;1;2;WARN;c\r\n");
    EXPECT_EQ(LogReport(series, ControlRules()).csv(),
              std::string(LogReport::CsvHeader) +
                  "\n"
                  "\"<a&b>; \xD8\";2;1,500000;0,000000;;;;;50,0;50,0;0,0;0\n");
    const std::string svg =
        chartSvg(ChartGeometry::layout(series.characteristics()[0].chart(50, {}, 50), 600, 300));
    EXPECT_NE(svg.find("Verlauf: &lt;a&amp;b&gt;; \xC3\x98</text>"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
}

TEST(TrendChart, HistoryComesFromTheLogAndTheSettingsFromTravekIni) {
    test::TempDir dir;
    std::string log = std::string(MeasurementLog::Header) + "\r\n";
    for (int i = 0; i < 30; ++i)
        log += "t;COM1;1;3;x;1" + std::to_string(i % 3) + ";;;1;;;;;L\xE4nge;11;9;13;OK;c\r\n";
    dir.write("messung.csv", log);
    dir.write("TRAVEK.INI", "[VERLAUF]\r\nPUNKTE=500\r\nREGELN=2\r\n");
    TrendChart chart;
    chart.show(3, dir.file("messung.csv"), dir.file("TRAVEK.INI"));
    EXPECT_EQ(chart.characteristic(), "L\xE4nge");
    EXPECT_EQ(chart.points(), TrendChart::MaxPoints);
    EXPECT_EQ(chart.rules().format(), "2");
    EXPECT_EQ(chart.series().values.size(), 30u);
    chart.restart();
    EXPECT_TRUE(chart.series().values.empty());
    EXPECT_FALSE(chart.series().stats.hasFigures());
}

} // namespace
} // namespace travek
