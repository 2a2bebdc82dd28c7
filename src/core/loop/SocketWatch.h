#pragma once

#include "core/loop/EventLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace travek {

// A network socket (a POSIX descriptor, a Winsock SOCKET) watched on the EventLoop: for bytes to
// read always, for room to write while that is wanted. Defined by the platform layer, because
// Windows cannot wait on a socket itself, only on an event that the socket signals.
class SocketWatch {
public:
    // error is 0, or the system's code of the socket's failure (a connection refused or reset),
    // which networkErrorText() puts in words. The callback may end the watch.
    using OnReady = std::function<void(int error)>;

    static std::unique_ptr<SocketWatch> watch(EventLoop& loop, std::intptr_t socket, OnReady onReady);

    virtual ~SocketWatch() = default;
    // While wanted, onReady is called also when the socket can take bytes.
    virtual void wantWrite(bool want) = 0;
};

// The words for a system's network error code: the usual ones in TRAVEK's, others in the system's.
std::string networkErrorText(int error);

// Whether host has an address, looked up as the system does (hosts file, DNS); the reason in error
// when not. It may wait for seconds when a name server does not answer: called on a thread of its
// own, so that a name server that does not answer holds that thread and not the window's: the
// client library, which looks the name up again itself, is given only names known to have one.
bool lookUpHost(const std::string& host, std::string& error);

} // namespace travek
