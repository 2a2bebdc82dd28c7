#include "core/quality/LogSeries.h"

#include "core/files/MeasurementLog.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace travek {

namespace {

enum Needed { Step, Typed, Note, Name, Nominal, Lower, Upper, Judged, NeededCount };
constexpr std::array<std::string_view, NeededCount> Names = {"Schritt", "Getippt", "Hinweis", "Merkmal",
                                                             "Soll",    "UGW",     "OGW",     "Urteil"};

using Columns = std::array<int, NeededCount>;

Columns columnsOf(const std::vector<std::string>& header) {
    Columns columns;
    columns.fill(-1);
    for (std::size_t i = 0; i < header.size(); ++i)
        for (std::size_t n = 0; n < NeededCount; ++n)
            if (header[i] == Names[n])
                columns[n] = static_cast<int>(i);
    return columns;
}

} // namespace

std::optional<double> LogSeries::number(std::string_view text) {
    if (!text.empty() && text.front() == '\'')
        text.remove_prefix(1);
    if (text.empty() || text.size() > 64)
        return std::nullopt;
    std::string plain(text);
    for (char& c : plain)
        if (c == ',')
            c = '.';
    const char* begin = plain.data();
    if (*begin == '+')
        ++begin;
    double value = 0;
    const auto result = std::from_chars(begin, plain.data() + plain.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

Verdict LogSeries::verdict(std::string_view text) {
    if (text == "OK")
        return Verdict::Ok;
    if (text == "WARN")
        return Verdict::Warn;
    if (text == "NOK")
        return Verdict::Nok;
    return Verdict::None;
}

const LogSeries::Characteristic* LogSeries::find(const std::string& name) const {
    const auto it = m_index.find(name);
    return it == m_index.end() ? nullptr : &m_series[it->second];
}

std::optional<Tolerance> LogSeries::stepTolerance(int step) const {
    const auto it = m_steps.find(step);
    if (it == m_steps.end())
        return std::nullopt;
    return it->second;
}

LogSeries::Characteristic& LogSeries::series(const std::string& name) {
    const auto [it, added] = m_index.try_emplace(name, m_series.size());
    if (added) {
        m_series.emplace_back();
        m_series.back().name = name;
    }
    return m_series[it->second];
}

void LogSeries::Characteristic::push(double value, std::string text, Verdict verdict, std::size_t keep) {
    values.push_back(value);
    texts.push_back(std::move(text));
    verdicts.push_back(verdict);
    ++count;
    // Cut in batches: the last keep values stay, without moving them at every value.
    if (keep == 0 || values.size() < 2 * keep)
        return;
    const auto cut = static_cast<std::ptrdiff_t>(values.size() - keep);
    values.erase(values.begin(), values.begin() + cut);
    texts.erase(texts.begin(), texts.begin() + cut);
    verdicts.erase(verdicts.begin(), verdicts.begin() + cut);
}

void LogSeries::Characteristic::clear() {
    values.clear();
    texts.clear();
    verdicts.clear();
    count = 0;
}

ChartSeries LogSeries::Characteristic::chart(std::size_t points, const ControlRules& rules,
                                             int warning) const {
    ChartSeries s;
    s.capacity = points;
    s.tolerance = tolerance;
    s.warning = warning;
    s.title = "Verlauf: " + name;
    const std::size_t shown = std::min(values.size(), points);
    const auto from = static_cast<std::ptrdiff_t>(values.size() - shown);
    s.values.assign(values.begin() + from, values.end());
    s.texts.assign(texts.begin() + from, texts.end());
    s.verdicts.assign(verdicts.begin() + from, verdicts.end());
    s.firstNumber = count - shown + 1;
    s.stats = chartStatistics(s.values, s.tolerance);
    if (s.stats.hasFigures())
        s.breaks = rules.breaks(s.values, s.stats.mean, s.stats.sigmaWithin, s.stats.movingRangeUpper);
    return s;
}

void LogSeries::add(std::string_view text) {
    // Rows before a header (a file whose start was cut off) are read by the columns of today.
    Columns columns = columnsOf(MeasurementLog::splitRow(MeasurementLog::Header));
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::vector<std::string> fields = MeasurementLog::splitRow(line);
        if (!fields.empty() && fields.front() == "Zeit") {
            columns = columnsOf(fields);
            continue;
        }
        const auto field = [&](Needed n) -> std::string_view {
            const int i = columns[n];
            return i >= 0 && static_cast<std::size_t>(i) < fields.size() ? std::string_view(fields[i])
                                                                         : std::string_view();
        };
        const std::string_view name = field(Name);
        if (name.empty() || (m_only && name != *m_only))
            continue;
        const std::string nameText(name);
        const std::string_view note = field(Note);
        if (note == BaselineNote) {
            series(nameText).clear();
            continue;
        }
        Tolerance tolerance{nameText, number(field(Nominal)), number(field(Lower)), number(field(Upper))};
        const std::optional<double> value = number(field(Typed));
        if (const std::optional<double> step = number(field(Step)); step && *step >= 1)
            m_steps[static_cast<int>(*step)] = tolerance;
        if (!value)
            continue;
        Characteristic& c = series(nameText);
        c.tolerance = std::move(tolerance);
        c.push(*value, std::string(field(Typed)), verdict(field(Judged)), m_keep);
    }
}

} // namespace travek
