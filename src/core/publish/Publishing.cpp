#include "core/publish/Publishing.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/session/SessionView.h"
#include "core/session/StatusPanel.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <cstdio>

namespace travek {

Publishing::Publishing(SessionView& view, EventLoop& loop, std::function<void(const std::string&)> event,
                       std::function<void()> noticeChanged)
    : m_view(view), m_loop(loop), m_event(std::move(event)), m_noticeChanged(std::move(noticeChanged)) {}

std::string Publishing::logFile(const IniFile& settings, const std::string& file) {
    if (!file.empty() || settings.readString("MQTT", "HOST", "").empty())
        return file;
    try {
        const std::string own = stateFolder() + "/messung.csv";
        const std::string message =
            "MQTT braucht das Messprotokoll: ohne [LOG] FILE= in TRAVEK.INI schreibt TRAVEK es nach " + own;
        m_view.setPanelText(StatusPanel::Line, message);
        std::fprintf(stderr, "travek: %s\n", message.c_str());
        return own;
    } catch (const Error& error) {
        // Then start() finds no log, and says so.
        std::fprintf(stderr, "travek: MQTT: %s\n", systemTextToWin1252(error.what()).c_str());
        return file;
    }
}

void Publishing::start(const IniFile& settings, const std::string& station, const std::string& logPath) {
    stop();
    try {
        const BrokerSettings broker = BrokerSettings::read(settings, station);
        if (broker.enabled() && logPath.empty())
            throw Error("ohne Messprotokoll wird nicht gesendet");
        if (broker.enabled())
            m_publisher = std::make_unique<Publisher>(
                m_loop, broker, logPath, Publisher::Outputs{[this] { changed(); }, m_event}, m_createClient);
    } catch (const Error& error) {
        m_failure = "MQTT: " + systemTextToWin1252(error.what());
        std::fprintf(stderr, "travek: %s\n", m_failure.c_str());
        m_view.showError(m_failure);
    }
    m_noticeChanged();
}

void Publishing::stop() {
    m_publisher.reset();
    m_failure.clear();
    m_reportedFailure.clear();
}

void Publishing::wake(const std::string& file) {
    if (m_publisher)
        m_publisher->wake(file);
}

std::string Publishing::notice() const {
    return m_publisher ? m_publisher->notice() : m_failure;
}

// The notice changes with every record that waits; standard error hears only of a new reason.
void Publishing::changed() {
    if (m_publisher->failure() != m_reportedFailure) {
        m_reportedFailure = m_publisher->failure();
        if (!m_reportedFailure.empty())
            std::fprintf(stderr, "travek: MQTT: %s\n", m_reportedFailure.c_str());
    }
    m_noticeChanged();
}

} // namespace travek
