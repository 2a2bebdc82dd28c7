#pragma once

#include "core/loop/EventLoop.h"
#include "core/publish/BrokerClient.h"
#include "core/publish/LogOutbox.h"
#include "core/publish/ReconnectDelay.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace travek {

// Sends every record of the measurement log to the broker, and loses none on the way: the log is
// the outbox. A row is written to the log first; then wake() sends, one at a time with QoS 1,
// every record after the last one the broker acknowledged, whose Satz is kept in a small file
// beside the log (<log>.mqtt, replaced atomically). After a start or a lost connection it goes on
// from there, through rotated files too. Only the record in flight when a connection ends can
// reach a consumer twice; it recognises it by Station and Satz.
class Publisher {
public:
    struct Outputs {
        // notice() changed.
        std::function<void()> noticeChanged;
        // The connection came or went: the log gets a row that says so.
        std::function<void(const std::string& event)> event;
    };
    using ClientFactory = std::function<std::unique_ptr<BrokerClient>(EventLoop&, const BrokerSettings&,
                                                                      BrokerClient::Handlers)>;

    // The first attempt follows at once, from the loop.
    Publisher(EventLoop& loop, const BrokerSettings& settings, const std::string& logPath, Outputs outputs,
              const ClientFactory& createClient = BrokerClient::create);
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    // A row has been written to the log, into file (the log's name, or a file beside it).
    void wake(const std::string& file);

    // "MQTT: 3 Sätze nicht übertragen seit 09:14 – Verbindung abgewiesen (…)" while records wait
    // for a connection, "MQTT: <why>" while there is none and nothing waits; empty while connected.
    const std::string& notice() const { return m_notice; }
    bool connected() const { return m_connected; }
    // Why the last attempt failed or the connection ended; empty while connected.
    const std::string& failure() const { return m_failure; }
    long long acknowledged() const { return m_acknowledged; }
    const std::string& statePath() const { return m_statePath; }

    // The Satz the broker acknowledged last, from the file that keeps it; 0 when there is none.
    static long long readAcknowledged(const std::string& statePath);

private:
    void attempt();
    void brokerConnected();
    void brokerAcknowledged();
    void brokerEnded(const std::string& reason);
    void sendNext();
    void saveAcknowledged();
    void showNotice();

    EventLoop& m_loop;
    const BrokerSettings m_settings;
    const std::string m_topic;
    const std::string m_statePath;
    Outputs m_outputs;
    LogOutbox m_outbox;
    ReconnectDelay m_delay;
    std::unique_ptr<BrokerClient> m_client;
    EventLoop::Task m_retry;
    EventLoop::Task m_stable;
    bool m_connected = false;
    bool m_wasConnected = false;
    long long m_acknowledged = 0;
    std::optional<long long> m_inFlight;
    // Why there is no connection; empty while connected and before the first attempt ended.
    std::string m_failure;
    // Why the log or the state file could not be read or written; empty while they can.
    std::string m_fileFailure;
    std::string m_notice;
};

} // namespace travek
