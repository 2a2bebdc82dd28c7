#pragma once

#include <string>

namespace travek {

class IniFile;

// Where the records go: TRAVEK.INI's section MQTT. No HOST, no publishing.
//   HOST=broker.plant.example   PORT=1883   TOPIC=travek/<station>   CLIENTID=<station>
//   USER=station7   PASSWORDFILE=C:\TRAVEK\mqtt-passwort.txt   CAFILE=/etc/travek/plant-ca.pem
// The password stays out of TRAVEK.INI, which is shown and copied around: PASSWORDFILE names a
// file whose first line it is. CAFILE (a PEM file of the certificate authorities to trust) turns on
// TLS, with the broker's certificate and name verified; there is no unverified TLS.
struct BrokerSettings {
    std::string host;
    int port = 1883;
    // The messages go to topic + "/messung".
    std::string topic;
    std::string clientId;
    std::string user;
    std::string password;
    std::string caFile;

    bool enabled() const { return !host.empty(); }
    // "host:port", for messages.
    std::string address() const { return host + ':' + std::to_string(port); }

    // The settings of [MQTT]; station is the default of TOPIC (travek/<station>) and CLIENTID.
    // Disabled (no host) without HOST. Throws Error, naming the setting, for one that cannot be
    // used: a PORT out of range, a PASSWORDFILE that cannot be read, a CAFILE where this build has
    // no TLS.
    static BrokerSettings read(const IniFile& settings, const std::string& station);
};

} // namespace travek
