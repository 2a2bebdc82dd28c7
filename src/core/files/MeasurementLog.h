#pragma once

#include "core/files/AppendFile.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace travek {

// The optional measurement log ([LOG] FILE= in TRAVEK.INI): one row per received line and per
// event, appended to a semicolon-separated Windows-1252 file that a spreadsheet opens as it is, so
// that a record shows where each typed value came from, into which window, who measured which part
// with which gauge, and that no row was altered since (the chain value of each row).
class MeasurementLog {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    // The columns, once and for all. The first eight are those of the first logs, so that what was
    // built on them keeps working; the record's own follow, then a step's characteristic with its
    // limits and the verdict on the value, and the chain value last, since it covers all the others.
    static constexpr std::string_view Header =
        "Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster;Satz;Station;"
        "Bediener;Messmittel;Teil;Merkmal;Soll;UGW;OGW;Urteil;Kette";
    enum Column {
        TimeColumn,
        PortColumn,
        ChannelColumn,
        StepColumn,
        LineColumn,
        TypedColumn,
        NoteColumn,
        WindowColumn,
        NumberColumn,
        StationColumn,
        OperatorColumn,
        GaugeColumn,
        PartColumn,
        CharacteristicColumn,
        NominalColumn,
        LowerLimitColumn,
        UpperLimitColumn,
        VerdictColumn,
        ChainColumn,
        ColumnCount
    };
    // The most files beside the log's own name (messung-2.csv ... messung-99.csv).
    static constexpr int MaxSideFiles = 99;

    struct Row {
        std::string port; // "COM1"
        int channel = 0;  // 0 when unknown, and for an event
        int step = 0;
        std::string line;  // as received; control characters are escaped in the file
        std::string typed; // exactly as typed
        std::string note;  // why nothing was typed, or the event; empty when the value was typed
        // The title of the window that received the value, or of the one that had the focus when
        // nothing was typed; empty when unknown.
        std::string window;
        // The fields after the first seven have initializers of their own, so that a row given
        // by its first fields leaves them empty.
        std::string station{};
        std::string operatorName{};
        std::string gauge{}; // the gauge on the line's channel
        std::string part{};  // the part or lot being measured
        // The step's characteristic, its nominal value and limits as the step gives them, and the
        // verdict on the value; empty where the step has none.
        std::string characteristic{};
        std::string nominal{};
        std::string lowerLimit{};
        std::string upperLimit{};
        std::string verdict{};
    };

    // The last row of a file that carries a chain value: where a log taken up goes on.
    struct LastRow {
        static constexpr std::size_t MaxNotes = 16;
        std::int64_t number = 0;
        std::string chain;
        // The notes of the last rows (at most MaxNotes), the last row's first: whether the last
        // session wrote its end row shows there, even when a line cut short by the end followed it.
        std::vector<std::string> recentNotes;
    };

    explicit MeasurementLog(std::string path, Clock clock = std::chrono::system_clock::now);
    ~MeasurementLog();
    MeasurementLog(const MeasurementLog&) = delete;
    MeasurementLog& operator=(const MeasurementLog&) = delete;

    // The log's name, as TRAVEK.INI gives it.
    const std::string& path() const { return m_path; }
    // The file that rows go to: the log's name, or a name beside it (sideFile) while the file of
    // that name holds an older log or another chain, which is never written into; empty before
    // the first open.
    const std::string& filePath() const { return m_filePath; }

    // Opens the file the rows go to and reads how it ends: its last row with a chain value,
    // nothing when it has none. Until resume() is called, the rows go on from that row (or from
    // the start of a chain). append() opens by itself; this is for whoever decides how the
    // numbering and the chain go on. Throws Error when the file cannot be opened or read.
    std::optional<LastRow> open();
    // The next row gets the record number number and links to chain.
    void resume(std::int64_t number, std::string chain);
    std::int64_t nextNumber() const { return m_nextNumber; }
    // The chain value of the last row written (or of the row it goes on from).
    const std::string& chain() const { return m_chain; }

    // Appends the row with its record number and chain value, with one write, so that it reaches
    // the system before the call returns; a new or empty file gets the header first, and the
    // first row of a file that continues a chain says from which value. The file is opened as a
    // regular file only, never through a link and never waiting (AppendFile). When the log's name
    // no longer names the file the rows went to (deleted, or renamed by a rotation), a new file is
    // begun under it, and the chain goes on from the last row actually written. Throws Error when
    // the row could not be written whole; then it has taken no number and no place in the chain,
    // and the piece of it that a full disk let through is cut off again (AppendFile), so the file
    // stays made of whole rows. The next call tries again, on a new line where a piece could not be
    // cut off.
    void append(const Row& row);

    // Local time as ISO 8601 with milliseconds and the offset from UTC, so that the hour that
    // comes twice when summer time ends is told apart: 2026-10-25T02:30:00.000+02:00, then
    // 2026-10-25T02:30:00.000+01:00.
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
    // A window title, a name, a part as one line: control characters (a title may hold a line
    // break or a tab) become blanks. Backslashes stay as they are: titles are full of paths.
    static std::string oneLine(const std::string& title);
    // The fields of one line of the file, quotes taken off: what field() wrote.
    static std::vector<std::string> splitRow(std::string_view row);
    // The n-th name beside path (n from 2): messung.csv gives messung-2.csv.
    static std::string sideFile(const std::string& path, int n);

private:
    std::string rowBody(const Row& row, std::int64_t number) const;

    std::string m_path;
    std::string m_filePath;
    Clock m_clock;
    std::unique_ptr<AppendFile> m_file;
    // The last row was cut off in the middle (a full disk): the next one begins with a line end.
    bool m_midRow = false;
    // The file holds a row of the chain: the next row needs no continuation row before it.
    bool m_fileHasChain = false;
    bool m_resumed = false;
    std::int64_t m_nextNumber = 1;
    std::string m_chain;
};

} // namespace travek
