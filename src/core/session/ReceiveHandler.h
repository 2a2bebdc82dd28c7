#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/gauge/LineReading.h"
#include "core/quality/StepTolerances.h"
#include "core/quality/Verdict.h"
#include "core/session/SequenceState.h"
#include "core/session/StatusPanel.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace travek {

// What became of one received line: the measurement log's row.
struct LineOutcome {
    enum class Note {
        Typed,        // the value was typed
        NotTyped,     // the value was due, but the keyboard failed (failedPart and failure say where, why)
        OtherChannel, // the line's channel (or none) is not the one the current step expects
        NoNumber,     // the step's channel, but its value holds no number (valueFault says why)
        NoSequence,   // there are no steps to follow
        CutShort,     // the program ended while the line's keys were typed (failedPart says where): the rest
                      // was dropped
        // The value was due, but the window with the focus is not the target (failure says which).
        WrongWindow,
        // The focus left the target while the line's keys were typed (failedPart says where, failure
        // which window has it now): the rest was dropped.
        LeftWindow,
        // Not a line: droppedLines lines found no room while a value was typed.
        Dropped,
        // All keys of the line were sent, but the window did not take them (failure says why; typed
        // holds what was sent).
        NotTaken,
        // The value lies outside its step's limits, and the sequence holds such values back
        // ("NOK=HALTEN"): nothing was typed, and the step waits for the next value.
        Held
    };
    int channel = 0; // 0 when the line names no known channel
    int step = 0;    // the step current when the line arrived
    std::string line;
    std::string typed; // the value exactly as typed, or as much of it as went out; empty when nothing was
    Note note = Note::Typed;
    // The part of the line's keys that the keyboard failed on (NotTyped); what came before it was
    // sent.
    enum class Part { Value, stepKeys, seriesString };
    Part failedPart = Part::Value;
    std::string failure; // why the keyboard failed (NotTyped), what has the focus (WrongWindow)
    std::string window;  // the title of the window that got the value, or had the focus when it was refused
    ValueFault valueFault = ValueFault::None; // NoNumber: why the value text is none
    std::size_t droppedLines = 0;             // Dropped
    // The characters of the line's keys that could not be typed at all, in order; empty when all were.
    std::string untyped;
    // The value as judged against its step's limits, for a value that was due and not refused for
    // the window (typed, held, or failed in typing); and the step's entries as the log names them.
    std::optional<JudgedValue> judged;
    ToleranceTexts limits;
};

// Turns the bytes that the measuring interface sends into typed values: assembles lines ended by
// CR, identifies each line's channel, cuts and converts its value and, when the current step of the
// sequence expects that channel, types the value and the step's keys, counts it for the series
// string and moves the sequence on.
class ReceiveHandler {
public:
    // The most lines that wait while a value is typed. A box that sends faster than the target
    // takes keys would otherwise build a backlog without end, each value typed ever later; lines
    // beyond these are dropped, and one outcome says how many.
    static constexpr std::size_t MaxWaitingLines = 32;

    struct Outputs {
        // Throws Error when the keyboard cannot type, TypingRefused when the focus left the target
        // in the middle of the keys.
        std::function<void(std::string_view Keys)> sendKeys;
        std::function<void(StatusPanel panel, const std::string& text)> SetPanel;
        // Once per line, after its value and keys were typed (never in the middle of them) and
        // before the next line is looked at.
        std::function<void(const LineOutcome& outcome)> LineHandled = {};
        // Asked when a value is due, before any of its keys is typed: false keeps the value and its
        // keys from being typed at all, and the step waits for the next value. It may fill in the
        // outcome's window, and its failure when it refuses.
        std::function<bool(LineOutcome& outcome)> MayType = {};
        // After the line's last key: waits until the window has taken the keys (KeyOutput::awaitTaken).
        std::function<void()> awaitTaken = {};
        // The characters of the line's keys that could not be typed (KeyOutput::takeUntyped).
        std::function<std::string()> takeUntyped = {};
        // Asked for a value that is due, once the window may have it, with the value as it would be
        // typed, before its first key: judges it (filling the outcome's judged and limits). False
        // holds it back: nothing is typed, and the step waits for the next value.
        std::function<bool(LineOutcome& outcome, const std::string& text)> Judge = {};
    };

    ReceiveHandler(InterfaceDefinition& definition, SequenceTable& table, SeriesSettings& series,
                   const std::uint8_t& decimals, char separator, Outputs outputs);

    // The driver's receive event. The bytes are copied before anything else happens, since the
    // driver reuses its buffer.
    void receive(const void* bytes, std::int32_t size);
    // Forgets everything received and not yet handled: the piece of a line so far, the chunks held
    // back while a value is typed, and the rest of the chunk being handled. The device they came
    // from is gone (or the port is closed or opened anew), and none of its bytes may stick to the
    // first line of the next one.
    void dropReceived();
    // True while a line's keys are being typed (the event loop runs in the middle of them).
    bool typing() const { return m_busy; }
    // The line received so far, at most LineReading::MaxLength characters.
    const std::string& partialLine() const { return m_line; }

private:
    // Keeps what arrives while a value is typed: at most MaxWaitingLines whole lines (of which only
    // the first characters count), and counts the lines beyond them as dropped.
    void holdBack(std::string_view chunk);
    void reportDropped(std::size_t count);
    void handleChunk(std::string_view chunk);
    void handleLine();
    LineOutcome::Note judge(int channel, bool hasNumber) const;
    // Types the value (as formatted) and the step's keys; gives the value as typed.
    std::string dispatch(std::string typed);
    // After the keys of a line went out: what the window took of them, and what could not be typed.
    void confirmTaken(LineOutcome& outcome);
    void typePieces(const std::string& keyString, LineOutcome::Part part);
    void send(std::string_view keys, LineOutcome::Part part);
    void setPanel(StatusPanel panel, const std::string& text) const;

    InterfaceDefinition& m_definition;
    SequenceTable& m_table;
    SeriesSettings& m_series;
    const std::uint8_t& m_decimals;
    char m_separator;
    Outputs m_outputs;
    std::string m_line;

    // Typing lets the event loop run, so the driver can deliver the next chunk while a value is
    // still being typed. Such bytes wait here and are handled, in order, once the current ones
    // are done; otherwise two values' keystrokes would interleave in the target application.
    bool m_busy = false;
    std::string m_heldBack;
    std::size_t m_heldLines = 0;      // the CRs in m_heldBack
    std::size_t m_heldLineLength = 0; // the bytes kept since the last CR held back
    // A line is being dropped: its bytes go up to its CR, also once typing is done, so that no
    // line is ever read from its tail.
    bool m_droppingLine = false;
    std::size_t m_droppedLines = 0;
    // Counts dropReceived calls, so that the chunk being handled stops where the bytes of the old
    // device were dropped under it.
    std::uint64_t m_drops = 0;
    // Why the keyboard failed while the current line was typed, and in which part; empty when it
    // did not. Nothing more of the line is sent after a failure.
    std::optional<std::string> m_typingFailure;
    LineOutcome::Part m_failedPart = LineOutcome::Part::Value;
    // What the failure was: the keyboard's own, the key output's stop (the program is ending), or a
    // press refused because the focus left the target (then m_sent is what of the part went out).
    LineOutcome::Note m_failure = LineOutcome::Note::NotTyped;
    std::string m_sent;
};

} // namespace travek
