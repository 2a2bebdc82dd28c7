#pragma once
// "Verlauf": what the control chart window shows and does, for both user interfaces. It keeps the
// session's judged values of every characteristic, shows one characteristic with its history
// from the measurement log (else from this session), and computes the chart of its last values.
#include "core/quality/ChartGeometry.h"
#include "core/quality/ControlRules.h"
#include "core/quality/LogSeries.h"
#include "core/quality/Verdict.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace travek {

class IniFile;

class TrendChart {
public:
    // TRAVEK.INI [VERLAUF] PUNKTE=: how many of the last values the chart shows.
    static constexpr int DefaultPoints = 50;
    static constexpr int MinPoints = 25;
    static constexpr int MaxPoints = 125;
    // A log larger than this is not read for the history (reading it would stall the window).
    static constexpr std::size_t MaxLogBytes = std::size_t{256} << 20;

    // [VERLAUF] PUNKTE= (25 to 125, a value outside taken to the nearest end) and REGELN= (the
    // rules on at the start, "1,4" when not given).
    void setUp(const IniFile& settings);
    int points() const { return m_points; }
    const ControlRules& rules() const { return m_rules; }
    // A rule switched on or off for this session.
    void setRule(int rule, bool on) { m_rules.set(rule, on); }

    // A judged value of this session. True when it belongs to the characteristic shown (the chart
    // has changed).
    bool take(const JudgedValue& value);

    // Shows the characteristic of step: the one its last judged value had, else the one the log's
    // last row of the step names, else the last one judged. Its values are the log's since the
    // last new baseline when logFile names a log, else this session's. Reads the settings from
    // settingsFile first.
    void show(int step, const std::string& logFile, const std::string& settingsFile);
    bool showing() const { return m_shown.has_value(); }
    const std::string& characteristic() const;

    // "Neu beginnen": the values of the characteristic shown are forgotten, and its next value
    // begins the new baseline. Whoever calls this writes the row that says so into the log.
    void restart();

    ChartSeries series() const;
    // One line per rule break of the chart's values, for the list beside it.
    static std::vector<std::string> breakList(const ChartSeries& series);

private:
    int m_points = DefaultPoints;
    ControlRules m_rules;
    int m_warning = 50;
    std::map<std::string, LogSeries::Characteristic> m_session;
    std::map<int, Tolerance> m_steps;
    std::optional<Tolerance> m_lastJudged;
    std::optional<Tolerance> m_shown;
    LogSeries::Characteristic m_values;
    std::string m_note;
};

} // namespace travek
