// Plays the device for the Windows serial test: creates a pty, links it as COM ports of a wine
// prefix, runs the test program and sends back every byte the program writes.
//
//   serial_pty_echo <dosdevices dir> <com5,com42,...> <program> [args...]
//
// Exits with the program's exit status.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <dosdevices dir> <com names> <program> [args...]\n", argv[0]);
        return 2;
    }
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("pty");
        return 2;
    }
    const std::string slavePath = ::ptsname(master);
    // Holding the slave open keeps the master from reporting a hang-up between the program's
    // opens; it is made raw so nothing is echoed or translated before the program sets it up.
    const int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::tcgetattr(master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master, TCSANOW, &tio);

    std::vector<std::string> links;
    const std::string names = argv[2];
    for (std::size_t begin = 0; begin <= names.size();) {
        std::size_t end = names.find(',', begin);
        if (end == std::string::npos)
            end = names.size();
        const std::string link = std::string(argv[1]) + "/" + names.substr(begin, end - begin);
        ::unlink(link.c_str());
        if (::symlink(slavePath.c_str(), link.c_str()) != 0) {
            std::perror(link.c_str());
            return 2;
        }
        links.push_back(link);
        begin = end + 1;
    }

    const pid_t child = ::fork();
    if (child == 0) {
        ::close(master);
        ::close(slave);
        ::execvp(argv[3], argv + 3);
        std::perror(argv[3]);
        ::_exit(127);
    }

    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        pollfd pfd{master, POLLIN, 0};
        if (::poll(&pfd, 1, 100) > 0 && (pfd.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            for (ssize_t sent = 0; n > 0 && sent < n;) {
                const ssize_t w = ::write(master, buffer + sent, static_cast<std::size_t>(n - sent));
                if (w < 0 && errno != EINTR)
                    break;
                sent += w > 0 ? w : 0;
            }
        }
    }
    for (const std::string& link : links)
        ::unlink(link.c_str());
    ::close(slave);
    ::close(master);
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 1;
}
