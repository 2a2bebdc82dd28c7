#include "core/session/ReceiveHandler.h"

#include "core/text/Error.h"
#include "core/text/KeyString.h"
#include "core/text/TextHelpers.h"
#include "core/typing/KeyOutput.h"

#include <utility>

namespace travek {

ReceiveHandler::ReceiveHandler(InterfaceDefinition& definition, SequenceTable& table, SeriesSettings& series,
                               const std::uint8_t& decimals, char separator, Outputs outputs)
    : m_definition(definition), m_table(table), m_series(series), m_decimals(decimals),
      m_separator(separator), m_outputs(std::move(outputs)) {}

void ReceiveHandler::receive(const void* bytes, std::int32_t size) {
    if (bytes == nullptr || size <= 0)
        return;
    std::string_view chunk(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
    if (m_busy) {
        holdBack(chunk);
        return;
    }
    if (m_droppingLine) {
        const auto cr = chunk.find('\r');
        if (cr == std::string_view::npos)
            return;
        m_droppingLine = false;
        ++m_droppedLines;
        chunk.remove_prefix(cr + 1);
    }
    m_busy = true;
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    } release{m_busy};
    handleChunk(std::string(chunk));
    while (!m_heldBack.empty()) {
        const std::string next = std::exchange(m_heldBack, std::string());
        m_heldLines = 0;
        // The lines dropped so far came after the ones held back: said after them, and together
        // with the one being dropped, once it has ended.
        const std::size_t dropped = std::exchange(m_droppedLines, 0);
        handleChunk(next);
        m_droppedLines += dropped;
        if (!m_droppingLine)
            reportDropped(std::exchange(m_droppedLines, 0));
    }
    if (!m_droppingLine)
        reportDropped(std::exchange(m_droppedLines, 0));
}

void ReceiveHandler::holdBack(std::string_view chunk) {
    for (char byte : chunk) {
        if (!m_droppingLine && m_heldLines >= MaxWaitingLines) {
            // The LF after the last CR begins no line yet (it is removed from a line anyway).
            if (byte == '\n')
                continue;
            // A line that finds no room is dropped whole, up to its CR.
            m_droppingLine = true;
        }
        if (m_droppingLine) {
            m_droppingLine = byte != '\r';
            m_droppedLines += byte == '\r';
        } else if (byte == '\r') {
            m_heldBack += byte;
            ++m_heldLines;
            m_heldLineLength = 0;
        } else if (m_heldLineLength < LineReading::MaxLength) {
            m_heldBack += byte;
            ++m_heldLineLength;
        }
    }
}

void ReceiveHandler::reportDropped(std::size_t count) {
    if (count == 0 || !m_outputs.LineHandled)
        return;
    LineOutcome outcome;
    outcome.note = LineOutcome::Note::Dropped;
    outcome.step = m_table.currentStep;
    outcome.droppedLines = count;
    m_outputs.LineHandled(outcome);
}

void ReceiveHandler::dropReceived() {
    m_line.clear();
    m_heldBack.clear();
    m_heldLines = 0;
    m_heldLineLength = 0;
    // A line being dropped ends here, as dropped.
    m_droppedLines += std::exchange(m_droppingLine, false);
    ++m_drops;
}

void ReceiveHandler::handleChunk(std::string_view chunk) {
    const std::uint64_t drops = m_drops;
    for (char byte : chunk) {
        if (byte != '\r') {
            // Only the first characters of a line are used; a device that never sends CR must not
            // make the buffer grow.
            if (m_line.size() < LineReading::MaxLength)
                m_line.push_back(byte);
            continue;
        }
        handleLine();
        // The port was lost or reopened while the line was typed: the rest of this chunk came
        // from the device that is gone.
        if (m_drops != drops)
            return;
        m_line.clear();
    }
}

void ReceiveHandler::handleLine() {
    LineReading reading = readLine(m_definition, m_line);
    const int channel = reading.channel;
    LineOutcome outcome;
    outcome.channel = channel;
    outcome.step = m_table.currentStep;
    outcome.note = judge(channel, reading.value.has_value());
    outcome.valueFault = reading.valueFault;
    // A gauge's error line or an empty cut holds no number: typing an invented one would corrupt
    // the record, so nothing is typed and the step waits for a real value.
    // A value for the wrong window is not typed anywhere, and the sequence does not move: the
    // operator measures again once the target has the focus.
    if (outcome.note == LineOutcome::Note::Typed && m_outputs.MayType && !m_outputs.MayType(outcome))
        outcome.note = LineOutcome::Note::WrongWindow;
    // Judged by the decimals that are typed, and shown before the first key: the operator sees the
    // verdict while the value goes out.
    std::string text;
    if (outcome.note == LineOutcome::Note::Typed) {
        text = formatValue(0, m_decimals, *reading.value);
        if (m_outputs.Judge && !m_outputs.Judge(outcome, text))
            outcome.note = LineOutcome::Note::Held;
    }
    if (outcome.note == LineOutcome::Note::Typed) {
        outcome.typed = dispatch(std::move(text));
        confirmTaken(outcome);
        if (m_typingFailure) {
            // The value stands in the record as typed only when it went out whole; where the focus
            // left the target, the record says how much of it did.
            outcome.note = m_failure;
            outcome.failedPart = m_failedPart;
            if (m_failedPart == LineOutcome::Part::Value)
                outcome.typed = m_failure == LineOutcome::Note::LeftWindow ? m_sent : std::string();
            outcome.failure = *std::exchange(m_typingFailure, std::nullopt);
            // Ended by the program's exit rather than by the keyboard.
            if (m_failure == LineOutcome::Note::CutShort)
                outcome.failure.clear();
        }
    }
    // The panels follow the keys: a window's relayout before the first key was a good part of
    // the time from the line's end to the value's arrival.
    if (outcome.judged)
        outcome.judged->typed = outcome.note == LineOutcome::Note::Typed;
    setPanel(StatusPanel::Line, reading.line);
    if (channel != 0)
        setPanel(StatusPanel::Channel, std::to_string(channel) + " [OK]");
    if (m_outputs.LineHandled) {
        outcome.line = std::move(reading.line);
        m_outputs.LineHandled(outcome);
    }
}

// The next line is typed only once the window has taken this one's keys: the program never runs
// ahead of a slow target, and a key that never arrived is not recorded as typed. Waiting lets the
// event loop run; chunks that arrive meanwhile are held back as while typing.
void ReceiveHandler::confirmTaken(LineOutcome& outcome) {
    if (m_outputs.takeUntyped)
        outcome.untyped = m_outputs.takeUntyped();
    if (!m_outputs.awaitTaken)
        return;
    try {
        m_outputs.awaitTaken();
    } catch (const Error& error) {
        // A failure while typing already says what became of the line.
        if (m_typingFailure)
            return;
        outcome.note = LineOutcome::Note::NotTaken;
        outcome.failure = dynamic_cast<const TypingStopped*>(&error) != nullptr
                              ? "TRAVEK wurde beendet, bevor das Fenster sie genommen hatte"
                              : error.what();
    }
}

LineOutcome::Note ReceiveHandler::judge(int channel, bool hasNumber) const {
    const int step = m_table.currentStep;
    if (m_table.stepCount == 0)
        return LineOutcome::Note::NoSequence;
    if (channel == 0 || step < 1 || step > MaxSteps || channel != m_table.stepChannel[step])
        return LineOutcome::Note::OtherChannel;
    return hasNumber ? LineOutcome::Note::Typed : LineOutcome::Note::NoNumber;
}

std::string ReceiveHandler::dispatch(std::string typed) {
    const std::string keys = m_table.stepKeys[m_table.currentStep];
    send(typed, LineOutcome::Part::Value);
    // A value that did not reach the target whole is not counted, and the step waits for the
    // next one, as for a value refused before its first key: the operator measures again once the
    // target has the focus.
    if (m_typingFailure && m_failure == LineOutcome::Note::LeftWindow)
        return typed;
    typePieces(keys, LineOutcome::Part::stepKeys);

    ++m_series.valueCounter;
    if (m_series.valuesPerSeries > 0 && m_series.valueCounter >= m_series.valuesPerSeries) {
        typePieces(m_series.seriesString, LineOutcome::Part::seriesString);
        m_series.valueCounter = 0;
    }

    ++m_table.currentStep;
    if (m_table.currentStep > m_table.stepCount)
        m_table.currentStep = 1;
    setPanel(StatusPanel::CurrentStep, std::to_string(m_table.currentStep));
    return typed;
}

void ReceiveHandler::typePieces(const std::string& keyString, LineOutcome::Part part) {
    for (const std::string& piece : splitKeyString(keyString, m_separator))
        if (!piece.empty())
            send(piece, part);
}

// A keyboard the desktop took away fails every call alike. The line is still handled whole, so the
// sequence moves on as it would have; the line's outcome says what did not arrive, and why.
// Nothing more is sent after a failure: a Tab or an Enter after a value that did not arrive would
// move the form on past an empty field.
void ReceiveHandler::send(std::string_view keys, LineOutcome::Part part) {
    if (m_typingFailure)
        return;
    try {
        m_outputs.sendKeys(keys);
    } catch (const TypingRefused& refused) {
        m_typingFailure = refused.what();
        m_failedPart = part;
        m_failure = LineOutcome::Note::LeftWindow;
        m_sent = refused.sent;
    } catch (const Error& error) {
        m_typingFailure = error.what();
        m_failedPart = part;
        m_failure = dynamic_cast<const TypingStopped*>(&error) ? LineOutcome::Note::CutShort
                                                               : LineOutcome::Note::NotTyped;
    }
}

void ReceiveHandler::setPanel(StatusPanel panel, const std::string& text) const {
    if (m_outputs.SetPanel)
        m_outputs.SetPanel(panel, text);
}

} // namespace travek
