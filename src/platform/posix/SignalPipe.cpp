#include "platform/posix/SignalPipe.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace travek {

namespace {

int signalPipe[2] = {-1, -1};

// Every signal that asks the program to end: the terminal closed or the session ended (SIGHUP),
// Ctrl-\ (SIGQUIT) as well as SIGTERM and Ctrl-C. Each ends it as closing the window does.
constexpr int EndSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

extern "C" void writeToSignalPipe(int signalNumber) {
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

SignalPipe::SignalPipe() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = writeToSignalPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : EndSignals)
        ::sigaction(signalNumber, &action, nullptr);
    // A write to a pipe or socket whose reader has gone (a log on a FIFO, the portal's bus) is an
    // error to report, not a reason to die without saving; so is a file that reaches the size limit
    // (ulimit -f): the write fails with EFBIG and is reported as a full disk is.
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGXFSZ, SIG_IGN);
}

SignalPipe::~SignalPipe() {
    for (int signalNumber : EndSignals)
        ::signal(signalNumber, SIG_DFL);
    if (signalPipe[0] >= 0) {
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
    }
}

int SignalPipe::descriptor() const {
    return signalPipe[0];
}

void SignalPipe::drain() {
    char buf[16];
    while (signalPipe[0] >= 0 && ::read(signalPipe[0], buf, sizeof buf) > 0) {
    }
}

} // namespace travek
