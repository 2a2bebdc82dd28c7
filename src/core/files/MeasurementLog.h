#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace travek {

// The optional measurement log ([LOG] FILE= in TRAVEK.INI): one row per received line, appended
// to a semicolon-separated Windows-1252 file that a spreadsheet opens as it is, so that a record
// shows where each typed value came from. Header of a new file:
//   Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis
class MeasurementLog {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    struct Row {
        std::string port;    // "COM1"
        int channel = 0;     // 0 when unknown
        int step = 0;
        std::string line;    // as received; control characters are escaped in the file
        std::string typed;   // exactly as typed
        std::string note;    // why nothing was typed; empty when the value was
    };

    explicit MeasurementLog(std::string path, Clock clock = std::chrono::system_clock::now);
    ~MeasurementLog();
    MeasurementLog(const MeasurementLog&) = delete;
    MeasurementLog& operator=(const MeasurementLog&) = delete;

    const std::string& path() const { return m_path; }

    // Appends the row and flushes it to the system before returning; the header first when the
    // file is new or empty. Throws Error when the file cannot be written; the next call tries
    // again.
    void append(const Row& row);

    // Local time as ISO 8601 with milliseconds: 2026-12-08T14:03:07.512.
    static std::string localTime(std::chrono::system_clock::time_point time);
    // A field as the file holds it: quoted (quotes doubled) when it contains the separator, a
    // quote or a line break.
    static std::string field(const std::string& text);
    // The received line with control characters as \xHH and the backslash doubled, so that a
    // row is always one line of the file.
    static std::string escapeLine(const std::string& line);

private:
    void open();

    std::string m_path;
    Clock m_clock;
    std::FILE* m_file = nullptr;
};

} // namespace travek
