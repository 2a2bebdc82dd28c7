#pragma once

#include "core/files/MeasurementLog.h"
#include "core/publish/Publishing.h"
#include "core/session/ReceiveHandler.h"

#include <memory>
#include <string>

namespace travek {

class EventLoop;
class IniFile;
class SessionView;
class TargetGuard;

// What became of each line, and what lasts of its failures: the measurement log's row, the report
// of a keyboard or a log that stopped working (once on standard error, and in the line panel), and
// the standing notice that keeps them in sight while they last. Where TRAVEK.INI names a broker,
// every row goes on to it after it has been written.
class LineRecorder {
public:
    // keyboardFailure: why nothing is typed before a keyboard is given; its opener has said it.
    LineRecorder(SessionView& view, EventLoop& loop, const InterfaceDefinition& definition,
                 const SequenceTable& sequence, TargetGuard& target, std::string keyboardFailure);

    // The log that TRAVEK.INI names ([LOG] FILE=), or none when empty.
    void setLogFile(const std::string& file);
    // The log and publishing as TRAVEK.INI says ([LOG], [MQTT]).
    void setUp(const IniFile& settings);
    Publishing& publishing() { return m_publishing; }
    bool logging() const { return m_log != nullptr; }
    // A keyboard was given (whyNone empty) or taken away, and whoever did it has said why.
    void keyboardChanged(const std::string& whyNone);
    void lineHandled(const LineOutcome& outcome);

private:
    void logLine(const LineOutcome& outcome);
    // A row of its own for something that happened (Kanal 0, the event in Hinweis).
    void logEvent(const std::string& event);
    void append(const MeasurementLog::Row& row);
    void showNotice();

    SessionView& m_view;
    const InterfaceDefinition& m_definition;
    const SequenceTable& m_sequence;
    TargetGuard& m_target;
    std::unique_ptr<MeasurementLog> m_log;
    bool m_logFailureShown = false;
    // The log's failure while it lasts; empty while the log is written.
    std::string m_logNotice;
    // The keyboard's failure last said on standard error; empty while it types.
    std::string m_reportedKeyFailure;
    std::string m_shownNotice;
    Publishing m_publishing;
};

} // namespace travek
