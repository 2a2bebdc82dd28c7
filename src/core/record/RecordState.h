#pragma once

#include "core/files/MeasurementLog.h"

#include <cstdint>
#include <optional>
#include <string>

namespace travek {

// Where the measurement record stands between runs, in protokoll.ini of the working directory:
// the next record number, the log and the chain value its rows went on from, whether a session is
// running, and the part being measured (kept until changed). Replaced atomically, so that a crash
// leaves the old state or the new one whole. It is written when a session begins and ends, when
// the part changes and every Reserve rows, not with every row: the log's own last row is the
// exact state, and this file stands in where the log's file is gone.
struct RecordState {
    static constexpr const char* FileName = "protokoll.ini";
    // While a session runs, the number kept here lies this far ahead of the next one, so that a
    // crash followed by the loss of the log (rotated away before the next start) never gives a
    // number twice.
    static constexpr std::int64_t Reserve = 1000;

    // No row of this station has this number or a higher one.
    std::int64_t nextNumber = 1;
    // The log's name and the chain value of its last row when this was written; empty for none.
    std::string log;
    std::string chain;
    // A session began and has not written its end row.
    bool running = false;
    std::string part;

    // A missing file gives the state of a station that never logged; one that cannot be read throws
    // Error naming it.
    static RecordState load(const std::string& path);
    // Throws Error naming the file.
    void save(const std::string& path) const;
};

// How a log goes on when TRAVEK takes it up.
struct RecordResume {
    std::int64_t nextNumber = 1;
    std::string chain;
    // The last session ended without its end row: a crash, a power cut, a kill.
    bool endMissing = false;
};

// The log's last row is the exact state where there is one: the state file may be older (or lost)
// and is then overruled. Without rows (a new log, or its file rotated away while TRAVEK was not
// running) the state file says where the numbers and the chain of this log stand. The last session
// ended well when its end row comes after its start row.
RecordResume resumeRecord(const RecordState& state, const std::optional<MeasurementLog::LastRow>& last,
                          const std::string& log);

} // namespace travek
