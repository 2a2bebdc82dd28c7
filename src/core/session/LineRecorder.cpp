#include "core/session/LineRecorder.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/quality/LogSeries.h"
#include "core/record/RecordEvents.h"
#include "core/record/RecordState.h"
#include "core/record/UserIdentity.h"
#include "core/session/Dialogs.h"
#include "core/session/ProgramState.h"
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

// The characters of a line that were not typed: the keyboard has no key for them and no other way.
std::string untypedNote(const std::string& characters) {
    return "nicht getippt (keine Taste im Tastaturlayout): " + characters;
}

} // namespace

LineRecorder::LineRecorder(SessionView& view, EventLoop& loop, const ProgramState& state,
                           const SequenceTable& sequence, TargetGuard& target, std::string version,
                           std::string keyboardFailure)
    : m_view(view), m_state(state), m_sequence(sequence), m_target(target), m_version(std::move(version)),
      m_operator(loginName()), m_reportedKeyFailure(std::move(keyboardFailure)),
      m_publishing(
          view, loop, [this](const std::string& note) { event(note); }, [this] { showNotice(); }) {}

void LineRecorder::setUp(const IniFile& settings) {
    m_station = settings.readString("LOG", "STATION", "");
    if (m_station.empty())
        m_station = computerName();
    for (int k = 1; k <= MaxChannels; ++k)
        m_gauges[k] = settings.readString("MESSMITTEL", "K" + std::to_string(k), "");
    // Publishing reads the log: a broker without a log gets one in TRAVEK's state folder.
    const std::string file = m_publishing.logFile(settings, settings.readString("LOG", "FILE", ""));
    takeUpLog(file);
    m_publishing.start(settings, m_station, m_log ? m_log->filePath() : "");
}

void LineRecorder::takeUpLog(const std::string& file) {
    if (m_log && m_log->path() == file)
        return;
    // Another log, or none: the old one's session ends there, and its failure is no longer the
    // situation.
    ended();
    m_ended = false;
    m_log.reset();
    m_takenUp = false;
    m_sideFileSaid = false;
    m_logNotice.clear();
    m_logFailureShown = false;
    if (!file.empty()) {
        m_log = std::make_unique<MeasurementLog>(file);
        record(nullptr);
    }
    showNotice();
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
    } else if (outcome.note == LineOutcome::Note::NotTaken) {
        m_view.beep();
        m_view.setPanelText(StatusPanel::Line, "Nicht angenommen: " + systemTextToWin1252(outcome.failure));
    }
    if (!outcome.untyped.empty())
        m_view.setPanelText(StatusPanel::Line, untypedNote(outcome.untyped));
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
    MeasurementLog::Row row = newRow();
    row.channel = outcome.channel;
    row.step = outcome.step;
    row.line = outcome.line;
    row.typed = outcome.typed;
    row.window = outcome.window;
    if (outcome.channel >= 1 && outcome.channel <= MaxChannels)
        row.gauge = m_gauges[outcome.channel];
    // Where a value was due, the window was looked at right before typing; for any other line it
    // is the one that has the focus now.
    const bool due =
        outcome.note == LineOutcome::Note::Typed || outcome.note == LineOutcome::Note::NotTyped ||
        outcome.note == LineOutcome::Note::WrongWindow || outcome.note == LineOutcome::Note::LeftWindow ||
        outcome.note == LineOutcome::Note::NotTaken || outcome.note == LineOutcome::Note::Held;
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
    case LineOutcome::Note::NotTaken:
        // Sent, but not known to have arrived: the value is not claimed as typed.
        row.typed.clear();
        row.note =
            "nicht angenommen (gesendet: " + outcome.typed + "): " + systemTextToWin1252(outcome.failure);
        break;
    case LineOutcome::Note::Held:
        row.note = "nicht getippt: au\xDF"
                   "erhalb der Toleranz";
        break;
    }
    if (outcome.judged) {
        row.characteristic = outcome.limits.characteristic;
        row.nominal = outcome.limits.nominal;
        row.lowerLimit = outcome.limits.lower;
        row.upperLimit = outcome.limits.upper;
        static constexpr const char* Verdicts[] = {"", "OK", "WARN", "NOK"};
        row.verdict = Verdicts[static_cast<int>(outcome.judged->verdict)];
    }
    if (!outcome.untyped.empty())
        row.note += (row.note.empty() ? "" : "; ") + untypedNote(outcome.untyped);
    record(&row);
}

MeasurementLog::Row LineRecorder::newRow() const {
    MeasurementLog::Row row;
    row.port = "COM" + std::to_string(m_state.definition.portNumber);
    row.station = m_station;
    row.operatorName = m_operator;
    row.part = m_part;
    return row;
}

void LineRecorder::event(const std::string& note) {
    if (!m_log)
        return;
    MeasurementLog::Row row = newRow();
    row.note = note;
    record(&row);
    showNotice();
}

void LineRecorder::record(const MeasurementLog::Row* row) {
    try {
        if (!m_takenUp)
            takeUp();
        if (row && sequenceChanged()) {
            // The steps or series settings changed since the log last named them: the rows from
            // here on follow the new ones.
            MeasurementLog::Row change = newRow();
            change.note =
                RecordEvents::sequenceInForce(RecordEvents::sequenceFingerprint(m_sequence, m_state.series));
            m_log->append(change);
            m_recordedSteps = m_sequence;
            m_recordedSeries = m_state.series;
        }
        if (row)
            m_log->append(*row);
        m_logFailureShown = false;
        m_logNotice.clear();
    } catch (const Error& error) {
        reportLogFailure("Protokoll " + m_log->path() + ": " + systemTextToWin1252(error.what()));
        return;
    }
    // Written first, sent after: the log is the publisher's outbox.
    m_publishing.wake(m_log->filePath());
    if (m_log->filePath() != m_log->path() && !m_sideFileSaid) {
        m_sideFileSaid = true;
        const std::string message =
            "Protokoll " + nameForUser(m_log->path()) +
            " bleibt, wie es ist (\xE4lteres Format oder eine andere Kette); die neuen "
            "Zeilen stehen in " +
            nameForUser(m_log->filePath());
        m_view.setPanelText(StatusPanel::Line, message);
        std::fprintf(stderr, "travek: %s\n", message.c_str());
    }
    if (m_log->nextNumber() >= m_reservedUntil)
        saveState(true);
}

// The log's own end says where it goes on; the record's state stands in where the log's file is
// gone or new. The start row says which version, definition and sequence are in force, and
// whether the last session ended without its end row.
void LineRecorder::takeUp() {
    const std::optional<MeasurementLog::LastRow> last = m_log->open();
    const RecordState state = RecordState::load(findPathIgnoreCase(RecordState::FileName));
    const RecordResume resume = resumeRecord(state, last, m_log->path());
    m_log->resume(resume.nextNumber, resume.chain);
    if (!m_partChosen)
        m_part = state.part;
    m_recordedSteps = m_sequence;
    m_recordedSeries = m_state.series;
    MeasurementLog::Row row = newRow();
    row.note =
        RecordEvents::start(m_version, m_state.definition,
                            RecordEvents::sequenceFingerprint(m_sequence, m_state.series), resume.endMissing);
    m_log->append(row);
    m_takenUp = true;
    m_reservedUntil = 0;
}

void LineRecorder::saveState(bool running) {
    if (!m_log || !m_takenUp)
        return;
    RecordState state;
    state.nextNumber = m_log->nextNumber() + (running ? RecordState::Reserve : 0);
    state.log = m_log->path();
    state.chain = m_log->chain();
    state.running = running;
    state.part = m_part;
    // Tried once per reserve: a state that cannot be written is said, and the rows go on.
    m_reservedUntil = state.nextNumber;
    try {
        state.save(findPathIgnoreCase(RecordState::FileName));
    } catch (const Error& error) {
        reportLogFailure("Protokoll: " + systemTextToWin1252(error.what()));
    }
}

// Measurements go on without the log; the user hears of each outage once, not with every value
// (the first failure after a row that was written), and the notice keeps it in sight while it
// lasts.
void LineRecorder::reportLogFailure(const std::string& message) {
    m_logNotice = message;
    if (m_logFailureShown)
        return;
    m_logFailureShown = true;
    m_view.setPanelText(StatusPanel::Line, message);
    std::fprintf(stderr, "travek: %s\n", message.c_str());
}

void LineRecorder::interfaceChosen() {
    event(RecordEvents::interfaceChosen(m_state.definition));
}

void LineRecorder::portChosen() {
    event(RecordEvents::portChosen(m_state.definition));
}

void LineRecorder::portLost() {
    event(RecordEvents::PortLost);
}

void LineRecorder::portBack() {
    event(RecordEvents::PortBack);
}

void LineRecorder::targetChosen() {
    event(RecordEvents::targetChosen(describeTarget(m_target.target())));
}

bool LineRecorder::sequenceChanged() const {
    if (m_sequence.stepCount != m_recordedSteps.stepCount ||
        m_state.series.valuesPerSeries != m_recordedSeries.valuesPerSeries ||
        m_state.series.seriesString != m_recordedSeries.seriesString)
        return true;
    for (int step = 1; step <= m_sequence.stepCount && step <= MaxSteps; ++step)
        if (m_sequence.stepChannel[step] != m_recordedSteps.stepChannel[step] ||
            m_sequence.stepKeys[step] != m_recordedSteps.stepKeys[step])
            return true;
    return false;
}

void LineRecorder::editOperator() {
    RecordTextInput input(RecordTextInput::Kind::Operator, m_operator);
    if (!m_view.runRecordTextDialog(input) || input.text() == m_operator)
        return;
    m_operator = input.text();
    event(RecordEvents::operatorChanged(m_operator));
}

void LineRecorder::editPart() {
    RecordTextInput input(RecordTextInput::Kind::Part, m_part);
    if (!m_view.runRecordTextDialog(input) || input.text() == m_part)
        return;
    m_part = input.text();
    m_partChosen = true;
    event(RecordEvents::partChanged(m_part));
    saveState(true);
}

void LineRecorder::trendRestarted(const std::string& characteristic) {
    if (!m_log)
        return;
    MeasurementLog::Row row = newRow();
    row.note = LogSeries::BaselineNote;
    row.characteristic = characteristic;
    record(&row);
    showNotice();
}

void LineRecorder::ended() {
    if (m_ended || !m_log)
        return;
    m_ended = true;
    if (!m_takenUp)
        return;
    event(RecordEvents::End);
    saveState(false);
}

} // namespace travek
