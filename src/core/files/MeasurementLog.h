#pragma once

#include "core/files/AppendFile.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace travek {

// The optional measurement log ([LOG] FILE= in TRAVEK.INI): one row per received line, appended
// to a semicolon-separated Windows-1252 file that a spreadsheet opens as it is, so that a record
// shows where each typed value came from, and into which window. Header of a new file:
//   Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster
class MeasurementLog {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    struct Row {
        std::string port; // "COM1"
        int channel = 0;  // 0 when unknown
        int step = 0;
        std::string line;  // as received; control characters are escaped in the file
        std::string typed; // exactly as typed
        std::string note;  // why nothing was typed; empty when the value was
        // The title of the window that received the value, or of the one that had the focus when
        // nothing was typed; empty when unknown.
        std::string window;
    };

    explicit MeasurementLog(std::string path, Clock clock = std::chrono::system_clock::now);
    ~MeasurementLog();
    MeasurementLog(const MeasurementLog&) = delete;
    MeasurementLog& operator=(const MeasurementLog&) = delete;

    const std::string& path() const { return m_path; }

    // Appends the row with one write, so that it reaches the system before the call returns; the
    // header first when the file is new or empty. The file is opened as a regular file only,
    // never through a link and never waiting (AppendFile). When the log's name no longer names the
    // file the rows went to (deleted, or renamed by a rotation), a new file is begun under it.
    // Throws Error when the row could not be written whole; the piece of it that a full disk let
    // through is cut off again (AppendFile), so the file stays made of whole rows. The next call
    // tries again, on a new line where a piece could not be cut off.
    void append(const Row& row);

    // Local time as ISO 8601 with milliseconds: 2026-12-08T14:03:07.512.
    static std::string localTime(std::chrono::system_clock::time_point time);
    // A field as the file holds it: quoted (quotes doubled) when it contains the separator, a
    // quote or a line break.
    static std::string field(const std::string& text);
    // A text field: as field(), and one that a spreadsheet would take for a formula (beginning
    // with =, +, -, @, a tab or a CR) gets a leading apostrophe inside quotes, so that it shows as
    // the text it is and computes nothing.
    static std::string textField(const std::string& text);
    // The received line with control characters as \xHH and the backslash doubled, so that a
    // row is always one line of the file.
    static std::string escapeLine(const std::string& line);
    // A window title as one line: control characters (a title may hold a line break or a tab)
    // become blanks. Backslashes stay as they are: titles are full of paths.
    static std::string oneLine(const std::string& title);

private:
    std::string m_path;
    Clock m_clock;
    std::unique_ptr<AppendFile> m_file;
    // The last row was cut off in the middle (a full disk): the next one begins with a line end.
    bool m_midRow = false;
};

} // namespace travek
