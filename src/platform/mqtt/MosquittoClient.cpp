#include "core/publish/BrokerClient.h"

#include "core/loop/EventLoop.h"
#include "core/loop/SocketWatch.h"
#include "core/text/TextHelpers.h"
#include "platform/mqtt/BrokerTls.h"

#include <mosquitto.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace travek {

namespace {

using namespace std::chrono_literals;

constexpr int KeepAliveSeconds = 30;
// From the start of an attempt (the name's look-up included) to the broker's answer.
constexpr std::chrono::milliseconds AttemptTimeout = 15s;
constexpr std::chrono::milliseconds AcknowledgeTimeout = 30s;
constexpr std::chrono::milliseconds HousekeepingPeriod = 1s;
// A TLS handshake takes a few turns. A connection that the broker closes in the middle of one is
// taken by the library for one that has to wait, and reports itself readable for ever: after this
// many turns without the broker's answer the attempt is given up rather than spun on.
constexpr int MostTurnsBeforeAnswer = 200;

// The outcome of a name's look-up, on a thread of its own. A name server that does not answer
// holds that thread for as long as it likes: the thread may outlive the attempt, so both hold this.
struct Lookup {
    std::mutex mutex;
    bool done = false;
    bool found = false;
    std::string error;
};

std::string connackReason(int code, const BrokerSettings& settings) {
    switch (code) {
    case 1:
        return "Protokollversion vom Broker abgelehnt";
    case 2:
        return "Client-ID " + settings.clientId + " vom Broker abgelehnt";
    case 3:
        return "Broker nicht verf\xFCgbar";
    case 4:
        return "nicht berechtigt: Benutzer oder Passwort falsch";
    case 5:
        return "nicht berechtigt (Benutzer/Passwort)";
    default:
        return "Verbindung vom Broker abgelehnt (Code " + std::to_string(code) + ")";
    }
}

// libmosquitto driven by TRAVEK's own loop: mosquitto_loop_read and mosquitto_loop_write when its
// socket is ready, mosquitto_loop_misc every second for the keep-alive. The library's callbacks
// only note what happened; it is acted on once the library has returned, because a handler may
// publish the next message or end the connection, which the library does not allow from inside
// its callbacks.
class MosquittoClient : public BrokerClient {
public:
    MosquittoClient(EventLoop& loop, BrokerSettings settings, Handlers handlers)
        : m_loop(loop), m_settings(std::move(settings)), m_handlers(std::move(handlers)) {
        static const int initialised = mosquitto_lib_init();
        (void)initialised;
    }
    ~MosquittoClient() override { drop(); }
    MosquittoClient(const MosquittoClient&) = delete;
    MosquittoClient& operator=(const MosquittoClient&) = delete;

    void connect() override {
        drop();
        m_deadline = m_loop.after(AttemptTimeout, [this] {
            fail(m_mosq ? "keine Antwort von " + m_settings.address()
                        : "Rechner " + m_settings.host + " nicht gefunden (keine Antwort vom Namensdienst)");
        });
        auto lookup = std::make_shared<Lookup>();
        m_lookup = lookup;
        try {
            std::thread([lookup, host = m_settings.host] {
                std::string error;
                const bool found = lookUpHost(host, error);
                const std::lock_guard<std::mutex> lock(lookup->mutex);
                lookup->found = found;
                lookup->error = error;
                lookup->done = true;
            }).detach();
        } catch (const std::system_error& error) {
            later("kein Thread f\xFCr die Namensaufl\xF6sung: " + systemTextToWin1252(error.what()));
            return;
        }
        awaitLookup();
    }

    void publish(const std::string& topic, const std::string& payload) override {
        if (!m_mosq || !m_connected) {
            later("nicht verbunden");
            return;
        }
        int id = 0;
        const int rc = mosquitto_publish(m_mosq, &id, topic.c_str(), static_cast<int>(payload.size()),
                                         payload.data(), 1, false);
        const int error = errno;
        if (rc != MOSQ_ERR_SUCCESS) {
            later(reason(rc, error));
            return;
        }
        m_inFlight = id;
        m_acknowledge = m_loop.after(AcknowledgeTimeout, [this] { fail("keine Quittung vom Broker"); });
        followSocket();
    }

    void disconnect() override { drop(); }

private:
    void awaitLookup() {
        m_lookupPoll = m_loop.after(5ms, [this] {
            bool done = false, found = false;
            std::string error;
            {
                const std::lock_guard<std::mutex> lock(m_lookup->mutex);
                done = m_lookup->done;
                found = m_lookup->found;
                error = m_lookup->error;
            }
            if (!done)
                awaitLookup();
            else if (!found)
                fail("Rechner " + m_settings.host + " nicht gefunden (" + error + ")");
            else
                open();
        });
    }

    void open() {
        m_mosq =
            mosquitto_new(m_settings.clientId.empty() ? nullptr : m_settings.clientId.c_str(), true, this);
        if (!m_mosq) {
            fail("Client-Bibliothek: " + systemTextToWin1252(std::strerror(errno)));
            return;
        }
        mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
        mosquitto_connect_callback_set(m_mosq, [](mosquitto*, void* self, int code) {
            static_cast<MosquittoClient*>(self)->m_connack = code;
        });
        mosquitto_publish_callback_set(m_mosq, [](mosquitto*, void* self, int id) {
            auto* client = static_cast<MosquittoClient*>(self);
            if (id == client->m_inFlight)
                client->m_acknowledged = true;
        });
        // Why a certificate was refused is asked while the library says it failed: it frees the
        // TLS connection, and the answer with it, before it returns.
        mosquitto_log_callback_set(m_mosq, [](mosquitto* mosq, void* self, int level, const char* text) {
            auto* client = static_cast<MosquittoClient*>(self);
            if (level != MOSQ_LOG_ERR || !text)
                return;
            client->m_libraryError = text;
            if (std::strstr(text, "host name verification failed"))
                client->m_tlsFailure = "Zertifikat nicht f\xFCr " + client->m_settings.host;
            else if (client->m_tlsFailure.empty())
                client->m_tlsFailure = tlsVerifyFailure(mosquitto_ssl_get(mosq));
        });
        if (!m_settings.user.empty())
            mosquitto_username_pw_set(m_mosq, m_settings.user.c_str(),
                                      m_settings.password.empty() ? nullptr : m_settings.password.c_str());
        if (!m_settings.caFile.empty()) {
            const int rc =
                mosquitto_tls_set(m_mosq, m_settings.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
            if (rc != MOSQ_ERR_SUCCESS) {
                fail("TLS: CAFILE " + m_settings.caFile + " nicht lesbar");
                return;
            }
            // The broker's certificate must verify, its name included: never silently unverified.
            mosquitto_tls_opts_set(m_mosq, 1, nullptr, nullptr);
            mosquitto_tls_insecure_set(m_mosq, false);
        }
        const int rc =
            mosquitto_connect_async(m_mosq, m_settings.host.c_str(), m_settings.port, KeepAliveSeconds);
        const int error = errno;
        if (rc != MOSQ_ERR_SUCCESS) {
            fail(reason(rc, error));
            return;
        }
        housekeep();
        afterLibrary();
    }

    void serve(int socketError) {
        if (socketError != 0) {
            fail(networkErrorText(socketError) + " (" + m_settings.address() + ")");
            return;
        }
        if (!m_connected && ++m_turns > MostTurnsBeforeAnswer) {
            fail("Verbindung vom Broker beendet (" + m_settings.address() + ")");
            return;
        }
        int rc = mosquitto_loop_read(m_mosq, 1);
        if (rc == MOSQ_ERR_SUCCESS && mosquitto_want_write(m_mosq))
            rc = mosquitto_loop_write(m_mosq, 1);
        const int error = errno;
        if (rc != MOSQ_ERR_SUCCESS) {
            fail(reason(rc, error));
            return;
        }
        afterLibrary();
    }

    void housekeep() {
        m_housekeeping = m_loop.after(HousekeepingPeriod, [this] {
            const int rc = mosquitto_loop_misc(m_mosq);
            if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) {
                fail(reason(rc, errno));
                return;
            }
            housekeep();
            afterLibrary();
        });
    }

    // The socket is new once the connection is begun and gone once the library has closed it; what
    // the callbacks noted is acted on last, since a handler may end this connection.
    void afterLibrary() {
        if (mosquitto_socket(m_mosq) < 0) {
            fail(m_connected ? "Verbindung verloren" : "keine Verbindung zu " + m_settings.address());
            return;
        }
        followSocket();
        const std::weak_ptr<bool> alive = m_alive;
        if (m_connack == 0 && !m_connected) {
            m_connected = true;
            m_deadline.cancel();
            m_handlers.connected();
            if (alive.expired() || !m_mosq)
                return;
        }
        if (m_acknowledged) {
            m_acknowledged = false;
            m_inFlight = -1;
            m_acknowledge.cancel();
            m_handlers.acknowledged();
        }
    }

    void followSocket() {
        const int socket = mosquitto_socket(m_mosq);
        if (socket != m_socket) {
            m_watch.reset();
            m_socket = socket;
            if (socket >= 0)
                m_watch = SocketWatch::watch(m_loop, socket, [this](int error) { serve(error); });
        }
        if (m_watch)
            m_watch->wantWrite(mosquitto_want_write(m_mosq));
    }

    std::string reason(int rc, int error) const {
        switch (rc) {
        case MOSQ_ERR_CONN_REFUSED:
            return connackReason(m_connack, m_settings);
        case MOSQ_ERR_ERRNO:
            return networkErrorText(error) + " (" + m_settings.address() + ")";
        case MOSQ_ERR_EAI:
            return "Rechner " + m_settings.host + " nicht gefunden";
        case MOSQ_ERR_TLS:
        case MOSQ_ERR_TLS_HANDSHAKE: {
            std::string why =
                m_tlsFailure.empty() ? tlsVerifyFailure(mosquitto_ssl_get(m_mosq)) : m_tlsFailure;
            if (why.empty())
                why = m_libraryError.empty() ? "Verbindung fehlgeschlagen"
                                             : systemTextToWin1252(m_libraryError);
            return "TLS: " + why;
        }
        case MOSQ_ERR_CONN_LOST:
        case MOSQ_ERR_NO_CONN:
            return m_connected ? "Verbindung verloren" : "Verbindung vom Broker beendet";
        case MOSQ_ERR_KEEPALIVE:
            return "keine Antwort vom Broker";
        case MOSQ_ERR_PROTOCOL:
        case MOSQ_ERR_MALFORMED_PACKET:
            return "Protokollfehler (ist " + m_settings.address() + " ein MQTT-Broker?)";
        default:
            return systemTextToWin1252(mosquitto_strerror(rc));
        }
    }

    // Tells why, after the caller has returned.
    void later(const std::string& why) {
        m_report = m_loop.after(0ms, [this, why] { fail(why); });
    }

    void fail(const std::string& why) {
        drop();
        m_handlers.ended(why);
    }

    void drop() {
        m_watch.reset();
        m_socket = -1;
        m_lookupPoll.cancel();
        m_deadline.cancel();
        m_acknowledge.cancel();
        m_housekeeping.cancel();
        m_report.cancel();
        if (m_mosq) {
            if (m_connected)
                mosquitto_disconnect(m_mosq);
            mosquitto_destroy(m_mosq);
            m_mosq = nullptr;
        }
        m_connected = false;
        m_connack = -1;
        m_turns = 0;
        m_acknowledged = false;
        m_inFlight = -1;
        m_libraryError.clear();
        m_tlsFailure.clear();
        m_alive = std::make_shared<bool>(true);
    }

    EventLoop& m_loop;
    const BrokerSettings m_settings;
    const Handlers m_handlers;
    mosquitto* m_mosq = nullptr;
    std::unique_ptr<SocketWatch> m_watch;
    int m_socket = -1;
    std::shared_ptr<Lookup> m_lookup;
    EventLoop::Task m_lookupPoll;
    EventLoop::Task m_deadline;
    EventLoop::Task m_acknowledge;
    EventLoop::Task m_housekeeping;
    EventLoop::Task m_report;
    bool m_connected = false;
    int m_turns = 0;
    // Noted by the library's callbacks.
    int m_connack = -1;
    int m_inFlight = -1;
    bool m_acknowledged = false;
    std::string m_libraryError;
    // Why the broker's certificate was refused, as the library said it; empty otherwise.
    std::string m_tlsFailure;
    // Replaced whenever the connection is dropped: a handler that dropped it is noticed.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace

std::unique_ptr<BrokerClient> BrokerClient::create(EventLoop& loop, const BrokerSettings& settings,
                                                   Handlers handlers) {
    return std::make_unique<MosquittoClient>(loop, settings, std::move(handlers));
}

} // namespace travek
