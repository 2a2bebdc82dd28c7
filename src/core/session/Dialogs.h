#pragma once

#include "core/loop/EventLoop.h"
#include "core/target/TargetWindow.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace travek {

struct InterfaceDefinition;

// The logic of the program's dialogs, one small presenter each. A view shows a presenter's state,
// forwards the user's choices to it and shows it again; it decides nothing itself. Every text is
// 8-bit (Windows-1252).

// "Aktionsliste": the pieces of one step's key string (or of the series string), to which named
// keys are added and from which pieces are deleted.
class KeyActionList {
public:
    // The named keys on offer, in their order: those of the keystroke sender except PRTSC, which a
    // step has no use for.
    static const std::vector<std::string>& tokens();

    // The pieces of keyString. A step's key string is kept to maxLength characters (0: no limit,
    // as for the series string).
    KeyActionList(const std::string& keyString, char separator, std::size_t maxLength);

    const std::vector<std::string>& entries() const { return m_entries; }
    // Why the last token was not added; empty after any other change.
    const std::string& limitMessage() const { return m_limitMessage; }

    // Adds token number tokenIndex after the entry at selectedEntry, or at the end when none is
    // selected (-1). Inserting moves the selected entry nowhere, so tokens added one after
    // another land directly after it, the latest first. False when nothing was added: no token
    // chosen, or the limit would be passed (then limitMessage says so).
    bool add(int tokenIndex, int selectedEntry);
    // Deletes the entry; afterwards none is selected.
    void remove(int selectedEntry);
    // The entries joined into a key string: what OK gives.
    std::string keyString() const;

private:
    std::vector<std::string> m_entries;
    char m_separator;
    std::size_t m_maxLength;
    std::string m_limitMessage;
};

// Asks after how many values the series string is typed.
class SeriesCountInput {
public:
    explicit SeriesCountInput(std::int32_t current);
    // The text the edit field starts with.
    const std::string& text() const { return m_text; }
    // The number that the typed text gives: its leading digits once blanks are removed, 0 without.
    static std::int32_t valueOf(const std::string& typed);

private:
    std::string m_text;
};

// Picks the channel of a sequence step. The list and its selection stay between uses, so the
// channel chosen last is offered again; a new channel count empties the selection.
class ChannelChoice {
public:
    // "Kanal 1" to "Kanal <count>".
    void setChannelCount(int count);
    const std::vector<std::string>& entries() const { return m_entries; }
    // Kept as the user left it; -1 for none.
    int selected() const { return m_selected; }
    void select(int position) { m_selected = position; }
    // What a step's "Kanal" cell becomes on OK: the position plus one (so "0" with nothing chosen).
    std::string cellText() const;

private:
    std::vector<std::string> m_entries;
    int m_selected = -1;
};

// Picks the interface definition: the ".VAL" files of the working directory as they were when
// the program started.
class InterfaceChoice {
public:
    explicit InterfaceChoice(const std::string& folder = ".");
    const std::vector<std::string>& entries() const { return m_entries; }
    // The row to select when the dialog opens: the first, or -1 for an empty list.
    int initialRow() const { return m_entries.empty() ? -1 : 0; }
    // The interface name of the chosen row; empty for none. With nothing chosen the name must stay
    // as it was: emptying it would make the program look for ".VAL" from then on and save an empty
    // name at exit, losing the user's setting.
    std::string nameAt(int row) const;
    // Why the list is empty, naming the folder; empty when it is not.
    std::string emptyText() const;
    // What to say of a definition file that does not exist: its name, and what the list offers
    // instead (or why it offers nothing).
    std::string missingText(const std::string& file) const;

private:
    std::vector<std::string> m_entries;
    std::string m_folder;
};

// "Schnittstelle": the COM port (1 to 99) of the current interface, picked with the mouse.
class ComPortChoice {
public:
    static constexpr int PortCount = 99;

    // Starts at the definition's port (nothing selected for one outside 1..99).
    explicit ComPortChoice(int currentPort);
    // "COM 1" to "COM 99".
    static const std::vector<std::string>& entries();
    int selected() const { return m_selected; }
    void select(int index) { m_selected = index; }
    // Leaving the list with nothing selected takes the first port.
    void leave();
    // What the read-only field beside the list shows.
    std::string text() const;
    // The port that OK stores: with nothing selected the first, as leaving the list does; port 0
    // does not exist.
    int chosenPort() const;

private:
    int m_selected;
};

// "Comport List": the serial ports present on the machine, one "device name=port name" line each,
// read again every 500 ms while the window is shown.
class PortList {
public:
    // Fills target with every entry it can read; throws Error with the text for the user
    // afterwards when some entry (or the whole list) could not be read.
    using Source = std::function<void(std::vector<std::string>& target)>;
    static constexpr int RefreshMs = 500;

    PortList(EventLoop& loop, Source source) : m_loop(loop), m_source(std::move(source)) {}
    PortList(const PortList&) = delete;
    PortList& operator=(const PortList&) = delete;

    void setSource(Source source) { m_source = std::move(source); }
    const std::vector<std::string>& lines() const { return m_lines; }

    // While the window is shown: reads the list at once and then every RefreshMs; changed runs
    // after the lines changed. A failure goes to failed once, with the entries that could be read
    // listed all the same; the refresh then goes on quietly until the failure changes or the list
    // reads again. failed usually shows a modal box, whose loop goes on running this refresh:
    // the next reading is armed only after the report, and no second report starts while one is
    // open, so boxes never open inside each other.
    void start(std::function<void()> changed, std::function<void(const std::string&)> failed);
    void stop();

private:
    void refreshAndReport();
    void schedule();

    EventLoop& m_loop;
    Source m_source;
    std::vector<std::string> m_lines;
    std::function<void()> m_changed;
    std::function<void(const std::string&)> m_failed;
    EventLoop::Task m_task;
    bool m_running = false;
    bool m_reporting = false;
    // The failure reported last; empty while the list reads.
    std::string m_reportedFailure;
};

// The hidden service window's "Output": the last command text sent (or tried) to the interface,
// end character included.
class ServiceLog {
public:
    void record(const std::string& command) {
        m_last = command;
        if (onChanged)
            onChanged(m_last);
    }
    const std::string& lastCommand() const { return m_last; }
    std::function<void(const std::string&)> onChanged;

private:
    std::string m_last;
};

// "Bediener" and "Teil/Los": who measures, and which part or lot, for the measurement record. A
// field of the log is one line: what is typed loses its line breaks and tabs (blanks take their
// place), the blanks at both ends, and what goes beyond MaxLength.
class RecordTextInput {
public:
    enum class Kind { Operator, Part };
    static constexpr std::size_t MaxLength = 60;

    RecordTextInput(Kind kind, std::string current) : m_kind(kind), m_text(std::move(current)) {}
    Kind kind() const { return m_kind; }
    // The dialog's title, and the label before the field.
    const char* title() const { return m_kind == Kind::Operator ? "Bediener" : "Teil/Los"; }
    const char* label() const;
    // What the field starts with; after an OK that was taken, the text kept.
    const std::string& text() const { return m_text; }
    // Why the last OK was not taken; empty otherwise.
    const std::string& message() const { return m_message; }
    // OK with the typed text. False when it cannot be taken (a record names its operator, so an
    // empty name is not taken); message() says why and the dialog stays open. An empty part ends
    // the part.
    bool take(const std::string& typed);

private:
    Kind m_kind;
    std::string m_text;
    std::string m_message;
};

// "Zielfenster": the window that values are meant for. "Festlegen" counts CountdownSeconds down
// through the event loop, so the user can click into the target meanwhile, then takes the window
// that has the focus; "Aufheben" removes the target; "Titel muss passen" makes the title count.
// OK keeps the target that the dialog shows.
class TargetWindowChoice {
public:
    static constexpr int CountdownSeconds = 3;

    TargetWindowChoice(EventLoop& loop, FocusWindow& focus, TargetWindow current);
    TargetWindowChoice(const TargetWindowChoice&) = delete;
    TargetWindowChoice& operator=(const TargetWindowChoice&) = delete;

    const TargetWindow& target() const { return m_target; }
    // The current target, or "kein Zielfenster (es wird in jedes Fenster getippt)".
    std::string targetText() const { return describeTarget(m_target); }
    // The countdown, or why the last "Festlegen" took no window; empty otherwise.
    const std::string& status() const { return m_status; }
    bool counting() const { return m_task.pending(); }

    void capture();
    void clear();
    bool matchTitle() const { return m_target.matchTitle; }
    void setMatchTitle(bool on) { m_target.matchTitle = on; }
    // Ends a countdown that is running (the dialog closes).
    void stop();

    // Runs when the countdown moves on and when it has ended, so the view shows the choice again.
    std::function<void()> onChanged;

private:
    void tick(int secondsLeft);
    void take();
    void changed();

    EventLoop& m_loop;
    FocusWindow& m_focus;
    TargetWindow m_target;
    std::string m_status;
    EventLoop::Task m_task;
};

} // namespace travek
