#pragma once

#include "core/publish/LogRecord.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace travek {

// The measurement log read as the publisher's outbox: the records after a given Satz, in order,
// from the log file and from the files that a rotation renamed beside it (their names begin as the
// log's does: messung.csv.1, messung-2.csv), ordered by the Satz they hold, not by their names.
// It reads on from where it stopped as long as the file there still holds the last line it read
// at the same place; otherwise (a rotation, a file replaced) it looks at the files again.
class LogOutbox {
public:
    explicit LogOutbox(std::string logPath) : m_logPath(logPath), m_currentFile(std::move(logPath)) {}

    const std::string& logPath() const { return m_logPath; }
    // The file that rows go to now: the log's name, or a file beside it while that name holds an
    // older log. Its end is the end of the log, where no later file needs looking for.
    void setCurrentFile(const std::string& file) { m_currentFile = file; }
    // The record with the smallest Satz above satz; nothing when none is written (yet). Rows that
    // are gone from every file (a deleted file) are passed over. Throws Error when a file of the
    // log cannot be read.
    std::optional<LogRecord> next(long long satz);
    // The Satz of the newest record of the file rows go to; 0 when it holds none.
    long long newest() const;

private:
    struct Cursor {
        std::string path;
        std::vector<std::string> columns;
        std::size_t satzColumn = 0;
        // Just past the last line read, and that line with its line end.
        std::uint64_t offset = 0;
        std::string lastLine;
        bool atEnd = false;
    };
    struct Candidate {
        std::string path;
        long long firstSatz = 0;
    };

    // Reads lines from the cursor on until some records above satz are held or the file ends;
    // false when the file at the cursor's path is no longer the one it was read from.
    bool readOn(long long satz);
    void scan(long long satz);
    std::vector<Candidate> candidates() const;
    bool startAt(const std::string& path);

    bool isCurrent(const std::string& path) const;

    std::string m_logPath;
    std::string m_currentFile;
    std::optional<Cursor> m_cursor;
    std::deque<LogRecord> m_held;
    long long m_asked = 0;
};

} // namespace travek
