#include "core/session/LineRecorder.h"

#include "core/files/IniFile.h"
#include "core/session/SessionView.h"
#include "core/session/StatusPanel.h"
#include "core/target/TargetGuard.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <cstdio>
#include <utility>

namespace travek {

namespace {

// A line's keys cut short, by the part in which it happened.
constexpr const char* CutParts[] = {
    "abgebrochen: ", "Tasten des Schritts abgebrochen: ", "Reihenstring abgebrochen: "};

} // namespace

LineRecorder::LineRecorder(SessionView& view, EventLoop& loop, const InterfaceDefinition& definition,
                           const SequenceTable& sequence, TargetGuard& target, std::string keyboardFailure)
    : m_view(view), m_definition(definition), m_sequence(sequence), m_target(target),
      m_reportedKeyFailure(std::move(keyboardFailure)),
      m_publishing(
          view, loop, [this](const std::string& event) { logEvent(event); }, [this] { showNotice(); }) {}

void LineRecorder::setUp(const IniFile& settings) {
    setLogFile(m_publishing.logFile(settings, settings.readString("LOG", "FILE", "")));
    m_publishing.start(settings, settings.readString("LOG", "STATION", "travek"), m_log ? m_log->path() : "");
}

void LineRecorder::setLogFile(const std::string& file) {
    if (file.empty() || !m_log || m_log->path() != file) {
        // Another log, or none: the old one's failure is no longer the situation, and what was
        // published from it stops.
        m_publishing.stop();
        m_logNotice.clear();
        m_logFailureShown = false;
        showNotice();
    }
    if (file.empty()) {
        m_log.reset();
        return;
    }
    if (!m_log || m_log->path() != file)
        m_log = std::make_unique<MeasurementLog>(file);
}

void LineRecorder::keyboardChanged(const std::string& whyNone) {
    m_reportedKeyFailure = whyNone;
    showNotice();
}

// A keyboard fails when the desktop takes it away (the compositor or the portal session ended).
// That shows while lines arrive, where a modal box would stop the port's handling, and every
// later line fails the same way: the reason goes to the line panel at every such line, and to
// standard error once until typing works again.
void LineRecorder::lineHandled(const LineOutcome& outcome) {
    if (outcome.note == LineOutcome::Note::NotTyped) {
        const std::string message = systemTextToWin1252(outcome.failure);
        m_view.setPanelText(StatusPanel::Line, message);
        if (message != m_reportedKeyFailure)
            std::fprintf(stderr, "travek: %s\n", message.c_str());
        m_reportedKeyFailure = message;
    } else if (outcome.note == LineOutcome::Note::Typed) {
        m_reportedKeyFailure.clear();
    } else if (outcome.note == LineOutcome::Note::WrongWindow ||
               outcome.note == LineOutcome::Note::LeftWindow) {
        // The operator looks at the gauge, not at the screen: the beep says to look.
        m_view.beep();
        m_view.setPanelText(StatusPanel::Line,
                            outcome.note == LineOutcome::Note::WrongWindow
                                ? "Zielfenster nicht aktiv: " + outcome.failure
                                : "abgebrochen: Zielfenster verlassen: " + outcome.failure);
    }
    logLine(outcome);
    showNotice();
}

// A GUI program on Windows has no standard error, and the line panel is overwritten by the next
// line: what lasts stays in sight in the window until it changes.
void LineRecorder::showNotice() {
    std::string text = m_reportedKeyFailure;
    for (const std::string& notice : {m_logNotice, m_publishing.notice()})
        if (!notice.empty())
            text += (text.empty() ? "" : "  \x95  ") + notice;
    if (text == m_shownNotice)
        return;
    m_shownNotice = text;
    m_view.showNotice(text);
}

namespace {

const char* whyNoValue(ValueFault fault) {
    switch (fault) {
    case ValueFault::OutOfRange:
        return "Zahl au\xDF"
               "erhalb des Wertebereichs";
    case ValueFault::ControlCharacter:
        return "Steuerzeichen im Wert: St\xF6rung auf der Leitung";
    default:
        return "keine Zahl im Wert";
    }
}

} // namespace

void LineRecorder::logLine(const LineOutcome& outcome) {
    if (!m_log)
        return;
    MeasurementLog::Row row{"COM" + std::to_string(m_definition.portNumber),
                            outcome.channel,
                            outcome.step,
                            outcome.line,
                            outcome.typed,
                            {},
                            outcome.window};
    // Where a value was due, the window was looked at right before typing; for any other line it
    // is the one that has the focus now.
    const bool due =
        outcome.note == LineOutcome::Note::Typed || outcome.note == LineOutcome::Note::NotTyped ||
        outcome.note == LineOutcome::Note::WrongWindow || outcome.note == LineOutcome::Note::LeftWindow;
    if (!due)
        row.window = m_target.focusedTitle();
    switch (outcome.note) {
    case LineOutcome::Note::Typed:
        break;
    case LineOutcome::Note::NotTyped: {
        // A quality record must not claim a value that never reached the form, nor hide that the
        // keys after it did not arrive.
        static constexpr const char* Parts[] = {
            "nicht getippt: ", "Tasten des Schritts nicht getippt: ", "Reihenstring nicht getippt: "};
        row.note = Parts[static_cast<int>(outcome.failedPart)] + systemTextToWin1252(outcome.failure);
        break;
    }
    case LineOutcome::Note::OtherChannel:
        row.note = "Schritt " + std::to_string(outcome.step) + " erwartet Kanal " +
                   std::to_string(outcome.step >= 1 && outcome.step <= MaxSteps
                                      ? m_sequence.stepChannel[outcome.step]
                                      : 0);
        break;
    case LineOutcome::Note::NoNumber:
        row.note = whyNoValue(outcome.valueFault);
        break;
    case LineOutcome::Note::Dropped:
        // Too many lines came while a value was typed: the record says how many never were looked at.
        row.note =
            "Zeilen verworfen, die w\xE4hrend des Tippens kamen: " + std::to_string(outcome.droppedLines);
        break;
    case LineOutcome::Note::NoSequence:
        row.note = "kein Ablauf";
        break;
    case LineOutcome::Note::CutShort:
        // What went out before the exit may have arrived in part; the record claims only a value
        // that went out whole.
        row.note = std::string(CutParts[static_cast<int>(outcome.failedPart)]) + "TRAVEK wurde beendet";
        break;
    case LineOutcome::Note::LeftWindow:
        // The row keeps what reached the target before the focus moved (the part of the value
        // that the operator finds in the form), and where the focus went.
        row.note = std::string(CutParts[static_cast<int>(outcome.failedPart)]) + "Zielfenster verlassen (" +
                   outcome.failure + ")";
        break;
    case LineOutcome::Note::WrongWindow:
        row.note = "nicht getippt: Zielfenster nicht aktiv (" + outcome.failure + ")";
        break;
    }
    append(row);
}

void LineRecorder::logEvent(const std::string& event) {
    if (m_log)
        append({"COM" + std::to_string(m_definition.portNumber), 0, 0, {}, {}, event, {}});
}

void LineRecorder::append(const MeasurementLog::Row& row) {
    try {
        m_log->append(row);
        m_logFailureShown = false;
        m_logNotice.clear();
    } catch (const Error& error) {
        // Measurements go on without the log; the user hears of each outage once, not with every
        // value (the first failure after a row that was written), and the notice keeps it in
        // sight while it lasts.
        const std::string message = "Protokoll " + m_log->path() + ": " + systemTextToWin1252(error.what());
        m_logNotice = message;
        if (m_logFailureShown)
            return;
        m_logFailureShown = true;
        m_view.setPanelText(StatusPanel::Line, message);
        std::fprintf(stderr, "travek: %s\n", message.c_str());
        return;
    }
    // Written first, sent after: the log is the publisher's outbox.
    m_publishing.wake(m_log->path());
}

} // namespace travek
