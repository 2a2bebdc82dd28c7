#include "core/publish/BrokerSettings.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/publish/BrokerClient.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

namespace travek {

BrokerSettings BrokerSettings::read(const IniFile& settings, const std::string& station) {
    BrokerSettings broker;
    broker.host = settings.readString("MQTT", "HOST", "");
    if (broker.host.empty())
        return broker;
    const int port = settings.readInteger("MQTT", "PORT", 1883);
    if (port < 1 || port > 65535)
        throw Error("PORT=" + std::to_string(port) + " in [MQTT] von TRAVEK.INI: erlaubt sind 1 bis 65535");
    broker.port = port;
    broker.topic = settings.readString("MQTT", "TOPIC", "travek/" + station);
    while (!broker.topic.empty() && broker.topic.back() == '/')
        broker.topic.pop_back();
    broker.clientId = settings.readString("MQTT", "CLIENTID", station);
    broker.user = settings.readString("MQTT", "USER", "");
    if (const std::string file = settings.readString("MQTT", "PASSWORDFILE", ""); !file.empty()) {
        std::optional<std::string> content;
        try {
            content = readWholeFile(file, FileLimit::Token);
        } catch (const Error& error) {
            throw Error("PASSWORDFILE in [MQTT] von TRAVEK.INI: " + systemTextToWin1252(error.what()));
        }
        if (!content)
            throw Error("PASSWORDFILE in [MQTT] von TRAVEK.INI: " + nameForUser(file) +
                        ": Datei nicht gefunden");
        broker.password = content->substr(0, content->find_first_of("\r\n"));
    }
    broker.caFile = settings.readString("MQTT", "CAFILE", "");
    if (!broker.caFile.empty() && !brokerTlsAvailable())
        throw Error("CAFILE in [MQTT] von TRAVEK.INI: TRAVEK f\xFCr Windows kann noch kein TLS; ohne "
                    "Verschl\xFCsselung wird nicht gesendet");
    return broker;
}

} // namespace travek
