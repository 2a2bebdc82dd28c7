// The real travek-sim on a pseudo terminal, talked to the way TRAVEK talks to a box.

#include "support/ReceivingEnd.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace travek;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

constexpr int TimeoutMs = 10000;

// travek-sim with pipes on its standard input, output and error.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& arguments) {
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) || ::pipe2(out, O_CLOEXEC) || ::pipe2(err, O_CLOEXEC))
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            std::vector<char*> argv{const_cast<char*>(TRAVEK_SIM_EXECUTABLE)};
            for (const std::string& a : arguments)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        m_stdin = in[1];
        m_stdout = out[0];
        m_stderr = err[0];
    }
    ~SimProcess() {
        if (m_pid > 0 && m_status < 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        for (int fd : {m_stdin, m_stdout, m_stderr})
            if (fd >= 0)
                ::close(fd);
    }

    void input(const std::string& text) {
        ASSERT_EQ(::write(m_stdin, text.data(), text.size()), ssize_t(text.size()));
    }

    // Standard output up to its first line end.
    std::string firstOutputLine() {
        std::string line;
        readUntil(m_stdout, line, [&] { return line.find('\n') != std::string::npos; });
        return line.substr(0, line.find('\n'));
    }
    // Waits until standard error holds text; gives all of standard error so far.
    std::string waitForLog(const std::string& text) {
        readUntil(m_stderr, m_log, [&] { return m_log.find(text) != std::string::npos; });
        return m_log;
    }
    // Exit status after the process ended by itself or after a signal.
    int wait(int signo = 0) {
        if (signo)
            ::kill(m_pid, signo);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
        int status = 0;
        while (::waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline)
                return -1;
            // Collect what it logs meanwhile, so it never blocks on a full pipe.
            pollfd p{m_stderr, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                char buf[4096];
                const ssize_t n = ::read(m_stderr, buf, sizeof buf);
                if (n > 0)
                    m_log.append(buf, std::size_t(n));
            }
        }
        drain(m_stderr, m_log);
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return m_status;
    }
    const std::string& log() const { return m_log; }

private:
    template <class Done> static void readUntil(int fd, std::string& into, Done done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0)
                return;
            char buf[4096];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                return;
            into.append(buf, std::size_t(n));
        }
    }
    static void drain(int fd, std::string& into) {
        char buf[4096];
        ssize_t n;
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        while ((n = ::read(fd, buf, sizeof buf)) > 0)
            into.append(buf, std::size_t(n));
    }

    pid_t m_pid = -1;
    int m_stdin = -1, m_stdout = -1, m_stderr = -1;
    int m_status = -1;
    std::string m_log;
};

// The port as TRAVEK's driver opens it: raw, through the mapped name.
struct Port {
    int fd;
    explicit Port(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios t{};
        if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(fd, TCSANOW, &t);
        }
    }
    ~Port() {
        if (fd >= 0)
            ::close(fd);
    }
    void send(const std::string& text) const {
        ASSERT_EQ(::write(fd, text.data(), text.size()), ssize_t(text.size()));
    }
    // Bytes up to and including the n-th CR (and the byte after it when lineEnds says CR LF).
    std::string receiveLines(int n, bool crlf) const {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
        auto complete = [&] {
            int crs = 0;
            for (std::size_t i = 0; i < got.size(); ++i)
                if (got[i] == '\r' && ++crs == n)
                    return !crlf || i + 1 < got.size();
            return false;
        };
        while (!complete()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0)
                break;
            char buf[256];
            const ssize_t k = ::read(fd, buf, sizeof buf);
            if (k <= 0)
                break;
            got.append(buf, std::size_t(k));
        }
        return got;
    }
};

const char* const BoxDefinition =
    "[PARAMETER]\r\nMW_SIGN1=A_\r\nMW_SIGN2=B_\r\nMW_SIGN3=C_\r\nMWI_SIGN1=E1\r\n"
    "MWI_SIGN2=E2\r\nMWI_SIGN3=E3\r\nMWI_SIGN7=E7\r\nDISALL=D0\r\nSTARTPOS=5\r\nENDPOS=13\r\n";

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

TEST(TravekSim, ServesTravekOverTheLinkAndRemovesItOnSigterm) {
    test::TempDir dir;
    dir.write("box.val", BoxDefinition); // named in other letter case on the command line
    dir.write("values.txt", "12,5\n-3.25\n");
    const std::string link = dir.file("COM1");
    SimProcess sim({"--link", link, "--values", dir.file("values.txt"), "--crlf", dir.file("BOX.VAL")});
    const std::string first = sim.firstOutputLine();
    ASSERT_THAT(first, testing::StartsWith("pty /dev/pts/")) << sim.waitForLog("\n");
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(first.substr(4), target);

    Port port(link);
    ASSERT_GE(port.fd, 0);
    port.send("D0\rE3\rE2\r");
    EXPECT_THAT(sim.waitForLog("channel 2 on"), HasSubstr("command \"D0\" -> all channels off"));

    test::ReceivingEnd travek;
    loadInterfaceDefinition(travek.definition, dir.file("box.val"));
    travek.expect({2, 2, 3});
    sim.input("2\n"); // channel 2 once
    sim.input("1\n"); // off: nothing
    sim.input("\n");  // foot switch: channels 2 and 3
    travek.feed(port.receiveLines(3, true));
    EXPECT_THAT(travek.identified, ElementsAre("2 [OK]", "2 [OK]", "3 [OK]"));
    EXPECT_THAT(travek.typed, ElementsAre("12,500", "-3,250", "12,500")); // the list starts again
    EXPECT_THAT(sim.waitForLog("channel 1 is off"), HasSubstr("channel 1 is off"));

    EXPECT_EQ(sim.wait(SIGTERM), 0) << sim.log();
    EXPECT_FALSE(exists(link));
}

// A burst waits for a reader that has the port open however long it takes; only with the port
// closed do piled-up lines go, and then whole, so the next reader starts at a line.
TEST(TravekSim, KeepsABurstForAReaderAndDropsOnlyWholeLinesWhenNobodyHasThePort) {
    test::TempDir dir;
    dir.write("BOX.VAL", BoxDefinition);
    dir.write("values.txt", "12,5\n");
    const std::string link = dir.file("COM1");
    SimProcess sim({"--link", link, "--values", dir.file("values.txt"), "--crlf", dir.file("BOX.VAL")});
    ASSERT_THAT(sim.firstOutputLine(), testing::StartsWith("pty "));
    std::string burst;
    for (int i = 0; i < 300; ++i) // far more than a driver buffer
        burst += "2\n";
    const std::string marker = "99\n"; // logged once the requests before it are served
    test::ReceivingEnd travek;
    loadInterfaceDefinition(travek.definition, dir.file("BOX.VAL"));
    travek.expect({2});
    {
        Port port(link);
        port.send("E2\r");
        sim.waitForLog("channel 2 on");
        sim.input(burst + marker);
        ASSERT_NE(sim.waitForLog("input \"99\" ignored").find("ignored"), std::string::npos);
        travek.feed(port.receiveLines(300, true));
        EXPECT_EQ(travek.typed.size(), 300u);
        EXPECT_EQ(travek.identified, std::vector<std::string>(300, "2 [OK]"));
    }
    sim.input(burst + marker);
    ASSERT_NE(sim.waitForLog("nobody has the port open").find("unread lines dropped"), std::string::npos);
    Port port(link);
    sim.input("2\n");
    const std::string rest = port.receiveLines(1, true);
    travek.typed.clear();
    travek.identified.clear();
    travek.feed(rest);
    const auto lines = static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '\r'));
    EXPECT_GE(lines, 1u);
    EXPECT_EQ(travek.identified, std::vector<std::string>(lines, "2 [OK]")) << rest;
    EXPECT_EQ(sim.wait(SIGTERM), 0);
}

TEST(TravekSim, SendsOnItsIntervalWithAllChannelsOn) {
    test::TempDir dir;
    dir.write("BOX.VAL", BoxDefinition);
    SimProcess sim({"--all-on", "--interval", "20", "--seed", "3", "--min", "-9", "--max", "9", "--point",
                    dir.file("BOX.VAL")});
    const std::string first = sim.firstOutputLine();
    ASSERT_THAT(first, testing::StartsWith("pty "));
    Port port(first.substr(4));
    test::ReceivingEnd travek;
    loadInterfaceDefinition(travek.definition, dir.file("BOX.VAL"));
    travek.expect({1, 2, 3});
    // Lines already queued before the port was opened may start anywhere in the channel order.
    travek.feed(port.receiveLines(9, false));
    EXPECT_EQ(travek.identified.size(), 9u);
    for (const std::string& text : travek.identified)
        EXPECT_THAT(text, testing::AnyOf("1 [OK]", "2 [OK]", "3 [OK]"));
    EXPECT_FALSE(travek.typed.empty());
    EXPECT_EQ(sim.wait(SIGINT), 0) << sim.log();
}

TEST(TravekSim, RefusesWhatItCannotServe) {
    test::TempDir dir;
    dir.write("BOX.VAL", BoxDefinition);
    {
        SimProcess sim({dir.file("NOPE.VAL")});
        EXPECT_EQ(sim.wait(), 1);
        EXPECT_THAT(sim.log(), HasSubstr("no definition file"));
    }
    {
        SimProcess sim({"--bogus", dir.file("BOX.VAL")});
        EXPECT_EQ(sim.wait(), 2);
        EXPECT_THAT(sim.log(), HasSubstr("unknown option \"--bogus\""));
    }
    {
        // The value field (positions 5..13) is too short for values of 1e9.
        SimProcess sim({"--all-on", "--max", "1e9", dir.file("BOX.VAL")});
        EXPECT_EQ(sim.wait(), 1);
        EXPECT_THAT(sim.log(), HasSubstr("holds 9 characters"));
    }
    {
        // A regular file where the link should go stays as it is.
        dir.write("COM1", "keep me");
        SimProcess sim({"--link", dir.file("COM1"), dir.file("BOX.VAL")});
        EXPECT_EQ(sim.wait(), 1);
        EXPECT_THAT(sim.log(), HasSubstr("not a symbolic link"));
        EXPECT_EQ(dir.read("COM1"), "keep me");
    }
    {
        // A stale link is replaced; TRAVEK switching on channel 7, which has no identifier, ends
        // the simulator, and the link goes with it.
        ASSERT_EQ(::symlink("/dev/pts/nonexistent", dir.file("COM2").c_str()), 0);
        SimProcess sim({"--link", dir.file("COM2"), dir.file("BOX.VAL")});
        ASSERT_THAT(sim.firstOutputLine(), testing::StartsWith("pty "));
        Port port(dir.file("COM2"));
        ASSERT_GE(port.fd, 0);
        port.send("D0\rE7\r");
        EXPECT_EQ(sim.wait(), 1);
        EXPECT_THAT(sim.log(), HasSubstr("channel 7, which has no identifier"));
        EXPECT_FALSE(exists(dir.file("COM2")));
    }
    {
        SimProcess sim({"--all-on", dir.file("BOX.VAL")});
        sim.input("5\n"); // requested, but no identifier
        EXPECT_EQ(sim.wait(), 1);
        EXPECT_THAT(sim.log(), HasSubstr("channel 5 was requested but has no identifier"));
    }
}
