#include "core/quality/TrendChart.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/quality/LogSeries.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <algorithm>

namespace travek {

void TrendChart::setUp(const IniFile& settings) {
    m_points = std::clamp(settings.readInteger("VERLAUF", "PUNKTE", DefaultPoints), MinPoints, MaxPoints);
    m_rules = ControlRules::parse(settings.readString("VERLAUF", "REGELN", ""));
}

bool TrendChart::take(const JudgedValue& value) {
    const Tolerance& t = value.tolerance;
    if (t.characteristic.empty())
        return false;
    m_warning = value.warning;
    m_steps[value.step] = t;
    m_lastJudged = t;
    m_session[t.characteristic].push(value.value, value.text, value.verdict, MaxPoints);
    if (!m_shown || m_shown->characteristic != t.characteristic)
        return false;
    // The limits may have been changed meanwhile: the chart draws those in force.
    m_shown = t;
    m_values.push(value.value, value.text, value.verdict, MaxPoints);
    return true;
}

const std::string& TrendChart::characteristic() const {
    static const std::string None;
    return m_shown ? m_shown->characteristic : None;
}

void TrendChart::show(int step, const std::string& logFile, const std::string& settingsFile) {
    m_note.clear();
    try {
        setUp(IniFile::load(settingsFile));
    } catch (const Error& error) {
        // The chart is shown with the default settings; the user learns why.
        m_note = systemTextToWin1252(error.what());
    }
    std::optional<LogSeries> log;
    if (!logFile.empty()) {
        try {
            if (std::optional<std::string> text = readWholeFile(logFile, MaxLogBytes)) {
                log.emplace(MaxPoints);
                log->add(*text);
            }
        } catch (const Error& error) {
            m_note = "Protokoll nicht gelesen, Werte dieser Sitzung: " + systemTextToWin1252(error.what());
        }
    }
    std::optional<Tolerance> tolerance;
    if (const auto it = m_steps.find(step); it != m_steps.end())
        tolerance = it->second;
    else if (log)
        tolerance = log->stepTolerance(step);
    if (!tolerance || tolerance->characteristic.empty())
        tolerance = m_lastJudged;
    m_shown = tolerance;
    m_values.clear();
    if (!m_shown) {
        m_note = "Schritt " + std::to_string(step) + ": kein Merkmal mit Toleranz";
        return;
    }
    if (log) {
        if (const LogSeries::Characteristic* c = log->find(m_shown->characteristic)) {
            m_values = *c;
            if (!m_steps.count(step))
                m_shown = c->tolerance;
        }
        return;
    }
    if (const auto it = m_session.find(m_shown->characteristic); it != m_session.end())
        m_values = it->second;
}

void TrendChart::restart() {
    if (!m_shown)
        return;
    m_values.clear();
    m_session.erase(m_shown->characteristic);
}

ChartSeries TrendChart::series() const {
    ChartSeries s;
    s.capacity = static_cast<std::size_t>(m_points);
    s.note = m_note;
    if (!m_shown) {
        s.title = "Verlauf";
        return s;
    }
    LogSeries::Characteristic shown = m_values;
    shown.name = m_shown->characteristic;
    shown.tolerance = *m_shown;
    s = shown.chart(static_cast<std::size_t>(m_points), m_rules, m_warning);
    s.note = m_note;
    return s;
}

std::vector<std::string> TrendChart::breakList(const ChartSeries& series) {
    std::vector<std::string> lines;
    for (const ControlRules::Break& b : series.breaks)
        lines.push_back("Nr. " + std::to_string(series.firstNumber + b.index) + ": " +
                        ControlRules::describe(b));
    return lines;
}

} // namespace travek
