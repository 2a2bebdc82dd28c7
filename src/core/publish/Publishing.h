#pragma once

#include "core/publish/Publisher.h"

#include <functional>
#include <memory>
#include <string>

namespace travek {

class EventLoop;
class IniFile;
class SessionView;

// Publishing as TRAVEK.INI's [MQTT] asks for it, as the recorder of the log uses it: the log it
// needs, the Publisher fed after every row, what it says on standard error and in the notice line.
class Publishing {
public:
    // event writes a row of the log for something that happened (the connection came or went);
    // noticeChanged asks for notice() to be shown again.
    Publishing(SessionView& view, EventLoop& loop, std::function<void(const std::string&)> event,
               std::function<void()> noticeChanged);

    // The log that publishing reads: file ([LOG] FILE=) itself, or, where [MQTT] names a broker and
    // there is no log, one in TRAVEK's state folder, which the user is told of.
    std::string logFile(const IniFile& settings, const std::string& file);
    // Starts publishing the log at logPath as [MQTT] says (nothing without HOST); station is the
    // default of its topic and client ID. A setting that cannot be used goes to the error box and
    // stays in the notice; nothing is published then.
    void start(const IniFile& settings, const std::string& station, const std::string& logPath);
    void stop();
    // A row has been written to the log, into file.
    void wake(const std::string& file);
    // For the notice line; empty while there is nothing to say.
    std::string notice() const;

    // How the publisher reaches the broker (tests give a fake).
    void setClientFactory(Publisher::ClientFactory factory) { m_createClient = std::move(factory); }
    const Publisher* publisher() const { return m_publisher.get(); }

private:
    void changed();

    SessionView& m_view;
    EventLoop& m_loop;
    std::function<void(const std::string&)> m_event;
    std::function<void()> m_noticeChanged;
    Publisher::ClientFactory m_createClient = BrokerClient::create;
    std::unique_ptr<Publisher> m_publisher;
    // Why nothing is published although [MQTT] asks for it; empty otherwise.
    std::string m_failure;
    // The publisher's failure last said on standard error.
    std::string m_reportedFailure;
};

} // namespace travek
