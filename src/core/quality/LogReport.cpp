#include "core/quality/LogReport.h"

#include "core/files/MeasurementLog.h"
#include "core/quality/ChartStatistics.h"

#include <array>

namespace travek {

namespace {

struct Summary {
    ChartStatistics stats;
    std::vector<ControlRules::Break> breaks;
    std::array<double, 3> shares{}; // OK, WARN, NOK in percent of the values
};

Summary summarise(const LogSeries::Characteristic& c, const ControlRules& rules) {
    Summary s;
    s.stats = chartStatistics(c.values, c.tolerance);
    if (s.stats.hasFigures())
        s.breaks = rules.breaks(c.values, s.stats.mean, s.stats.sigmaWithin, s.stats.movingRangeUpper);
    std::array<std::size_t, 3> counts{};
    for (Verdict v : c.verdicts)
        if (v != Verdict::None)
            ++counts[static_cast<int>(v) - static_cast<int>(Verdict::Ok)];
    for (std::size_t i = 0; i < counts.size(); ++i)
        s.shares[i] = c.values.empty() ? 0 : 100.0 * counts[i] / static_cast<double>(c.values.size());
    return s;
}

std::string figure(const std::optional<double>& v, int decimals, const char* none) {
    return v ? chartNumber(*v, decimals) : none;
}

} // namespace

std::string LogReport::text() const {
    std::string out;
    for (const LogSeries::Characteristic& c : m_log.characteristics()) {
        const Summary s = summarise(c, m_rules);
        const Tolerance& t = c.tolerance;
        out += "Merkmal: " + c.name + "  (Soll " + figure(t.nominal, 4, "\x96") + ", UGW " +
               figure(t.lower, 4, "\x96") + ", OGW " + figure(t.upper, 4, "\x96") + ")\n";
        out += "  n = " + std::to_string(s.stats.n);
        if (s.stats.hasFigures()) {
            out +=
                "   Mittel = " + chartNumber(s.stats.mean, 6) + "   s = " + chartNumber(s.stats.s, 6) + "\n";
            out += "  Cp = " + figure(s.stats.cp, 3, "\x96") + "   Cpk = " + figure(s.stats.cpk, 3, "\x96") +
                   "   Pp = " + figure(s.stats.pp, 3, "\x96") + "   Ppk = " + figure(s.stats.ppk, 3, "\x96") +
                   (s.stats.preliminary() ? "   (vorl\xE4ufig)" : "");
        }
        out += "\n  OK " + chartNumber(s.shares[0], 1) + " %   WARN " + chartNumber(s.shares[1], 1) +
               " %   NOK " + chartNumber(s.shares[2], 1) + " %\n";
        out += "  Regelverletzungen (Regeln " + m_rules.format() + "): " + std::to_string(s.breaks.size()) +
               "\n";
        const std::size_t first = c.count - c.values.size() + 1;
        for (const ControlRules::Break& b : s.breaks)
            out += "    Nr. " + std::to_string(first + b.index) + ": " + ControlRules::describe(b) + "\n";
        out += "\n";
    }
    if (out.empty())
        out = "Keine Werte mit Merkmal im Protokoll.\n";
    return out;
}

std::string LogReport::csv() const {
    std::string out = std::string(CsvHeader) + "\n";
    for (const LogSeries::Characteristic& c : m_log.characteristics()) {
        const Summary s = summarise(c, m_rules);
        const bool figures = s.stats.hasFigures();
        out += MeasurementLog::textField(c.name) + ';' + std::to_string(s.stats.n) + ';' +
               (figures ? chartNumber(s.stats.mean, 6) : "") + ';' +
               (figures ? chartNumber(s.stats.s, 6) : "") + ';' + figure(s.stats.cp, 4, "") + ';' +
               figure(s.stats.cpk, 4, "") + ';' + figure(s.stats.pp, 4, "") + ';' +
               figure(s.stats.ppk, 4, "") + ';' + chartNumber(s.shares[0], 1) + ';' +
               chartNumber(s.shares[1], 1) + ';' + chartNumber(s.shares[2], 1) + ';' +
               std::to_string(s.breaks.size()) + "\n";
    }
    return out;
}

} // namespace travek
