#include "core/loop/SocketWatch.h"

#include "core/text/TextHelpers.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <sys/socket.h>

namespace travek {

namespace {

class PosixSocketWatch : public SocketWatch {
public:
    PosixSocketWatch(EventLoop& loop, int fd, OnReady onReady) : m_fd(fd), m_onReady(std::move(onReady)) {
        m_read = loop.watchReadable(fd, [this] { ready(); });
        m_write = loop.watchWritable(fd, [this] { ready(); });
        m_write->setEnabled(false);
    }

    void wantWrite(bool want) override { m_write->setEnabled(want); }

private:
    // A connection that failed reports itself readable and writable; its error says why, and is
    // taken here so that it is said once.
    void ready() {
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
            error = errno;
        const OnReady onReady = m_onReady; // may end this watch
        onReady(error);
    }

    int m_fd;
    OnReady m_onReady;
    std::unique_ptr<EventLoop::Watch> m_read;
    std::unique_ptr<EventLoop::Watch> m_write;
};

} // namespace

std::unique_ptr<SocketWatch> SocketWatch::watch(EventLoop& loop, std::intptr_t socket, OnReady onReady) {
    return std::make_unique<PosixSocketWatch>(loop, static_cast<int>(socket), std::move(onReady));
}

std::string networkErrorText(int error) {
    switch (error) {
    case ECONNREFUSED:
        return "Verbindung abgewiesen";
    case ETIMEDOUT:
        return "keine Antwort";
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
        return "Rechner nicht erreichbar";
    case ECONNRESET:
    case EPIPE:
    case ECONNABORTED:
        return "Verbindung abgebrochen";
    default:
        return systemTextToWin1252(std::strerror(error));
    }
}

bool lookUpHost(const std::string& host, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (status != 0) {
        error = systemTextToWin1252(status == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(status));
        return false;
    }
    ::freeaddrinfo(found);
    return true;
}

} // namespace travek
