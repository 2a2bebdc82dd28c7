#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace travek {

// Checks a measurement log's chain: the files of one log in the order they were written (rotated
// files first), each row against the one before it. Names the first row that was edited, deleted
// before, inserted or moved, with its file, line and record number; rows without a chain value
// (a log begun before the chain, a row cut off by a full disk) are outside the chain and counted.
class LogVerifier {
public:
    struct Result {
        bool intact = false;
        // Rows of the chain checked, and rows outside it.
        std::int64_t rows = 0;
        std::int64_t outside = 0;
        // What the user reads, one line each (program texts).
        std::vector<std::string> lines;
    };

    // Adds the next file of the log; name is how the result names it.
    void add(std::string name, std::string content);
    Result verify() const;

private:
    struct ChainRow {
        std::size_t file;
        std::int64_t line;
        std::optional<std::int64_t> number;
        std::string_view body; // the row up to its last separator: what the chain value covers
        std::string chain;
        std::optional<std::string> continuedFrom;
        bool start; // a session's start row, which a new chain begins with
    };

    bool linksTo(std::size_t row, std::string_view previous) const;
    std::string where(const ChainRow& row) const;
    std::string whatHappened(std::size_t row, std::string_view previous) const;

    // The contents stay: the rows point into them.
    std::vector<std::string> m_names;
    std::vector<std::unique_ptr<std::string>> m_contents;
    std::vector<ChainRow> m_rows;
    std::int64_t m_outside = 0;
    std::string m_firstOutside;
    // A file that is not a log of TRAVEK's.
    std::string m_problem;
};

} // namespace travek
