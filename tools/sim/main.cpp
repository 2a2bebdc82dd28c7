// travek-sim: a measuring interface box on a pseudo terminal, for trying TRAVEK without hardware
// and for checking an interface definition before the box arrives.

#include "GaugeBox.h"
#include "SimOptions.h"
#include "ValueSource.h"
#include "core/files/FileIo.h"
#include "core/gauge/InterfaceDefinition.h"
#include "core/text/TextHelpers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <iostream>
#include <optional>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace travek;
using namespace travek::sim;

namespace {

// Ends the simulator with exit status 1; the message goes to standard error.
class Fatal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void log(const std::string& text) {
    std::cerr << "travek-sim: " << text << std::endl;
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

int signalPipe[2] = {-1, -1};

void onSignal(int signo) {
    const int saved = errno;
    const char byte = static_cast<char>(signo);
    (void)!::write(signalPipe[1], &byte, 1);
    errno = saved;
}

void installSignalHandlers() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Fatal(systemError("pipe"));
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// The definition file as the loader would find it: the folder is searched without regard to
// letter case. The loader itself reads a missing file as one without keys, which would silently
// simulate a box with no channels at all.
std::string locateDefinition(const std::string& given) {
    const auto slash = given.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : given.substr(0, slash));
    const std::string name = slash == std::string::npos ? given : given.substr(slash + 1);
    const std::string path = findPathIgnoreCase(given);
    struct stat st {};
    if (name.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        throw Fatal("no definition file \"" + given + "\" (looked for \"" + name + "\" in " + folder +
                    " without regard to letter case)");
    if (!readWholeFile(path))
        throw Fatal(systemError("cannot read the definition file \"" + path + "\""));
    return path;
}

// The pseudo terminal. The simulator keeps the slave side open itself, so that the master
// neither reports a hang-up nor fails reads while TRAVEK has the port closed (between runs,
// while it reopens the port).
struct Pty {
    int master = -1;
    int slave = -1;
    std::string slaveName;

    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            throw Fatal(systemError("cannot create a pseudo terminal"));
        const char* name = ::ptsname(master);
        if (!name)
            throw Fatal(systemError("ptsname"));
        slaveName = name;
        slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0)
            throw Fatal(systemError("cannot open " + slaveName));
        // Raw: a CR must reach TRAVEK as CR (not turned into LF), and nothing is echoed back.
        termios t{};
        if (::tcgetattr(slave, &t) == 0) {
            ::cfmakeraw(&t);
            t.c_cflag |= CLOCAL | CREAD;
            ::tcsetattr(slave, TCSANOW, &t);
        }
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Lines pile up in the terminal while TRAVEK has the port closed; a real port's driver would
    // have dropped them. Every driver buffer's worth of lines sent, the simulator looks whether
    // anybody has the port open, and drops what piled up only when nobody has: TRAVEK busy typing
    // a burst reads it all later, and a flush under a reader would cut the line it is reading.
    // What waits in the simulator goes with it, so the next reader starts at a line. (The
    // terminal's own count of unread bytes stops at about a kilobyte while nobody reads, so the
    // bytes are counted here.)
    void dropStaleInput(std::string& waiting, std::size_t sending) {
        m_sentSinceLook += sending;
        if (m_sentSinceLook <= 2048)
            return;
        m_sentSinceLook = 0;
        if (openedElsewhere())
            return;
        int queued = 0;
        ::ioctl(slave, FIONREAD, &queued);
        ::tcflush(slave, TCIFLUSH);
        log("nobody has the port open: unread lines dropped (" + std::to_string(queued) +
            " bytes in the terminal, " + std::to_string(static_cast<int>(waiting.size())) +
            " waiting to be sent)");
        waiting.clear();
    }
    std::size_t m_sentSinceLook = 0;

    // Whether a process other than this one has the terminal's slave side open (the same device of
    // the same devpts instance: every container numbers its ptys from 0). Read from /proc,
    // which is asked only when lines pile up; where it cannot be read, the answer is yes, so that
    // nothing is dropped on a guess.
    bool openedElsewhere() const {
        struct stat own {};
        if (::fstat(slave, &own) != 0)
            return true;
        DIR* processes = ::opendir("/proc");
        if (!processes)
            return true;
        const std::string self = std::to_string(static_cast<int>(::getpid()));
        bool found = false;
        while (const dirent* process = ::readdir(processes)) {
            const std::string pid = process->d_name;
            if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
                continue;
            const std::string fdDir = "/proc/" + pid + "/fd";
            DIR* fds = ::opendir(fdDir.c_str());
            if (!fds)
                continue; // ended meanwhile, or another user's: such a process cannot have our pty
            while (const dirent* fd = ::readdir(fds)) {
                struct stat st {};
                if (fd->d_name[0] != '.' && ::stat((fdDir + "/" + fd->d_name).c_str(), &st) == 0 &&
                    S_ISCHR(st.st_mode) && st.st_rdev == own.st_rdev && st.st_dev == own.st_dev) {
                    found = true;
                    break;
                }
            }
            ::closedir(fds);
            if (found)
                break;
        }
        ::closedir(processes);
        return found;
    }
};

// The symbolic link that --link asks for, removed again at the end if it still points to us.
struct Link {
    std::string path;
    std::string target;

    Link(std::string linkPath, std::string linkTarget)
        : path(std::move(linkPath)), target(std::move(linkTarget)) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode))
                throw Fatal("\"" + path + "\" exists and is not a symbolic link; it is left alone");
            if (::unlink(path.c_str()) != 0)
                throw Fatal(systemError("cannot replace the link \"" + path + "\""));
        }
        if (::symlink(target.c_str(), path.c_str()) != 0)
            throw Fatal(systemError("cannot make the link \"" + path + "\""));
    }
    ~Link() {
        char buf[4096];
        const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
        if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == target)
            ::unlink(path.c_str());
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
};

class Session {
public:
    Session(const SimOptions& options, const InterfaceDefinition& definition, ValueSource values)
        : m_options(options),
          m_box(definition, LineStyle{options.Decimals, options.DecimalSeparator, options.CrLf}),
          m_values(std::move(values)) {
        for (double v : m_values.extremes())
            m_valueWidth = std::max(m_valueWidth, m_box.valueText(v).size());
        if (options.AllOn) {
            for (int n = 1; n <= MaxChannels; ++n)
                if (m_box.hasIdentifier(n))
                    switchOn(n, "--all-on");
            if (m_box.activeChannels().empty())
                log("--all-on: no channel of the definition has an identifier");
        }
    }

    int run() {
        Pty pty; // a pseudo terminal has no line speed: the definition's is not needed
        std::optional<Link> link;
        if (!m_options.LinkPath.empty())
            link.emplace(m_options.LinkPath, pty.slaveName);
        std::cout << "pty " << pty.slaveName << std::endl;
        if (link)
            log("link " + link->path + " -> " + pty.slaveName);
        m_pty = &pty;

        using Clock = std::chrono::steady_clock;
        const auto interval = std::chrono::milliseconds(m_options.IntervalMs);
        auto nextTick = Clock::now() + interval;
        bool stdinOpen = true;
        std::string stdinBuffer;
        for (;;) {
            const short ptyEvents = static_cast<short>(POLLIN | (m_waiting.empty() ? 0 : POLLOUT));
            pollfd fds[3] = {{signalPipe[0], POLLIN, 0}, {pty.master, ptyEvents, 0}, {0, POLLIN, 0}};
            int timeout = -1;
            if (m_options.IntervalMs > 0) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - Clock::now());
                timeout = int(std::max<long long>(0, left.count() + 1));
            }
            if (::poll(fds, stdinOpen ? 3 : 2, timeout) < 0) {
                if (errno == EINTR)
                    continue;
                throw Fatal(systemError("poll"));
            }
            if (fds[0].revents & POLLIN) {
                char signo = 0;
                (void)!::read(signalPipe[0], &signo, 1);
                log(std::string("stopped by ") + (signo == SIGINT ? "SIGINT" : "SIGTERM"));
                return 0;
            }
            if (fds[1].revents & (POLLERR | POLLNVAL))
                throw Fatal("the pseudo terminal failed");
            if (fds[1].revents & POLLIN)
                readCommands(pty.master);
            if (fds[1].revents & POLLOUT)
                writeWaiting();
            if (stdinOpen && (fds[2].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)))
                stdinOpen = readRequests(stdinBuffer);
            if (m_options.IntervalMs > 0 && Clock::now() >= nextTick) {
                sendActive();
                nextTick += interval;
                if (nextTick < Clock::now())
                    nextTick = Clock::now() + interval;
            }
        }
    }

private:
    void switchOn(int channel, const std::string& reason) {
        if (const std::string problem = m_box.layoutProblem(channel, m_valueWidth); !problem.empty())
            throw Fatal(reason + ": channel " + std::to_string(channel) + " cannot be served: " + problem);
        m_box.switchOn(channel);
    }

    void readCommands(int master) {
        char buf[4096];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (n <= 0)
            throw Fatal(systemError("reading the pseudo terminal"));
        for (const CommandResult& result :
             m_box.receive(std::string_view(buf, static_cast<std::size_t>(n)))) {
            log(result.describe());
            if (result.Result == CommandResult::NoIdentifier)
                throw Fatal("TRAVEK switched on channel " + std::to_string(result.Channels.front()) +
                            ", which has no identifier (MW_SIGN" + std::to_string(result.Channels.front()) +
                            " is empty): its lines could never be recognised");
            if (result.Result == CommandResult::ChannelOn)
                switchOn(result.Channels.front(), "command " + GaugeBox::quoted(result.Command));
        }
    }

    // Gives false once standard input has ended.
    bool readRequests(std::string& buffer) {
        char buf[1024];
        const ssize_t n = ::read(0, buf, sizeof buf);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return true;
        if (n <= 0) {
            if (!buffer.empty())
                request(buffer);
            buffer.clear();
            return false;
        }
        buffer.append(buf, static_cast<std::size_t>(n));
        std::size_t lf;
        while ((lf = buffer.find('\n')) != std::string::npos) {
            const std::string line = buffer.substr(0, lf);
            buffer.erase(0, lf + 1);
            request(line);
        }
        return true;
    }

    void request(const std::string& input) {
        const std::string_view text = trim(input);
        if (text.empty()) {
            if (m_box.activeChannels().empty())
                log("trigger: no channel is on");
            sendActive();
            return;
        }
        if (text.find_first_not_of("0123456789") != std::string::npos || text.size() > 3) {
            log("input \"" + std::string(text) +
                "\" ignored: give a channel number, or an empty line for all");
            return;
        }
        const int channel = leadingInt(text);
        if (channel < 1 || channel > MaxChannels) {
            log("input \"" + std::string(text) + "\" ignored: channels are 1 to 48");
            return;
        }
        if (!m_box.hasIdentifier(channel))
            throw Fatal("channel " + std::to_string(channel) +
                        " was requested but has no identifier (MW_SIGN" + std::to_string(channel) +
                        " is empty)");
        if (!m_box.isOn(channel) && !m_options.Force) {
            log("channel " + std::to_string(channel) + " is off; nothing sent (--force sends it anyway)");
            return;
        }
        if (const std::string problem = m_box.layoutProblem(channel, m_valueWidth); !problem.empty())
            throw Fatal("channel " + std::to_string(channel) + " cannot be served: " + problem);
        send(channel);
    }

    void sendActive() {
        for (int channel : m_box.activeChannels())
            send(channel);
    }

    void send(int channel) {
        const double value = m_values.next(channel);
        std::string line;
        try {
            line = m_box.lineText(channel, value);
        } catch (const LayoutError& e) {
            throw Fatal(e.what());
        }
        const int seenAs = m_box.identify(line);
        std::string note = "channel " + std::to_string(channel) + ": " +
                           GaugeBox::quoted(line + m_box.lineEnd()) + " (" + m_box.valueText(value) + ")";
        if (seenAs != channel)
            note += "; warning: TRAVEK will take this line for channel " + std::to_string(seenAs);
        log(note);
        const std::string bytes = line + m_box.lineEnd();
        m_pty->dropStaleInput(m_waiting, bytes.size());
        // Whole lines only: what the terminal does not take now waits here, in order, for the
        // terminal to take more.
        m_waiting += bytes;
        writeWaiting();
    }

    void writeWaiting() {
        while (!m_waiting.empty()) {
            const ssize_t written = ::write(m_pty->master, m_waiting.data(), m_waiting.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0 && errno == EAGAIN)
                return;
            if (written <= 0) {
                log(systemError("lines not sent") + ": " +
                    std::to_string(static_cast<int>(m_waiting.size())) + " bytes dropped");
                m_waiting.clear();
                return;
            }
            m_waiting.erase(0, static_cast<std::size_t>(written));
        }
    }

    const SimOptions& m_options;
    GaugeBox m_box;
    ValueSource m_values;
    std::size_t m_valueWidth = 0;
    Pty* m_pty = nullptr;
    // Bytes of whole lines that the terminal has not taken yet.
    std::string m_waiting;
};

int simulate(const SimOptions& options) {
    installSignalHandlers();
    const std::string path = locateDefinition(options.DefinitionFile);
    static InterfaceDefinition definition;
    loadInterfaceDefinition(definition, path);
    int withIds = 0;
    for (int n = 1; n <= MaxChannels; ++n)
        withIds += !definition.channelIds[n].empty();
    log("definition " + path + ": " + std::to_string(withIds) + " channels with identifiers, STARTPOS " +
        std::to_string(definition.startPos) + ", ENDPOS " + std::to_string((definition.endPos + 255) % 256) +
        ", end character " + std::to_string(definition.endChar1));

    std::optional<ValueSource> values;
    try {
        if (!options.ValuesFile.empty()) {
            values = ValueSource::fixedList(ValueSource::readValueFile(options.ValuesFile), options.Decimals);
        } else {
            const std::uint32_t seed = options.Seed ? *options.Seed : std::random_device{}();
            if (!options.Seed)
                log("seed " + std::to_string(seed));
            values = ValueSource::randomWalk(options.Min, options.Max, options.Decimals, seed);
        }
    } catch (const std::runtime_error& e) {
        throw Fatal(e.what());
    }
    Session session(options, definition, std::move(*values));
    return session.run();
}

} // namespace

int main(int argc, char** argv) {
    // A closed standard descriptor would be reused by the terminal and then taken for it.
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0)
            ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    SimOptions options;
    try {
        options = SimOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "travek-sim: " << e.what() << std::endl;
        return 2;
    }
    if (options.Help) {
        std::cout << SimOptions::helpText();
        return 0;
    }
    try {
        return simulate(options);
    } catch (const Fatal& e) {
        std::cerr << "travek-sim: error: " << e.what() << std::endl;
        return 1;
    }
}
