#include "core/publish/Publisher.h"

#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <charconv>
#include <string_view>

namespace travek {

namespace {

using namespace std::chrono_literals;

// A connection that lasts this long has proved itself: the next failure waits a second again.
constexpr std::chrono::milliseconds StableAfter = 60s;
constexpr std::string_view StateKey = "QUITTIERT=";

// "09:14" of "2026-12-08T09:14:02.118+01:00".
std::string clockTime(const std::string& time) {
    return time.size() >= 16 && time[10] == 'T' ? time.substr(11, 5) : time;
}

} // namespace

Publisher::Publisher(EventLoop& loop, const BrokerSettings& settings, const std::string& logPath,
                     Outputs outputs, const ClientFactory& createClient)
    : m_loop(loop), m_settings(settings), m_topic(settings.topic + "/messung"),
      m_statePath(logPath + ".mqtt"), m_outputs(std::move(outputs)), m_outbox(logPath) {
    m_client =
        createClient(loop, settings,
                     BrokerClient::Handlers{[this] { brokerConnected(); }, [this] { brokerAcknowledged(); },
                                            [this](const std::string& reason) { brokerEnded(reason); }});
    try {
        m_acknowledged = readAcknowledged(m_statePath);
        // A log begun anew (its records numbered from 1 again) is sent from its start, not held
        // back until its numbers pass the old ones.
        const long long newest = m_outbox.newest();
        if (newest > 0 && newest < m_acknowledged)
            m_acknowledged = 0;
    } catch (const Error& error) {
        m_fileFailure = systemTextToWin1252(error.what());
    }
    m_retry = m_loop.after(0ms, [this] { attempt(); });
}

long long Publisher::readAcknowledged(const std::string& statePath) {
    const std::optional<std::string> content = readWholeFile(statePath, FileLimit::Token);
    if (!content || content->compare(0, StateKey.size(), StateKey) != 0)
        return 0;
    long long satz = 0;
    const char* begin = content->data() + StateKey.size();
    std::from_chars(begin, content->data() + content->size(), satz);
    return satz > 0 ? satz : 0;
}

void Publisher::wake(const std::string& file) {
    m_outbox.setCurrentFile(file);
    if (m_connected)
        sendNext();
    else
        showNotice();
}

void Publisher::attempt() {
    m_client->connect();
}

void Publisher::brokerConnected() {
    m_connected = true;
    m_failure.clear();
    m_stable = m_loop.after(StableAfter, [this] { m_delay.stable(); });
    // The row goes through the log and wake(), and is sent in its turn.
    m_outputs.event((m_wasConnected ? "MQTT: Verbindung zu " + m_settings.address() + " wieder hergestellt"
                                    : "MQTT: verbunden mit " + m_settings.address()));
    m_wasConnected = true;
    sendNext();
    showNotice();
}

void Publisher::brokerEnded(const std::string& reason) {
    const bool lost = m_connected;
    m_connected = false;
    m_inFlight.reset();
    m_stable.cancel();
    m_failure = reason;
    m_retry = m_loop.after(m_delay.next(), [this] { attempt(); });
    if (lost)
        m_outputs.event("MQTT: Verbindung getrennt: " + reason);
    showNotice();
}

void Publisher::sendNext() {
    if (!m_connected || m_inFlight)
        return;
    std::optional<LogRecord> record;
    try {
        record = m_outbox.next(m_acknowledged);
    } catch (const Error& error) {
        m_fileFailure =
            "Protokoll " + nameForUser(m_outbox.logPath()) + ": " + systemTextToWin1252(error.what());
        showNotice();
        return;
    }
    if (!record)
        return;
    m_inFlight = record->satz;
    m_client->publish(m_topic, record->json);
}

void Publisher::brokerAcknowledged() {
    if (!m_inFlight)
        return;
    m_acknowledged = *m_inFlight;
    m_inFlight.reset();
    saveAcknowledged();
    sendNext();
}

void Publisher::saveAcknowledged() {
    try {
        // Not waited for on the disk: after a power failure an older Satz at worst, and the records
        // since are sent again, which a consumer recognises.
        writeFileAtomicallyUnflushed(m_statePath,
                                     std::string(StateKey) + std::to_string(m_acknowledged) + "\r\n");
        if (!m_fileFailure.empty()) {
            m_fileFailure.clear();
            showNotice();
        }
    } catch (const Error& error) {
        // Publishing goes on; after a restart the records since the last saved Satz are sent
        // again, which a consumer recognises.
        const std::string failure = systemTextToWin1252(error.what());
        if (failure != m_fileFailure) {
            m_fileFailure = failure;
            showNotice();
        }
    }
}

void Publisher::showNotice() {
    std::string text;
    if (!m_connected && !m_failure.empty()) {
        text = "MQTT: ";
        try {
            const long long waiting = m_outbox.newest() - m_acknowledged;
            if (waiting > 0) {
                const std::optional<LogRecord> first = m_outbox.next(m_acknowledged);
                text += waiting == 1 ? "1 Satz" : std::to_string(waiting) + " S\xE4tze";
                text += " nicht \xFC"
                        "bertragen";
                if (first)
                    text += " seit " + clockTime(first->time);
                text += " \x96 ";
            }
        } catch (const Error& error) {
            m_fileFailure = systemTextToWin1252(error.what());
        }
        text += m_failure;
    }
    if (!m_fileFailure.empty())
        text += (text.empty() ? "MQTT: " : "  \x95  ") + m_fileFailure;
    if (text == m_notice)
        return;
    m_notice = text;
    if (m_outputs.noticeChanged)
        m_outputs.noticeChanged();
}

} // namespace travek
