#pragma once
// travek-report's summary of a measurement log: per characteristic, its figures over all values
// since its last new baseline, the shares of the verdicts, and the control rules it breaks.
#include "core/quality/ControlRules.h"
#include "core/quality/LogSeries.h"

#include <string>

namespace travek {

class LogReport {
public:
    static constexpr const char* CsvHeader = "Merkmal;n;Mittel;s;Cp;Cpk;Pp;Ppk;OK;WARN;NOK;Regelverletzungen";

    LogReport(const LogSeries& log, ControlRules rules) : m_log(log), m_rules(rules) {}

    // For a person: a block per characteristic, each rule break named with the value's number.
    std::string text() const;
    // For a spreadsheet: CsvHeader and a row per characteristic; decimal commas, the shares in
    // percent, the number of rule breaks; an empty field where a figure does not exist.
    std::string csv() const;

private:
    const LogSeries& m_log;
    ControlRules m_rules;
};

} // namespace travek
