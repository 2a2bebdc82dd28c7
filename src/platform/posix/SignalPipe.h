#pragma once

namespace travek {

// Turns SIGTERM, SIGINT, SIGHUP and SIGQUIT into bytes on a descriptor that the event loop watches, so that
// the program closes as the user would close it and saves its files. A signal handler may only write to a
// pipe; the loop picks the byte up and the program acts outside the handler. One instance at a time;
// destroying it restores the default handlers. SIGPIPE and SIGXFSZ are ignored from then on.
class SignalPipe {
public:
    SignalPipe();
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // The descriptor to watch for reading; -1 when no pipe could be made (signals then end the
    // program as by default).
    int descriptor() const;
    // Reads the pending bytes, so the descriptor stops reporting itself.
    void drain();
};

} // namespace travek
