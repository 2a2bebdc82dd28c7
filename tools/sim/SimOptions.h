#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace travek::sim {

// A command line the simulator cannot work with; the message says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The simulator's command line.
struct SimOptions {
    std::string DefinitionFile;
    std::string LinkPath; // empty: no link
    int IntervalMs = 0;   // 0: lines only on request from standard input
    bool Force = false;   // requests from standard input send switched-off channels too
    bool AllOn = false;   // start with every channel that has an identifier switched on
    std::optional<std::uint32_t> Seed;
    double Min = 0.0;
    double Max = 25.0;
    std::string ValuesFile; // empty: random walk
    int Decimals = 3;
    char DecimalSeparator = ',';
    bool CrLf = false;
    bool Help = false;

    // Throws UsageError for unknown options, missing or malformed option values, a missing or
    // second definition file, and --min above --max. With --help nothing else is required.
    static SimOptions parse(const std::vector<std::string>& arguments);
    static std::string helpText();
};

} // namespace travek::sim
