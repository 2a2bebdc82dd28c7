#pragma once

#include "core/publish/BrokerSettings.h"

#include <functional>
#include <memory>
#include <string>

namespace travek {

class EventLoop;

// The connection to an MQTT broker, as the publisher uses it: one attempt at a time, one message
// in flight at a time, each outcome reported later through the handlers, never inside the call
// that caused it. Defined by the platform layer on the broker's own client library, driven from
// the EventLoop (no thread of the library's), so that it never holds up typing or the window.
class BrokerClient {
public:
    struct Handlers {
        // The broker accepted the connection.
        std::function<void()> connected;
        // The broker acknowledged the message published last (QoS 1).
        std::function<void()> acknowledged;
        // The attempt failed or the connection ended; the reason in words ("Verbindung
        // abgewiesen", "nicht berechtigt", "TLS: Zertifikat abgelaufen"...).
        std::function<void(const std::string& reason)> ended;
    };

    static std::unique_ptr<BrokerClient> create(EventLoop& loop, const BrokerSettings& settings,
                                                Handlers handlers);

    virtual ~BrokerClient() = default;
    // Begins an attempt to connect; connected or ended follows.
    virtual void connect() = 0;
    // Sends payload to topic with QoS 1 on the connection; acknowledged or ended follows.
    virtual void publish(const std::string& topic, const std::string& payload) = 0;
    // Ends the connection or the attempt; nothing follows.
    virtual void disconnect() = 0;
};

// Whether this build's client library speaks TLS (the Windows build has none yet).
bool brokerTlsAvailable();

} // namespace travek
