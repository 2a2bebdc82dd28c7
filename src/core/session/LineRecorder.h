#pragma once

#include "core/files/MeasurementLog.h"
#include "core/publish/Publishing.h"
#include "core/session/ReceiveHandler.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace travek {

class EventLoop;
class IniFile;
class SessionView;
class TargetGuard;
struct ProgramState;

// What became of each line, and the record of it: the measurement log's rows for lines and for
// events (start, end, the user's changes, the port's loss and return; a changed sequence is named
// before the first row that follows it, which is when it comes into force), each naming the station,
// the operator, the gauge and the part; the report of a keyboard or a log that stopped working
// (once on standard error, and in the line panel), and the standing notice that keeps them in
// sight while they last. Where TRAVEK.INI names a broker, every row goes on to it after it has
// been written.
class LineRecorder {
public:
    // version is what the start row names ("TRAVEK v1.01"). keyboardFailure: why nothing is typed
    // before a keyboard is given; its opener has said it.
    LineRecorder(SessionView& view, EventLoop& loop, const ProgramState& state, const SequenceTable& sequence,
                 TargetGuard& target, std::string version, std::string keyboardFailure);

    // The record's settings in TRAVEK.INI: the log ([LOG] FILE=, none when empty), the station
    // ([LOG] STATION=, the computer's name when not given) and the gauge on each channel
    // ([MESSMITTEL] K1= to K48=). A log newly taken up goes on where its rows (or the record's
    // state, RecordState) ended, and gets the start row, which names the definition in force: it is
    // loaded first. Publishing to the broker follows [MQTT].
    void setUp(const IniFile& settings);
    Publishing& publishing() { return m_publishing; }
    bool logging() const { return m_log != nullptr; }
    // A keyboard was given (whyNone empty) or taken away, and whoever did it has said why.
    void keyboardChanged(const std::string& whyNone);
    void lineHandled(const LineOutcome& outcome);

    // The user's changes and the port's state, each a row of the log.
    void interfaceChosen();
    void portChosen();
    void portLost();
    void portBack();
    void targetChosen();
    // "Bediener" (for this session) and "Teil/Los" (kept until changed): their dialogs, then a row.
    void editOperator();
    void editPart();
    const std::string& operatorName() const { return m_operator; }
    const std::string& part() const { return m_part; }
    // "Neu beginnen" on the control chart: a row that says the characteristic's values begin anew.
    void trendRestarted(const std::string& characteristic);
    // The file the rows go to now (the control chart's history); empty without a log.
    std::string logFile() const {
        return !m_log ? "" : m_log->filePath().empty() ? m_log->path() : m_log->filePath();
    }
    // The end row, and the record's state as the next start finds it; once.
    void ended();

private:
    MeasurementLog::Row newRow() const;
    void event(const std::string& note);
    void logLine(const LineOutcome& outcome);
    // Writes the row (none: only takes the log up), taking the log up first where that has not
    // worked yet; a failure is reported, and the values go on being typed.
    void record(const MeasurementLog::Row* row);
    void takeUpLog(const std::string& file);
    void takeUp();
    bool sequenceChanged() const;
    void saveState(bool running);
    void reportLogFailure(const std::string& message);
    void showNotice();

    SessionView& m_view;
    const ProgramState& m_state;
    const SequenceTable& m_sequence;
    TargetGuard& m_target;
    std::string m_version;
    std::unique_ptr<MeasurementLog> m_log;
    // The start row is written: the numbering and the chain go on from the log's end.
    bool m_takenUp = false;
    bool m_ended = false;
    bool m_sideFileSaid = false;
    // The record's state claims numbers up to here; beyond, it is written anew.
    std::int64_t m_reservedUntil = 0;
    std::string m_station;
    std::string m_operator;
    std::string m_part;
    bool m_partChosen = false;
    std::array<std::string, MaxChannels + 1> m_gauges{};
    // The steps and series settings in force when the log last named them.
    SequenceTable m_recordedSteps;
    SeriesSettings m_recordedSeries;
    bool m_logFailureShown = false;
    // The log's failure while it lasts; empty while the log is written.
    std::string m_logNotice;
    // The keyboard's failure last said on standard error; empty while it types.
    std::string m_reportedKeyFailure;
    std::string m_shownNotice;
    Publishing m_publishing;
};

} // namespace travek
