#include "core/loop/SocketWatch.h"

#include "core/text/TextHelpers.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>

namespace travek {

namespace {

// Windows waits on objects, not on sockets: WSAEventSelect makes an event that the socket signals
// when a connection is made or fails, bytes arrive, room to write appears again, or it closes.
// Room to write is signalled only after a send found none, so a wish to write that comes while
// there is room is served at once by a task of its own.
class Win32SocketWatch : public SocketWatch {
public:
    Win32SocketWatch(EventLoop& loop, SOCKET socket, OnReady onReady)
        : m_loop(loop), m_socket(socket), m_event(::WSACreateEvent()), m_onReady(std::move(onReady)) {
        ::WSAEventSelect(m_socket, m_event, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
        m_watch = loop.watchReadable(reinterpret_cast<std::intptr_t>(m_event), [this] { signalled(); });
    }
    ~Win32SocketWatch() override {
        m_watch.reset();
        // The socket may be closed already (the library closes it when the connection fails).
        ::WSAEventSelect(m_socket, nullptr, 0);
        ::WSACloseEvent(m_event);
    }
    Win32SocketWatch(const Win32SocketWatch&) = delete;
    Win32SocketWatch& operator=(const Win32SocketWatch&) = delete;

    void wantWrite(bool want) override {
        if (want && !m_wantWrite)
            m_kick = m_loop.after(std::chrono::milliseconds(0), [this] { report(0); });
        m_wantWrite = want;
    }

private:
    void signalled() {
        WSANETWORKEVENTS events{};
        int error = 0;
        if (::WSAEnumNetworkEvents(m_socket, m_event, &events) != 0) {
            // A closed socket: the event would stay signalled and wake the loop forever.
            ::WSAResetEvent(m_event);
        } else if ((events.lNetworkEvents & FD_CONNECT) && events.iErrorCode[FD_CONNECT_BIT] != 0) {
            error = events.iErrorCode[FD_CONNECT_BIT];
        } else if ((events.lNetworkEvents & FD_CLOSE) && events.iErrorCode[FD_CLOSE_BIT] != 0) {
            error = events.iErrorCode[FD_CLOSE_BIT];
        }
        report(error);
    }
    void report(int error) {
        const OnReady onReady = m_onReady; // may end this watch
        onReady(error);
    }

    EventLoop& m_loop;
    SOCKET m_socket;
    WSAEVENT m_event;
    OnReady m_onReady;
    std::unique_ptr<EventLoop::Watch> m_watch;
    EventLoop::Task m_kick;
    bool m_wantWrite = false;
};

} // namespace

std::unique_ptr<SocketWatch> SocketWatch::watch(EventLoop& loop, std::intptr_t socket, OnReady onReady) {
    return std::make_unique<Win32SocketWatch>(loop, static_cast<SOCKET>(socket), std::move(onReady));
}

std::string networkErrorText(int error) {
    switch (error) {
    case WSAECONNREFUSED:
        return "Verbindung abgewiesen";
    case WSAETIMEDOUT:
        return "keine Antwort";
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
    case WSAEHOSTDOWN:
        return "Rechner nicht erreichbar";
    case WSAECONNRESET:
    case WSAECONNABORTED:
        return "Verbindung abgebrochen";
    default:
        break;
    }
    char* text = nullptr;
    ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = text ? text : "Netzwerkfehler " + std::to_string(error);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

bool lookUpHost(const std::string& host, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (status != 0) {
        error = networkErrorText(status);
        return false;
    }
    ::freeaddrinfo(found);
    return true;
}

} // namespace travek
