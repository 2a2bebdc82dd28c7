#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace travek {

// Tells when the thread that a line's keys went to has taken them all from its input queue.
//
// Windows hands injected keys to the queue of the thread whose window has the focus and calls
// them done; that thread takes them when it gets round to it, and a slow one takes them seconds
// later, or never when it hangs or closes. What a thread has taken shows in the keyboard state it
// keeps (GetKeyState): each key press it takes flips that key's toggle bit. A thread attached to
// its input shares that state. So TRAVEK attaches to the foreground thread before the first key
// of a line, and after the last one sends a marker: a key that no layout has and that makes no
// character (one of the keys that Windows leaves unassigned, passed over by programs). The thread has taken
// every key of the line once the marker's toggle bit has flipped. The attachment lasts only as long as the
// line.
//
// Attaching must come before the keys: under wine 8, attaching afterwards takes the desktop's
// state, in which every injected key counts as taken already. A marker that was not taken in time
// may still be on its way when the next line begins; that line takes the next of the unassigned
// keys, whose toggle bit the late one does not touch.
class Win32TakenWatch {
public:
    static constexpr std::array<std::uint8_t, 13> MarkerKeys{0xE8, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C,
                                                             0x9D, 0x9E, 0x9F, 0xD8, 0xD9, 0xDA};

    ~Win32TakenWatch() { end(); }

    // Before the first key of a line. Nothing is watched when TRAVEK's own window has the
    // foreground (the wait serves its messages, and its keys with them), when no window has it,
    // or when the system refuses the attachment (then failure() says why).
    void begin();
    // A line is being watched: its marker is due after its last key.
    bool watching() const { return m_thread != 0; }
    // Why the line cannot be watched although a window of another program has the foreground;
    // empty when it can, or when there is nothing to watch.
    const std::string& failure() const { return m_failure; }
    // The key that marks the end of the line.
    std::uint8_t marker() const { return MarkerKeys[m_markerIndex]; }
    // Right after the marker went out.
    void markerSent();
    // The line's marker was not taken in time: the next line is marked with another key.
    void timedOut();
    // The foreground thread has taken the marker, and so everything before it.
    bool taken() const;
    // Detaches; the line is over.
    void end();

private:
    std::uint32_t m_thread = 0;
    bool m_attached = false;
    bool m_markerToggle = false;
    std::size_t m_markerIndex = 0;
    std::string m_failure;
};

} // namespace travek
