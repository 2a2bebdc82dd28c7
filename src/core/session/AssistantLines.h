#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/loop/EventLoop.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace travek {

// What came from the box while the assistant ("Interface einrichten") is open, and the commands it
// sent: the lines ended by CR, characters that no CR followed, and how the program reads each line
// by a given definition. Bounded: MaxEntries entries, MaxUnended characters waiting for a CR.
class AssistantLines {
public:
    static constexpr std::size_t MaxEntries = 200;
    // Characters without a CR after them are listed as they are this long after the first of them
    // came, or at this length.
    static constexpr std::chrono::milliseconds UnendedWait{1500};
    static constexpr std::size_t MaxUnended = 120;

    // One entry as shown.
    struct Row {
        std::string text;           // what TRAVEK reads (see shownText), "\xA6", and what it never reads
        std::string channel;        // "3", "3 (auch 1)", "-"; empty for a command sent
        std::string typed;          // what TRAVEK would type, or why nothing
        std::size_t readLength = 0; // the characters of text that TRAVEK reads
    };

    // changed runs when characters without a CR are listed after their pause.
    AssistantLines(EventLoop& loop, std::function<void()> changed);

    // Bytes from the box.
    void receive(std::string_view bytes);
    // A command sent to the box, end character included.
    void sent(std::string bytes);
    void clear();
    // The port was opened anew: what waited for a CR, and what the noise was judged by, is the old
    // settings' and goes.
    void restart();

    // The number of the first entry: entries keep their numbers while older ones go.
    std::size_t firstNumber() const { return m_firstNumber; }
    std::size_t size() const { return m_entries.size(); }
    std::vector<Row> rows(const InterfaceDefinition& definition, std::uint8_t decimals) const;
    // Under row's text: "^" under the value, "~" under the identifier that names its channel.
    std::string marks(int row, const InterfaceDefinition& definition) const;
    // The row's bytes as they came, and how TRAVEK reads them.
    std::string details(int row, const InterfaceDefinition& definition, std::uint8_t decimals) const;
    // The characters of a received row that TRAVEK reads; none for a command or no such row.
    std::optional<std::string> readPart(int row, const InterfaceDefinition& definition) const;
    // The lines ended by CR as TRAVEK reads them.
    std::vector<std::string> readLines(const InterfaceDefinition& definition) const;

    // Characters that no CR followed were listed since the last line that had one; whether LFs
    // ended lines among them.
    bool unended() const { return m_sawUnended; }
    bool unendedHadLf() const { return m_unendedHadLf; }
    // Most of the last bytes are not text: the count of those that are not, and of those looked at.
    bool noisy(std::size_t& noise, std::size_t& lookedAt) const;

private:
    struct Entry {
        enum Kind { Line, Unended, Sent } kind;
        std::string bytes;
    };
    const Entry* entryAt(int row) const;
    Row rowOf(const Entry& entry, const InterfaceDefinition& definition, std::uint8_t decimals) const;
    void add(Entry::Kind kind, std::string bytes);
    void flushUnended();

    EventLoop& m_loop;
    std::function<void()> m_changed;
    std::deque<Entry> m_entries;
    std::size_t m_firstNumber = 0;
    std::string m_partial;
    // The last bytes received, to tell text from noise.
    std::string m_recent;
    bool m_sawUnended = false;
    bool m_unendedHadLf = false;
    EventLoop::Task m_unended;
};

} // namespace travek
