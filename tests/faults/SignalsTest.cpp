// The real program ended by the signals a desktop, a terminal or a service manager sends: each
// ends it as closing its window does, saving its files, and a broken pipe ends nothing.
#include "support/PtyPair.h"
#include "support/RunningProgram.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace travek::test;

namespace {

// The program in dir with its box on a pty, until it has sent the box its channel commands.
pid_t startProgram(const TempDir& dir, PtyPair& box) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (::chdir(dir.path().c_str()) != 0)
            ::_exit(126);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execl(TRAVEK_EXECUTABLE, TRAVEK_EXECUTABLE, "--keyboard=log", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    EXPECT_EQ(box.receive(6, 10000), "D0\rE1\r");
    return child;
}

// The exit status, or -1 when the program is still running after timeoutMs (it is killed then).
int waitForExit(pid_t child, int timeoutMs) {
    int status = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return -1;
}

} // namespace

TEST(Signals, TheTerminalClosedOrCtrlBackslashSaveAsTheWindowsCloseDoes) {
    for (const int signalNumber : {SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(signalNumber);
        TempDir dir;
        PtyPair box;
        writeBoxSettings(dir, box.slavePath());
        dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
        const pid_t child = startProgram(dir, box);
        // Nobody reads a pipe any more, or a file reached the size limit: an error for whoever
        // writes, not the end.
        ::kill(child, SIGPIPE);
        ::kill(child, SIGXFSZ);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ASSERT_EQ(::waitpid(child, nullptr, WNOHANG), 0) << "SIGPIPE or SIGXFSZ ended the program";

        ::kill(child, signalNumber);
        EXPECT_EQ(waitForExit(child, 5000), 0);
        // The series file did not exist: the exit's save made it.
        EXPECT_EQ(dir.read("ablauf.pst"), "0\r\n\r\n");
    }
}
