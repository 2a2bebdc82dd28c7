#pragma once
// The values of each characteristic as the measurement log holds them: the history of the
// control chart, and what travek-report reads.
#include "core/quality/ChartGeometry.h"
#include "core/quality/ControlRules.h"
#include "core/quality/Verdict.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace travek {

class LogSeries {
public:
    // The note of the event row that starts a new baseline; its Merkmal column names the
    // characteristic.
    static constexpr const char* BaselineNote = "Verlauf neu begonnen";

    struct Characteristic {
        std::string name;
        Tolerance tolerance; // as its last row gives it
        std::vector<double> values;
        std::vector<std::string> texts; // as typed
        std::vector<Verdict> verdicts;
        std::size_t count = 0; // values since the baseline, also those no longer kept

        // Adds a value, keeping the last keep (0: all); the oldest go in batches.
        void push(double value, std::string text, Verdict verdict, std::size_t keep);
        void clear();
        // The chart of the last points values, as the window shows it: the figures and the rule
        // breaks are those of these values.
        ChartSeries chart(std::size_t points, const ControlRules& rules, int warning) const;
    };

    // Keeps the last keep values of each characteristic (0: all of them); only the one named by
    // only when it is given.
    explicit LogSeries(std::size_t keep = 0, std::optional<std::string> only = std::nullopt)
        : m_keep(keep), m_only(std::move(only)) {}

    // The rows of one file of the log, in the order they were written; its header line says where
    // the columns are (a file of an older format without them adds nothing). A row counts where it
    // names a characteristic and its typed value is a number; a value that was not typed (held,
    // not taken) is not in the record as a number and is not counted. The baseline row of a
    // characteristic forgets its values before it.
    void add(std::string_view fileText);

    // In the order of their first row.
    const std::vector<Characteristic>& characteristics() const { return m_series; }
    const Characteristic* find(const std::string& name) const;
    // The characteristic and limits the last row of step named; nothing when none did.
    std::optional<Tolerance> stepTolerance(int step) const;

    // A number as the log writes it: decimal comma or point, a leading apostrophe (put before a
    // sign so that a spreadsheet computes nothing) taken off; nothing for anything else.
    static std::optional<double> number(std::string_view text);
    static Verdict verdict(std::string_view text);

private:
    Characteristic& series(const std::string& name);

    std::size_t m_keep;
    std::optional<std::string> m_only;
    std::vector<Characteristic> m_series;
    std::map<std::string, std::size_t> m_index;
    std::map<int, Tolerance> m_steps;
};

} // namespace travek
