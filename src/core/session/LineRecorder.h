#pragma once

#include "core/files/MeasurementLog.h"
#include "core/session/ReceiveHandler.h"

#include <memory>
#include <string>

namespace travek {

class SessionView;
class TargetGuard;

// What became of each line, and what lasts of its failures: the measurement log's row, the report
// of a keyboard or a log that stopped working (once on standard error, and in the line panel), and
// the standing notice that keeps them in sight while they last.
class LineRecorder {
public:
    // keyboardFailure: why nothing is typed before a keyboard is given; its opener has said it.
    LineRecorder(SessionView& view, const InterfaceDefinition& definition, const SequenceTable& sequence,
                 TargetGuard& target, std::string keyboardFailure);

    // The log that TRAVEK.INI names ([LOG] FILE=), or none when empty.
    void setLogFile(const std::string& file);
    bool logging() const { return m_log != nullptr; }
    // A keyboard was given (whyNone empty) or taken away, and whoever did it has said why.
    void keyboardChanged(const std::string& whyNone);
    void lineHandled(const LineOutcome& outcome);

private:
    void logLine(const LineOutcome& outcome);
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
};

} // namespace travek
